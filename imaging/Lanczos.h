// Downscaling without moiré: a Lanczos-3 resampling of the program's own pixels, the filter
// stretched over the reduction as ImageMagick's "-filter Lanczos -resize" stretches it.
#pragma once

#include <optional>

#include "imaging/Pixels.h"

namespace zylora::imaging {

// The whole picture resampled to the size (each side at least 1); colours weighted by alpha,
// so transparent pixels lend no colour. Nothing when the source is empty or memory is short.
// `parallel` may split the rows made among threads.
std::optional<DecodedPixels> ResizeLanczos(const PixelBuffer& from, bool opaque, Size size,
                                           const Parallel& parallel = nullptr);

}  // namespace zylora::imaging
