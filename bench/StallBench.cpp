#include "bench/StallBench.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <vector>

#include "app/MainWindow.h"
#include "bench/SteppingBench.h"
#include "platform/win32/Win32Imaging.h"
#include "shell/FileDrop.h"

namespace zylora::bench {

struct StallWatcher {
    HWND form;
    std::atomic<bool> stop{false};
    double longest = 0, at = 0;  // read once the thread has ended
    HANDLE thread = nullptr;
};

namespace {

// Sends until told to stop, a millisecond apart. The watcher has no window of its own to
// answer for while it waits, so it blocks.
DWORD WINAPI Watch(void* state) {
    auto* w = static_cast<StallWatcher*>(state);
    while (!w->stop) {
        const double start = Now();
        DWORD_PTR answer = 0;
        ::SendMessageTimeoutW(w->form, WM_NULL, 0, 0, SMTO_BLOCK, 60000, &answer);
        const double ms = Now() - start;
        if (ms > w->longest) {
            w->longest = ms;
            w->at = start;
        }
        ::Sleep(1);
    }
    return 0;
}

std::string Shown(app::TfrmMiddle& main) {
    const std::string name = main.PicturePath.substr(main.PicturePath.find_last_of("\\/") + 1);
    return name + (main.Picture ? " in full" : main.Preview ? " as its preview" : " not shown");
}

// Until the full pixels are in, the messages flowing; then a little more, for their paint.
void WaitForFullPixels(app::TfrmMiddle& main) {
    for (const double until = Now() + 10000; main.PendingPicture && Now() < until;) Rest(0.5);
    Rest(50);
}

void PrintSpan(const Span& span, const Stall& phase) {
    std::printf("  %7.1f ms  %-16s +%7.1f ms  %s\n", span.ms, span.phase, span.start - phase.begun, span.what.c_str());
}

}  // namespace

StallWatch::StallWatch(app::TfrmMiddle& main, Stalls& stalls, Stall& phase)
    : watcher_(std::make_unique<StallWatcher>()), phase_(phase) {
    if (!stalls.log.state) stalls.log.state = [&main] { return Shown(main); };
    stalls.log.phase = phase.phase;
    phase.begun = Now();
    ActiveLog() = &stalls.log;
    watcher_->form = reinterpret_cast<HWND>(main.Platform().IdentityOf(main.Form()));
    watcher_->thread = ::CreateThread(nullptr, 0, &Watch, watcher_.get(), 0, nullptr);
}

StallWatch::~StallWatch() {
    watcher_->stop = true;
    // Its last send is answered only from the messages.
    while (watcher_->thread && ::WaitForSingleObject(watcher_->thread, 0) == WAIT_TIMEOUT) Rest(1);
    if (watcher_->thread) ::CloseHandle(watcher_->thread);
    ActiveLog() = nullptr;
    phase_.longest = watcher_->longest;
    phase_.at = watcher_->at;
}

void WatchOpenAndStep(app::TfrmMiddle& main, const std::string& photo, const std::string& lone, Stalls& stalls) {
    // A picture alone in its folder, opened and left until the viewer has asked for its
    // neighbours: nothing is read ahead after it.
    auto forgetReadAhead = [&] {
        OpenByDrop(main, lone);
        Rest(100);
    };
    forgetReadAhead();
    {
        StallWatch watch(main, stalls, stalls.open);
        main.FileDrop1->Files() = {photo};
        Noted([] { return "the drop (FileDrop1Drop)"; }, [&] { main.FileDrop1Drop(); });
        Noted([] { return "the view's first paint (Update)"; }, [&] { main.Image2->Update(); });
        WaitForFullPixels(main);
    }
    // A step at once: from the photo opened without the messages flowing, so that its
    // neighbour isn't being read ahead.
    forgetReadAhead();
    OpenByDrop(main, photo);
    {
        StallWatch watch(main, stalls, stalls.step);
        StepAndShow(main);
        WaitForFullPixels(main);
    }
    // The preview a step decodes on the user's thread, of the photo, which nothing holds read
    // ahead, at the size an open asks for: as a step decodes it, with the full decode it starts
    // beside it (cancelled with it, and let stop before the next), and alone. Alternated.
    forgetReadAhead();
    const int zoom = std::max(1, main.ZoomFactor);
    auto neededFor = [&](int glance) {
        return [&main, zoom, glance](platform::Size picture) {
            const platform::Size panel = main.FitToScreen(picture.width, picture.height);
            return platform::Size{std::min(panel.width * zoom / glance, picture.width),
                                  std::min(panel.height * zoom / glance, picture.height)};
        };
    };
    std::vector<double> times[2][2];  // [glance - 1][alone]
    for (int i = 0; i < 3; ++i)
        for (const int glance : {1, 2}) {
            times[glance - 1][0].push_back(
                Time(1, [&] { main.Platform().DecodePreview(photo, neededFor(glance), [] {}); }));
            Rest(100);
            times[glance - 1][1].push_back(Time(1, [&] {
                using namespace platform::win32;
                if (const auto plan = PlanPreview(photo, PictureLimit, neededFor(glance)))
                    DecodePreviewPixels(photo, *plan);
            }));
        }
    stalls.previewPress = Median(times[0][0]);
    stalls.previewPressAlone = Median(times[0][1]);
    stalls.previewGlance = Median(times[1][0]);
    stalls.previewGlanceAlone = Median(times[1][1]);
    OpenByDrop(main, photo);  // where the steps begin
}

void ReportStalls(const Stalls& stalls) {
    const double frame = 1000.0 / 60;
    const Stall* phases[] = {&stalls.open, &stalls.step, &stalls.held};
    const Stall* longest = *std::max_element(std::begin(phases), std::end(phases),
                                             [](const Stall* a, const Stall* b) { return a->longest < b->longest; });
    Report("longest the user's thread didn't answer", longest->longest, "a 60 Hz frame", frame, "<= 1 x");
    for (const Stall* phase : phases) {
        const std::string what = std::string("  of it: in ") + phase->phase;
        Report(what.c_str(), phase->longest, "a 60 Hz frame", frame);
    }
    Report("  floor: idle beside a busy thread per core", stalls.busyIdle.longest, "a 60 Hz frame", frame);
    Report("  a look at the view's sharpness, full beside", stalls.previewPress, "a 60 Hz frame", frame);
    Report("    the same decode alone", stalls.previewPressAlone, "a 60 Hz frame", frame);
    Report("  a look at half of it (every look's), full", stalls.previewGlance, "a 60 Hz frame", frame);
    Report("    the same decode alone", stalls.previewGlanceAlone, "a 60 Hz frame", frame);
}

void PrintStallCauses(const Stalls& stalls) {
    auto slowestFirst = [](const Span* a, const Span* b) { return a->ms > b->ms; };
    auto slowest = [&](auto&& keep, std::size_t count) {
        std::vector<const Span*> spans;
        for (const Span& span : stalls.log.spans)
            if (keep(span)) spans.push_back(&span);
        std::sort(spans.begin(), spans.end(), slowestFirst);
        if (spans.size() > count) spans.resize(count);
        return spans;
    };
    std::printf("\nwhat the user's thread did (its time, the phase, from the phase's start, what; "
                "\"-> x\": what it showed after):\n");
    for (const Stall* phase : {&stalls.open, &stalls.step, &stalls.held}) {
        std::printf("%s: the longest stall %.1f ms, from +%.1f ms; meanwhile:\n", phase->phase, phase->longest,
                    phase->at - phase->begun);
        for (const Span* span : slowest(
                 [&](const Span& span) {
                     return span.start < phase->at + phase->longest && span.start + span.ms > phase->at;
                 },
                 3))
            PrintSpan(*span, *phase);
        std::printf("  the phase's slowest:\n");
        for (const Span* span : slowest([&](const Span& span) { return span.phase == phase->phase; }, 6))
            PrintSpan(*span, *phase);
    }
}

}  // namespace zylora::bench
