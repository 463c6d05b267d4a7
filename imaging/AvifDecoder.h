// AVIF pictures: the container read by our own code (imaging/AvifContainer.h), the AV1 coding
// decoded by dav1d (Debian's dav1d), its colours (8, 10 or 12 bits; 4:2:0, 4:2:2, 4:4:4 or
// grey; a grid of tiles; alpha) brought to our 8-bit ARGB. The system's imaging component
// reads AVIF only with an extension installed, and Wine's not at all.
#pragma once

#include <optional>
#include <string_view>

#include "imaging/AvifContainer.h"
#include "imaging/ImageHeader.h"
#include "imaging/Pixels.h"

namespace zylora::imaging {

// The primary picture of an AVIF file's bytes (or its reduced copy), as stored: its profile
// and its turn (irot, imir) are the header's, imaging/ImageHeader.h. A grid whose tiles partly fail to decode
// gives the others, the rest transparent, marked damaged. Nothing when the bytes aren't an
// AVIF, declare a picture beyond the limit, or its picture doesn't decode.
std::optional<DecodedPixels> AvifPixels(std::string_view bytes, const DecodeLimit& limit,
                                        HeifPicture which = HeifPicture::Primary);

}  // namespace zylora::imaging
