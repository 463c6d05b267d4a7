#include "platform/win32/Win32FormStack.h"

namespace zylora::platform::win32 {

namespace {

constexpr UINT KeepPlaceAndActivation = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER;

struct FormSearch {
    HWND application;
    bool shownOnly;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectFrame(HWND hwnd, LPARAM data) {
    auto* search = reinterpret_cast<FormSearch*>(data);
    if (::GetWindow(hwnd, GW_OWNER) == search->application && (!search->shownOnly || ::IsWindowVisible(hwnd)) &&
        (::GetWindowLongA(hwnd, GWL_EXSTYLE) & WS_EX_LAYERED))
        search->found.push_back(hwnd);
    return TRUE;
}

void Raise(HWND hwnd) { ::SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, KeepPlaceAndActivation); }

// Takes back a request for the user's attention; Wine tells the window manager.
void StopAskingForAttention(HWND hwnd) {
    FLASHWINFO stop{sizeof stop, hwnd, FLASHW_STOP, 0, 0};
    ::FlashWindowEx(&stop);
}

}  // namespace

std::vector<HWND> Frames(HWND application, bool shownOnly) {
    FormSearch search{application, shownOnly, {}};
    ::EnumThreadWindows(::GetCurrentThreadId(), &CollectFrame, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

DWORD FrameStyle(bool windowManagerRuns) { return (windowManagerRuns ? WS_CAPTION : WS_POPUP) | WS_CLIPCHILDREN; }

void HandFramesToWindowManager(HWND application) {
    for (HWND frame : Frames(application, false)) {
        ::SetWindowLongA(frame, GWL_STYLE, (::GetWindowLongA(frame, GWL_STYLE) & WS_VISIBLE) | FrameStyle(true));
        // Wine looks at the style again at the window's next placement.
        ::SetWindowPos(frame, nullptr, 0, 0, 0, 0, KeepPlaceAndActivation | SWP_NOZORDER | SWP_FRAMECHANGED);
    }
}

// The order owned windows keep on Windows, where this changes nothing; under a window
// manager it brings all five above the window of another program that covered them.
// Dialogs the forms own stay where they are. Wine tells the window manager of a raise only
// when the window's place among the system's windows changes, and an activated main form
// is already first there: so the frames go up first, then the main form above them, then
// the frames above it again.
void RaiseFormStack(HWND application, HWND main) {
    const std::vector<HWND> frames = ShownFrames(application);
    for (HWND frame : frames) Raise(frame);
    Raise(main);
    for (HWND frame : frames) Raise(frame);
    // Some window managers (icewm) mark a window that comes up without the keyboard as
    // asking for attention, and then list it in the taskbar whatever it says: once for each
    // of the five. The viewer is in front now, with the keyboard.
    for (HWND frame : frames) StopAskingForAttention(frame);
    StopAskingForAttention(main);
    StopAskingForAttention(application);
}

// A captioned window gets the desktop compositor's frame: a shadow around it and, on
// Windows 11, rounded corners, which would show round the skin's edges. Asked off where the
// compositor is there to ask (Wine answers that it isn't).
void WithoutCompositorFrame(HWND hwnd) {
    using SetAttribute = HRESULT(WINAPI*)(HWND, DWORD, LPCVOID, DWORD);
    static const HMODULE dwm = ::LoadLibraryA("dwmapi.dll");
    // Through a function type of no arguments, which any function pointer converts to.
    const auto found = dwm ? reinterpret_cast<void (*)()>(::GetProcAddress(dwm, "DwmSetWindowAttribute")) : nullptr;
    const auto set = reinterpret_cast<SetAttribute>(found);
    if (!set || !hwnd) return;
    constexpr DWORD NonClientRenderingPolicy = 2, Disabled = 1, CornerPreference = 33, DoNotRound = 1;
    set(hwnd, NonClientRenderingPolicy, &Disabled, sizeof Disabled);
    set(hwnd, CornerPreference, &DoNotRound, sizeof DoNotRound);
}

}  // namespace zylora::platform::win32
