// What a JPEG XL file's first bytes declare, read without its library: that it is one (a bare
// codestream or the boxes of its container) and the size of its picture, so that the decode
// limit refuses a bomb before the decoder allocates for it.
#pragma once

#include <optional>
#include <string>

#include "imaging/ImageHeader.h"

namespace zylora::imaging {

bool IsJxl(const std::string& head);

// The width and height the codestream's size header declares, as stored (before the turn its
// orientation asks for); nothing when the file isn't a JPEG XL or its codestream's start can't
// be found.
std::optional<Size> JxlDeclaredSize(const ByteReader& read);

}  // namespace zylora::imaging
