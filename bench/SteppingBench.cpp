#include "bench/SteppingBench.h"

#include <algorithm>
#include <atomic>
#include <vector>

#include "app/MainWindow.h"
#include "bench/BenchSupport.h"
#include "bench/StallBench.h"
#include "imaging/Pixels.h"
#include "shell/FileDrop.h"

namespace zylora::bench {

namespace {

// One thread per core doing arithmetic from construction until destruction, at the priority
// another program's work has.
class BusyCores {
public:
    BusyCores() {
        SYSTEM_INFO system{};
        ::GetSystemInfo(&system);
        for (DWORD i = 0; i < system.dwNumberOfProcessors; ++i)
            if (const HANDLE thread = ::CreateThread(nullptr, 0, &Spin, &stop_, 0, nullptr)) threads_.push_back(thread);
    }
    ~BusyCores() {
        stop_ = true;
        for (const HANDLE thread : threads_) {
            ::WaitForSingleObject(thread, INFINITE);
            ::CloseHandle(thread);
        }
    }
    BusyCores(const BusyCores&) = delete;
    BusyCores& operator=(const BusyCores&) = delete;

private:
    static DWORD WINAPI Spin(void* stop) {
        const auto& stopped = *static_cast<std::atomic<bool>*>(stop);
        volatile double x = 1;
        while (!stopped)
            for (int i = 0; i < 100000; ++i) x = x * 1.0000001 + 1e-9;
        return 0;
    }
    std::atomic<bool> stop_{false};
    std::vector<HANDLE> threads_;
};

void ReportRate(const char* what, const HeldKey& held, const char* goal) {
    std::printf("| %-46s | %8.1f /s | %-24s %8.1f /s | %6.2f x | %-10s |\n", what, held.shown / 3.0, "the repeats",
                30.0, held.shown / 90.0, goal);
}

}  // namespace

void OpenByDrop(app::TfrmMiddle& main, const std::string& path) {
    main.FileDrop1->Files() = {path};
    main.FileDrop1Drop();
    main.CompletePicture();
    main.Image2->Update();
}

void StepAndShow(app::TfrmMiddle& main) {
    // A large photo not read ahead shows its preview first. Known by its path: the new
    // picture's object may well take the old one's address.
    auto shown = [&] { return main.Picture || main.Preview; };
    const std::string before = main.PicturePath;
    Noted([] { return "the step (StepInFolder)"; }, [&] { main.StepInFolder(true); });
    // A folder the list doesn't hold yet is read on another thread first.
    for (const double until = Now() + 10000; (!shown() || main.PicturePath == before) && Now() < until;) Rest(0.5);
    Noted([] { return "the step's first paint (Update)"; }, [&] { main.Image2->Update(); });
}

Stepping MeasureStepping(app::TfrmMiddle& main, double decodeMs, Stalls* stalls) {
    Stepping result;
    // Each step goes to the other photo: the folder holds just the two. Stepped at once,
    // nothing has been read ahead. Each step's full decode is let finish before the next,
    // outside the time.
    std::vector<double> steps;
    for (int i = 0; i < 4; ++i) {
        const double start = Now();
        StepAndShow(main);
        steps.push_back(Now() - start);
        main.CompletePicture();
    }
    result.atOnce = Median(steps);
    // The user rests on each picture for two decode times, the messages flowing: the viewer
    // reads the other photo ahead meanwhile.
    std::vector<double> restedSteps;
    for (int i = 0; i < 5; ++i) {
        imaging::FreeKeptPictureMemory();  // as in the opens: what the read-ahead holds, all of it
        const double before = PrivateMb();
        Rest(2 * decodeMs);
        result.readAheadMb = std::max(result.readAheadMb, PrivateMb() - before);
        const double start = Now();
        StepAndShow(main);
        restedSteps.push_back(Now() - start);
    }
    result.afterRest = Median(restedSteps);
    // Right held for three seconds over the two photos, the keyboard repeating 30 times a second.
    if (stalls) {
        // The floor of the held key's: the thread idle for as long, while as many threads as
        // there are cores are busy (as a held key's looks keep them).
        {
            const BusyCores busy;
            const StallWatch watch(main, *stalls, stalls->busyIdle);
            Rest(3000);
        }
        StallWatch watch(main, *stalls, stalls->held);
        result.held = HoldRight(main, 3000, 30);
    } else {
        result.held = HoldRight(main, 3000, 30);
    }
    return result;
}

Stepping MeasureSteppingLoaded(app::TfrmMiddle& main, double decodeMs) {
    const BusyCores busy;
    return MeasureStepping(main, decodeMs);
}

void ReportStepping(const Stepping& quiet, const Stepping& loaded, double decodeMs, double openMs) {
    // Against the decode on the quiet machine: what the user waits, however busy it is.
    const char* busy = "  with a busy thread per core";
    const char* decode = "the plain decode of it";
    Report("next after a rest (read ahead), first paint", quiet.afterRest, decode, decodeMs, "<= 0.1 x");
    Report(busy, loaded.afterRest, decode, decodeMs, "<= 0.1 x");
    Report("next at once (nothing read ahead)", quiet.atOnce, decode, decodeMs);
    Report(busy, loaded.atOnce, decode, decodeMs);
    if (openMs > 0) Report("next at once, against an open by drop", quiet.atOnce, "the open", openMs);
    ReportRate("Right held 3 s at 30/s: pictures shown", quiet.held, ">= 10 /s");
    ReportRate(busy, loaded.held, ">= 10 /s");
    Report("  of it: the release to the last paint", quiet.held.lastPaintAfterRelease, decode, decodeMs, "<= 0.5 x");
    Report("    with a busy thread per core", loaded.held.lastPaintAfterRelease, decode, decodeMs, "<= 0.5 x");
}

}  // namespace zylora::bench
