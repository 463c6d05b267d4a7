#include "platform/win32/Win32WindowManager.h"

#include <mutex>
#include <vector>

namespace zylora::platform::win32 {

namespace {

constexpr const char* ProbeClass = "ZyloraWindowManagerProbe";
// Wine waits two seconds for a window manager that doesn't answer; one answers within
// milliseconds, even on a loaded machine.
constexpr DWORD NoAnswerMs = 1000;

struct Probe {
    std::mutex lock;
    bool started = false;
    bool known = false;
    bool runs = false;
    HANDLE done = nullptr;  // set once known
    bool waitedOut = false;  // one wait for the answer is enough
    std::vector<HWND> waiting;  // asked before the answer came
};

Probe& TheProbe() {
    static Probe probe;
    return probe;
}

bool UnderWine() {
    const HMODULE ntdll = ::GetModuleHandleA("ntdll.dll");
    return ntdll && ::GetProcAddress(ntdll, "wine_get_version");
}

// A captioned tool window, wholly transparent and so never seen, shown and hidden again.
bool HideIsAnswered() {
    const HINSTANCE instance = ::GetModuleHandleA(nullptr);
    WNDCLASSA probeClass{};
    probeClass.lpfnWndProc = &::DefWindowProcA;
    probeClass.hInstance = instance;
    probeClass.lpszClassName = ProbeClass;
    ::RegisterClassA(&probeClass);
    const HWND window = ::CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_LAYERED | WS_EX_NOACTIVATE, ProbeClass, "",
                                          WS_CAPTION, 0, 0, 1, 1, nullptr, nullptr, instance, nullptr);
    if (!window) return true;  // can't tell: as the desktops users run
    ::SetLayeredWindowAttributes(window, 0, 0, LWA_ALPHA);
    ::ShowWindow(window, SW_SHOWNOACTIVATE);
    const DWORD start = ::GetTickCount();
    ::ShowWindow(window, SW_HIDE);
    const bool answered = ::GetTickCount() - start < NoAnswerMs;
    ::DestroyWindow(window);
    return answered;
}

DWORD WINAPI RunProbe(void*) {
    const bool runs = HideIsAnswered();
    Probe& probe = TheProbe();
    std::vector<HWND> waiting;
    {
        const std::lock_guard<std::mutex> hold(probe.lock);
        probe.known = true;
        probe.runs = runs;
        waiting.swap(probe.waiting);
    }
    ::SetEvent(probe.done);
    if (runs)
        for (HWND window : waiting) ::PostMessageA(window, WindowManagerFoundMessage, 0, 0);
    return 0;
}

}  // namespace

void StartWindowManagerProbe() {
    Probe& probe = TheProbe();
    const std::lock_guard<std::mutex> hold(probe.lock);
    if (probe.started) return;
    probe.started = true;
    probe.done = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    // Only Wine can lack a window manager; so can a failure to ask.
    HANDLE thread = probe.done && UnderWine() ? ::CreateThread(nullptr, 0, &RunProbe, nullptr, 0, nullptr) : nullptr;
    if (thread) {
        ::CloseHandle(thread);  // it ends on its own; the process may end before it
    } else {
        probe.known = true;
        probe.runs = true;
        if (probe.done) ::SetEvent(probe.done);
    }
}

bool WindowManagerRuns(DWORD waitMs, HWND lateAnswer) {
    StartWindowManagerProbe();
    Probe& probe = TheProbe();
    if (probe.done && !probe.waitedOut && ::WaitForSingleObject(probe.done, waitMs) == WAIT_TIMEOUT && waitMs)
        probe.waitedOut = true;
    const std::lock_guard<std::mutex> hold(probe.lock);
    if (!probe.known && lateAnswer) probe.waiting.push_back(lateAnswer);
    return probe.known && probe.runs;
}

}  // namespace zylora::platform::win32
