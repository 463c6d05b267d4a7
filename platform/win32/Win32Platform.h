// The Win32 + GDI+ implementation of the platform. This header is portable on purpose: only
// the program's entry and the Win32 tests include it, and it names no system type.
#pragma once

#include <memory>

#include "platform/Platform.h"

namespace zylora::platform::win32 {

// Starts GDI+ and registers the window classes; shut down again when the object dies.
std::unique_ptr<Platform> CreateWin32Platform();

}  // namespace zylora::platform::win32
