#include "platform/ImageHeader.h"

#include <cstdlib>

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

std::optional<Size> Jpeg(const ByteReader& read) {
    // Walk the marker segments up to the first start-of-frame; a bounded number of steps,
    // each moving forward, so a crafted file can't make this loop forever.
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
        at += 2 + length;
    }
    return std::nullopt;
}

std::optional<Size> Tiff(const ByteReader& read, bool little) {
    auto u16 = [&](const std::string& s, std::size_t i) { return little ? Little16(s, i) : Big16(s, i); };
    auto u32 = [&](const std::string& s, std::size_t i) { return little ? Little32(s, i) : Big32(s, i); };
    const std::string header = read(0, 8);
    if (header.size() < 8) return std::nullopt;
    const std::uint32_t ifd = u32(header, 4);
    const std::string countBytes = read(ifd, 2);
    if (countBytes.size() < 2) return std::nullopt;
    const std::uint32_t count = u16(countBytes, 0);
    const std::string entries = read(ifd + 2, static_cast<std::size_t>(count) * 12);
    long long width = -1, height = -1;
    for (std::size_t i = 0; i + 12 <= entries.size(); i += 12) {
        const std::uint32_t tag = u16(entries, i), type = u16(entries, i + 2);
        const long long value = type == 3 ? u16(entries, i + 8) : type == 4 ? u32(entries, i + 8) : -1;
        if (tag == 256) width = value;
        if (tag == 257) height = value;
    }
    return MakeSize(width, height);
}

}  // namespace

std::optional<Size> DeclaredImageSize(const ByteReader& read) {
    const std::string head = read(0, 32);
    if (head.size() >= 24 && head.compare(0, 8, "\x89PNG\r\n\x1a\n") == 0 &&
        head.compare(12, 4, "IHDR") == 0)
        return MakeSize(Big32(head, 16), Big32(head, 20));
    if (head.size() >= 10 && (head.compare(0, 6, "GIF87a") == 0 || head.compare(0, 6, "GIF89a") == 0))
        return MakeSize(Little16(head, 6), Little16(head, 8));
    if (head.size() >= 26 && head.compare(0, 2, "BM") == 0) {
        if (Little32(head, 14) == 12) return MakeSize(Little16(head, 18), Little16(head, 20));
        const auto height = static_cast<std::int32_t>(Little32(head, 22));
        return MakeSize(static_cast<std::int32_t>(Little32(head, 18)), std::llabs(height));
    }
    if (head.size() >= 4 && Byte(head, 0) == 0xFF && Byte(head, 1) == 0xD8) return Jpeg(read);
    if (head.size() >= 8 && head.compare(0, 4, std::string("II*\0", 4)) == 0) return Tiff(read, true);
    if (head.size() >= 8 && head.compare(0, 4, std::string("MM\0*", 4)) == 0) return Tiff(read, false);
    return std::nullopt;
}

}  // namespace zylora::platform
