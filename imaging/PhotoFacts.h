// What a photo's file says about it beyond its pixels: its format, and what its Exif tells of
// when and with what it was taken and where. Read from the header's bytes only, within the
// bounds of the Exif structure: a broken one tells nothing, never more than it holds.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace zylora::imaging {

// Reads up to `length` bytes at `offset` of the file (imaging/ImageHeader.h).
using ByteReader = std::function<std::string(std::uint64_t offset, std::size_t length)>;

// Each fact as the facts panel shows it; empty where the file doesn't say.
struct PhotoFacts {
    std::string format;        // "JPEG", "PNG", "HEIC"...
    std::string taken;         // "2024-05-17 14:03:22", from the original date, else the digitized one
    std::string camera;        // maker and model, the maker once
    std::string lens;
    std::string exposureTime;  // "1/250 s", "2 s"
    std::string aperture;      // "f/2.8"
    std::string iso;           // "ISO 200"
    std::string focalLength;   // "35 mm"
    std::string position;      // "48.85837° N, 2.29448° E"
    std::string profile;       // the colour profile's own name
    friend bool operator==(const PhotoFacts&, const PhotoFacts&) = default;
};

// The format of a file by its first bytes (16 or more); empty for none read here.
std::string FormatName(const std::string& head);

// The facts of the Exif structure (a TIFF header and its directories) that `tiff` reads from
// its start: the first directory, and the Exif and GPS directories it points to.
PhotoFacts ReadExifFacts(const ByteReader& tiff);

// The format and the Exif facts of a picture file: a JPEG's Exif segment, a PNG's eXIf chunk,
// a WebP's EXIF chunk, a HEIC's or AVIF's Exif item, a TIFF's own directories. No profile
// name: that comes with the profile the decoder uses.
PhotoFacts DeclaredPhotoFacts(const ByteReader& read);

// The name an ICC profile gives itself (its 'desc' tag, of either version's type); empty when
// it has none or it can't be read.
std::string ProfileName(const std::string& icc);

}  // namespace zylora::imaging
