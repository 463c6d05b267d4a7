// Exif written byte by byte: a little-endian TIFF structure whose first directory points to an
// Exif directory holding the original date, which a test may break at any of its offsets.
#pragma once

#include <cstdint>
#include <string>

namespace zylora::testing {

inline std::string Little16(std::uint32_t v) { return {static_cast<char>(v), static_cast<char>(v >> 8)}; }
inline std::string Little32(std::uint32_t v) { return Little16(v & 0xFFFF) + Little16(v >> 16); }

// The first directory at 8, the Exif one at `exifAt` (26 where it stands) with `count` entries
// (1 it holds), the date's 20 bytes at `dateAt` (44 where they stand).
inline std::string TakenTiff(const std::string& date, std::uint32_t exifAt = 26, std::uint32_t count = 1,
                             std::uint32_t dateAt = 44) {
    std::string tiff = std::string("II*\0", 4) + Little32(8);
    tiff += Little16(1) + Little16(0x8769) + Little16(4) + Little32(1) + Little32(exifAt) + Little32(0);
    tiff += Little16(count) + Little16(0x9003) + Little16(2) + Little32(20) + Little32(dateAt) + Little32(0);
    return tiff + date + std::string(1, '\0');
}

// A JPEG's start with the TIFF structure in its Exif segment.
inline std::string ExifJpeg(const std::string& tiff) {
    const std::size_t length = 2 + 6 + tiff.size();
    return std::string("\xFF\xD8\xFF\xE1", 4) + static_cast<char>(length >> 8) + static_cast<char>(length & 0xFF) +
           std::string("Exif\0\0", 6) + tiff + "\xFF\xD9";
}

}  // namespace zylora::testing
