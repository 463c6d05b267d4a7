// What the benchmarks share: the clock, the median of runs, a row of the table and a rest
// with the messages flowing. Run by hand under Wine; nothing here asserts a time.
#pragma once

#include "platform/win32/Win32Api.h"
#include "platform/win32/Win32Memory.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace zylora::bench {

inline double Now() {
    LARGE_INTEGER frequency, counter;
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

inline double Median(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// Median milliseconds of `runs` calls.
inline double Time(int runs, const std::function<void()>& work) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const double start = Now();
        work();
        times.push_back(Now() - start);
    }
    return Median(std::move(times));
}

// One row of the table: the path, its time, the baseline measured in the same run, the
// ratio and the goal for it (empty for rows that only explain another).
inline void Report(const char* what, double ms, const char* baselineName, double baseline, const char* goal = "") {
    std::printf("| %-46s | %8.1f ms | %-24s %8.1f ms | %6.2f x | %-10s |\n", what, ms, baselineName, baseline,
                ms / baseline, goal);
}

// A stretch of the user's thread: what it did, from when, for how long.
struct Span {
    double start = 0, ms = 0;
    std::string what;
    const char* phase = "";
};

// While the user's thread is watched (StallBench.h), the bench notes here what its loops
// dispatch and the calls into the viewer it names, each that took a millisecond or more;
// `state` tells what the viewer shows, so that a span that changed it says into what.
struct UserThreadLog {
    std::vector<Span> spans;
    std::function<std::string()> state;
    const char* phase = "";
};
inline UserThreadLog*& ActiveLog() {
    static UserThreadLog* log = nullptr;
    return log;
}

// Runs `work`; where a log is active, notes it as what `name()` says.
template <typename Name, typename Work>
void Noted(Name&& name, Work&& work) {
    UserThreadLog* log = ActiveLog();
    if (!log) return work();
    const std::string before = log->state ? log->state() : std::string();
    const double start = Now();
    work();
    const double ms = Now() - start;
    if (ms < 1) return;
    std::string what = name();
    const std::string after = log->state ? log->state() : std::string();
    if (after != before) what += " -> " + after;
    log->spans.push_back({start, ms, std::move(what), log->phase});
}

// A message as the log names it: its number and the class of the window it went to.
inline std::string MessageName(const MSG& message) {
    char name[96];
    switch (message.message) {
        case WM_PAINT: std::snprintf(name, sizeof name, "WM_PAINT"); break;
        case WM_TIMER: std::snprintf(name, sizeof name, "WM_TIMER %u", static_cast<unsigned>(message.wParam)); break;
        case WM_KEYDOWN: std::snprintf(name, sizeof name, "WM_KEYDOWN"); break;
        case WM_KEYUP: std::snprintf(name, sizeof name, "WM_KEYUP"); break;
        default:
            if (message.message >= WM_APP)
                std::snprintf(name, sizeof name, "WM_APP+%u", message.message - WM_APP);
            else
                std::snprintf(name, sizeof name, "message 0x%04x", message.message);
    }
    char windowClass[64] = "";
    if (message.hwnd) ::GetClassNameA(message.hwnd, windowClass, sizeof windowClass);
    return std::string(name) + " to " + (message.hwnd ? windowClass : "the thread");
}

// Empties the message queue, as the viewer's loop does between two steps of a drag (each
// step is a timer's message). Under Wine an empty queue is also where the windows' new pixels
// go to the X server; in a loop that never lets the queue empty, every EndPaint sends them
// instead once the thread hasn't been idle for 50 ms: two or three times a step. A look into
// the queue is where messages sent from other threads and the X server's events are handled.
// `afterEach` looks at what each message did: a queue kept full (a held key's steps) may not
// empty for seconds.
inline void Idle(const std::function<void()>& afterEach = nullptr) {
    for (;;) {
        MSG message;
        bool got = false;
        Noted([] { return "PeekMessage: sent messages, X events"; },
              [&] { got = ::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE); });
        if (!got) return;
        Noted([&] { return MessageName(message); }, [&] {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        });
        if (afterEach) afterEach();
    }
}

// Waits up to the time for a message, as a message loop waits: a message sent or posted
// meanwhile ends the wait at once (a sleep would leave it unanswered to its end).
inline void AwaitMessage(DWORD ms) { ::MsgWaitForMultipleObjectsEx(0, nullptr, ms, QS_ALLINPUT, MWMO_INPUTAVAILABLE); }

// Lets the messages flow for the time, as they do while the user rests.
inline void Rest(double ms) {
    const double until = Now() + ms;
    while (Now() < until) {
        Idle();
        AwaitMessage(2);
    }
}

// The process's committed private memory in megabytes.
inline double PrivateMb() {
    return static_cast<double>(platform::win32::CommittedPrivateBytes()) / (1024 * 1024);
}

}  // namespace zylora::bench
