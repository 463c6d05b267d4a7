#include "imaging/PhotoFacts.h"

#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <iterator>
#include <optional>
#include <vector>

#include "imaging/ImageHeader.h"

namespace zylora::imaging {

namespace {

std::uint32_t Byte(const std::string& s, std::size_t i) { return static_cast<unsigned char>(s[i]); }

// One entry of a directory: its tag, type, count and the four bytes that hold the value or
// its offset.
struct Entry {
    std::uint32_t tag = 0, type = 0, count = 0;
    std::string field;
};

class ExifReader {
public:
    explicit ExifReader(const ByteReader& read) : read_(read) {
        const std::string header = read_(0, 8);
        if (header.size() < 8) return;
        little_ = header.compare(0, 4, std::string("II*\0", 4)) == 0;
        valid_ = little_ || header.compare(0, 4, std::string("MM\0*", 4)) == 0;
        if (valid_) first_ = U32(header, 4);
    }
    bool Valid() const { return valid_; }
    std::uint32_t First() const { return first_; }

    // The entries of the directory at the offset; none when it runs past the structure's end.
    std::vector<Entry> Directory(std::uint64_t offset) const {
        std::vector<Entry> entries;
        const std::string countBytes = read_(offset, 2);
        if (countBytes.size() < 2) return entries;
        const std::size_t length = U16(countBytes, 0) * 12u;
        const std::string bytes = read_(offset + 2, length);
        if (bytes.size() != length) return entries;
        for (std::size_t i = 0; i < length; i += 12)
            entries.push_back({U16(bytes, i), U16(bytes, i + 2), U32(bytes, i + 4), bytes.substr(i + 8, 4)});
        return entries;
    }

    // The entry's whole value: in its field when it fits there, else at its offset. Nothing
    // for an unknown type, a value beyond what any fact needs or one the structure lacks.
    std::optional<std::string> Value(const Entry& entry) const {
        static constexpr unsigned sizes[] = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8};
        if (entry.type >= std::size(sizes) || sizes[entry.type] == 0 || entry.count == 0 || entry.count > 4096)
            return std::nullopt;
        const std::size_t length = sizes[entry.type] * static_cast<std::size_t>(entry.count);
        if (length <= 4) return entry.field.substr(0, length);
        std::string bytes = read_(U32(entry.field, 0), length);
        if (bytes.size() != length) return std::nullopt;
        return bytes;
    }

    // Printable text of an ASCII value up to its end, without the spaces that pad it.
    std::string Text(const Entry& entry) const {
        if (entry.type != 2) return {};
        const std::optional<std::string> value = Value(entry);
        std::string text;
        for (const char c : value.value_or("")) {
            if (c == '\0') break;
            text += c >= 0x20 && c < 0x7F ? c : '?';
        }
        while (!text.empty() && text.back() == ' ') text.pop_back();
        while (!text.empty() && text.front() == ' ') text.erase(0, 1);
        return text;
    }

    // The number at the index of a SHORT, LONG or RATIONAL value; nothing for others, and for a
    // fraction over 0.
    std::optional<double> Number(const Entry& entry, std::size_t index = 0) const {
        const std::optional<std::string> value = Value(entry);
        if (!value || index >= entry.count) return std::nullopt;
        if (entry.type == 3) return U16(*value, index * 2);
        if (entry.type == 4) return U32(*value, index * 4);
        if (entry.type != 5) return std::nullopt;
        const std::uint32_t denominator = U32(*value, index * 8 + 4);
        if (denominator == 0) return std::nullopt;
        return static_cast<double>(U32(*value, index * 8)) / denominator;
    }

    std::uint32_t U16(const std::string& s, std::size_t i) const {
        return little_ ? Byte(s, i + 1) << 8 | Byte(s, i) : Byte(s, i) << 8 | Byte(s, i + 1);
    }
    std::uint32_t U32(const std::string& s, std::size_t i) const {
        return little_ ? U16(s, i + 2) << 16 | U16(s, i) : U16(s, i) << 16 | U16(s, i + 2);
    }

private:
    const ByteReader& read_;
    bool little_ = false, valid_ = false;
    std::uint32_t first_ = 0;
};

const Entry* Find(const std::vector<Entry>& entries, std::uint32_t tag) {
    for (const Entry& e : entries)
        if (e.tag == tag) return &e;
    return nullptr;
}

// A number with at most `decimals` places, without trailing zeros.
std::string Decimal(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    std::string s = text;
    if (s.find('.') != std::string::npos) {
        while (s.back() == '0') s.pop_back();
        if (s.back() == '.') s.pop_back();
    }
    return s;
}

bool StartsWithWord(const std::string& text, const std::string& word) {
    if (word.empty() || text.size() < word.size()) return false;
    for (std::size_t i = 0; i < word.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[i])) != std::tolower(static_cast<unsigned char>(word[i])))
            return false;
    return true;
}

// Most models repeat the maker's name ("Canon" and "Canon EOS R5"), some in other words
// ("NIKON CORPORATION" and "NIKON D850"): the maker is named once.
std::string Camera(const std::string& make, const std::string& model) {
    if (model.empty()) return make;
    if (StartsWithWord(model, make.substr(0, make.find(' ')))) return model;
    return make.empty() ? model : make + " " + model;
}

// "YYYY:MM:DD HH:MM:SS" as a date is written; nothing for the blanks or zeros of a camera
// whose clock wasn't set.
std::string Date(const std::string& exif) {
    if (exif.size() < 19) return {};
    for (std::size_t i = 0; i < 19; ++i) {
        const bool separator = i == 4 || i == 7 || i == 10 || i == 13 || i == 16;
        const char expected = i == 10 ? ' ' : ':';
        if (separator ? exif[i] != expected : !std::isdigit(static_cast<unsigned char>(exif[i]))) return {};
    }
    if (exif.compare(0, 4, "0000") == 0) return {};
    std::string date = exif.substr(0, 19);
    date[4] = date[7] = '-';
    return date;
}

std::string ExposureTime(double seconds) {
    if (!(seconds > 0) || !std::isfinite(seconds)) return {};
    // Shutter speeds below a second are fractions of it: 1/250, not 0.004.
    const double per = 1 / seconds;
    if (seconds < 1 && std::round(per) >= 2 && std::fabs(per - std::round(per)) < 0.03 * per)
        return "1/" + Decimal(std::round(per), 0) + " s";
    return Decimal(seconds, 2) + " s";
}

// Degrees, minutes and seconds on the hemisphere's side.
std::optional<double> Coordinate(const ExifReader& exif, const Entry* value) {
    if (!value || value->count < 3) return std::nullopt;
    const auto degrees = exif.Number(*value, 0), minutes = exif.Number(*value, 1), seconds = exif.Number(*value, 2);
    if (!degrees || !minutes || !seconds) return std::nullopt;
    return *degrees + *minutes / 60 + *seconds / 3600;
}

std::string Position(const ExifReader& exif, const std::vector<Entry>& gps) {
    const std::optional<double> latitude = Coordinate(exif, Find(gps, 2));
    const std::optional<double> longitude = Coordinate(exif, Find(gps, 4));
    if (!latitude || !longitude || *latitude > 90 || *longitude > 180) return {};
    const Entry* north = Find(gps, 1);
    const Entry* east = Find(gps, 3);
    const std::string ns = north && exif.Text(*north) == "S" ? "S" : "N";
    const std::string ew = east && exif.Text(*east) == "W" ? "W" : "E";
    return Decimal(*latitude, 5) + "\u00B0 " + ns + ", " + Decimal(*longitude, 5) + "\u00B0 " + ew;
}

ByteReader Within(const std::string& bytes) {
    return [&bytes](std::uint64_t offset, std::size_t length) {
        return offset < bytes.size() ? bytes.substr(static_cast<std::size_t>(offset), length) : std::string();
    };
}

}  // namespace

std::string FormatName(const std::string& head) {
    const auto startsWith = [&](const char* bytes, std::size_t n) { return head.compare(0, n, bytes, n) == 0; };
    if (startsWith("\x89PNG\r\n\x1a\n", 8)) return "PNG";
    if (startsWith("\xFF\xD8\xFF", 3)) return "JPEG";
    if (startsWith("GIF87a", 6) || startsWith("GIF89a", 6)) return "GIF";
    if (startsWith("II*\0", 4) || startsWith("MM\0*", 4)) return "TIFF";
    if (startsWith("BM", 2)) return "BMP";
    if (startsWith("\0\0\1\0", 4)) return "ICO";
    switch (DeclaredOwnFormat(head)) {
        case OwnFormat::Webp: return "WebP";
        case OwnFormat::Tga: return "TGA";
        case OwnFormat::Psd: return "PSD";
        case OwnFormat::Qoi: return "QOI";
        case OwnFormat::Avif: return "AVIF";
        case OwnFormat::Heic: return "HEIC";
        case OwnFormat::Jxl: return "JPEG XL";
        case OwnFormat::None: break;
    }
    return {};
}

PhotoFacts ReadExifFacts(const ByteReader& tiff) {
    PhotoFacts facts;
    const ExifReader exif(tiff);
    if (!exif.Valid()) return facts;
    // The first directory, and the two it points to; no chain is followed, so a directory
    // pointing back at another can't make a loop.
    const std::vector<Entry> first = exif.Directory(exif.First());
    const Entry* exifPointer = Find(first, 0x8769);
    const Entry* gpsPointer = Find(first, 0x8825);
    const std::optional<double> exifAt = exifPointer ? exif.Number(*exifPointer) : std::nullopt;
    const std::optional<double> gpsAt = gpsPointer ? exif.Number(*gpsPointer) : std::nullopt;
    const std::vector<Entry> photo = exifAt ? exif.Directory(static_cast<std::uint64_t>(*exifAt)) : std::vector<Entry>{};
    const std::vector<Entry> gps = gpsAt ? exif.Directory(static_cast<std::uint64_t>(*gpsAt)) : std::vector<Entry>{};
    const auto text = [&](const std::vector<Entry>& directory, std::uint32_t tag) {
        const Entry* e = Find(directory, tag);
        return e ? exif.Text(*e) : std::string();
    };
    const auto number = [&](const std::vector<Entry>& directory, std::uint32_t tag) -> std::optional<double> {
        const Entry* e = Find(directory, tag);
        return e ? exif.Number(*e) : std::nullopt;
    };
    facts.camera = Camera(text(first, 0x010F), text(first, 0x0110));
    facts.lens = text(photo, 0xA434);
    facts.taken = Date(text(photo, 0x9003));
    if (facts.taken.empty()) facts.taken = Date(text(photo, 0x9004));
    if (const auto time = number(photo, 0x829A)) facts.exposureTime = ExposureTime(*time);
    if (const auto f = number(photo, 0x829D); f && *f > 0) facts.aperture = "f/" + Decimal(*f, 1);
    if (const auto iso = number(photo, 0x8827); iso && *iso > 0) facts.iso = "ISO " + Decimal(*iso, 0);
    if (const auto focal = number(photo, 0x920A); focal && *focal > 0) facts.focalLength = Decimal(*focal, 1) + " mm";
    facts.position = Position(exif, gps);
    return facts;
}

PhotoFacts DeclaredPhotoFacts(const ByteReader& read) {
    const std::string head = read(0, 64);
    PhotoFacts facts;
    if (const std::optional<std::string> exif = DeclaredExif(read))
        facts = ReadExifFacts(Within(*exif));
    else if (head.compare(0, 4, std::string("II*\0", 4)) == 0 || head.compare(0, 4, std::string("MM\0*", 4)) == 0)
        facts = ReadExifFacts(read);
    facts.format = FormatName(head);
    return facts;
}

std::string ProfileName(const std::string& icc) {
    const auto u32 = [&](std::size_t i) { return Byte(icc, i) << 24 | Byte(icc, i + 1) << 16 | Byte(icc, i + 2) << 8 | Byte(icc, i + 3); };
    if (icc.size() < 132) return {};
    const std::uint32_t count = u32(128);
    for (std::uint64_t i = 0; i < count && 132 + i * 12 + 12 <= icc.size(); ++i) {
        const std::size_t at = static_cast<std::size_t>(132 + i * 12);
        if (icc.compare(at, 4, "desc") != 0) continue;
        const std::uint64_t offset = u32(at + 4), size = u32(at + 8);
        if (offset + size > icc.size() || size < 12) return {};
        const std::string tag = icc.substr(static_cast<std::size_t>(offset), static_cast<std::size_t>(size));
        std::string name;
        if (tag.compare(0, 4, "desc") == 0) {
            // Version 2: a count of ASCII bytes, then the bytes with their ending zero.
            const std::uint64_t length = Byte(tag, 8) << 24 | Byte(tag, 9) << 16 | Byte(tag, 10) << 8 | Byte(tag, 11);
            if (12 + length > tag.size()) return {};
            name = tag.substr(12, static_cast<std::size_t>(length));
        } else if (tag.compare(0, 4, "mluc") == 0 && tag.size() >= 28) {
            // Version 4: records of a language, a length and an offset of UTF-16 text; the first.
            const std::uint64_t length = Byte(tag, 20) << 24 | Byte(tag, 21) << 16 | Byte(tag, 22) << 8 | Byte(tag, 23);
            const std::uint64_t from = Byte(tag, 24) << 24 | Byte(tag, 25) << 16 | Byte(tag, 26) << 8 | Byte(tag, 27);
            if (from + length > tag.size()) return {};
            for (std::uint64_t c = from; c + 1 < from + length; c += 2) {
                const std::uint32_t unit = Byte(tag, c) << 8 | Byte(tag, c + 1);
                name += unit >= 0x20 && unit < 0x7F ? static_cast<char>(unit) : '?';
            }
        }
        const std::size_t end = name.find('\0');
        if (end != std::string::npos) name.resize(end);
        for (char& c : name)
            if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x7F) c = '?';
        return name;
    }
    return {};
}

}  // namespace zylora::imaging
