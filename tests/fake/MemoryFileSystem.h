// An in-memory file system for tests: files are a map from path to content.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/FileSystem.h"

namespace zylora::fake {

class MemoryFileSystem : public platform::FileSystem {
public:
    std::map<std::string, std::string> files;
    // Paths whose writes fail, as a read-only file or a folder in the file's place would.
    std::set<std::string> unwritable;
    // Every path read or replaced, in order, prefixed "read " or "write ".
    std::vector<std::string> log;

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
};

}  // namespace zylora::fake
