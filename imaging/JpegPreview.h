// JPEGs decoded by libjpeg-turbo. A quick first look at a large one: the decoder scales it by
// 1/2, 1/4 or 1/8 in the transform domain, for a fraction of the full decode's time, so that a
// screen-sized picture can be shown while the full pixels are still being decoded. And the
// whole picture of one the system's decoder refuses (cut short, no end marker). Any thread
// may use them.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>

#include "imaging/ColourManagement.h"
#include "imaging/ImageHeader.h"
#include "imaging/Pixels.h"

namespace zylora::imaging {

// The eighths the decoder can scale to (1/8, 1/4, 1/2), as the divisor of the size: the
// largest whose result is still at least `needed` (the picture as stored, not turned), or 1
// when only the full size is (then no preview is worth it). An absent side needs nothing.
int PreviewDivisor(Size stored, Size needed);

// The pixels come in the layout of the file's colour model, for the conversion by its
// profile: a grey picture's grey in each of red, green and blue, as the system's decoder
// gives it; a CMYK file's inks (ink as 255), which only a CMYK profile makes colours of.

// The JPEG's pixels reduced by the divisor, opaque; nothing for what isn't a JPEG the decoder
// reads, a divisor other than 2, 4 or 8, or when memory is short. A cut-short file gives what
// it holds, the rest grey. The model is told through `model`; without it, a CMYK file gives
// nothing.
std::optional<DecodedPixels> DecodeJpegPreview(std::string_view file, int divisor, ColourModel* model = nullptr);

// What a whole picture's decode is given beyond the file.
struct WholeJpegWork {
    // The conversion of the file's colours, asked once the header tells the colour model;
    // null for none. Inks no conversion is given for are no colours to show: nothing then.
    std::function<std::unique_ptr<ColourConversion>(ColourModel)> conversionFor;
    // Where each band of rows is converted while the decoder reads the next.
    Parallel parallel;
    // Asked between bands of rows: true stops a decode nobody wants any more, giving nothing.
    std::function<bool()> cancelled;
};

// The whole picture at full quality, opaque; nothing for what isn't a JPEG the decoder reads,
// beyond the limit, or when memory is short. What a damaged file holds is given, marked
// damaged when part of the picture is missing (data cut off or corrupt, a progressive file
// without its last scans); a missing end marker alone is no damage. Rows after a break in the
// data are transparent.
std::optional<DecodedPixels> DecodeWholeJpeg(std::string_view file, const DecodeLimit& limit,
                                             const WholeJpegWork& work = {});

}  // namespace zylora::imaging
