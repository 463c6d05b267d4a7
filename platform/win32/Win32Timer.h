// Timers as WM_TIMER messages to one hidden window, and the clocks. Internal to platform/win32.
#pragma once

#include "platform/win32/Win32Api.h"

#include <functional>
#include <map>
#include <memory>

#include "platform/Platform.h"

namespace zylora::platform::win32 {

class Win32Timer;

double SteadyMilliseconds();
// 60 Hz where the display tells no rate of its own.
double DisplayFrameMilliseconds();

// Hands out the timer ids on its window and routes WM_TIMER to the timer. Every timer
// must be gone before its host.
class TimerHost {
public:
    explicit TimerHost(HWND window) : window_(window) {}
    std::unique_ptr<Timer> CreateTimer(int intervalMs, std::function<void()> onTick);
    // The window's WM_TIMER: true if the id was one of ours.
    bool OnTimer(UINT_PTR id);

private:
    friend class Win32Timer;
    HWND window_;
    UINT_PTR nextId_ = 1;
    std::map<UINT_PTR, Win32Timer*> timers_;
};

}  // namespace zylora::platform::win32
