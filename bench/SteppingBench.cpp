#include "bench/SteppingBench.h"

#include <algorithm>
#include <vector>

#include "app/MainWindow.h"
#include "bench/BenchSupport.h"
#include "imaging/Pixels.h"

namespace zylora::bench {

void StepAndShow(app::TfrmMiddle& main) {
    // A large photo not read ahead shows its preview first. Known by its path: the new
    // picture's object may well take the old one's address.
    auto shown = [&] { return main.Picture || main.Preview; };
    const std::string before = main.PicturePath;
    main.StepInFolder(true);
    // A folder the list doesn't hold yet is read on another thread first.
    for (const double until = Now() + 10000; (!shown() || main.PicturePath == before) && Now() < until;) Rest(0.5);
    main.Image2->Update();
}

Stepping MeasureStepping(app::TfrmMiddle& main, double decodeMs) {
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
    result.held = HoldRight(main, 3000, 30);
    return result;
}

void ReportStepping(const Stepping& steps, double decodeMs, double openMs) {
    Report("next after a rest (read ahead), first paint", steps.afterRest, "the plain decode of it", decodeMs,
           "<= 0.1 x");
    Report("next at once (nothing read ahead)", steps.atOnce, "the plain decode of it", decodeMs);
    Report("next at once, against an open by drop", steps.atOnce, "the open", openMs);
    std::printf("| %-46s | %8.1f /s | %-24s %8.1f /s | %6.2f x | %-10s |\n", "Right held 3 s at 30/s: pictures shown",
                steps.held.shown / 3.0, "the repeats", 30.0, steps.held.shown / 90.0, ">= 5 /s");
    Report("  of it: the release to the last paint", steps.held.lastPaintAfterRelease, "the plain decode of it",
           decodeMs, "<= 1 x");
}

}  // namespace zylora::bench
