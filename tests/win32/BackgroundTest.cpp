// Work off the user's thread: each task's ending comes back through the messages as its
// job's id, and nothing else that comes that way, nor a failure of the system, ends a task
// wrongly or loses its ending.
#include "platform/win32/Win32Background.h"
#include "platform/win32/Win32Imaging.h"
#include "tests/win32/Win32TestSupport.h"

#include <atomic>
#include <memory>
#include <new>
#include <stdexcept>

namespace zylora::win32test {
namespace {

using platform::win32::BackgroundTasks;
using platform::win32::TaskSystemCalls;

// A task's work held until the test lets it go: a listing of a share that doesn't answer.
class Gate {
public:
    ~Gate() {
        Open();
        ::CloseHandle(event_);
    }
    void Open() { ::SetEvent(event_); }
    void Wait() const { ::WaitForSingleObject(event_, 10000); }

private:
    HANDLE event_ = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
};

using BackgroundTest = PlatformTest;

TEST_F(BackgroundTest, AMessageThatNamesNoEndedTaskEndsNothing) {
    Gate gate;
    int ended = 0;
    platform->RunInBackground([&] { gate.Wait(); }, [&] { ++ended; });
    auto form = Form();
    const HWND application = ::GetWindow(HandleOf(*form), GW_OWNER);
    const HWND tasks = ::FindWindowExA(HWND_MESSAGE, nullptr, BackgroundTasks::WindowClass, nullptr);
    ASSERT_NE(tasks, nullptr);
    // What another program may send any window of ours: the application window's class is
    // well known.
    for (const HWND to : {application, tasks})
        for (WPARAM id = 0; id < 64; ++id) ::SendMessageA(to, WM_APP + 1, id, 0x10);
    EXPECT_EQ(ended, 0) << "not while the work runs";
    gate.Open();
    EXPECT_TRUE(PumpUntil([&] { return ended > 0; }));
    PumpPending();
    EXPECT_EQ(ended, 1);
}

// A message box runs a loop of its own. An ending run there would change what the code that
// showed the box goes on with once it returns: the ending waits for the box to close.
TEST_F(BackgroundTest, AnEndingThatComesWhileAMessageBoxStandsWaitsForItsEnd) {
    for (const bool question : {false, true}) {
        std::atomic<bool> worked{false};
        bool ended = false, endedInTheBox = false;
        platform->RunInBackground([&] { worked = true; }, [&] { ended = true; });
        int ticks = 0;
        // A timer's tick comes only when no posted message waits: a few ticks after the
        // work, its ending has been through the box's loop.
        auto closer = platform->CreateTimer(10, [&] {
            if (!worked || ++ticks < 3) return;
            endedInTheBox = ended;
            if (const HWND box = ::FindWindowA("#32770", "Zylora test"))
                ::PostMessageA(box, WM_COMMAND, question ? IDNO : IDOK, 0);
        });
        closer->SetEnabled(true);
        if (question)
            platform->AskYesNo(nullptr, "Go on?", "Zylora test");
        else
            platform->ShowMessage(nullptr, "Wait", "Zylora test", MessageIcon::Information);
        closer.reset();
        EXPECT_FALSE(endedInTheBox);
        EXPECT_FALSE(ended) << "nor as the box closes";
        EXPECT_TRUE(PumpUntil([&] { return ended; }));
    }
}

// A thread started for a read-ahead kept behind everything stays behind everything, and one
// started for the user doesn't fall behind.
TEST_F(BackgroundTest, ATaskAndTheHelperOfASplitRunAtTheirCallersPriority) {
    for (const int priority : {THREAD_PRIORITY_BELOW_NORMAL, THREAD_PRIORITY_ABOVE_NORMAL}) {
        ASSERT_TRUE(::SetThreadPriority(::GetCurrentThread(), priority));
        std::atomic<int> task{THREAD_PRIORITY_ERROR_RETURN};
        int halves[2] = {THREAD_PRIORITY_ERROR_RETURN, THREAD_PRIORITY_ERROR_RETURN};
        bool ended = false;
        platform->RunInBackground([&] { task = ::GetThreadPriority(::GetCurrentThread()); }, [&] { ended = true; });
        platform::win32::InHalves(2, [&](int begin, int) { halves[begin] = ::GetThreadPriority(::GetCurrentThread()); });
        ::SetThreadPriority(::GetCurrentThread(), THREAD_PRIORITY_NORMAL);
        EXPECT_TRUE(PumpUntil([&] { return ended; }));
        EXPECT_EQ(task, priority);
        EXPECT_EQ(halves[0], priority);
        EXPECT_EQ(halves[1], priority);
    }
}

// What either half of a split throws reaches its caller, and only once both halves are
// over: the helper writes into what the caller owns.
TEST(SplitTest, AThrowOnEitherHalfReachesTheCallerOnceBothHalvesAreOver) {
    for (const int throwing : {0, 1}) {
        std::atomic<bool> otherDone{false};
        const auto work = [&](int begin, int) {
            if (begin == throwing) throw std::runtime_error("half failed");
            ::Sleep(100);  // the other half is still at work when the throw comes
            otherDone = true;
        };
        EXPECT_THROW(platform::win32::InHalves(2, work), std::runtime_error) << throwing;
        EXPECT_TRUE(otherDone) << "half " << throwing << " threw before the other half was over";
    }
}

std::atomic<int> refusals;
BOOL WINAPI RefusingPost(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (refusals.fetch_sub(1) > 0) return FALSE;
    return ::PostMessageW(window, message, wParam, lParam);
}

// As when the user's thread's queue is full.
TEST(BackgroundTasksTest, AnEndingTheSystemRefusedComesLaterAndFreesWhatItHeld) {
    refusals = 3;
    BackgroundTasks tasks(TaskSystemCalls{.post = &RefusingPost});
    auto held = std::make_shared<int>(0);
    const std::weak_ptr<int> kept = held;
    bool ended = false;
    tasks.Run([] {}, [&ended, held = std::move(held)] { ended = true; });
    EXPECT_TRUE(PumpUntil([&] { return ended; }));
    EXPECT_TRUE(kept.expired());
}

HANDLE NoThread(LPTHREAD_START_ROUTINE, void*) { return nullptr; }

TEST(BackgroundTasksTest, WithoutAThreadTheWorkRunsAtOnceAndItsEndingComesFromTheMessages) {
    BackgroundTasks tasks(TaskSystemCalls{.startThread = &NoThread});
    Log log;
    tasks.Run([&] { log.push_back("work"); }, [&] { log.push_back("done"); });
    tasks.Run([&] { throw std::bad_alloc(); }, [&] { log.push_back("done after a throw"); });
    log.push_back("stored");  // what the caller does with what it started
    EXPECT_TRUE(PumpUntil([&] { return log.size() == 4; }));
    EXPECT_EQ(log, (Log{"work", "stored", "done", "done after a throw"}));
}

// A folder on a share that doesn't answer can take minutes to list: closing waits for a
// task's listing only as long as it is told.
TEST(BackgroundTasksTest, ClosingWaitsForAListingThatDoesNotEndOnlySoLong) {
    Gate listing;
    BackgroundTasks tasks;
    bool ended = false;
    tasks.Run([&] { listing.Wait(); }, [&] { ended = true; });
    EXPECT_FALSE(tasks.Close(0));
    listing.Open();
    EXPECT_TRUE(tasks.Close(10000));
    PumpPending();
    EXPECT_FALSE(ended) << "a task closed never ends here";
}

// Work ended on another thread (the picture service's) comes back by its id: its `done` runs
// once, from the messages, not while a modal loop holds the endings back, not for an id
// forgotten, and not lost when the system refuses the post.
using Arrival = std::function<void(std::uint32_t)>;
DWORD WINAPI ArriveAll(void* arrival) {
    for (const std::uint32_t id : {7u, 8u, 9u, 7u}) (*static_cast<Arrival*>(arrival))(id);
    return 0;
}

TEST(BackgroundTasksTest, AnArrivalRunsItsDoneOnceOutsideModalLoopsEvenWhenItsPostIsRefused) {
    for (const bool refused : {false, true}) {
        refusals = refused ? 1 << 20 : 0;
        BackgroundTasks tasks(TaskSystemCalls{.post = &RefusingPost});
        Log log;
        tasks.Await(7, [&] { log.push_back("7"); });
        tasks.Await(8, [&] { log.push_back("8"); });
        tasks.Forget(8);
        const Arrival arrive = tasks.Arrival();
        {
            BackgroundTasks::Hold modal(tasks);
            const HANDLE thread = platform::win32::StartThread(&ArriveAll, const_cast<Arrival*>(&arrive));
            ASSERT_NE(thread, nullptr);
            ::WaitForSingleObject(thread, 10000);
            ::CloseHandle(thread);
            PumpPending();
            ::Sleep(300);  // past the timer that looks for refused posts
            PumpPending();
            EXPECT_TRUE(log.empty()) << refused;
        }
        EXPECT_TRUE(PumpUntil([&] { return !log.empty(); })) << refused;
        PumpPending();
        EXPECT_EQ(log, Log{"7"}) << refused;
    }
    refusals = 0;
}

}  // namespace
}  // namespace zylora::win32test
