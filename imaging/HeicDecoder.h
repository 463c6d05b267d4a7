// HEIC pictures (HEIF files of HEVC pictures, as phones save their photos), decoded by libheif
// with libde265, through the table of its functions (imaging/HeifLibrary.h). The system's
// imaging component reads them only with a paid extension installed, and Wine's not at all.
#pragma once

#include <optional>
#include <string_view>

#include "imaging/AvifContainer.h"
#include "imaging/HeifLibrary.h"
#include "imaging/ImageHeader.h"
#include "imaging/Pixels.h"

namespace zylora::imaging {

// The pixels of the file's primary image, upright: libheif applies the file's turn and mirror
// (irot, imir) itself, and the orientation in its Exif, which the format tells readers to
// ignore (a phone writes both), is never applied on top. With the ICC profile the file gives
// the image, as the file holds the colours. Nothing without the library, when the bytes
// aren't a HEIF file, declare a picture beyond the limit, or don't decode. The primary's
// largest reduced copy instead when asked: nothing when it has none.
std::optional<DecodedPixels> HeicPixels(const HeifLibrary* library, std::string_view bytes, const DecodeLimit& limit,
                                        HeifPicture which = HeifPicture::Primary);

}  // namespace zylora::imaging
