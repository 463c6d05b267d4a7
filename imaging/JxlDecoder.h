// JPEG XL pictures, decoded by libjxl (Debian's libjxl; for Windows its decoder alone, built
// from the source package): lossy and lossless, with or without alpha, and the first frame of
// an animation. The system's imaging component reads JPEG XL only with an extension, and
// Wine's not at all.
#pragma once

#include <optional>
#include <string_view>

#include "imaging/ImageHeader.h"
#include "imaging/Pixels.h"

namespace zylora::imaging {

// The pixels of a JPEG XL file's bytes, upright (libjxl applies the codestream's orientation,
// so the header's is none) and with the colour profile they are in (DecodedPixels::profile),
// which the codestream holds compressed. An animation gives its first frame, composed on its
// canvas. A file cut short gives what libjxl has decoded by then, marked damaged. Nothing when
// the bytes aren't a JPEG XL, declare a picture beyond the limit, or break off before a pixel.
std::optional<DecodedPixels> JxlPixels(std::string_view bytes, const DecodeLimit& limit);

}  // namespace zylora::imaging
