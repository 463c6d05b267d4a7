// Forms and panels: one Win32Window per HWND, found again from the HWND through
// GWLP_USERDATA. The window procedure only translates a message into a call on the
// window's current sink. Internal to platform/win32.
#pragma once

#include "platform/win32/Win32Api.h"

#include <optional>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace zylora::platform::win32 {

// Registers a window class served by the window procedure of this file (double clicks on,
// no class background: erasing is the window's business), with the program's icon. True
// if registered or already there.
bool RegisterWindowClass(HINSTANCE instance, const std::string& className);

// The program's own icon at the system's large or small icon size, shared (never freed);
// the system's default application icon when the program has none.
HICON ProgramIcon(HINSTANCE instance, bool small);

// What a form asks of the application window that owns every form.
constexpr UINT ActivateMainFormMessage = WM_APP + 2;  // a form or a panel of one was pressed
constexpr UINT RaiseFormsMessage = WM_APP + 3;        // the main form became active

// Sees a window's messages before the window does (the file drops are one): a window
// procedure put in front of the window's own.
class MessageHook {
public:
    virtual ~MessageHook() = default;
    // True when the hook consumed the message; `result` is then the window procedure's
    // answer. A hook may be removed (even destroyed) while it handles a message it consumes.
    virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) = 0;
    // The window object dies first: the hook must forget it.
    virtual void WindowGone() = 0;
};

// Marks the program's own positioning on this thread (SetBounds, a positioning batch), so
// that a move the window system makes on its own can be told apart (WindowEvents::Moved).
class OwnPositioning {
public:
    OwnPositioning() { ++depth_; }
    ~OwnPositioning() { --depth_; }
    OwnPositioning(const OwnPositioning&) = delete;
    OwnPositioning& operator=(const OwnPositioning&) = delete;
    static bool Active() { return depth_ > 0; }

private:
    static inline thread_local int depth_ = 0;
};

struct WindowSetup {
    HINSTANCE instance = nullptr;
    std::string className;
    DWORD style = 0;
    DWORD exStyle = 0;
    HWND parent = nullptr;  // the owner of a form, the parent of a panel
    bool layered = false;
    WindowEvents* defaultSink = nullptr;
};

class Win32Window : public Window {
public:
    explicit Win32Window(const WindowSetup& setup);
    ~Win32Window() override;
    Win32Window(const Win32Window&) = delete;
    Win32Window& operator=(const Win32Window&) = delete;

    // Null once the window is destroyed (its parent's destruction takes a panel with it).
    HWND Handle() const { return hwnd_; }

    WindowEvents* SetEvents(WindowEvents* sink) override;
    Rect Bounds() const override;
    void SetBounds(Rect bounds) override;
    bool Visible() const override { return visible_; }
    void SetVisible(bool visible) override;
    std::string Caption() const override;
    void SetCaption(const std::string& text) override;
    void SetColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue) override;
    void SetCursor(CursorShape shape) override;
    void Invalidate() override;
    void CancelPointerPress() override;
    void TrackMouseLeave() override;
    void Update() override;
    bool AwaitsWholePaint() const override;
    std::unique_ptr<ScreenTarget> GetScreenTarget() override;
    void PresentLayered(const Surface& surface, std::uint8_t constantAlpha, std::optional<Point> topLeft) override;
    void Close() override;
    void AcceptFileDrops(bool accept) override;
    void TakeKeyboard() override;
    int ScreenDpi() const override;

    // The newest hook sees a message first.
    void AddHook(MessageHook* hook);
    void RemoveHook(MessageHook* hook);

    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

private:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnButtonDown(MouseButton button, WPARAM wParam, LPARAM lParam);
    // False when the release had no press of its own here and was not reported.
    bool OnButtonUp(MouseButton button, WPARAM wParam, LPARAM lParam);
    void OnMouseMove(WPARAM wParam, LPARAM lParam);
    void OnWindowPosChanging(const WINDOWPOS& position);
    void OnSize();
    void OnWheel(int delta);
    void OnPaint();
    void FillBackground(HDC dc, const RECT& area) const;
    void Detach();
    // Sets the size (and the corner, where one is given) without the notices a size change
    // otherwise raises.
    void ResizeQuietly(int width, int height, std::optional<Point> topLeft);

    HWND hwnd_ = nullptr;
    std::vector<MessageHook*> hooks_;
    WindowEvents* defaultSink_;
    WindowEvents* sink_;
    bool child_;
    bool layered_;
    // The button of a press whose release hasn't come yet.
    std::optional<MouseButton> pressed_;
    bool visible_;
    bool presenting_ = false;  // inside PresentLayered: its own size change raises nothing
    int wheelRemainder_ = 0;
    Size lastSize_;
    COLORREF color_ = RGB(192, 192, 192);  // silver, the default form and panel colour
    CursorShape cursor_ = CursorShape::Arrow;
};

}  // namespace zylora::platform::win32
