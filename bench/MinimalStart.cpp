// The baseline for the viewer's start: about the least a GDI+ program does before its
// first painted frame (GDI+ started, one window created, shown and painted with GDI+). It
// then waits to be ended.
#include "platform/win32/Win32Api.h"

#include <objidl.h>
#include <gdiplus.h>

namespace {

LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        HDC dc = ::BeginPaint(hwnd, &paint);
        {
            Gdiplus::Graphics graphics(dc);
            Gdiplus::SolidBrush brush(Gdiplus::Color(255, 40, 40, 40));
            graphics.FillRectangle(&brush, 0, 0, 640, 480);
        }
        ::EndPaint(hwnd, &paint);
        return 0;
    }
    if (message == WM_DESTROY) ::PostQuitMessage(0);
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) return 1;
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = Proc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = L"MinimalStart";
    ::RegisterClassW(&windowClass);
    HWND hwnd = ::CreateWindowExW(0, L"MinimalStart", L"", WS_POPUP, 100, 100, 640, 480, nullptr, nullptr,
                                  instance, nullptr);
    ::ShowWindow(hwnd, SW_SHOW);
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    Gdiplus::GdiplusShutdown(token);
    return 0;
}
