// Work on threads of its own whose endings run on the user-interface thread. Internal to
// platform/win32.
//
// Who owns what:
// - Threads. BackgroundTasks starts one thread per task, at the priority of the thread
//   that asks (StartThread). The thread owns its share of the task's RunRecord (the `work`,
//   the job's id, the Line it posts the ending on) and frees the work as soon as it has
//   run, so a thread that outlives the tasks touches nothing they free. The helper of a split in
//   two (InHalves, also started by StartThread) is its caller's, which waits for it. The
//   picture service (imaging/PictureService.h) has threads of its own, whose endings come
//   here by the service's job id (Await, Arrival).
// - Jobs. The user-interface thread owns BackgroundTasks: its message-only window, the
//   table of jobs (id -> `done`, thread handle) and the endings held back to run later.
//   Only that thread touches them. An ending travels as the job's id in a posted message
//   and is looked up in the table; an id that isn't there, or whose work still runs, ends
//   nothing. `done` runs from the messages, never inside Run and never inside a modal loop
//   (a message box, a menu, the shell's move into the bin): what ends meanwhile waits. The
//   same holds for the work awaited from elsewhere: its ids are noted by the thread that
//   ends it (the only thing shared, under the Line's lock), its `done` is in a table of
//   this thread's.
// - Buffers. The pixels a task decodes live in state its closures share with the pending
//   object that waits for them (PendingSkinDecode); whichever lets go last frees them. The
//   user-interface thread makes images of them, in Take.
// - Closing. The platform closes the picture service and the tasks once the settings are
//   written, waiting for their threads only so long: what still runs after that (a folder
//   on a dead share being listed) ends with the process, before anything it uses goes.
#pragma once

#include "platform/win32/Win32Api.h"

#include <cstdint>
#include <functional>
#include <map>
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

// A new thread at this thread's priority (a new thread would otherwise run at normal
// priority, ahead of a caller kept behind everything); null when none can be had.
HANDLE StartThread(LPTHREAD_START_ROUTINE run, void* parameter);

// What the tasks ask of the system; a test puts in its own to see them fail.
struct TaskSystemCalls {
    HANDLE (*startThread)(LPTHREAD_START_ROUTINE, void*) = &StartThread;
    BOOL(WINAPI* post)(HWND, UINT, WPARAM, LPARAM) = &::PostMessageW;
};

class BackgroundTasks {
public:
    // The message window's class, and the message that brings it a job's id as its WPARAM.
    static constexpr const char* WindowClass = "ZyloraTasks";
    static constexpr UINT EndingMessage = WM_APP + 1;
    // The message that says work awaited from elsewhere has ended (the ids are noted apart).
    static constexpr UINT ArrivalMessage = WM_APP + 2;

    explicit BackgroundTasks(TaskSystemCalls calls = {});
    // The `done` of a task not ended yet never runs. Nothing waits: a thread still working
    // frees what it holds when it ends (Close waits for them first).
    ~BackgroundTasks();
    BackgroundTasks(const BackgroundTasks&) = delete;
    BackgroundTasks& operator=(const BackgroundTasks&) = delete;

    // Runs `work` on a new thread, then `done` here, from the messages. Nothing `work` throws
    // leaves its thread: the task ends as if its work were done. Without a thread the work
    // runs here at once, and `done` still comes from the messages, once the caller has
    // stored what it started.
    void Run(std::function<void()> work, std::function<void()> done);
    // No `done` runs any more. Waits up to `waitMs` for the tasks' threads to end; tells
    // whether they all did.
    bool Close(DWORD waitMs);

    // Work that ends on a thread not of these tasks (the picture service's), known by an id
    // of its own: `done` runs here as a task's ending does, from the messages and never
    // inside a modal loop, once the Arrival has been given the id. Nothing runs for an id
    // forgotten, or not awaited when it arrives.
    void Await(std::uint32_t id, std::function<void()> done);
    void Forget(std::uint32_t id);
    // Called on any thread with the id of work that has ended. It only notes the id and posts
    // a message, so it may be called under a lock of the caller's; should the post be
    // refused (a full queue), a timer that runs while anything is awaited finds the note. It
    // may outlive the tasks: once they are closed it does nothing.
    std::function<void(std::uint32_t)> Arrival() const;

    // While one lives, a modal loop runs on this thread (a message box, a menu, a dialog):
    // the endings that come meanwhile wait until the last one is gone. A `done` run there
    // would change what the code that opened the loop goes on with once it returns.
    class Hold {
    public:
        explicit Hold(BackgroundTasks& tasks) : tasks_(tasks) { ++tasks_.holds_; }
        ~Hold() { tasks_.Release(); }
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;

    private:
        BackgroundTasks& tasks_;
    };

private:
    using JobId = WPARAM;
    struct Line;
    struct RunRecord;
    struct Job {
        std::shared_ptr<RunRecord> run;
        std::function<void()> done;
        HANDLE thread = nullptr;
    };
    static DWORD WINAPI Work(void* run);
    static void Perform(RunRecord& run);
    static void Deliver(const RunRecord& run);
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    // The job's ending came: it runs now, or once no modal loop runs.
    void Ended(JobId id);
    void Finish(JobId id);
    void HoldBack(JobId id);
    void RunHeldBack();
    void Release();
    // The arrivals noted since: each one's `done` runs now, or once no modal loop runs.
    void TakeArrivals();
    void Arrived(std::uint32_t id);

    HANDLE (*startThread_)(LPTHREAD_START_ROUTINE, void*);
    std::shared_ptr<Line> line_;
    HWND window_ = nullptr;
    JobId nextId_ = 1;
    std::map<JobId, Job> jobs_;
    std::vector<JobId> heldBack_;
    std::map<std::uint32_t, std::function<void()>> awaited_;
    std::vector<std::uint32_t> arrivedHeldBack_;
    int holds_ = 0;
    bool closed_ = false;
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
