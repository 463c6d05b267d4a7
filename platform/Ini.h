// INI files: the settings file, the skin file and the button set file.
//
// Reads never fail: a missing file, section or key, or a value that doesn't parse, gives
// the default. Section and key names match regardless of case. A write changes only its
// own key, keeps every other line of the file as it was, and replaces the file atomically.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/FileSystem.h"

namespace zylora::platform {

// Raised by a failed write; the message is "Unable to write to <path>".
class IniWriteError : public std::runtime_error {
public:
    explicit IniWriteError(const std::string& path);
};

// Parses an INI integer: optional sign, then decimal digits, or hexadecimal digits after
// "$", "0x" or "0X". Surrounding blanks are ignored. Anything else, or a value outside the
// 32-bit range, gives nothing.
std::optional<int> ParseIniInteger(const std::string& text);

// Told of every read of an IniFile: the key asked for, the value the file gave it (nothing
// when it gave none), whether that value parsed (strings always do) and, as text, what the
// read returned.
class IniReadObserver {
public:
    virtual ~IniReadObserver() = default;
    virtual void KeyRead(const std::string& section, const std::string& key,
                         const std::optional<std::string>& value, bool parsed,
                         const std::string& result) = 0;
};

// One key line of the file, spelled as the file spells it.
struct IniEntry {
    std::string section;  // "" before the first section header
    std::string key;
    std::string value;
    // No read ever sees it: an earlier line of the key, or an earlier section of the name,
    // comes first.
    bool shadowed = false;
};

class IniFile {
public:
    // Opens the file: its content is read once here; a missing file reads as empty.
    IniFile(FileSystem& files, std::string path);

    const std::string& Path() const { return path_; }

    int ReadInteger(const std::string& section, const std::string& key, int defaultValue) const;
    // At most 2047 characters of the value are returned.
    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& defaultValue) const;

    // Throw IniWriteError when the file can't be written; the file is then unchanged.
    void WriteInteger(const std::string& section, const std::string& key, int value);
    void WriteString(const std::string& section, const std::string& key, const std::string& value);

    static constexpr std::size_t MaxStringLength = 2047;

    // Every key line, in file order.
    std::vector<IniEntry> Entries() const;
    // The observer (or none) is told of every read from now on.
    void SetObserver(IniReadObserver* observer) { observer_ = observer; }

private:
    FileSystem& files_;
    std::string path_;
    std::string content_;
    // The file's bytes for the text; `utf8` tells whether they are UTF-8, `mark` gives the
    // byte-order mark they begin with.
    std::string Bytes(const std::string& text, bool& utf8, std::string& mark) const;

    std::string mark_;  // a UTF-8 byte-order mark the file began with
    bool utf8_ = false;  // the file holds UTF-8, not the system's code page
    IniReadObserver* observer_ = nullptr;
};

}  // namespace zylora::platform
