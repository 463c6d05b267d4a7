#include "platform/Paths.h"

namespace zylora::platform {

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// Where the name starts: after the last separator or drive colon.
std::size_t NameStart(const std::string& path) {
    std::size_t start = path.size();
    while (start > 0 && !IsSeparator(path[start - 1]) && path[start - 1] != ':') --start;
    return start;
}

}  // namespace

std::string DirectoryOf(const std::string& path) {
    std::size_t end = NameStart(path);
    // Drop the separator before the name unless it is the root: the first character, or
    // after a drive colon or another separator.
    if (end > 1 && IsSeparator(path[end - 1]) && path[end - 2] != ':' && !IsSeparator(path[end - 2]))
        --end;
    return path.substr(0, end);
}

std::string FileNameOf(const std::string& path) { return path.substr(NameStart(path)); }

std::string JoinPath(const std::string& folder, const std::string& name) {
    if (folder.empty() || IsSeparator(folder.back())) return folder + name;
    return folder + "\\" + name;
}

std::vector<std::string> VisibleSubfolders(FileSystem& files, const std::string& folder) {
    std::vector<std::string> names;
    for (const FolderEntry& e : files.ListFolder(folder).value_or(std::vector<FolderEntry>{}))
        if (e.folder && !e.hidden && !e.system && e.name != "." && e.name != "..") names.push_back(e.name);
    return names;
}

bool HasArgumentsAfterProgram(std::wstring_view line) {
    std::size_t at = 0;
    auto isBlank = [&](std::size_t i) { return i < line.size() && (line[i] == L' ' || line[i] == L'\t'); };
    if (!line.empty() && line[0] == L'"') {
        at = line.find(L'"', 1);
        at = at == std::wstring_view::npos ? line.size() : at + 1;
    } else {
        while (at < line.size() && !isBlank(at)) ++at;
    }
    while (isBlank(at)) ++at;
    return at < line.size();
}

}  // namespace zylora::platform
