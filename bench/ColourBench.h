// Benchmarks of colour management: a photo that carries a colour profile.
#pragma once

#include <string>

namespace zylora::bench {

// A copy of the JPEG at `from` with an Adobe RGB profile in an APP2 segment, written to
// `to` once (its folder made); false when it can't be written.
bool WriteWithAdobeRgbProfile(const std::string& from, const std::string& to);

// Milliseconds to convert a 6000 x 4000 picture's pixels from Adobe RGB to sRGB, on both
// halves at once as the decoding does.
double ConvertTwentyFourMegapixels();

}  // namespace zylora::bench
