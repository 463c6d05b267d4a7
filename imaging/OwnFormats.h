// The formats the program decodes with libraries of its own, whatever the system reads: WebP
// (libwebp), AVIF (dav1d), TGA and PSD (stb_image), QOI (its reference header), HEIC (libheif)
// and JPEG XL (libjxl). The system's imaging component reads them only with extensions a user
// installs (and under Wine, TGA alone), so they are tried before it.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "imaging/HeifLibrary.h"
#include "imaging/ImageHeader.h"
#include "imaging/Pixels.h"

namespace zylora::imaging {

// The pixels of a file whose header is one of these formats (HeaderFacts::own), as the file
// holds its colours; the bytes are the header's when it read them whole, else `readFile`'s.
// A HEIC file is decoded by the library `heif` loads (imaging/HeicDecoder.h). Nothing for
// another format, or a file that doesn't decode.
std::optional<DecodedPixels> OwnFormatPixels(const HeaderFacts& facts, const DecodeLimit& limit,
                                            const std::function<std::optional<std::string>()>& readFile,
                                            const HeifLoader& heif = nullptr);

// A QOI file's pixels from its bytes; nothing when they aren't one, declare a picture beyond
// the limit, or don't decode. The format's linear colour space is shown as sRGB.
std::optional<DecodedPixels> QoiPixels(std::string_view bytes, const DecodeLimit& limit);

}  // namespace zylora::imaging
