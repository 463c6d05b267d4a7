// A picture's colours as its file means them: the numbers of a picture that embeds a colour
// profile are converted by LittleCMS from that profile to the display's, so an Adobe RGB or
// Display P3 photo doesn't look dull or shifted. Pictures without a profile are sRGB and
// need nothing. Any thread may use a conversion, several at once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "imaging/Pixels.h"

namespace zylora::imaging {

// How a decoded picture's numbers are laid out in its 32-bit pixels before conversion.
enum class ColourModel {
    Rgb,   // ARGB
    Grey,  // ARGB with the grey in each of red, green and blue
    Cmyk,  // four bytes a pixel, cyan, magenta, yellow, black, in memory order (ink as 255)
};

class ColourConversion {
public:
    // The conversion from the profile embedded in a picture to `target` (the display's
    // profile; sRGB when it is empty or unreadable), with relative colorimetric intent where
    // the profile has it, else its own default. Null when the embedded profile is damaged,
    // isn't of the model's colour space, or can't be converted: the picture then shows as
    // its numbers stand.
    static std::unique_ptr<ColourConversion> Between(const std::string& embedded, ColourModel model,
                                                     const std::string& target);
    ~ColourConversion();
    ColourConversion(const ColourConversion&) = delete;
    ColourConversion& operator=(const ColourConversion&) = delete;

    // Converts `count` pixels in place into opaque-or-not ARGB in the target's colours;
    // alpha stays (a CMYK picture becomes opaque).
    void Convert(std::uint32_t* pixels, std::size_t count) const;

private:
    ColourConversion(void* transform, ColourModel model);
    void* transform_;  // LittleCMS's, where the shaper doesn't do it
    ColourModel model_;
    // Set where both profiles are matrix shapers: the quick way to the same result.
    std::unique_ptr<class MatrixShaper> shaper_;
};

// A profile of the colour primaries a coding names by number (ISO/IEC 23091-2: 4, 5, 6, 7, 9,
// 11, 12) with sRGB's tone curve, for a picture that names them instead of embedding a
// profile (an AVIF's nclx box); empty for sRGB's own (1), unspecified or unknown ones.
std::string ProfileOfPrimaries(int primaries);

// The whole buffer converted, in parts that may run at once.
void ConvertColours(PixelBuffer& buffer, const ColourConversion& conversion, const Parallel& parallel = nullptr);

// Fills the buffer by `decodeRows(top, count)`, `band` rows at a time from the top, on the
// calling thread, and converts each band decoded by the conversion (when there is one) on
// a second part of `parallel` meanwhile; once the rows are in, both parts convert what is
// left. The second part first writes to each memory page of the bands not reached yet, so
// that the decoder doesn't wait for the system to hand them in. So the conversion costs a photo little more than its last band where the decoder
// gives its rows as it decodes them. False, the rows as far as they came, when a call of
// `decodeRows` fails. `parallel` must run its parts at once or in order.
bool DecodeAndConvert(PixelBuffer& buffer, int band, const std::function<bool(int top, int count)>& decodeRows,
                      const ColourConversion* conversion, const Parallel& parallel);

}  // namespace zylora::imaging
