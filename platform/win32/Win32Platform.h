// The Win32 + GDI+ implementation of the platform. This header is portable on purpose: only
// the program's entry and the Win32 tests include it, and it names no system type.
#pragma once

#include <memory>

#include "platform/Platform.h"

namespace zylora::platform::win32 {

// Starts GDI+ and creates the application window, empty and so never seen, that owns every
// form and carries the taskbar button; both end when the object dies. Every window, timer, image and
// surface made by the platform must be destroyed before the platform itself: GDI+ is shut
// down last, and it frees what the images still point to.
std::unique_ptr<Platform> CreateWin32Platform();

}  // namespace zylora::platform::win32
