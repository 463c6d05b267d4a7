// Pictures decoded ahead on the worker thread: handed over with the very pixels a decode
// gives, only while their files are unchanged and they are still wanted.
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32ReadAhead.h"
#include "tests/win32/ViewerTestSupport.h"

#include <atomic>
#include <cstring>
#include <new>

namespace zylora::win32test {
namespace {

Argb Pattern(int x, int y) { return MakeArgb(255, (x * 37) & 255, (y * 53) & 255, (x ^ y) & 255); }

class ReadAheadTest : public PlatformTest {
protected:
    // Until the worker holds that many pixels (it never gets there if it fails).
    void WaitForHeld(long long pixels) {
        PumpUntil([&] { return worker.HeldPixels() >= pixels; });
    }
    void Want(std::vector<std::string> paths, std::function<Size(Size)> reducedFor) {
        worker.Request([paths] { return paths; }, std::move(reducedFor));
    }
    ScratchFolder folder;
    const win32::ImagingComponent component;
    win32::Win32FileSystem files;
    win32::ReadAheadWorker worker{files};
};

TEST_F(ReadAheadTest, APictureReadAheadIsTheDecodedPictureWithItsReduction) {
    const std::string a = folder.File("a.png");
    WritePicture(a, 64, 48, "image/png", Pattern);
    Want({a}, [](Size s) { return Size{s.width / 4, s.height / 4}; });
    WaitForHeld(64 * 48 + 16 * 12);
    auto ready = worker.Take(a);
    ASSERT_TRUE(ready.has_value());
    auto image = win32::ImageOfPixels(std::move(ready->pixels), std::move(ready->reduced));
    auto decoded = platform->DecodeImage(a);
    EXPECT_TRUE(SamePixels(*image, *decoded));
    EXPECT_TRUE(SamePixels(*image->Reduced(16, 12), *decoded->Reduced(16, 12))) << "the reduction made ahead";
    EXPECT_TRUE(SamePixels(*image->Reduced(16, 12), *decoded->Reduced(16, 12))) << "and the one made afresh";
    EXPECT_FALSE(worker.Take(a).has_value()) << "handed over once";

    // Square, so a stale reduction would have the size asked for.
    const std::string square = folder.File("square.png");
    WritePicture(square, 48, 48, "image/png", Pattern);
    auto turned = win32::ImageOfPixels(std::move(*win32::DecodePixels(square, imaging::PictureLimit, &component)), [&] {
        auto d = win32::DecodePixels(square, imaging::PictureLimit, &component);
        return imaging::ReducePixels(d->pixels, d->opaque, {12, 12});
    }());
    auto plain = platform->DecodeImage(square);
    turned->RotateFlip(RotateFlipType::Rotate90FlipNone);
    plain->RotateFlip(RotateFlipType::Rotate90FlipNone);
    EXPECT_TRUE(SamePixels(*turned->Reduced(12, 12), *plain->Reduced(12, 12))) << "no stale reduction after a turn";
}

TEST_F(ReadAheadTest, AChangedFileOrAPictureNoLongerWantedIsNotHandedOver) {
    const std::string a = folder.File("a.png"), b = folder.File("b.png"), bad = folder.File("bad.png");
    WritePicture(a, 20, 10, "image/png", Pattern);
    WritePicture(b, 30, 10, "image/png", Pattern);
    WriteBytes(bad, "not a picture");
    Want({bad, a, b}, nullptr);
    WaitForHeld(200 + 300);
    EXPECT_FALSE(worker.Take(bad).has_value());
    WritePicture(a, 21, 10, "image/png", Pattern);
    EXPECT_FALSE(worker.Take(a).has_value()) << "written since";
    Want({a}, nullptr);
    PumpUntil([&] { return worker.HeldPixels() != 300; });
    EXPECT_FALSE(worker.Take(b).has_value()) << "dropped";
    WaitForHeld(210);
    auto again = worker.Take(a);
    ASSERT_TRUE(again.has_value());
    EXPECT_EQ(again->pixels.pixels.width, 21) << "read afresh when asked again";
}

// A reduction's size as a function whose every copy fails, as a copy does when memory is short.
std::atomic<int> failedCopies{0};
struct CopiesFail {
    CopiesFail() = default;
    CopiesFail(CopiesFail&&) noexcept = default;
    CopiesFail(const CopiesFail&) {
        ++failedCopies;
        throw std::bad_alloc();
    }
    Size operator()(Size s) const { return s; }
};

TEST_F(ReadAheadTest, AFailureOnTheWorkerMeansNotReadAheadAndTheWorkerGoesOn) {
    const std::string a = folder.File("a.png"), b = folder.File("b.png");
    WritePicture(a, 20, 10, "image/png", Pattern);
    WritePicture(b, 30, 10, "image/png", Pattern);
    // No memory for the worker's own copies of the request.
    Want({a}, CopiesFail{});
    PumpUntil([] { return failedCopies > 0; });
    worker.Request([]() -> std::vector<std::string> { throw std::bad_alloc(); }, nullptr);
    Want({a, b}, [](Size s) -> Size {
        if (s.width == 20) throw std::bad_alloc();  // no memory for this one's reduction
        return s;
    });
    WaitForHeld(300);
    EXPECT_FALSE(worker.Take(a).has_value());
    EXPECT_TRUE(worker.Take(b).has_value());
}

TEST_F(ReadAheadTest, ThePictureTheUserWaitsForIsDecodedAtTheUsersPriority) {
    const std::string a = folder.File("a.png");
    WritePicture(a, 20, 10, "image/png", Pattern);
    HANDLE started = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::atomic<int> priority{THREAD_PRIORITY_ERROR_RETURN};
    Want({a}, [&](Size s) {
        ::SetEvent(started);
        // Holds the decode until the waiting user lifts this thread, or a generous bound.
        for (int n = 0; n < 500 && ::GetThreadPriority(::GetCurrentThread()) < THREAD_PRIORITY_NORMAL; ++n)
            ::Sleep(10);
        priority = ::GetThreadPriority(::GetCurrentThread());
        return s;
    });
    ASSERT_EQ(::WaitForSingleObject(started, 5000), WAIT_OBJECT_0);
    EXPECT_TRUE(worker.Take(a).has_value());
    EXPECT_GE(priority.load(), THREAD_PRIORITY_NORMAL);
    ::CloseHandle(started);
}

// A thread waiting in Take for a picture, at a priority of its own.
class Waiter {
public:
    Waiter(win32::ReadAheadWorker& worker, std::string path, int priority)
        : worker_(worker), path_(std::move(path)),
          thread_(::CreateThread(nullptr, 0, &Waiter::Run, this, CREATE_SUSPENDED, nullptr)) {
        ::SetThreadPriority(thread_, priority);
        ::ResumeThread(thread_);
    }
    ~Waiter() {
        End();
        ::CloseHandle(thread_);
    }
    HANDLE Thread() const { return thread_; }
    void End() const { ::WaitForSingleObject(thread_, 10000); }
    std::atomic<bool> got{false};

private:
    static DWORD WINAPI Run(void* self) {
        auto* waiter = static_cast<Waiter*>(self);
        waiter->got = waiter->worker_.Take(waiter->path_).has_value();
        return 0;
    }
    win32::ReadAheadWorker& worker_;
    std::string path_;
    HANDLE thread_;
};

// The first thread to wait leaves while a second one, of a higher priority, waits for the
// next picture: the worker stays at the priority of the one still waiting, and goes back
// behind everything once none is.
TEST_F(ReadAheadTest, AWaitEndingInsideAnotherLeavesTheWorkerAtThePriorityOfThoseStillWaiting) {
    struct Watch {
        std::atomic<int> seen{THREAD_PRIORITY_ERROR_RETURN}, samples{0};
        std::atomic<bool> go{false};
    } watches[3];
    std::vector<std::string> paths;
    for (int i = 0; i < 3; ++i) {
        paths.push_back(folder.File(std::to_string(i) + ".png"));
        WritePicture(paths.back(), 10 + i, 10, "image/png", Pattern);
    }
    // Each picture's decode is held until the test lets it go, telling the worker's priority.
    Want(paths, [&](Size s) {
        Watch& watch = watches[s.width - 10];
        for (int n = 0; n < 5000; ++n) {
            watch.seen = ::GetThreadPriority(::GetCurrentThread());
            ++watch.samples;
            if (watch.go) break;
            ::Sleep(2);
        }
        return s;
    });
    auto sees = [&](int i, int priority) {
        const int after = watches[i].samples + 1;  // a sample taken from now on
        return PumpUntil([&] { return watches[i].samples > after && watches[i].seen == priority; });
    };
    ASSERT_TRUE(sees(0, THREAD_PRIORITY_BELOW_NORMAL));
    Waiter first(worker, paths[0], THREAD_PRIORITY_NORMAL);
    ASSERT_TRUE(sees(0, THREAD_PRIORITY_NORMAL));
    ::SuspendThread(first.Thread());  // it leaves its wait only once let go
    watches[0].go = true;
    ASSERT_TRUE(PumpUntil([&] { return watches[1].samples > 0; }));
    Waiter second(worker, paths[1], THREAD_PRIORITY_ABOVE_NORMAL);
    EXPECT_TRUE(sees(1, THREAD_PRIORITY_ABOVE_NORMAL));
    ::ResumeThread(first.Thread());
    first.End();
    EXPECT_TRUE(sees(1, THREAD_PRIORITY_ABOVE_NORMAL)) << "the second still waits";
    watches[1].go = true;
    second.End();
    EXPECT_TRUE(sees(2, THREAD_PRIORITY_BELOW_NORMAL));
    watches[2].go = true;
    EXPECT_TRUE(first.got);
    EXPECT_TRUE(second.got);
}

}  // namespace
}  // namespace zylora::win32test
