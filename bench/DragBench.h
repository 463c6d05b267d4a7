// The drags that resize the window: the corner's and each edge's, one step each, against the
// window system's floor under them.
#pragma once

#include "bench/WindowSystemFloor.h"

namespace zylora::app {
class TfrmMiddle;
}

namespace zylora::bench {

struct Drags {
    double cornerStep = 0;
    // Where a corner step's time goes.
    double placing = 0, toolbarPaint = 0, viewPaint = 0, idleFlush = 0;
    double leftStep = 0, rightStep = 0, bottomStep = 0;
    WindowSystemFloor floor;
};

// Steps of each drag from the window as shown, which is left at its size after them.
Drags MeasureDrags(app::TfrmMiddle& main);
void ReportDrags(const Drags& d);

}  // namespace zylora::bench
