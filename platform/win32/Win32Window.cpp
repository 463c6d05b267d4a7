#include "platform/win32/Win32Window.h"
#include "platform/win32/Win32WindowManager.h"

#include <shellapi.h>

#include <algorithm>

#include "platform/win32/Win32Geometry.h"
#include "platform/win32/Win32Handles.h"
#include "platform/win32/Win32Imaging.h"
#include "platform/win32/Win32Resources.h"
#include "platform/win32/Win32LateImports.h"
#include "platform/win32/Win32Text.h"

namespace zylora::platform::win32 {

namespace {

ShiftState ShiftNow() {
    auto down = [](int key) { return (::GetKeyState(key) & 0x8000) != 0; };
    return {down(VK_SHIFT), down(VK_CONTROL), down(VK_MENU)};
}

// Client coordinates are signed: with the capture held they go negative left of and above
// the window.
Point PointOf(LPARAM lParam) {
    return {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
}

LPCSTR CursorId(CursorShape shape) {
    switch (shape) {
        case CursorShape::SizeNS: return IDC_SIZENS;
        case CursorShape::SizeWE: return IDC_SIZEWE;
        case CursorShape::SizeNWSE: return IDC_SIZENWSE;
        case CursorShape::Arrow: break;
    }
    return IDC_ARROW;
}

void FillWithColor(HDC dc, const RECT& area, COLORREF color) {
    if (!dc) return;
    GdiObject<HBRUSH> brush(::CreateSolidBrush(color));
    if (brush.Get()) ::FillRect(dc, &area, brush.Get());
}

constexpr WPARAM AnyButton = MK_LBUTTON | MK_RBUTTON | MK_MBUTTON;

constexpr int WheelNotchDelta = WHEEL_DELTA;
// A key message's previous-state bit: the key was down already, so this is its auto-repeat.
constexpr LPARAM KeyWasDown = 1 << 30;
// WM_DPICHANGED, which headers for older systems lack.
constexpr UINT WM_DPICHANGED_MESSAGE = 0x02E0;

// The screen target of GetScreenTarget: holds the window's DC until it dies.
class WindowDcTarget : public ScreenTarget {
public:
    explicit WindowDcTarget(HWND hwnd) : dc_(hwnd), target_(dc_.Get()) {}
    void DrawSurface(const Surface& surface, Point at) override { target_.DrawSurface(surface, at); }

private:
    WindowDc dc_;
    DcTarget target_;
};

}  // namespace

HICON ProgramIcon(HINSTANCE instance, bool small) {
    // Sized for the slot, so the system picks the image drawn for it instead of shrinking
    // a larger one; LR_SHARED makes it the one handle of that size for the whole program.
    const int side = ::GetSystemMetrics(small ? SM_CXSMICON : SM_CXICON);
    if (HANDLE icon = ::LoadImageA(instance, MAKEINTRESOURCEA(ZYLORA_ICON_ID), IMAGE_ICON, side, side,
                                   LR_SHARED)) {
        return static_cast<HICON>(icon);
    }
    return ::LoadIconA(nullptr, IDI_APPLICATION);
}

bool RegisterWindowClass(HINSTANCE instance, const std::string& className) {
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = &Win32Window::WindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = ProgramIcon(instance, false);
    windowClass.hIconSm = ProgramIcon(instance, true);
    windowClass.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
    windowClass.lpszClassName = className.c_str();
    return ::RegisterClassExA(&windowClass) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

Win32Window::Win32Window(const WindowSetup& setup)
    : defaultSink_(setup.defaultSink),
      sink_(setup.defaultSink),
      child_((setup.style & WS_CHILD) != 0),
      layered_(setup.layered),
      visible_((setup.style & WS_VISIBLE) != 0) {
    // hwnd_ and the user data are set at WM_NCCREATE, so the messages of creation already
    // find this object.
    ::CreateWindowExA(setup.exStyle, setup.className.c_str(), "", setup.style, 0, 0, 0, 0,
                      setup.parent, nullptr, setup.instance, this);
}

Win32Window::~Win32Window() {
    for (MessageHook* hook : hooks_) hook->WindowGone();
    hooks_.clear();
    if (!hwnd_) return;
    const HWND hwnd = hwnd_;
    Detach();
    ::DestroyWindow(hwnd);
}

void Win32Window::Detach() {
    ::SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
    hwnd_ = nullptr;
}

LRESULT CALLBACK Win32Window::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        if (auto* window = static_cast<Win32Window*>(create->lpCreateParams)) {
            window->hwnd_ = hwnd;
            ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(window));
        }
        return ::DefWindowProcA(hwnd, message, wParam, lParam);
    }
    auto* window = reinterpret_cast<Win32Window*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!window) return ::DefWindowProcA(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        // Destroyed from outside the object (a panel with its form): forget the handle.
        window->Detach();
        return ::DefWindowProcA(hwnd, message, wParam, lParam);
    }
    return window->OnMessage(message, wParam, lParam);
}

// A sink may replace itself or destroy this window while handling an event, so nothing of
// the object is used after the call that raises one.
LRESULT Win32Window::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    const HWND hwnd = hwnd_;
    // By index: a hook that consumes a message may remove itself; then nothing else runs.
    for (std::size_t i = hooks_.size(); i-- > 0;) {
        LRESULT result = 0;
        if (hooks_[i]->OnMessage(message, wParam, lParam, result)) return result;
    }
    switch (message) {
        case WM_LBUTTONDOWN: OnButtonDown(MouseButton::Left, wParam, lParam); return 0;
        case WM_RBUTTONDOWN:
        case WM_RBUTTONDBLCLK: OnButtonDown(MouseButton::Right, wParam, lParam); return 0;
        case WM_MBUTTONDOWN:
        case WM_MBUTTONDBLCLK: OnButtonDown(MouseButton::Middle, wParam, lParam); return 0;
        case WM_LBUTTONDBLCLK:
            sink_->DoubleClick(PointOf(lParam));
            OnButtonDown(MouseButton::Left, wParam, lParam);
            return 0;
        case WM_LBUTTONUP: OnButtonUp(MouseButton::Left, wParam, lParam); return 0;
        case WM_RBUTTONUP:
            // The system's default turns the release into the context-menu request.
            if (OnButtonUp(MouseButton::Right, wParam, lParam)) return ::DefWindowProcA(hwnd, message, wParam, lParam);
            return 0;
        case WM_CONTEXTMENU:
            if (sink_->ContextPopup()) return 0;
            break;
        case WM_MBUTTONUP: OnButtonUp(MouseButton::Middle, wParam, lParam); return 0;
        case WM_MOUSEMOVE: OnMouseMove(wParam, lParam); return 0;
        case WM_MOUSELEAVE:
            sink_->MouseLeave();
            return 0;
        case WM_MOUSEWHEEL:
            // The wheel is the form's, wherever it turns: the system's default hands a
            // child's wheel on to its parent (Wine sends it to the window under the pointer).
            if (child_) break;
            OnWheel(GET_WHEEL_DELTA_WPARAM(wParam));
            return 0;
        case WM_WINDOWPOSCHANGING:
            OnWindowPosChanging(*reinterpret_cast<const WINDOWPOS*>(lParam));
            return ::DefWindowProcA(hwnd, message, wParam, lParam);
        case WM_WINDOWPOSCHANGED: {
            // The default sends the size and move notices first.
            const LRESULT result = ::DefWindowProcA(hwnd, message, wParam, lParam);
            const auto* position = reinterpret_cast<const WINDOWPOS*>(lParam);
            if (!child_ && !(position->flags & SWP_NOMOVE) && !OwnPositioning::Active())
                sink_->Moved({position->x, position->y});
            return result;
        }
        case WM_SIZE: OnSize(); return 0;
        case WM_KEYDOWN:
            sink_->KeyDown(static_cast<int>(wParam), ShiftNow(), (lParam & KeyWasDown) != 0);
            return 0;
        case WM_SYSKEYDOWN:
            // Alt+key. The default handling stays, so Alt+F4 still asks to close.
            sink_->KeyDown(static_cast<int>(wParam), ShiftNow(), (lParam & KeyWasDown) != 0);
            return ::DefWindowProcA(hwnd, message, wParam, lParam);
        case WM_SYSCHAR:
            // The forms have no menu: the default would only beep at every Alt+letter.
            return 0;
        case WM_PAINT: OnPaint(); return 0;
        case WM_ERASEBKGND: {
            const COLORREF color = color_;
            if (sink_->EraseBackground()) return 1;
            RECT client{};
            ::GetClientRect(hwnd, &client);
            FillWithColor(reinterpret_cast<HDC>(wParam), client, color);
            return 1;
        }
        case WM_SETCURSOR:
            if (reinterpret_cast<HWND>(wParam) == hwnd && LOWORD(lParam) == HTCLIENT) {
                ::SetCursor(::LoadCursorA(nullptr, CursorId(cursor_)));
                return TRUE;
            }
            break;
        case WM_DROPFILES: {
            // Nobody hooked the drops: the drop's memory is still ours to free.
            static auto* const finish = LateFunction<decltype(::DragFinish)>("shell32.dll", "DragFinish");
            if (finish) finish(reinterpret_cast<HDROP>(wParam));
            return 0;
        }
        case WM_MOUSEACTIVATE:
            // A press on a frame window must not make it the active window: the keyboard
            // stays with the main form, and Wine would re-create the window under the
            // pointer in the middle of the press; the press itself brings the viewer forward
            // (OnButtonDown). Nothing more may happen here: Wine also asks this when the
            // window manager offers a frame window the keyboard after restacking it, and a
            // raise answering that would start the manager over (xfwm4 does, endlessly).
            if (layered_) return MA_NOACTIVATE;
            break;
        case WM_ACTIVATE:
            // Under a window manager each form is a window of its own, and activating one
            // raises that one alone: the application window raises them all once the
            // activation is done. The default then gives the main form the keyboard.
            if (!child_ && !layered_ && LOWORD(wParam) != WA_INACTIVE)
                ::PostMessageA(::GetWindow(hwnd, GW_OWNER), RaiseFormsMessage, 0, 0);
            break;
        // A form has a caption in its style only so that window managers treat it as a
        // window of the application (see Win32Platform::CreateForm): all of it is client
        // area, every point of it the client's, and it has no smallest or largest size.
        case WM_NCCALCSIZE:
            if (!child_) return 0;
            break;
        case WM_NCHITTEST:
            if (!child_) return HTCLIENT;
            break;
        case WM_GETMINMAXINFO:
            if (!child_) {
                auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
                limits->ptMinTrackSize = {0, 0};
                limits->ptMaxTrackSize = {MaxWindowExtent, MaxWindowExtent};
                limits->ptMaxSize = limits->ptMaxTrackSize;
                return 0;
            }
            break;
        case WM_CAPTURECHANGED:
            // The capture went elsewhere before the release came: the press is over all the
            // same, or a drag would follow the pointer with no button held. It was not let go
            // where the pointer is, so nothing a release does may happen.
            if (pressed_ && reinterpret_cast<HWND>(lParam) != hwnd) {
                pressed_.reset();
                sink_->CaptureLost();
            }
            return 0;
        case WM_SYSCOMMAND:
            // A window manager minimises the one window it was asked about (its window menu,
            // Alt+F9, a pager), and Wine passes that on as this command: the whole program
            // goes, as by its own minimise, or that one window would stay behind.
            if (!child_ && (wParam & 0xFFF0) == SC_MINIMIZE) {
                if (const HWND application = ::GetWindow(hwnd, GW_OWNER)) {
                    ::SendMessageA(application, WM_SYSCOMMAND, SC_MINIMIZE, 0);
                    return 0;
                }
            }
            break;
        case WM_CLOSE:
            // Only the logic decides whether a close request ends anything.
            sink_->CloseRequested();
            return 0;
        case WM_DPICHANGED_MESSAGE:
            // The suggested rectangle would scale the picture too: the program places the
            // windows itself, for the skin at the new scale around the picture at 1:1.
            sink_->ScreenDpiChanged(LOWORD(wParam));
            return 0;
        case WM_QUERYENDSESSION: return TRUE;  // nothing here stops a logoff
        case WM_ENDSESSION:
            // TRUE: the session does end, and the process with it once this returns.
            if (wParam) sink_->SessionEnds();
            return 0;
        default: break;
    }
    return ::DefWindowProcA(hwnd, message, wParam, lParam);
}

void Win32Window::OnButtonDown(MouseButton button, WPARAM, LPARAM lParam) {
    // Under a window manager each of the forms is a window of its own, which the manager
    // raises alone when pressed: every press on any of them brings all of them forward,
    // with the keyboard (Win32Platform).
    if (const HWND application = ::GetWindow(::GetAncestor(hwnd_, GA_ROOT), GW_OWNER))
        ::SendMessageA(application, ActivateMainFormMessage, 0, 0);
    ::SetCapture(hwnd_);
    pressed_ = button;
    sink_->MouseDown(button, ShiftNow(), PointOf(lParam));
}

bool Win32Window::OnButtonUp(MouseButton button, WPARAM wParam, LPARAM lParam) {
    // A release whose press was cancelled, or began outside the program, ends nothing here.
    if (!pressed_) return false;
    // wParam holds the buttons still down after this release.
    if (!(wParam & AnyButton)) {
        pressed_.reset();  // before ReleaseCapture, whose capture change is no lost press
        if (::GetCapture() == hwnd_) ::ReleaseCapture();
    }
    sink_->MouseUp(button, ShiftNow(), PointOf(lParam));
    return true;
}

void Win32Window::OnMouseMove(WPARAM, LPARAM lParam) { sink_->MouseMove(ShiftNow(), PointOf(lParam)); }

void Win32Window::OnWindowPosChanging(const WINDOWPOS& position) {
    if (presenting_ || (position.flags & SWP_NOSIZE)) return;
    RECT now{};
    ::GetWindowRect(hwnd_, &now);
    if (position.cx != now.right - now.left || position.cy != now.bottom - now.top)
        sink_->CanResize({position.cx, position.cy});
}

void Win32Window::OnSize() {
    RECT client{};
    ::GetClientRect(hwnd_, &client);
    const Size now{client.right - client.left, client.bottom - client.top};
    // WM_SIZE also comes when nothing changed (the first show, restoring the application).
    if (now == lastSize_) return;
    lastSize_ = now;
    if (!presenting_) sink_->Resized(now);
}

void Win32Window::OnWheel(int delta) {
    wheelRemainder_ += delta;
    int notches = 0;
    for (; wheelRemainder_ >= WheelNotchDelta; wheelRemainder_ -= WheelNotchDelta) ++notches;
    for (; wheelRemainder_ <= -WheelNotchDelta; wheelRemainder_ += WheelNotchDelta) --notches;
    WindowEvents* sink = sink_;
    for (; notches > 0; --notches) sink->WheelNotch(+1);
    for (; notches < 0; ++notches) sink->WheelNotch(-1);
}

void Win32Window::OnPaint() {
    PaintScope paint(hwnd_);
    const COLORREF color = color_;
    const RECT area = paint.Area();
    DcTarget target(paint.Dc());
    if (!sink_->Paint(target)) FillWithColor(paint.Dc(), area, color);
}

WindowEvents* Win32Window::SetEvents(WindowEvents* sink) {
    WindowEvents* previous = sink_;
    sink_ = sink ? sink : defaultSink_;
    return previous;
}

Rect Win32Window::Bounds() const {
    RECT r{};
    if (!hwnd_ || !::GetWindowRect(hwnd_, &r)) return {};
    if (child_) ::MapWindowPoints(HWND_DESKTOP, ::GetParent(hwnd_), reinterpret_cast<POINT*>(&r), 2);
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

void Win32Window::SetBounds(Rect bounds) {
    if (!hwnd_) return;
    const Rect r = ClampRect(bounds);
    // The same rectangle again changes nothing; under Wine it would still cost a round trip.
    if (r == Bounds()) return;
    const OwnPositioning own;
    ::SetWindowPos(hwnd_, nullptr, r.left, r.top, r.width, r.height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32Window::SetVisible(bool visible) {
    visible_ = visible;
    if (!hwnd_) return;
    if (!visible) {
        ::ShowWindow(hwnd_, SW_HIDE);
    } else if (child_) {
        ::ShowWindow(hwnd_, SW_SHOWNA);
    } else if (layered_) {
        ::ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
    } else {
        // The main window takes the keyboard when it appears.
        ::ShowWindow(hwnd_, SW_SHOW);
        ::SetForegroundWindow(hwnd_);
        ::SetFocus(hwnd_);
    }
}

std::string Win32Window::Caption() const {
    if (!hwnd_) return {};
    const int length = ::GetWindowTextLengthW(hwnd_);
    if (length <= 0) return {};
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = ::GetWindowTextW(hwnd_, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
    return Utf8FromWide(text.c_str());
}

void Win32Window::SetCaption(const std::string& text) {
    if (hwnd_) ::SetWindowTextW(hwnd_, WideFromUtf8(text).c_str());
}

void Win32Window::SetColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    color_ = RGB(red, green, blue);
    if (hwnd_) ::InvalidateRect(hwnd_, nullptr, TRUE);
}

void Win32Window::SetCursor(CursorShape shape) {
    cursor_ = shape;
    if (!hwnd_) return;
    // WM_SETCURSOR comes only with the next move, and never while the capture is held (a
    // drag): a pointer over the window takes the new shape now.
    POINT pointer{};
    if (::GetCapture() == hwnd_ || (::GetCursorPos(&pointer) && ::WindowFromPoint(pointer) == hwnd_))
        ::SetCursor(::LoadCursorA(nullptr, CursorId(shape)));
}

void Win32Window::Invalidate() {
    if (hwnd_) ::InvalidateRect(hwnd_, nullptr, TRUE);
}

void Win32Window::CancelPointerPress() {
    if (!pressed_) return;
    pressed_.reset();  // first: the capture change that follows is no lost press
    if (hwnd_ && ::GetCapture() == hwnd_) ::ReleaseCapture();
}

void Win32Window::TrackMouseLeave() {
    if (!hwnd_) return;
    TRACKMOUSEEVENT track{};
    track.cbSize = sizeof track;
    track.dwFlags = TME_LEAVE;
    track.hwndTrack = hwnd_;
    ::TrackMouseEvent(&track);
}

void Win32Window::Update() {
    if (hwnd_) ::UpdateWindow(hwnd_);
}

bool Win32Window::AwaitsWholePaint() const {
    RECT client{};
    if (!hwnd_ || !::GetClientRect(hwnd_, &client) || ::IsRectEmpty(&client)) return false;
    // One rectangle that is the whole client area; several rectangles may leave holes.
    RECT update{};
    const GdiObject<HRGN> region(::CreateRectRgn(0, 0, 0, 0));
    return region.Get() && ::GetUpdateRgn(hwnd_, region.Get(), FALSE) == SIMPLEREGION &&
           ::GetRgnBox(region.Get(), &update) != ERROR && ::EqualRect(&update, &client);
}

std::unique_ptr<ScreenTarget> Win32Window::GetScreenTarget() {
    return std::make_unique<WindowDcTarget>(hwnd_);
}

void Win32Window::Close() { ::PostQuitMessage(0); }

void Win32Window::AcceptFileDrops(bool accept) {
    // What DragAcceptFiles does, without loading the shell for it at start.
    if (!hwnd_) return;
    const LONG_PTR style = ::GetWindowLongPtrA(hwnd_, GWL_EXSTYLE);
    ::SetWindowLongPtrA(hwnd_, GWL_EXSTYLE, accept ? style | WS_EX_ACCEPTFILES : style & ~WS_EX_ACCEPTFILES);
}

void Win32Window::TakeKeyboard() {
    // Without a window manager the frame windows are nobody's, and Wine would hand one to a
    // window manager the moment it became active: the keyboard stays with the application
    // window, which passes the keys on to the main form.
    if (!hwnd_ || child_ || (layered_ && !WindowManagerRuns(0, nullptr))) return;
    const HWND application = ::GetWindow(hwnd_, GW_OWNER);
    const HWND keyboard = ::GetForegroundWindow();
    if (keyboard == hwnd_ || !keyboard || (keyboard != application && ::GetWindow(keyboard, GW_OWNER) != application))
        return;
    ::SetForegroundWindow(hwnd_);
    ::SetFocus(hwnd_);
}

int Win32Window::ScreenDpi() const {
    // The monitor's own (Windows 10 1607 and later, per-monitor aware); else the system's.
    using GetDpiForWindowFunction = UINT WINAPI(HWND);
    static GetDpiForWindowFunction* const forWindow = LateFunction<GetDpiForWindowFunction>("user32.dll", "GetDpiForWindow");
    if (forWindow && hwnd_)
        if (const UINT dpi = forWindow(hwnd_); dpi > 0) return static_cast<int>(dpi);
    const HDC screen = ::GetDC(nullptr);
    const int dpi = screen ? ::GetDeviceCaps(screen, LOGPIXELSX) : 0;
    if (screen) ::ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

void Win32Window::AddHook(MessageHook* hook) {
    if (hook) hooks_.push_back(hook);
}

void Win32Window::RemoveHook(MessageHook* hook) {
    hooks_.erase(std::remove(hooks_.begin(), hooks_.end(), hook), hooks_.end());
}

}  // namespace zylora::platform::win32
