// A picture file as a stream for the system's decoders, opened with delete sharing: the
// imaging component and GDI+ would open it by name without that sharing, and a Delete or a
// rename of the picture while it decodes would then fail (the shell's Recycle Bin move
// among them). Internal to platform/win32.
#pragma once

#include "platform/win32/Win32Api.h"
#include <objidl.h>

#include <string>

namespace zylora::platform::win32 {

// A read-only stream at the file's start, holding the file open until its last release;
// null when the file can't be opened.
IStream* OpenSharedReadStream(const std::wstring& path);

}  // namespace zylora::platform::win32
