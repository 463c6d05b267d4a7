// Whether a window manager looks after the program's windows. Only Wine's X server may lack
// one (a kiosk, some remote sessions); Windows always has its own.
#pragma once

#include "platform/win32/Win32Api.h"

namespace zylora::platform::win32 {

// Starts finding out, once for the process, on a thread of its own: Wine hands a captioned
// window to the window manager and, at its hide, waits up to two seconds for the manager
// to answer, so hiding a never-seen captioned window takes a couple of milliseconds under a
// window manager and those two seconds on a bare X server. Harmless to call again.
void StartWindowManagerProbe();

// Whether a window manager runs, waiting at most `waitMs` for the answer; while it is still
// unknown, false, and `lateAnswer` (a window of the calling thread) is sent
// WindowManagerFoundMessage if one turns out to run after all.
bool WindowManagerRuns(DWORD waitMs, HWND lateAnswer);

// Sent to the window named by WindowManagerRuns when a window manager was found late.
constexpr UINT WindowManagerFoundMessage = WM_APP + 4;

}  // namespace zylora::platform::win32
