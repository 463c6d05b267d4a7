#include "platform/posix/PosixFileSystem.h"

#include "platform/Text.h"

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

namespace zylora::platform::posix {

namespace {

namespace fs = std::filesystem;

fs::path Native(std::string path) {
    for (char& c : path)
        if (c == '\\') c = '/';
    return fs::path(path);
}

}  // namespace

std::optional<std::string> PosixFileSystem::ReadFile(const std::string& path) {
    std::error_code error;
    if (!fs::is_regular_file(Native(path), error)) return std::nullopt;
    std::ifstream in(Native(path), std::ios::binary);
    if (!in) return std::nullopt;
    std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return std::nullopt;
    return content;
}

bool PosixFileSystem::ReplaceFile(const std::string& path, const std::string& content) {
    const fs::path target = Native(path);
    fs::path temporary = target;
    temporary += ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out.write(content.data(), static_cast<std::streamsize>(content.size())) || !out.flush()) {
            std::error_code ignored;
            fs::remove(temporary, ignored);
            return false;
        }
    }
    std::error_code error;
    fs::rename(temporary, target, error);
    if (error) fs::remove(temporary, error);
    return !error;
}

bool PosixFileSystem::FileExists(const std::string& path) {
    std::error_code error;
    return fs::is_regular_file(Native(path), error);
}

std::optional<std::vector<FolderEntry>> PosixFileSystem::ListFolder(const std::string& folder) {
    std::error_code error;
    fs::directory_iterator it(Native(folder), error);
    if (error) return std::nullopt;
    std::vector<FolderEntry> entries;
    for (; it != fs::directory_iterator(); it.increment(error)) {
        if (error) return std::nullopt;
        const std::string name = it->path().filename().string();
        std::error_code ignored;
        entries.push_back({name, it->is_directory(ignored), name.rfind('.', 0) == 0, false});
    }
    return entries;
}

std::optional<FileStamp> PosixFileSystem::StampOf(const std::string& path) {
    struct stat status {};
    if (::stat(Native(path).c_str(), &status) != 0 || !S_ISREG(status.st_mode)) return std::nullopt;
    const auto nanoseconds = [](const timespec& t) {
        return static_cast<std::uint64_t>(t.tv_sec) * 1000000000u + static_cast<std::uint64_t>(t.tv_nsec);
    };
    return FileStamp{static_cast<std::uint64_t>(status.st_size), nanoseconds(status.st_mtim),
                     nanoseconds(status.st_ctim), static_cast<std::uint64_t>(status.st_ino)};
}

std::optional<std::uint64_t> PosixFileSystem::FolderStamp(const std::string& folder) {
    struct stat status {};
    if (::stat(Native(folder).c_str(), &status) != 0 || !S_ISDIR(status.st_mode)) return std::nullopt;
    return static_cast<std::uint64_t>(status.st_mtim.tv_sec) * 1000000000u + static_cast<std::uint64_t>(status.st_mtim.tv_nsec);
}

bool PosixFileSystem::FolderExists(const std::string& path) {
    std::error_code error;
    return fs::is_directory(Native(path), error);
}

std::string PosixFileSystem::WorkingDirectory() {
    std::error_code error;
    return fs::current_path(error).string();
}

std::string PosixFileSystem::TextFromCodePage(const std::string& bytes) { return Utf8FromLatin1(bytes); }

std::optional<std::string> PosixFileSystem::CodePageFromText(const std::string& text) { return Latin1FromUtf8(text); }

}  // namespace zylora::platform::posix
