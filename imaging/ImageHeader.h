// The pixel size an image file declares, read from its header without decoding it, so that
// a small file declaring an enormous picture (a decompression bomb) can be refused before
// the imaging library tries to allocate it.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "imaging/PhotoFacts.h"
#include "platform/Types.h"

namespace zylora::imaging {

// The platform's small value types, which the pixel work measures in.
using platform::Size;

// Reads up to `length` bytes at `offset` of the file; fewer (or none) at its end.
using ByteReader = std::function<std::string(std::uint64_t offset, std::size_t length)>;

// The formats the program decodes itself (imaging/OwnFormats.h), which the system's decoders
// may not read; None for every other.
enum class OwnFormat { None, Webp, Tga, Psd, Qoi, Avif, Heic, Jxl };
// Which of them the first bytes of a file (32 or more) are.
OwnFormat DeclaredOwnFormat(const std::string& head);

// The declared width and height of a PNG, GIF, BMP, JPEG, TIFF, WebP (its canvas), TGA, PSD,
// QOI, AVIF, HEIC or JPEG XL (its primary picture as stored) file; nothing for other formats or a
// header that can't be read.
std::optional<Size> DeclaredImageSize(const ByteReader& read);

// The orientation tag (EXIF 274, 1 to 8) of a JPEG's Exif segment (the first whole one
// before the scan, wherever it stands), a TIFF's first directory, a PNG's eXIf chunk or a
// WebP's EXIF chunk, or what an AVIF's irot and imir make of it; 0 when there is none or it is
// out of range. An Exif segment or chunk is read within itself: one the file holds only in
// part, or whose directory lies outside it, tells nothing.
int DeclaredOrientation(const ByteReader& read);

// The Exif structure (a TIFF header and its directories) of a JPEG's first whole Exif segment,
// a PNG's eXIf chunk, a WebP's EXIF chunk or a HEIF file's Exif item; nothing for none, one
// the file holds only in part, and a TIFF file, whose own directories are its Exif.
std::optional<std::string> DeclaredExif(const ByteReader& read);

// Whether the file is a GIF of two frames or more, a PNG whose acTL chunk declares two
// frames or more, or a WebP whose flags say it is animated: an animation to play.
bool DeclaresAnimation(const ByteReader& read);

// The bits of each sample a JPEG's first frame declares (8; 12 in some medical and scanned
// pictures); 0 when the file isn't a JPEG or its frame header can't be read.
int DeclaredJpegPrecision(const ByteReader& read);

// The ICC colour profile a JPEG carries in its APP2 segments before the scan, its pieces
// joined in order, a WebP in its ICCP chunk or an AVIF in its colr box (or one made of the
// primaries its nclx box names); empty when there is none, a piece is missing or cut short, or
// the file is of none of these formats (the system's decoders read the profiles of the others).
std::string DeclaredColourProfile(const ByteReader& read);

// Pictures above this many pixels are not decoded: at 32 bits a pixel they would take more
// memory than a 32-bit process can give a single bitmap.
constexpr long long MaxDecodedPixels = 200'000'000;

// Skin and button set images beyond these are treated as missing: a skin's pieces are small,
// and a few enormous ones would take the memory the pictures need and stall every repaint.
constexpr int MaxSkinImageSide = 4096;
constexpr long long MaxSkinImagePixels = 1'048'576;

// How large an image may be to be decoded at all.
struct DecodeLimit {
    long long pixels = MaxDecodedPixels;
    int side = 0x7FFFFFFF;
    bool Allows(Size s) const {
        return s.width <= side && s.height <= side && static_cast<long long>(s.width) * s.height <= pixels;
    }
};
constexpr DecodeLimit PictureLimit{};
constexpr DecodeLimit SkinImageLimit{MaxSkinImagePixels, MaxSkinImageSide};

// What a picture file's header tells before any decoder sees it.
struct HeaderFacts {
    std::optional<Size> size;  // declared; nothing for a format whose header isn't read
    int orientation = 0;       // the orientation tag, 0 for none
    std::string profile;       // a JPEG's or WebP's colour profile, which the system's decoder may not read
    bool jpeg = false;
    std::string whole;  // the file's bytes, when it is small enough to have been read whole
    int jpegPrecision = 0;  // a JPEG's bits a sample, 0 for other files
    OwnFormat own = OwnFormat::None;
    bool animated = false;  // a GIF of two frames or more, or an animated PNG
    // A HEIF file (an AVIF or a HEIC) holding a reduced copy of its picture for a quick first
    // look: the picture's size upright (its irot applied, as libheif turns a HEIC itself).
    std::optional<Size> thumbnailOf;
    PhotoFacts photo;       // its format and Exif facts, for the facts panel
};

// The facts of a file of `fileSize` bytes that `readFile` reads. Nothing when it declares a
// size beyond the limit: a decompression bomb (a small file declaring an enormous picture) is
// refused before a decoder tries to allocate and decode it.
std::optional<HeaderFacts> ReadHeaderFacts(const ByteReader& readFile, std::uint64_t fileSize,
                                           const DecodeLimit& limit);

}  // namespace zylora::imaging
