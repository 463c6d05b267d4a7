// Work on threads of its own whose endings run on the user-interface thread: each task's
// `done` is posted to a window of that thread and runs from its message loop. Internal to
// platform/win32.
#pragma once

#include "platform/win32/Win32Api.h"

#include <functional>
#include <vector>

namespace zylora::platform::win32 {

class BackgroundTasks {
public:
    // `done` calls come as `message` to `window`, which hands them to Finish.
    BackgroundTasks(HWND window, UINT message) : window_(window), message_(message) {}
    // Waits for the tasks still working; their `done` never runs.
    ~BackgroundTasks();
    BackgroundTasks(const BackgroundTasks&) = delete;
    BackgroundTasks& operator=(const BackgroundTasks&) = delete;

    // Runs `work` on a new thread, then `done` here. Without a thread both run here at once.
    void Run(std::function<void()> work, std::function<void()> done);
    // The message's task ends: its `done` runs.
    void Finish(LPARAM task);

private:
    struct Task;
    static DWORD WINAPI Work(void* task);

    HWND window_;
    UINT message_;
    std::vector<HANDLE> threads_;
};

}  // namespace zylora::platform::win32
