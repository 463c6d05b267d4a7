// An in-memory file system for tests: files are a map from path to content.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/Text.h"

namespace zylora::fake {

class MemoryFileSystem : public platform::FileSystem {
public:
    std::map<std::string, std::string> files;
    // Paths whose writes fail, as a read-only file or a folder in the file's place would.
    std::set<std::string> unwritable;
    // Every path read or replaced, in order, prefixed "read " or "write ".
    std::vector<std::string> log;
    // Folders that exist without files in them; a folder holding a file exists anyway.
    std::set<std::string> folders;
    // Files and folders with those attributes.
    std::set<std::string> hidden, system;
    std::string workingDirectory = "C:\\Work";
    // The fake's code page is Latin-1: each byte is the character of its number.
    std::string TextFromCodePage(const std::string& bytes) override { return platform::Utf8FromLatin1(bytes); }
    std::optional<std::string> CodePageFromText(const std::string& text) override {
        return platform::Latin1FromUtf8(text);
    }
    // Folders listed, in order.
    std::vector<std::string> listings;

    std::optional<std::string> ReadFile(const std::string& path) override {
        log.push_back("read " + path);
        auto it = files.find(path);
        if (it == files.end()) return std::nullopt;
        return it->second;
    }
    bool ReplaceFile(const std::string& path, const std::string& content) override {
        log.push_back("write " + path);
        if (unwritable.count(path)) return false;
        files[path] = content;
        return true;
    }
    bool FileExists(const std::string& path) override { return files.count(path) != 0; }
    // A folder named in `folders`, or one holding a file.
    bool FolderExists(const std::string& path) override {
        if (folders.count(path)) return true;
        const std::string prefix = path.empty() || path.back() == '\\' ? path : path + "\\";
        auto it = files.lower_bound(prefix);
        return it != files.end() && it->first.compare(0, prefix.size(), prefix) == 0;
    }
    // The immediate children among the files and folders, in path order.
    std::optional<std::vector<platform::FolderEntry>> ListFolder(const std::string& folder) override {
        listings.push_back(folder);
        const std::string prefix = folder.empty() || folder.back() == '\\' ? folder : folder + "\\";
        std::vector<platform::FolderEntry> entries;
        std::set<std::string> seen;
        bool exists = folders.count(folder) != 0;
        auto visit = [&](const std::string& path) {
            if (path.size() <= prefix.size() || path.compare(0, prefix.size(), prefix) != 0) return;
            exists = true;
            const std::string rest = path.substr(prefix.size());
            const std::size_t cut = rest.find('\\');
            const std::string name = rest.substr(0, cut);
            if (!seen.insert(name).second) return;
            const std::string full = prefix + name;
            entries.push_back({name, cut != std::string::npos || folders.count(full) != 0,
                               hidden.count(full) != 0, system.count(full) != 0});
        };
        std::set<std::string> all(folders);
        for (const auto& [path, content] : files) all.insert(path);
        for (const std::string& path : all) visit(path);
        if (!exists) return std::nullopt;
        return entries;
    }
    // The content's size, and a write time a test may set in `modified`; each path asked
    // is noted in `stamped`.
    std::optional<platform::FileStamp> StampOf(const std::string& path) override {
        stamped.push_back(path);
        auto it = files.find(path);
        if (it == files.end()) return std::nullopt;
        auto time = modified.find(path);
        return platform::FileStamp{it->second.size(), time == modified.end() ? 0 : time->second};
    }
    std::map<std::string, std::uint64_t> modified;
    std::vector<std::string> stamped;
    // The fake's times are seconds since 1970.
    std::int64_t SecondsSince1970(std::uint64_t time) override { return static_cast<std::int64_t>(time); }
    // As a real folder's write time, it changes with the names in the folder.
    std::optional<std::uint64_t> FolderStamp(const std::string& folder) override {
        auto entries = ListFolder(folder);
        listings.pop_back();  // a look at the folder's time, not a listing
        if (!entries) return std::nullopt;
        std::uint64_t stamp = 1469598103934665603u;
        for (const platform::FolderEntry& e : *entries)
            for (char c : e.name + "/") stamp = (stamp ^ static_cast<unsigned char>(c)) * 1099511628211u;
        return stamp;
    }
    int CompareNames(const std::string& a, const std::string& b) override { return platform::CompareNatural(a, b); }
    void SortNames(std::vector<std::string>& names) override { platform::SortNatural(names); }
    bool SameName(const std::string& a, const std::string& b) override { return platform::EqualsIgnoringCase(a, b); }
    std::string WorkingDirectory() override { return workingDirectory; }
};

}  // namespace zylora::fake
