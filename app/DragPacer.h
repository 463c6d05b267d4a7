// The steps of a resize drag paced to the display. Timer ticks may come far faster than a
// display frame, and a step (the five windows placed, the frames rendered) can take longer
// than a tick: placing at every tick would queue steps nobody sees. A tick takes a step only
// once a display frame has passed since the last one; the pointer's travel in between is
// carried into that step, so nothing of it is lost.
#pragma once

#include "platform/Platform.h"

namespace zylora::app {

class DragPacer {
public:
    explicit DragPacer(platform::Platform& platform) : platform_(platform) {}

    // A drag begins: its first tick steps at once.
    void Restart() {
        frame_ = platform_.DisplayFrameMilliseconds();  // asked once: the system call isn't free
        stepped_ = false;
    }
    // True when a step may be taken now; it then counts as taken.
    bool TakeStep() {
        const double now = platform_.SteadyMilliseconds();
        if (stepped_ && now - last_ < frame_) return false;
        stepped_ = true;
        last_ = now;
        return true;
    }

private:
    platform::Platform& platform_;
    double frame_ = 1000.0 / 60;
    double last_ = 0;
    bool stepped_ = false;
};

}  // namespace zylora::app
