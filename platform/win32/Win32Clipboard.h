// The clipboard: a picture's pixels in the formats that documents, chats and image editors
// paste, and text. Internal to platform/win32.
#pragma once

#include "platform/win32/Win32Api.h"

#include <string>

#include "platform/Platform.h"

namespace zylora::platform::win32 {

// The image as a 32-bit DIB with its alpha (CF_DIB, and CF_DIBV5 whose header says so) and as
// PNG (the "PNG" format the browsers and editors take). False when the clipboard couldn't be
// had or the image has no pixels.
bool PutImageOnClipboard(HWND owner, const Image& image);
bool PutTextOnClipboard(HWND owner, const std::string& text);

}  // namespace zylora::platform::win32
