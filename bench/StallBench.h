// How long the user's thread went without answering: a watcher thread sends the main form
// WM_NULL over and over and times each answer, while the bench opens, steps and holds Right.
#pragma once

#include <memory>
#include <string>

#include "bench/BenchSupport.h"

namespace zylora::app {
class TfrmMiddle;
}

namespace zylora::bench {

struct Stall {
    const char* phase;
    double longest = 0;  // milliseconds the slowest answer took
    double at = 0;       // when it was asked (Now())
    double begun = 0;    // when the phase began
};

struct StallWatcher;

struct Stalls {
    Stall open{"the open"}, step{"the step at once"}, held{"Right held"};
    Stall busyIdle{"idle beside a busy thread per core"};  // the floor: nothing to do
    UserThreadLog log;
    // The preview a step decodes on the user's thread, at a press's sharpness and at a held
    // key's glance (half of it): as a step decodes it, a full decode beside it, and alone.
    double previewPress = 0, previewPressAlone = 0, previewGlance = 0, previewGlanceAlone = 0;
};

// From construction to destruction the main form's answers are timed into `phase`, and what
// the user's thread does is noted in the stalls' log.
class StallWatch {
public:
    StallWatch(app::TfrmMiddle& main, Stalls& stalls, Stall& phase);
    ~StallWatch();
    StallWatch(const StallWatch&) = delete;
    StallWatch& operator=(const StallWatch&) = delete;

private:
    std::unique_ptr<StallWatcher> watcher_;
    Stall& phase_;
};

// The open of `photo` by a drop and then a step at once to the other photo, each watched
// until its full pixels are in (waited for with the messages flowing, as a user waits); then
// the preview a step decodes, timed. `lone`, a picture alone in its folder, is opened before
// each, so that nothing is read ahead. It ends with `photo` open.
void WatchOpenAndStep(app::TfrmMiddle& main, const std::string& photo, const std::string& lone, Stalls& stalls);

// The longest stall and that of each phase, rows of the table.
void ReportStalls(const Stalls& stalls);
// Under the table: what the user's thread was doing in each phase's longest stall, and the
// slowest things it did at all.
void PrintStallCauses(const Stalls& stalls);

}  // namespace zylora::bench
