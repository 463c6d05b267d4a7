// Work on threads of its own whose endings run on the user-interface thread: each task's
// `done` is posted to a window of that thread and runs from its message loop. Internal to
// platform/win32.
#pragma once

#include "platform/win32/Win32Api.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "platform/win32/Win32Imaging.h"

namespace zylora::platform::win32 {

// Holds a slim reader/writer lock exclusively while it lives.
class Exclusive {
public:
    explicit Exclusive(SRWLOCK& lock) : lock_(lock) { ::AcquireSRWLockExclusive(&lock_); }
    ~Exclusive() { ::ReleaseSRWLockExclusive(&lock_); }
    Exclusive(const Exclusive&) = delete;
    Exclusive& operator=(const Exclusive&) = delete;

private:
    SRWLOCK& lock_;
};

// A value made on one thread and waited for on another, once.
template <typename T>
class Handoff {
public:
    void Give(T value) {
        Exclusive hold(lock_);
        value_ = std::move(value);
        given_ = true;
        ::WakeAllConditionVariable(&changed_);
    }
    T Wait() {
        Exclusive hold(lock_);
        while (!given_) ::SleepConditionVariableSRW(&changed_, &lock_, INFINITE, 0);
        return std::move(value_);
    }

private:
    SRWLOCK lock_ = SRWLOCK_INIT;
    CONDITION_VARIABLE changed_ = CONDITION_VARIABLE_INIT;
    bool given_ = false;
    T value_{};
};

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

// A picture decoded by a task of its own (the full decode behind Platform::DecodePreview).
// Only its pixels pass between the threads: the image is made on the user-interface thread,
// in Take.
class PendingPicture : public Platform::PendingImage {
public:
    // `decode` makes the pixels on the task's thread, once no other picture's decode runs
    // (not at all once this is gone); `decodeHere` decodes on this thread a picture `decode`
    // made no pixels of (a format only GDI+ reads, whose objects stay on one thread).
    // `ready` runs from the message loop when the task ends, unless this is gone.
    PendingPicture(BackgroundTasks& tasks, std::function<std::optional<DecodedPixels>()> decode,
                   std::function<std::unique_ptr<Image>()> decodeHere, std::function<void()> ready);
    ~PendingPicture() override;
    std::unique_ptr<Image> Take() override;

private:
    struct State;
    std::shared_ptr<State> state_;
    std::function<std::unique_ptr<Image>()> decodeHere_;
    bool taken_ = false;
};

// Skin images decoded one after the other by a task of its own (behind
// Platform::DecodeSkinImagesAhead). As with a picture, only pixels pass between the threads.
class PendingSkinDecode : public Platform::PendingSkinImages {
public:
    // The task decodes the paths unless `decodeThere` is false; `decodeHere` decodes on this
    // thread, in Take, what the task made no pixels of.
    PendingSkinDecode(BackgroundTasks& tasks, std::vector<std::string> paths, bool decodeThere,
                      std::function<std::unique_ptr<Image>(const std::string&)> decodeHere);
    std::vector<std::unique_ptr<Image>> Take() override;

private:
    using Decoded = std::vector<std::optional<DecodedPixels>>;
    std::vector<std::string> paths_;
    std::shared_ptr<Handoff<Decoded>> decoded_;
    std::function<std::unique_ptr<Image>(const std::string&)> decodeHere_;
    bool taken_ = false;
};

}  // namespace zylora::platform::win32
