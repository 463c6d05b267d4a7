// Popup menus: one of captions given by the logic, and the shell's context menu of a file.
// Internal to platform/win32.
#pragma once

#include "platform/win32/Win32Api.h"

#include <optional>
#include <string>
#include <vector>

#include "platform/Types.h"
#include "platform/win32/Win32Window.h"

namespace zylora::platform::win32 {

std::optional<int> ShowCaptionMenu(HWND owner, const std::vector<std::string>& captions, Point at);

// `owner` gets the menu's messages; `application` owns the shell's user-interface object.
bool ShowShellMenu(Win32Window& owner, HWND application, const std::string& folder,
                   const std::string& name);

}  // namespace zylora::platform::win32
