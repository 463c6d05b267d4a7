// The `next` steps between the bench's two photos: at once, after a rest (read ahead), and
// Right held; on the quiet machine and again beside a busy thread per core.
#pragma once

#include <string>

#include "bench/KeysAndFoldersBench.h"

namespace zylora::app {
class TfrmMiddle;
}

namespace zylora::bench {

struct Stalls;

struct Stepping {
    double atOnce = 0;       // a step at once, to its first paint (median)
    double afterRest = 0;    // a step after a rest of two decode times (median)
    double readAheadMb = 0;  // the most memory one rest's read-ahead took
    HeldKey held;            // Right held 3 s at 30/s
};

// The open of a picture by a drop, waited for up to its full pixels and their paint (no
// message flows: nothing is read ahead after it).
void OpenByDrop(app::TfrmMiddle& main, const std::string& path);

// One `next` step, until its picture (or the preview of it) is painted, the messages flowing.
void StepAndShow(app::TfrmMiddle& main);

// The steps, from the folder's picture shown; `decodeMs` is the plain decode of the other
// photo, the rest being two of them. With `stalls`, the user's thread is watched while Right
// is held.
Stepping MeasureStepping(app::TfrmMiddle& main, double decodeMs, Stalls* stalls = nullptr);
// The same beside one thread per core spinning at normal priority, as another program
// keeps the machine busy.
Stepping MeasureSteppingLoaded(app::TfrmMiddle& main, double decodeMs);

// `openMs` 0 leaves out the row against an open.
void ReportStepping(const Stepping& quiet, const Stepping& loaded, double decodeMs, double openMs);

}  // namespace zylora::bench
