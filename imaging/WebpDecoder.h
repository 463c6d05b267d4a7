// WebP pictures, decoded by libwebp (Debian's libwebp: its decoder and demuxer): lossy,
// lossless, with or without alpha, and the first frame of an animation. The system's
// imaging component reads WebP only with an extension installed, and Wine's not at all.
#pragma once

#include <optional>
#include <string_view>

#include "imaging/ImageHeader.h"
#include "imaging/Pixels.h"

namespace zylora::imaging {

// The pixels of a WebP file's bytes, as the file holds its colours (its profile and its
// orientation are the header's, imaging/ImageHeader.h). An animation gives its first frame
// composed on its canvas. A still picture cut short or broken gives the rows it holds, the
// rest transparent, marked damaged. Nothing when the bytes aren't a WebP, declare a picture
// beyond the limit, or hold no row.
std::optional<DecodedPixels> WebpPixels(std::string_view bytes, const DecodeLimit& limit);

}  // namespace zylora::imaging
