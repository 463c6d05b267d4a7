// The pixel size an image file declares, read from its header without decoding it, so that
// a small file declaring an enormous picture (a decompression bomb) can be refused before
// the imaging library tries to allocate it.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "platform/Types.h"

namespace zylora::platform {

// Reads up to `length` bytes at `offset` of the file; fewer (or none) at its end.
using ByteReader = std::function<std::string(std::uint64_t offset, std::size_t length)>;

// The declared width and height of a PNG, GIF, BMP, JPEG or TIFF file; nothing for other
// formats or a header that can't be read.
std::optional<Size> DeclaredImageSize(const ByteReader& read);

// Pictures above this many pixels are not decoded: at 32 bits a pixel they would take more
// memory than a 32-bit process can give a single bitmap.
constexpr long long MaxDecodedPixels = 200'000'000;

}  // namespace zylora::platform
