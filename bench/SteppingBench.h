// The `next` steps between the bench's two photos: at once, after a rest (read ahead), and
// Right held.
#pragma once

#include "bench/KeysAndFoldersBench.h"

namespace zylora::app {
class TfrmMiddle;
}

namespace zylora::bench {

struct Stepping {
    double atOnce = 0;       // a step at once, to its first paint (median)
    double afterRest = 0;    // a step after a rest of two decode times (median)
    double readAheadMb = 0;  // the most memory one rest's read-ahead took
    HeldKey held;            // Right held 3 s at 30/s
};

// One `next` step, until its picture (or the preview of it) is painted, the messages flowing.
void StepAndShow(app::TfrmMiddle& main);

// The steps, from the folder's picture shown; `decodeMs` is the plain decode of the other
// photo, the rest being two of them.
Stepping MeasureStepping(app::TfrmMiddle& main, double decodeMs);
void ReportStepping(const Stepping& steps, double decodeMs, double openMs);

}  // namespace zylora::bench
