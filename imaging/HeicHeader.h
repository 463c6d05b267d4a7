// What a HEIC file's boxes tell before libheif sees it: that it is one, and the size of its
// primary image, so that a file declaring an enormous picture is refused before its decoding.
#pragma once

#include <optional>
#include <string>

#include "imaging/ImageHeader.h"

namespace zylora::imaging {

// Whether the first bytes (32 or more) are a HEIF file of HEVC pictures: its ftyp box names a
// HEVC brand (heic, heix, heim, heis, hevc, hevx, hevm, hevs) as its own or a compatible one.
bool IsHeic(const std::string& head);

// The width and height of the primary image (its ispe property) as stored, before the
// turn and mirror (irot, imir) the decoder applies; nothing when the boxes don't say.
std::optional<Size> DeclaredHeicSize(const ByteReader& read);

}  // namespace zylora::imaging
