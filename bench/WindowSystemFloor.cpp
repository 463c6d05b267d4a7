#include "bench/WindowSystemFloor.h"

#include "platform/win32/Win32Api.h"

#include <array>

#include "app/FrameMetrics.h"
#include "bench/BenchSupport.h"
#include "bench/FloorWindows.h"

namespace zylora::bench {

namespace {

using platform::Rect;

// A window's client area filled with one unscaled copy of a bitmap, as the least a viewer
// paints after a resize.
void CopyInto(HWND hwnd, HDC source, int width, int height) {
    HDC dc = ::GetDC(hwnd);
    ::BitBlt(dc, 0, 0, width, height, source, 0, 0, SRCCOPY);
    ::ReleaseDC(hwnd, dc);
}

}  // namespace

WindowSystemFloor MeasureWindowSystemFloor(Rect main, Rect top, Rect left, Rect right, Rect bottom,
                                           int toolbarHeight) {
    const FloorWindows windows = CreateFloorWindows(main, top, left, right, bottom, toolbarHeight);
    const HWND owner = windows.owner, mainWindow = windows.main, bar = windows.bar, view = windows.view;
    const std::array<HWND, 4>& frames = windows.frames;
    ::ShowWindow(mainWindow, SW_SHOWNOACTIVATE);
    const int l = left.width, r = right.width, t = top.height, b = bottom.height;
    app::FrameRects now = app::FrameAround(main, l, r, t, b);
    auto presentAll = [&] {
        const std::array<Rect, 4> sizes = {now.top, now.left, now.right, now.bottom};  // as `frames`
        for (std::size_t i = 0; i < frames.size(); ++i) PresentBlank(frames[i], sizes[i].width, sizes[i].height);
    };
    // The main window moved and grown by the amounts, the frames around it placed in one batch
    // in the viewer's order (title, main, bottom, right, left); `present` first presents the
    // frames at their new sizes, as their renders do before a resize.
    auto step = [&](int dx, int dy, int grow, bool present) {
        now = app::FrameAround({now.main.left + dx, now.main.top + dy, now.main.width + grow, now.main.height + grow},
                               l, r, t, b);
        if (present) presentAll();
        HDWP batch = ::BeginDeferWindowPos(5);
        const std::pair<HWND, Rect> all[] = {{frames[0], now.top},   {mainWindow, now.main}, {frames[3], now.bottom},
                                             {frames[2], now.right}, {frames[1], now.left}};
        for (const auto& [hwnd, rect] : all)
            batch = ::DeferWindowPos(batch, hwnd, nullptr, rect.left, rect.top, rect.width, rect.height,
                                     SWP_NOZORDER | SWP_NOACTIVATE);
        ::EndDeferWindowPos(batch);
    };
    presentAll();
    for (HWND frame : frames) ::ShowWindow(frame, SW_SHOWNOACTIVATE);
    // The panels' paint: a copy of a screen-sized bitmap.
    HDC screen = ::GetDC(nullptr);
    HDC pixels = ::CreateCompatibleDC(screen);
    HBITMAP picture = ::CreateCompatibleBitmap(screen, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN));
    HGDIOBJ old = ::SelectObject(pixels, picture);
    ::ReleaseDC(nullptr, screen);
    Rest(200);

    WindowSystemFloor floor;
    // As the corner drag's step: a pixel larger and smaller in turn; the frames presented at
    // their new sizes, the five placed, the panels laid out.
    int grow = 0;
    floor.resizeStep = Time(16, [&] {
        step(0, 0, (++grow % 2) ? 1 : -1, true);
        const Rect m = now.main;
        ::SetWindowPos(bar, nullptr, 0, 0, m.width, toolbarHeight, SWP_NOZORDER | SWP_NOACTIVATE);
        ::SetWindowPos(view, nullptr, 0, toolbarHeight, m.width, m.height - toolbarHeight,
                       SWP_NOZORDER | SWP_NOACTIVATE);
        CopyInto(bar, pixels, m.width, toolbarHeight);
        CopyInto(view, pixels, m.width, m.height - toolbarHeight);
        for (HWND painted : {mainWindow, bar, view}) ::ValidateRect(painted, nullptr);
        Idle();
    });
    // As the title drag's step: a pixel each way in turn.
    int side = 0;
    floor.moveStep = Time(31, [&] {
        const int d = (++side % 2) ? 1 : -1;
        step(d, d, 0, false);
        Idle();
    });
    // As an activation change: the four frames presented again at their sizes.
    floor.presentFour = Time(15, [&] {
        presentAll();
        Idle();
    });
    ::SelectObject(pixels, old);
    ::DeleteObject(picture);
    ::DeleteDC(pixels);
    ::DestroyWindow(owner);  // and the windows it owns
    Rest(100);
    return floor;
}

}  // namespace zylora::bench
