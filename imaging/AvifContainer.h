// The boxes of an AVIF file (the HEIF container holding AV1 pictures), read by our own code:
// which item is the picture, its size, its colour profile or colour coding, how it is to be
// turned and mirrored, where its coded data and its alpha's lie, and the tiles of a grid.
// Everything is read within the bounds of the boxes; a broken structure tells nothing.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "imaging/ImageHeader.h"

namespace zylora::imaging {

// Whether the first bytes of a file (its ftyp box) name one of the AVIF brands.
bool IsAvif(std::string_view head);

// The colour coding an `nclx` colour box names (ISO/IEC 23091-2 code points).
struct AvifColourCoding {
    int primaries = 2, transfer = 2, matrix = 2;  // 2: unspecified
    bool fullRange = false;
};

// A coded picture: one AV1 item, or a grid of AV1 tiles cut to the grid's size.
struct AvifCoded {
    Size size;  // the picture's, as its ispe (a grid: its own output size) declares
    int columns = 1, rows = 1;
    std::vector<std::string> tiles;  // each tile's AV1 data, row by row
};

// Which picture of the file: the one it shows, or the reduced copy it holds of that one (its
// largest, as a camera writes a small one for a quick look).
enum class HeifPicture { Primary, Thumbnail };

struct AvifLayout {
    Size size;                  // the picture's as stored, before its turn
    int orientation = 0;        // its irot and imir as the EXIF orientation (1 to 8), 0 for none
    std::string profile;        // an ICC profile from a colr box
    std::optional<AvifColourCoding> coding;  // from an nclx colr box
    std::optional<Size> thumbnail;           // the primary's: its reduced copy's size as stored
    // With the coded data only (`withData`):
    std::optional<AvifCoded> colour, alpha;
    bool premultiplied = false;  // the colour is premultiplied by the alpha
};

// The layout of an AVIF file that `read` reads; nothing when it isn't one or its boxes are
// broken. The items' data is read only `withData`: the header's facts need none of it.
std::optional<AvifLayout> ReadAvifLayout(const ByteReader& read, bool withData,
                                         HeifPicture which = HeifPicture::Primary);
// The same of any HEIF file, whatever its brand (a HEIC's too): its size, turn and colours
// (the coded data is only an AV1 one's).
std::optional<AvifLayout> ReadHeifLayout(const ByteReader& read, bool withData,
                                         HeifPicture which = HeifPicture::Primary);

// The Exif structure of a HEIF file's Exif item (its TIFF header on): the primary picture's,
// else the first; nothing without one, or one beyond any Exif's size.
std::optional<std::string> HeifExif(const ByteReader& read);

}  // namespace zylora::imaging
