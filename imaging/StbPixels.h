// Pixels decoded in memory by stb_image (Debian's libstb headers): the skin checker's decoder,
// and the viewer's for small PNG files and for TGA and PSD files, which the system doesn't
// read. Under Wine each decode through the system's imaging component costs a millisecond or
// more (the first one ten times that, loading the codec), which the two dozen images of a
// skin and a button set pay at every start; a small PNG decodes here in microseconds.
#pragma once

#include <optional>
#include <string_view>

#include "imaging/ImageHeader.h"
#include "imaging/Pixels.h"

namespace zylora::imaging {

// The file's pixels, from its whole bytes: a PNG, BMP, JPEG, GIF (its first frame), TGA or
// PSD (its composite image).
// Nothing when the header names none of these, declares a size beyond the limit, or the
// bytes don't decode.
std::optional<DecodedPixels> StbPixels(std::string_view bytes, const DecodeLimit& limit);

// A PNG without an embedded colour profile (an iCCP chunk before its pixels): its colours are
// the display's as they stand.
bool IsPlainPng(std::string_view bytes);
// A BMP whose pixels every decoder reads alike: uncompressed, 1, 4, 8 or 24 bits a pixel, so
// without an alpha channel (which decoders take or ignore as they please).
bool IsPlainBmp(std::string_view bytes);

}  // namespace zylora::imaging
