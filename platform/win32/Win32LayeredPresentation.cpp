// A layered window's whole appearance: a surface handed to the system with per-pixel alpha.
#include "platform/win32/Win32Window.h"

#include <algorithm>

#include "imaging/Resample.h"
#include "platform/win32/Win32Geometry.h"
#include "platform/win32/Win32Handles.h"
#include "platform/win32/Win32Imaging.h"

namespace zylora::platform::win32 {

namespace {

// The surface's pixels as the device bitmap UpdateLayeredWindow wants: premultiplied by their
// alpha. Computed from the program's own pixels where it has them; otherwise GDI+ gives the
// same over transparent black.
bool PremultipliedCopy(const Surface& surface, int width, int height, GdiObject<HBITMAP>& out) {
    const std::uint32_t* own = PixelsOf(surface);
    if (!own || width != surface.Width() || height != surface.Height()) {
        Gdiplus::Bitmap* bitmap = BitmapOf(surface);
        return bitmap && bitmap->GetHBITMAP(Gdiplus::Color(0, 0, 0, 0), out.Receive()) == Gdiplus::Ok &&
               out.Get();
    }
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    *out.Receive() = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!out.Get() || !bits) return false;
    auto* to = static_cast<std::uint32_t*>(bits);
    const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    std::transform(own, own + count, to, imaging::Premultiplied);
    return true;
}

}  // namespace

void Win32Window::ResizeQuietly(int width, int height, std::optional<Point> topLeft) {
    ::SetWindowPos(hwnd_, nullptr, topLeft ? topLeft->x : 0, topLeft ? topLeft->y : 0, width, height,
                   (topLeft ? 0 : SWP_NOMOVE) | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32Window::PresentLayered(const Surface& surface, std::uint8_t constantAlpha, std::optional<Point> topLeft) {
    if (!hwnd_) return;
    // Checked at every presentation: the window may have lost the style (or never had it).
    // Setting it again when it is there changes nothing but costs a trip to the X server
    // under Wine.
    const LONG exStyle = ::GetWindowLongA(hwnd_, GWL_EXSTYLE);
    if (!(exStyle & WS_EX_LAYERED)) ::SetWindowLongA(hwnd_, GWL_EXSTYLE, exStyle | WS_EX_LAYERED);

    const int width = ClampExtent(surface.Width());
    const int height = ClampExtent(surface.Height());
    Gdiplus::Bitmap* bitmap = BitmapOf(surface);
    presenting_ = true;
    bool presented = false;
    if (bitmap && width > 0 && height > 0) {
        WindowDc screen(nullptr);
        MemoryDc memory(screen.Get());
        GdiObject<HBITMAP> pixels;
        if (screen.Get() && memory.Get() && PremultipliedCopy(surface, width, height, pixels)) {
            Selection selected(memory.Get(), pixels.Get());
            RECT now{};
            ::GetWindowRect(hwnd_, &now);
            POINT destination = topLeft ? POINT{topLeft->x, topLeft->y} : POINT{now.left, now.top};
            SIZE size{width, height};
            POINT source{0, 0};
            BLENDFUNCTION blend{AC_SRC_OVER, 0, constantAlpha, AC_SRC_ALPHA};
            presented = ::UpdateLayeredWindow(hwnd_, screen.Get(), &destination, &size, memory.Get(),
                                              &source, RGB(255, 0, 255), &blend, ULW_ALPHA) != FALSE;
        }
    }
    // Nothing to show still gives the window the surface's size.
    if (!presented) ResizeQuietly(width, height, topLeft);
    presenting_ = false;
    // Wine resizes for UpdateLayeredWindow without any WM_SIZE; without this the next real
    // resize back to the old size would look like no change.
    RECT client{};
    ::GetClientRect(hwnd_, &client);
    lastSize_ = {client.right - client.left, client.bottom - client.top};
}

}  // namespace zylora::platform::win32
