// File access that the portable code needs. Paths and names are UTF-8.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zylora::platform {

// One entry of a folder listing.
struct FolderEntry {
    std::string name;  // without the folder
    bool folder = false;
    bool hidden = false;
    bool system = false;
    friend bool operator==(const FolderEntry&, const FolderEntry&) = default;
};

// What tells one version of a file from another without reading it. The last-write time
// alone doesn't: an unzip or a copy that keeps times gives a new content the old one's size
// and time, but the change time is set by every write, replace and rename.
struct FileStamp {
    std::uint64_t size = 0;
    std::uint64_t modified = 0;  // the system's last-write time, in its own units
    std::uint64_t changed = 0;   // the system's change time (content or attributes), likewise
    std::uint64_t identity = 0;  // the file's number on its volume
    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

class FileSystem {
public:
    virtual ~FileSystem() = default;
    // The whole file, or nothing if it can't be read.
    virtual std::optional<std::string> ReadFile(const std::string& path) = 0;
    // Replaces the file's content atomically: a temporary file beside it is written and then
    // renamed over it, so a crash never leaves half a file. False if anything failed (the
    // original file is then unchanged).
    virtual bool ReplaceFile(const std::string& path, const std::string& content) = 0;
    // A plain file (not a folder) exists at the path.
    virtual bool FileExists(const std::string& path) = 0;
    // A folder exists at the path.
    virtual bool FolderExists(const std::string& path) = 0;
    // Every entry of the folder but "." and "..", in the order the file system lists them;
    // nothing when the folder can't be read (missing, not a folder, no access).
    virtual std::optional<std::vector<FolderEntry>> ListFolder(const std::string& folder) = 0;
    // The plain file's stamp; nothing when there is no such file.
    virtual std::optional<FileStamp> StampOf(const std::string& path) = 0;
    // The folder's last-write time, which every entry added, removed or renamed in it sets;
    // nothing when there is no such folder.
    virtual std::optional<std::uint64_t> FolderStamp(const std::string& folder) = 0;
    // Orders two names as the system's file manager shows them: case-blind, runs of digits
    // by their value ("img2" before "img10"). Below 0, 0 or above 0.
    virtual int CompareNames(const std::string& a, const std::string& b) = 0;
    // Sorts the names in that order; names it puts together keep a fixed order by their
    // bytes, whatever order they came in.
    virtual void SortNames(std::vector<std::string>& names) = 0;
    // The names are the same to the file system, whatever their case (any letters).
    virtual bool SameName(const std::string& a, const std::string& b) = 0;
    // The first `length` bytes of the file (all of a shorter one); empty when it can't be read.
    virtual std::string ReadFileHead(const std::string& path, std::size_t length) {
        std::optional<std::string> whole = ReadFile(path);
        return whole ? whole->substr(0, length) : std::string();
    }
    // A stamp's modified time in seconds since 1970-01-01 UTC.
    virtual std::int64_t SecondsSince1970(std::uint64_t modified) = 0;
    // The process's working directory, as the system gives it.
    virtual std::string WorkingDirectory() = 0;
    // Text files made for the system (settings, skin files) may hold its 8-bit code page:
    // these convert between such bytes and the program's UTF-8. The way back gives nothing
    // when the code page can't hold every character.
    virtual std::string TextFromCodePage(const std::string& bytes) = 0;
    virtual std::optional<std::string> CodePageFromText(const std::string& text) = 0;
};

}  // namespace zylora::platform
