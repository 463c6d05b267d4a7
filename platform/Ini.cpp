#include "platform/Ini.h"

#include <cstdint>
#include <set>
#include <utility>

#include "platform/Text.h"

namespace zylora::platform {

IniWriteError::IniWriteError(const std::string& path)
    : std::runtime_error("Unable to write to " + path) {}

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

// Half-open range [begin, end) of the content.
struct Span {
    std::size_t begin = 0;
    std::size_t end = 0;
};

Span Trim(const std::string& text, Span span) {
    while (span.begin < span.end && IsBlank(text[span.begin])) ++span.begin;
    while (span.end > span.begin && IsBlank(text[span.end - 1])) --span.end;
    return span;
}

std::string Trimmed(const std::string& text) {
    Span span = Trim(text, {0, text.size()});
    return text.substr(span.begin, span.end - span.begin);
}

// Searches only inside the span, so a line never costs more than its own length.
std::size_t FindIn(const std::string& text, char c, Span span) {
    for (std::size_t i = span.begin; i < span.end; ++i) {
        if (text[i] == c) return i;
    }
    return std::string::npos;
}

// Names compare regardless of ASCII case only, so the result never depends on the locale.
bool SameName(const std::string& text, Span span, const std::string& name) {
    if (span.end - span.begin != name.size()) return false;
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (LowerAscii(text[span.begin + i]) != LowerAscii(name[i])) return false;
    }
    return true;
}

// A line break inside a written name or value would split its line in two and turn the
// rest into a key or section of its own, so each CR and LF becomes a space.
std::string WithoutLineBreaks(std::string text) {
    for (char& c : text) {
        if (c == '\r' || c == '\n') c = ' ';
    }
    return text;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

enum class LineKind { Other, Section, Key };

struct Line {
    std::size_t next = 0;  // where the following line starts (past this one's line break)
    LineKind kind = LineKind::Other;
    Span name;   // section name or key, trimmed
    Span value;  // value of a key line, trimmed
};

// Reads the line starting at `start`: a line ends at LF, and a CR right before it belongs
// to the line break.
Line ReadLine(const std::string& text, std::size_t start) {
    Line line;
    std::size_t breakAt = text.find('\n', start);
    std::size_t end = breakAt == std::string::npos ? text.size() : breakAt;
    line.next = breakAt == std::string::npos ? text.size() : breakAt + 1;

    Span body = Trim(text, {start, end});
    if (body.begin == body.end || text[body.begin] == ';') return line;
    if (text[body.begin] == '[') {
        std::size_t close = FindIn(text, ']', body);
        if (close != std::string::npos) {
            line.kind = LineKind::Section;
            line.name = Trim(text, {body.begin + 1, close});
            return line;
        }
    }
    std::size_t equals = FindIn(text, '=', body);
    if (equals != std::string::npos) {
        line.kind = LineKind::Key;
        line.name = Trim(text, {body.begin, equals});
        line.value = Trim(text, {equals + 1, body.end});
    }
    return line;
}

// Where a key stands in the content, or where it would go.
struct Location {
    bool sectionFound = false;
    bool keyFound = false;
    Span value;              // the key's value, when found
    std::size_t insertAt = 0;  // past the section's last key line (or its header)
};

// Only the first section of a name counts, and in it only the first line of the key,
// for writes as for reads.
Location Find(const std::string& text, const std::string& section, const std::string& key) {
    Location where;
    bool inSection = false;
    for (std::size_t start = 0; start < text.size();) {
        Line line = ReadLine(text, start);
        if (line.kind == LineKind::Section) {
            if (inSection) break;
            if (SameName(text, line.name, section)) {
                inSection = where.sectionFound = true;
                where.insertAt = line.next;
            }
        } else if (line.kind == LineKind::Key && inSection) {
            if (SameName(text, line.name, key)) {
                where.keyFound = true;
                where.value = line.value;
                break;
            }
            where.insertAt = line.next;
        }
        start = line.next;
    }
    return where;
}

// New lines follow the file's own convention; a new file gets the Windows one.
std::string LineBreakOf(const std::string& text) {
    if (text.find("\r\n") != std::string::npos) return "\r\n";
    if (text.find('\n') != std::string::npos) return "\n";
    return "\r\n";
}

bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// A name as it is looked up and written: a name that can't be written can't be read either.
std::string NameOf(const std::string& name) { return Trimmed(WithoutLineBreaks(name)); }

std::string WithValue(const std::string& text, const std::string& rawSection, const std::string& rawKey,
                      const std::string& rawValue) {
    const std::string section = NameOf(rawSection);
    const std::string key = NameOf(rawKey);
    const std::string value = WithoutLineBreaks(rawValue);
    const Location where = Find(text, section, key);
    const std::string lineBreak = LineBreakOf(text);
    std::string result = text;

    if (where.keyFound) {
        // Only the value changes; the key's spelling and the blanks around it stay.
        result.replace(where.value.begin, where.value.end - where.value.begin, value);
    } else if (where.sectionFound) {
        const std::string line = key + "=" + value;
        const bool atUnterminatedEnd = where.insertAt == text.size() && !EndsWith(text, "\n");
        // At an end without a line break the file keeps ending without one.
        result.insert(where.insertAt, atUnterminatedEnd ? lineBreak + line : line + lineBreak);
    } else {
        if (!text.empty()) {
            if (!EndsWith(text, "\n")) result += lineBreak;
            const bool endsInBlankLine = EndsWith(text, "\n\n") || EndsWith(text, "\n\r\n") || text == "\n" ||
                                         text == "\r\n";
            if (!endsInBlankLine) result += lineBreak;
        }
        result += "[" + section + "]" + lineBreak + key + "=" + value + lineBreak;
    }
    return result;
}

}  // namespace

std::optional<int> ParseIniInteger(const std::string& rawText) {
    const std::string text = Trimmed(rawText);
    std::size_t at = 0;
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';

    std::uint32_t pattern = 0;
    const bool hex = text.compare(at, 1, "$") == 0 || text.compare(at, 2, "0x") == 0 ||
                     text.compare(at, 2, "0X") == 0;
    if (hex) {
        at += text[at] == '$' ? std::size_t{1} : std::size_t{2};
        if (at == text.size()) return std::nullopt;
        for (; at < text.size(); ++at) {
            const int digit = HexDigit(text[at]);
            if (digit < 0) return std::nullopt;
            if (pattern > 0x0FFFFFFFu) return std::nullopt;  // a ninth significant digit
            pattern = pattern << 4 | static_cast<std::uint32_t>(digit);
        }
        // A hex value is a 32-bit pattern: $FFFFFFFF is -1, and a sign negates the pattern.
        if (negative) pattern = 0u - pattern;
        return static_cast<int>(pattern);
    }

    if (at == text.size()) return std::nullopt;
    const std::uint32_t limit = negative ? 0x80000000u : 0x7FFFFFFFu;
    for (; at < text.size(); ++at) {
        const char c = text[at];
        if (c < '0' || c > '9') return std::nullopt;
        const auto digit = static_cast<std::uint32_t>(c - '0');
        if (pattern > (limit - digit) / 10) return std::nullopt;
        pattern = pattern * 10 + digit;
    }
    if (negative) pattern = 0u - pattern;
    return static_cast<int>(pattern);
}

namespace {

constexpr char Utf8Mark[] = "\xEF\xBB\xBF";

}  // namespace

// An editor's UTF-8 byte-order mark is no part of the first line: without this the first
// section would never be found. It is kept for the rewrite.
// The program's text is UTF-8; the file may hold the system's code page (as files made for
// it do) or UTF-8. Well-formed UTF-8 beyond ASCII is taken as such; anything else is the
// code page.
IniFile::IniFile(FileSystem& files, std::string path)
    : files_(files), path_(std::move(path)), content_(files_.ReadFile(path_).value_or(std::string())) {
    if (content_.rfind(Utf8Mark, 0) == 0) {
        mark_ = Utf8Mark;
        content_.erase(0, mark_.size());
        utf8_ = true;
    } else if (!IsAscii(content_)) {
        utf8_ = IsUtf8(content_);
        if (!utf8_) content_ = files_.TextFromCodePage(content_);
    }
}

// Written back as it was read: a file in the code page stays in it for every text the code
// page holds, and becomes UTF-8 only for one it can't. Code-page bytes that happen to be
// well-formed UTF-8 ("Ã¼" in Windows-1252 is the UTF-8 of "ü") would read back as another
// text: that file becomes UTF-8 with a byte-order mark, which reads back as written.
std::string IniFile::Bytes(const std::string& text, bool& utf8, std::string& mark) const {
    utf8 = utf8_;
    mark = mark_;
    if (utf8_) return mark_ + text;
    if (IsAscii(text)) return text;
    std::optional<std::string> inCodePage = files_.CodePageFromText(text);
    if (inCodePage && !IsUtf8(*inCodePage)) return *inCodePage;
    utf8 = true;
    if (inCodePage) mark = Utf8Mark;
    return mark + text;
}

int IniFile::ReadInteger(const std::string& section, const std::string& key, int defaultValue) const {
    const Location where = Find(content_, NameOf(section), NameOf(key));
    if (!where.keyFound) {
        if (observer_) observer_->KeyRead(section, key, std::nullopt, true, std::to_string(defaultValue));
        return defaultValue;
    }
    const std::string value = content_.substr(where.value.begin, where.value.end - where.value.begin);
    const std::optional<int> parsed = ParseIniInteger(value);
    const int result = parsed.value_or(defaultValue);
    if (observer_) observer_->KeyRead(section, key, value, parsed.has_value(), std::to_string(result));
    return result;
}

std::string IniFile::ReadString(const std::string& section, const std::string& key,
                                const std::string& defaultValue) const {
    const Location where = Find(content_, NameOf(section), NameOf(key));
    if (!where.keyFound) {
        if (observer_) observer_->KeyRead(section, key, std::nullopt, true, defaultValue);
        return defaultValue;
    }
    // Quotes are part of the value: we never strip them, so a quoted value reads back as written.
    std::size_t length = where.value.end - where.value.begin;
    if (length > MaxStringLength) {
        length = MaxStringLength;
        // Never half a character: back off to where one begins.
        while (length > 0 && (static_cast<unsigned char>(content_[where.value.begin + length]) & 0xC0) == 0x80)
            --length;
    }
    std::string value = content_.substr(where.value.begin, length);
    if (observer_) observer_->KeyRead(section, key, value, true, value);
    return value;
}

std::vector<IniEntry> IniFile::Entries() const {
    std::vector<IniEntry> entries;
    // Names as they match: regardless of case.
    std::set<std::string> sectionsSeen;
    std::set<std::string> keysSeen;  // of the current section
    std::string section;
    bool sectionShadowed = false;
    for (std::size_t start = 0; start < content_.size();) {
        const Line line = ReadLine(content_, start);
        const std::string name = content_.substr(line.name.begin, line.name.end - line.name.begin);
        if (line.kind == LineKind::Section) {
            section = name;
            sectionShadowed = !sectionsSeen.insert(LowerAscii(section)).second;
            keysSeen.clear();
        } else if (line.kind == LineKind::Key) {
            const bool shadowed = !keysSeen.insert(LowerAscii(name)).second || sectionShadowed;
            entries.push_back(
                {section, name, content_.substr(line.value.begin, line.value.end - line.value.begin), shadowed});
        }
        start = line.next;
    }
    return entries;
}

void IniFile::WriteInteger(const std::string& section, const std::string& key, int value) {
    WriteString(section, key, std::to_string(value));
}

void IniFile::WriteString(const std::string& section, const std::string& key, const std::string& value) {
    std::string updated = WithValue(content_, section, key, value);
    bool utf8 = false;
    std::string mark;
    const std::string bytes = Bytes(updated, utf8, mark);
    if (!files_.ReplaceFile(path_, bytes)) throw IniWriteError(path_);
    utf8_ = utf8;
    mark_ = std::move(mark);
    content_ = std::move(updated);
}

}  // namespace zylora::platform
