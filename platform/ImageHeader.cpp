#include "platform/ImageHeader.h"

#include <cstdlib>
#include <vector>

namespace zylora::platform {

namespace {

std::uint32_t Byte(const std::string& s, std::size_t i) { return static_cast<unsigned char>(s[i]); }

std::uint32_t Big16(const std::string& s, std::size_t i) { return Byte(s, i) << 8 | Byte(s, i + 1); }

std::uint32_t Big32(const std::string& s, std::size_t i) { return Big16(s, i) << 16 | Big16(s, i + 2); }

std::uint32_t Little16(const std::string& s, std::size_t i) { return Byte(s, i + 1) << 8 | Byte(s, i); }

std::uint32_t Little32(const std::string& s, std::size_t i) {
    return Little16(s, i + 2) << 16 | Little16(s, i);
}

std::optional<Size> MakeSize(long long width, long long height) {
    if (width <= 0 || height <= 0 || width > INT32_MAX || height > INT32_MAX) return std::nullopt;
    return Size{static_cast<int>(width), static_cast<int>(height)};
}

// What the first directory of a TIFF structure at `base` says (-1 where it says nothing).
struct TiffFields {
    long long width = -1, height = -1, orientation = -1;
};

TiffFields ReadTiff(const ByteReader& read, std::uint64_t base) {
    TiffFields fields;
    const std::string header = read(base, 8);
    if (header.size() < 8) return fields;
    const bool little = header.compare(0, 4, std::string("II*\0", 4)) == 0;
    if (!little && header.compare(0, 4, std::string("MM\0*", 4)) != 0) return fields;
    auto u16 = [&](const std::string& s, std::size_t i) { return little ? Little16(s, i) : Big16(s, i); };
    auto u32 = [&](const std::string& s, std::size_t i) { return little ? Little32(s, i) : Big32(s, i); };
    const std::uint64_t ifd = base + u32(header, 4);
    const std::string countBytes = read(ifd, 2);
    if (countBytes.size() < 2) return fields;
    const std::uint32_t count = u16(countBytes, 0);
    const std::string entries = read(ifd + 2, static_cast<std::size_t>(count) * 12);
    for (std::size_t i = 0; i + 12 <= entries.size(); i += 12) {
        const std::uint32_t tag = u16(entries, i), type = u16(entries, i + 2);
        const long long value = type == 3 ? u16(entries, i + 8) : type == 4 ? u32(entries, i + 8) : -1;
        if (tag == 256) fields.width = value;
        if (tag == 257) fields.height = value;
        if (tag == 274) fields.orientation = value;
    }
    return fields;
}

// Walks a JPEG's marker segments up to the first start-of-frame, telling `segment` of each
// (its marker, where its content starts and its length) until it answers false; returns the frame's
// size. A bounded number of steps, each moving forward, so a crafted file can't make this
// loop forever.
std::optional<Size> WalkJpeg(const ByteReader& read,
                             const std::function<bool(std::uint32_t marker, std::uint64_t content,
                                                      std::uint32_t length)>& segment) {
    std::uint64_t at = 2;
    for (int step = 0; step < 10000; ++step) {
        const std::string head = read(at, 9);
        if (head.size() < 4 || Byte(head, 0) != 0xFF) return std::nullopt;
        const std::uint32_t marker = Byte(head, 1);
        if (marker == 0xFF) {  // fill byte
            ++at;
            continue;
        }
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8)) {  // no length field
            at += 2;
            continue;
        }
        const std::uint32_t length = Big16(head, 2);
        const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 &&
                           marker != 0xCC;
        if (frame) {
            if (head.size() < 9) return std::nullopt;
            return MakeSize(Big16(head, 7), Big16(head, 5));
        }
        if (marker == 0xD9 || marker == 0xDA || length < 2) return std::nullopt;
        if (!segment(marker, at + 4, length - 2)) return std::nullopt;
        at += 2 + length;
    }
    return std::nullopt;
}

bool IsJpeg(const std::string& head) { return head.size() >= 4 && Byte(head, 0) == 0xFF && Byte(head, 1) == 0xD8; }

bool IsPng(const std::string& head) { return head.compare(0, 8, "\x89PNG\r\n\x1a\n") == 0; }

// Walks a PNG's chunks up to its pixel data, as WalkJpeg its segments.
void WalkPng(const ByteReader& read,
             const std::function<bool(const std::string& type, std::uint64_t content, std::uint32_t length)>& chunk) {
    std::uint64_t at = 8;
    for (int step = 0; step < 10000; ++step) {
        const std::string head = read(at, 8);
        if (head.size() < 8 || head.compare(4, 4, "IDAT") == 0 || head.compare(4, 4, "IEND") == 0) return;
        const std::uint32_t length = Big32(head, 0);
        if (!chunk(head.substr(4, 4), at + 8, length)) return;
        at += 12ull + length;
    }
}

bool IsTiff(const std::string& head) {
    return head.size() >= 8 &&
           (head.compare(0, 4, std::string("II*\0", 4)) == 0 || head.compare(0, 4, std::string("MM\0*", 4)) == 0);
}

}  // namespace

std::optional<Size> DeclaredImageSize(const ByteReader& read) {
    const std::string head = read(0, 32);
    if (head.size() >= 24 && IsPng(head) &&
        head.compare(12, 4, "IHDR") == 0)
        return MakeSize(Big32(head, 16), Big32(head, 20));
    if (head.size() >= 10 && (head.compare(0, 6, "GIF87a") == 0 || head.compare(0, 6, "GIF89a") == 0))
        return MakeSize(Little16(head, 6), Little16(head, 8));
    if (head.size() >= 26 && head.compare(0, 2, "BM") == 0) {
        if (Little32(head, 14) == 12) return MakeSize(Little16(head, 18), Little16(head, 20));
        const auto height = static_cast<std::int32_t>(Little32(head, 22));
        return MakeSize(static_cast<std::int32_t>(Little32(head, 18)), std::llabs(height));
    }
    if (IsJpeg(head)) return WalkJpeg(read, [](std::uint32_t, std::uint64_t, std::uint32_t) { return true; });
    if (IsTiff(head)) {
        const TiffFields fields = ReadTiff(read, 0);
        return MakeSize(fields.width, fields.height);
    }
    return std::nullopt;
}

int DeclaredOrientation(const ByteReader& read) {
    const std::string head = read(0, 8);
    long long orientation = -1;
    if (IsTiff(head)) orientation = ReadTiff(read, 0).orientation;
    if (IsJpeg(head)) {
        // The first APP1 segment that is Exif: a TIFF structure after its six-byte name.
        WalkJpeg(read, [&](std::uint32_t marker, std::uint64_t content, std::uint32_t) {
            if (marker != 0xE1 || read(content, 6) != std::string("Exif\0\0", 6)) return true;
            orientation = ReadTiff(read, content + 6).orientation;
            return false;
        });
    }
    if (IsPng(head)) {
        // The eXIf chunk is the TIFF structure itself.
        WalkPng(read, [&](const std::string& type, std::uint64_t content, std::uint32_t) {
            if (type != "eXIf") return true;
            orientation = ReadTiff(read, content).orientation;
            return false;
        });
    }
    return orientation >= 1 && orientation <= 8 ? static_cast<int>(orientation) : 0;
}

std::string DeclaredColourProfile(const ByteReader& read) {
    if (!IsJpeg(read(0, 4))) return {};
    // Each APP2 segment named "ICC_PROFILE" holds one piece: its number from 1, the count of
    // pieces, then its bytes. A piece missing, repeated or numbered against the count
    // leaves the profile unknown.
    std::vector<std::string> pieces;
    bool broken = false;
    WalkJpeg(read, [&](std::uint32_t marker, std::uint64_t content, std::uint32_t length) {
        if (marker != 0xE2 || length < 14) return true;
        const std::string name = read(content, 14);
        if (name.size() < 14 || name.compare(0, 12, std::string("ICC_PROFILE\0", 12)) != 0) return true;
        const std::uint32_t number = Byte(name, 12), count = Byte(name, 13);
        if (pieces.empty()) pieces.resize(count);
        if (number == 0 || count != pieces.size() || number > count || !pieces[number - 1].empty()) {
            broken = true;
            return false;
        }
        pieces[number - 1] = read(content + 14, length - 14);
        broken = pieces[number - 1].size() != length - 14;
        return !broken;
    });
    std::string profile;
    for (const std::string& piece : pieces) {
        if (piece.empty()) return {};
        profile += piece;
    }
    return broken ? std::string() : profile;
}

}  // namespace zylora::platform
