// Windows of the viewer's kind that draw nothing of their own, for the floors the viewer's
// rows are compared with: a hidden owner standing for the application window, a captioned
// main window with two child panels (the toolbar's and the view's), and four captioned,
// layered frame windows. Shared by the bench and the start floor's own program.
#pragma once

#include "platform/win32/Win32Api.h"

#include <array>

#include "platform/Types.h"

namespace zylora::bench {

// The window class of the floor's main window.
inline constexpr const wchar_t* FloorMainClass = L"ZyloraFloorMain";

struct FloorWindows {
    HWND owner = nullptr;
    HWND main = nullptr;
    HWND bar = nullptr;
    HWND view = nullptr;
    std::array<HWND, 4> frames{};  // title, left, right, bottom
};

// Made at the rectangles, nothing shown yet; the panels split the main window at
// `toolbarHeight`. A panel's paint is one fill, as the least a viewer paints.
FloorWindows CreateFloorWindows(platform::Rect main, platform::Rect top, platform::Rect left, platform::Rect right,
                                platform::Rect bottom, int toolbarHeight);

// A layered window's presentation as any program makes it: a premultiplied device bitmap of
// the size (blank: the drawing is the viewer's share, not the system's).
void PresentBlank(HWND hwnd, int width, int height);

}  // namespace zylora::bench
