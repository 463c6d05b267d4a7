// The start of the viewer, timed as a user sees it: from the process's creation until its
// windows are visible with nothing left to paint, against a minimal GDI+ program. Run by
// hand under Wine; nothing here asserts a time.
#pragma once

#include <string>

namespace zylora::bench {

struct StartTimes {
    double minimal = 0, viewer = 0, photo = 0;  // medians, in milliseconds
    // The start floor (StartFloor.cpp) with the viewer's windows as they started.
    double floor = 0;
};

// `rounds` alternate starts of the minimal program, the viewer on no picture, the viewer on
// the bundled sample photo and the start floor, all from the bench's folder.
StartTimes TimeStarts(const std::string& folder, int rounds);
void ReportStarts(const StartTimes& starts);

}  // namespace zylora::bench
