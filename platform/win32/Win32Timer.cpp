#include "platform/win32/Win32Timer.h"

#include <algorithm>
#include <climits>

namespace zylora::platform::win32 {

class Win32Timer : public Timer {
public:
    Win32Timer(TimerHost& host, int intervalMs, std::function<void()> onTick)
        : host_(host), id_(host.nextId_++), interval_(intervalMs), onTick_(std::move(onTick)) {
        host_.timers_[id_] = this;
    }
    ~Win32Timer() override {
        if (enabled_) ::KillTimer(host_.window_, id_);
        host_.timers_.erase(id_);
    }

    bool Enabled() const override { return enabled_; }
    int Interval() const override { return interval_; }

    void SetEnabled(bool enabled) override {
        if (enabled == enabled_) return;
        // The system raises anything below its minimum (about 10 ms) to that minimum.
        const UINT elapse = static_cast<UINT>(std::clamp(interval_, 1, INT_MAX));
        enabled_ = enabled ? ::SetTimer(host_.window_, id_, elapse, nullptr) != 0
                           : (::KillTimer(host_.window_, id_), false);
    }

    void Tick() {
        if (!enabled_ || !onTick_) return;
        // The handler may destroy this timer; the copy keeps the running function alive.
        const std::function<void()> tick = onTick_;
        tick();
    }

private:
    TimerHost& host_;
    UINT_PTR id_;
    int interval_;
    bool enabled_ = false;
    std::function<void()> onTick_;
};

std::unique_ptr<Timer> TimerHost::CreateTimer(int intervalMs, std::function<void()> onTick) {
    return std::make_unique<Win32Timer>(*this, intervalMs, std::move(onTick));
}

bool TimerHost::OnTimer(UINT_PTR id) {
    auto it = timers_.find(id);
    if (it == timers_.end()) return false;
    it->second->Tick();
    return true;
}

double SteadyMilliseconds() {
    static const double ticksPerMs = [] {
        LARGE_INTEGER frequency{};
        ::QueryPerformanceFrequency(&frequency);
        return static_cast<double>(frequency.QuadPart) / 1000.0;
    }();
    LARGE_INTEGER now{};
    ::QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / ticksPerMs;
}

double DisplayFrameMilliseconds() {
    DEVMODEA mode{};
    mode.dmSize = sizeof(mode);
    // 0 and 1 stand for the hardware's default rate.
    if (::EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode) && mode.dmDisplayFrequency > 1)
        return 1000.0 / mode.dmDisplayFrequency;
    return 1000.0 / 60;
}

}  // namespace zylora::platform::win32
