#include "platform/win32/Win32Background.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <utility>

#include "platform/win32/Win32Imaging.h"

namespace zylora::platform::win32 {

namespace {

// How long a thread waits before it posts again an ending the system refused.
constexpr DWORD RepostMs = 20;
// The timer that runs the endings held back.
constexpr UINT_PTR HeldBackTimer = 1;
// The timer that looks for arrivals whose message the system refused, while any is awaited.
constexpr UINT_PTR ArrivalTimer = 2;
constexpr UINT ArrivalCheckMs = 250;

}  // namespace

HANDLE StartThread(LPTHREAD_START_ROUTINE run, void* parameter) {
    const HANDLE thread = ::CreateThread(nullptr, 0, run, parameter, CREATE_SUSPENDED, nullptr);
    if (!thread) return nullptr;
    ::SetThreadPriority(thread, ::GetThreadPriority(::GetCurrentThread()));
    ::ResumeThread(thread);
    return thread;
}

// What the tasks' threads share with the tasks: it lives as long as the last of them.
struct BackgroundTasks::Line {
    HWND window = nullptr;
    BOOL(WINAPI* post)(HWND, UINT, WPARAM, LPARAM) = nullptr;
    std::atomic<bool> closing{false};  // the tasks are gone: no ending is posted any more
    std::mutex arrivedLock;
    std::vector<std::uint32_t> arrived;  // ids of work from elsewhere ended, not yet taken
};

// A task as its thread holds it.
struct BackgroundTasks::RunRecord {
    JobId id = 0;
    std::function<void()> work;
    std::shared_ptr<Line> line;
    std::atomic<bool> ended{false};  // its work is done
};

BackgroundTasks::BackgroundTasks(TaskSystemCalls calls)
    : startThread_(calls.startThread), line_(std::make_shared<Line>()) {
    const HINSTANCE instance = ::GetModuleHandleA(nullptr);
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = &BackgroundTasks::WindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = WindowClass;
    ::RegisterClassExA(&windowClass);  // fails harmlessly when an earlier one registered it
    // A window of its own, which nothing else sends to: only the messages from the loops
    // running on this thread carry endings here.
    window_ = ::CreateWindowExA(0, WindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr);
    if (window_) ::SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    line_->window = window_;
    line_->post = calls.post;
}

BackgroundTasks::~BackgroundTasks() {
    line_->closing = true;
    // A thread still working keeps its own record: it frees its work when it ends.
    for (auto& [id, job] : jobs_)
        if (job.thread) ::CloseHandle(job.thread);
    if (window_) {
        ::SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
        ::DestroyWindow(window_);
    }
}

bool BackgroundTasks::Close(DWORD waitMs) {
    closed_ = true;
    line_->closing = true;
    const ULONGLONG until = ::GetTickCount64() + waitMs;
    bool ended = true;
    for (auto& [id, job] : jobs_) {
        if (!job.thread) continue;
        const ULONGLONG now = ::GetTickCount64();
        const DWORD left = waitMs == INFINITE ? INFINITE : now < until ? static_cast<DWORD>(until - now) : 0;
        ended = ::WaitForSingleObject(job.thread, left) == WAIT_OBJECT_0 && ended;
    }
    return ended;
}

void BackgroundTasks::Run(std::function<void()> work, std::function<void()> done) {
    const JobId id = nextId_++;
    auto run = std::make_shared<RunRecord>();
    run->id = id;
    run->work = std::move(work);
    run->line = line_;
    auto share = std::make_unique<std::shared_ptr<RunRecord>>(run);  // the thread's
    Job& job = jobs_[id];
    job.run = run;
    job.done = std::move(done);
    job.thread = startThread_(&BackgroundTasks::Work, share.get());
    if (job.thread) {
        share.release();
        return;
    }
    // No thread to be had: the work runs here, and its ending comes as any other's, once
    // the caller has what it started.
    Perform(*run);
    if (!line_->post(window_, EndingMessage, id, 0)) HoldBack(id);
}

DWORD WINAPI BackgroundTasks::Work(void* run) {
    const std::unique_ptr<std::shared_ptr<RunRecord>> share(static_cast<std::shared_ptr<RunRecord>*>(run));
    Perform(**share);
    Deliver(**share);
    return 0;
}

void BackgroundTasks::Perform(RunRecord& run) {
    // Nothing it throws leaves the thread: the task ends as if its work were done.
    try {
        run.work();
    } catch (...) {
    }
    run.work = nullptr;  // what it holds goes now, whoever keeps the record
    run.ended = true;
}

// A post the system refuses (the user's thread's queue is full) is made again until it gets
// through: a lost ending would leave its `done` undone for good.
void BackgroundTasks::Deliver(const RunRecord& run) {
    const Line& line = *run.line;
    while (!line.closing && !line.post(line.window, EndingMessage, run.id, 0)) ::Sleep(RepostMs);
}

LRESULT CALLBACK BackgroundTasks::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* tasks = reinterpret_cast<BackgroundTasks*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
    if (tasks && message == EndingMessage) {
        tasks->Ended(wParam);
        return 0;
    }
    if (tasks && (message == ArrivalMessage || (message == WM_TIMER && wParam == ArrivalTimer))) {
        tasks->TakeArrivals();
        return 0;
    }
    if (tasks && message == WM_TIMER && wParam == HeldBackTimer) {
        ::KillTimer(window, HeldBackTimer);
        // Still inside a modal loop: the last Hold's end sets the timer again.
        if (tasks->holds_ == 0) tasks->RunHeldBack();
        return 0;
    }
    return ::DefWindowProcA(window, message, wParam, lParam);
}

void BackgroundTasks::Ended(JobId id) {
    if (holds_ > 0) {
        if (const auto it = jobs_.find(id); it != jobs_.end() && it->second.run->ended) HoldBack(id);
        return;
    }
    RunHeldBack();
    Finish(id);
}

void BackgroundTasks::Finish(JobId id) {
    const auto it = jobs_.find(id);
    // The id of no job of ours, or of one whose work still runs: a message nobody of ours
    // sent ends nothing.
    if (closed_ || it == jobs_.end() || !it->second.run->ended) return;
    const std::function<void()> done = std::move(it->second.done);
    if (it->second.thread) ::CloseHandle(it->second.thread);
    jobs_.erase(it);
    if (done) done();
}

// Kept to run later, from a timer: a timer's message needs no room in the queue, and comes
// only once the code running now has gone back to a message loop.
void BackgroundTasks::HoldBack(JobId id) {
    heldBack_.push_back(id);
    if (holds_ == 0) ::SetTimer(window_, HeldBackTimer, USER_TIMER_MINIMUM, nullptr);
}

void BackgroundTasks::RunHeldBack() {
    for (const JobId id : std::exchange(heldBack_, {})) Finish(id);
    for (const std::uint32_t id : std::exchange(arrivedHeldBack_, {})) Arrived(id);
}

void BackgroundTasks::Await(std::uint32_t id, std::function<void()> done) {
    awaited_[id] = std::move(done);
    ::SetTimer(window_, ArrivalTimer, ArrivalCheckMs, nullptr);
}

void BackgroundTasks::Forget(std::uint32_t id) {
    awaited_.erase(id);
    if (awaited_.empty()) ::KillTimer(window_, ArrivalTimer);
}

std::function<void(std::uint32_t)> BackgroundTasks::Arrival() const {
    return [line = line_](std::uint32_t id) {
        if (line->closing) return;
        {
            const std::lock_guard<std::mutex> hold(line->arrivedLock);
            line->arrived.push_back(id);
        }
        line->post(line->window, ArrivalMessage, 0, 0);
    };
}

void BackgroundTasks::TakeArrivals() {
    std::vector<std::uint32_t> arrived;
    {
        const std::lock_guard<std::mutex> hold(line_->arrivedLock);
        arrived.swap(line_->arrived);
    }
    for (const std::uint32_t id : arrived) {
        if (holds_ > 0) {
            if (awaited_.count(id)) arrivedHeldBack_.push_back(id);
        } else {
            Arrived(id);
        }
    }
}

void BackgroundTasks::Arrived(std::uint32_t id) {
    const auto it = awaited_.find(id);
    if (closed_ || it == awaited_.end()) return;
    const std::function<void()> done = std::move(it->second);
    Forget(id);
    if (done) done();
}

void BackgroundTasks::Release() {
    if (--holds_ == 0 && !(heldBack_.empty() && arrivedHeldBack_.empty())) ::SetTimer(window_, HeldBackTimer, USER_TIMER_MINIMUM, nullptr);
}

PendingSkinDecode::PendingSkinDecode(BackgroundTasks& tasks, std::vector<std::string> paths, bool decodeThere,
                                     std::function<std::unique_ptr<Image>(const std::string&)> decodeHere)
    : paths_(std::move(paths)), decoded_(std::make_shared<Handoff<Decoded>>()), decodeHere_(std::move(decodeHere)) {
    if (!decodeThere) {
        decoded_->Give({});
        return;
    }
    tasks.Run(
        [decoded = decoded_, paths = paths_] {
            Decoded out;
            // Whatever stops it, what was decoded is handed over: Take waits for it.
            try {
                ThreadImaging imaging;
                for (const std::string& path : paths)
                    out.push_back(DecodePixels(path, SkinImageLimit, &imaging.Component()));
            } catch (...) {
            }
            decoded->Give(std::move(out));
        },
        [] {});
}

std::vector<std::unique_ptr<Image>> PendingSkinDecode::Take() {
    std::vector<std::unique_ptr<Image>> images;
    if (taken_) return images;
    taken_ = true;
    Decoded decoded = decoded_->Wait();
    for (std::size_t i = 0; i < paths_.size(); ++i)
        // What didn't decode there is tried once more here, so it ends as DecodeSkinImage ends.
        images.push_back(i < decoded.size() && decoded[i] ? ImageOfPixels(std::move(*decoded[i]), std::nullopt)
                                                          : decodeHere_(paths_[i]));
    return images;
}

}  // namespace zylora::platform::win32
