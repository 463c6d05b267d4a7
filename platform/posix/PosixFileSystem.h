// The file system on the C++ library's file access, for the native build. Internal to
// platform/posix.
#pragma once

#include "platform/FileSystem.h"
#include "platform/Text.h"

namespace zylora::platform::posix {

// Skin and button set files name their images as Windows paths: "\" separates here too.
// The 8-bit code page of files made for Windows is taken as Latin-1.
class PosixFileSystem : public FileSystem {
public:
    std::optional<std::string> ReadFile(const std::string& path) override;
    bool ReplaceFile(const std::string& path, const std::string& content) override;
    bool FileExists(const std::string& path) override;
    bool FolderExists(const std::string& path) override;
    std::optional<std::vector<FolderEntry>> ListFolder(const std::string& folder) override;
    std::optional<FileStamp> StampOf(const std::string& path) override;
    std::optional<std::uint64_t> FolderStamp(const std::string& folder) override;
    int CompareNames(const std::string& a, const std::string& b) override { return CompareNatural(a, b); }
    void SortNames(std::vector<std::string>& names) override { SortNatural(names); }
    bool SameName(const std::string& a, const std::string& b) override { return EqualsIgnoringCase(a, b); }
    std::string WorkingDirectory() override;
    std::int64_t SecondsSince1970(std::uint64_t modified) override {
        return static_cast<std::int64_t>(modified / 1000000000u);
    }
    std::string TextFromCodePage(const std::string& bytes) override;
    std::optional<std::string> CodePageFromText(const std::string& text) override;
};

}  // namespace zylora::platform::posix
