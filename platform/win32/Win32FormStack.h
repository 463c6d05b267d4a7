// The forms of the application window as one stack: finding its frame windows, raising all
// of them together, and the look the system would give each on its own.
#pragma once

#include <vector>

#include "platform/win32/Win32Api.h"

namespace zylora::platform::win32 {

// The frame windows (layered) of the application window, in the thread's window order.
std::vector<HWND> Frames(HWND application, bool shownOnly);
inline std::vector<HWND> ShownFrames(HWND application) { return Frames(application, true); }

// A frame window's style: captioned, and so the window manager's, where one runs; else a
// popup, which Wine leaves to nobody (CreateForm).
DWORD FrameStyle(bool windowManagerRuns);

// The window manager answered only after the frame windows were made: they become its now.
void HandFramesToWindowManager(HWND application);

// Brings the main form and the shown frame windows above every other program's window,
// main form first, and takes back their requests for the user's attention.
void RaiseFormStack(HWND application, HWND main);

// Asks the desktop compositor to leave its shadow and round corners off a captioned window.
void WithoutCompositorFrame(HWND hwnd);

}  // namespace zylora::platform::win32
