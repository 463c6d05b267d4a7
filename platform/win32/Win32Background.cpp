#include "platform/win32/Win32Background.h"

#include <algorithm>
#include <memory>

namespace zylora::platform::win32 {

struct BackgroundTasks::Task {
    std::function<void()> work, done;
    HWND window;
    UINT message;
    HANDLE thread = nullptr;
};

BackgroundTasks::~BackgroundTasks() {
    for (HANDLE thread : threads_) {
        ::WaitForSingleObject(thread, INFINITE);
        ::CloseHandle(thread);
    }
}

void BackgroundTasks::Run(std::function<void()> work, std::function<void()> done) {
    auto task = std::make_unique<Task>(Task{std::move(work), std::move(done), window_, message_});
    HANDLE thread = ::CreateThread(nullptr, 0, &BackgroundTasks::Work, task.get(), CREATE_SUSPENDED, nullptr);
    if (!thread) {
        task->work();
        task->done();
        return;
    }
    task->thread = thread;
    threads_.push_back(thread);
    task.release();  // the thread's now, and then the message's
    ::ResumeThread(thread);
}

DWORD WINAPI BackgroundTasks::Work(void* task) {
    auto* t = static_cast<Task*>(task);
    // Nothing it throws leaves the thread: the task ends as if its work were done.
    try {
        t->work();
    } catch (...) {
    }
    ::PostMessageW(t->window, t->message, 0, reinterpret_cast<LPARAM>(t));
    return 0;
}

void BackgroundTasks::Finish(LPARAM task) {
    std::unique_ptr<Task> t(reinterpret_cast<Task*>(task));
    if (auto it = std::find(threads_.begin(), threads_.end(), t->thread); it != threads_.end()) {
        ::WaitForSingleObject(*it, INFINITE);
        ::CloseHandle(*it);
        threads_.erase(it);
    }
    if (t->done) t->done();
}

}  // namespace zylora::platform::win32
