#include "bench/FloorWindows.h"

namespace zylora::bench {

namespace {

// The viewer's kind of window: captioned (window managers take it as the application's), its
// caption and border taking no room.
LRESULT CALLBACK FloorProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCALCSIZE && ::GetParent(hwnd) == nullptr) return 0;
    if (message == WM_NCHITTEST) return HTCLIENT;
    if (message == WM_PAINT && ::GetParent(hwnd) != nullptr) {
        PAINTSTRUCT paint;
        HDC dc = ::BeginPaint(hwnd, &paint);
        ::PatBlt(dc, paint.rcPaint.left, paint.rcPaint.top, paint.rcPaint.right - paint.rcPaint.left,
                 paint.rcPaint.bottom - paint.rcPaint.top, BLACKNESS);
        ::EndPaint(hwnd, &paint);
        return 0;
    }
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace

FloorWindows CreateFloorWindows(platform::Rect main, platform::Rect top, platform::Rect left, platform::Rect right,
                                platform::Rect bottom, int toolbarHeight) {
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSW plain{};
    plain.lpfnWndProc = FloorProc;
    plain.hInstance = instance;
    plain.lpszClassName = L"ZyloraFloor";
    plain.hbrBackground = nullptr;  // nothing drawn, not even the background
    ::RegisterClassW(&plain);
    // The main window's class is its own, so that it can be found.
    WNDCLASSW mainClass = plain;
    mainClass.lpszClassName = FloorMainClass;
    ::RegisterClassW(&mainClass);
    auto create = [&](DWORD exStyle, DWORD style, platform::Rect r, HWND parent, const wchar_t* name = L"ZyloraFloor") {
        return ::CreateWindowExW(exStyle, name, L"", style, r.left, r.top, r.width, r.height, parent, nullptr,
                                 instance, nullptr);
    };
    FloorWindows windows;
    // Owned by a hidden window, as the viewer's forms are by its application window.
    windows.owner = create(0, WS_POPUP, {0, 0, 0, 0}, nullptr);
    const DWORD form = WS_CAPTION | WS_CLIPCHILDREN;
    windows.main = create(0, form, main, windows.owner, FloorMainClass);
    windows.bar = create(0, WS_CHILD | WS_VISIBLE, {0, 0, main.width, toolbarHeight}, windows.main);
    windows.view = create(0, WS_CHILD | WS_VISIBLE, {0, toolbarHeight, main.width, main.height - toolbarHeight},
                          windows.main);
    const DWORD layered = WS_EX_LAYERED | WS_EX_TOOLWINDOW;
    windows.frames = {create(layered, form, top, windows.owner), create(layered, form, left, windows.owner),
                      create(layered, form, right, windows.owner), create(layered, form, bottom, windows.owner)};
    return windows;
}

void PresentBlank(HWND hwnd, int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    RECT now{};
    ::GetWindowRect(hwnd, &now);
    POINT at{now.left, now.top}, source{0, 0};
    SIZE size{width, height};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    ::UpdateLayeredWindow(hwnd, screen, &at, &size, memory, &source, 0, &blend, ULW_ALPHA);
    ::SelectObject(memory, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
}

}  // namespace zylora::bench
