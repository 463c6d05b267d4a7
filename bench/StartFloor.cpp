// The floor under the viewer's start: what the window system costs for the windows the
// viewer shows at start, with nothing of the viewer's own work (no settings, skin or button
// set read, no image decoded, nothing drawn). GDI+ started, the viewer's kind of windows made
// at the rectangles given on the command line, the four frames presented blank, all shown and
// the panels painted with one fill each. It then waits to be ended.
//
// zylora_start_floor.exe main.x main.y main.w main.h title(4) left(4) right(4) bottom(4) toolbarHeight
#include "platform/win32/Win32Api.h"

#include <objidl.h>
#include <gdiplus.h>

#include <cstdlib>
#include <vector>

#include "bench/FloorWindows.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR line, int) {
    std::vector<int> numbers;
    for (char* at = line; *at;) {
        char* end = nullptr;
        const long value = std::strtol(at, &end, 10);
        if (end == at) break;
        numbers.push_back(static_cast<int>(value));
        at = end;
    }
    if (numbers.size() != 21) return 2;
    auto rect = [&](std::size_t first) {
        return zylora::platform::Rect{numbers[first], numbers[first + 1], numbers[first + 2], numbers[first + 3]};
    };
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) return 1;
    const zylora::bench::FloorWindows windows =
        zylora::bench::CreateFloorWindows(rect(0), rect(4), rect(8), rect(12), rect(16), numbers[20]);
    // As the viewer: its application window shown (empty, it carries the taskbar button), the
    // frames presented and shown beside the main window, which takes the activation.
    ::ShowWindow(windows.owner, SW_SHOWNOACTIVATE);
    for (std::size_t i = 0; i < windows.frames.size(); ++i) {
        const zylora::platform::Rect r = rect(4 + 4 * i);
        zylora::bench::PresentBlank(windows.frames[i], r.width, r.height);
        ::ShowWindow(windows.frames[i], SW_SHOWNOACTIVATE);
    }
    ::ShowWindow(windows.main, SW_SHOW);
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    Gdiplus::GdiplusShutdown(token);
    return 0;
}
