// A skin's or button set's image drawn for a screen of more dots per inch than 96: at a whole
// multiple each pixel becomes a block of pixels, so a hand-drawn 1-pixel line stays one crisp
// line, 2 or 3 pixels wide; between them the image is resampled with the Lanczos filter.
#pragma once

#include <optional>

#include "imaging/Pixels.h"

namespace zylora::imaging {

// The image's size at the screen's scale: each side as platform::ScaledToDpi scales it, at
// least 1.
Size SizeForDpi(Size size, int dpi);

// The pixels at the screen's scale; nothing for an empty image or when memory is short. At
// 96 DPI (or below it, which no screen gives a skin) a plain copy.
std::optional<DecodedPixels> PixelsForDpi(const PixelBuffer& from, bool opaque, int dpi);

}  // namespace zylora::imaging
