// The file system on the Win32 file API, paths in the system code page. Internal to
// platform/win32.
#pragma once

#include "platform/FileSystem.h"

namespace zylora::platform::win32 {

class Win32FileSystem : public FileSystem {
public:
    std::optional<std::string> ReadFile(const std::string& path) override;
    bool ReplaceFile(const std::string& path, const std::string& content) override;
    bool FileExists(const std::string& path) override;
    bool FolderExists(const std::string& path) override;
    std::optional<std::vector<FolderEntry>> ListFolder(const std::string& folder) override;
    std::optional<FileStamp> StampOf(const std::string& path) override;
    std::optional<std::uint64_t> FolderStamp(const std::string& folder) override;
    int CompareNames(const std::string& a, const std::string& b) override;
    void SortNames(std::vector<std::string>& names) override;
    bool SameName(const std::string& a, const std::string& b) override;
    std::string WorkingDirectory() override;
    std::string ReadFileHead(const std::string& path, std::size_t length) override;
    // The system's times count 100 ns from 1601.
    std::int64_t SecondsSince1970(std::uint64_t modified) override {
        return static_cast<std::int64_t>(modified / 10000000u) - 11644473600LL;
    }
    std::string TextFromCodePage(const std::string& bytes) override;
    std::optional<std::string> CodePageFromText(const std::string& text) override;
};

}  // namespace zylora::platform::win32
