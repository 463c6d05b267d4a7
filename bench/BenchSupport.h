// What the benchmarks share: the clock, the median of runs, a row of the table and a rest
// with the messages flowing. Run by hand under Wine; nothing here asserts a time.
#pragma once

#include "platform/win32/Win32Api.h"
#include "platform/win32/Win32Memory.h"

#include <algorithm>
#include <cstdio>
#include <functional>
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

// Empties the message queue, as the viewer's loop does between two steps of a drag (each
// step is a timer's message). Under Wine an empty queue is also where the windows' new pixels
// go to the X server; in a loop that never lets the queue empty, every EndPaint sends them
// instead once the thread hasn't been idle for 50 ms: two or three times a step.
// `afterEach` looks at what each message did: a queue kept full (a held key's steps) may not
// empty for seconds.
inline void Idle(const std::function<void()>& afterEach = nullptr) {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
        if (afterEach) afterEach();
    }
}

// Lets the messages flow for the time, as they do while the user rests.
inline void Rest(double ms) {
    const double until = Now() + ms;
    while (Now() < until) {
        Idle();
        ::Sleep(2);
    }
}

// The process's committed private memory in megabytes.
inline double PrivateMb() {
    return static_cast<double>(platform::win32::CommittedPrivateBytes()) / (1024 * 1024);
}

}  // namespace zylora::bench
