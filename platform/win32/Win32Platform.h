// The Win32 + GDI+ implementation of the platform. This header is portable on purpose: only
// the program's entry and the Win32 tests include it, and it names no system type.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace zylora::platform::win32 {

// Starts GDI+ and creates the application window, empty and so never seen, that owns every
// form and carries the taskbar button; both end when the object dies. Every window, timer, image and
// surface made by the platform must be destroyed before the platform itself: GDI+ is shut
// down last, and it frees what the images still point to.
std::unique_ptr<Platform> CreateWin32Platform();

// The process's command-line arguments after the program name, quotes removed, in UTF-8.
std::vector<std::string> CommandLineArguments();

}  // namespace zylora::platform::win32
