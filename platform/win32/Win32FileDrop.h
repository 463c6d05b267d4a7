// Files dropped from the shell (WM_DROPFILES) handed to the logic. Internal to
// platform/win32.
#pragma once

#include "platform/win32/Win32Api.h"

#include <functional>
#include <memory>

#include "platform/Platform.h"
#include "platform/win32/Win32Window.h"

namespace zylora::platform::win32 {

// The names (in the shell's order) and the point of one drop; the drop itself stays the
// caller's to finish.
DroppedFiles ReadDrop(HANDLE drop);

// Consumes the window's drops and passes each on; unhooked when the result dies.
std::unique_ptr<FileDropHook> HookDrops(Win32Window& window,
                                        std::function<void(const DroppedFiles&)> onDrop);

}  // namespace zylora::platform::win32
