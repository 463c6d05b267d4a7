// A long walk through large photos, for the 32-bit process's address space: every step must
// still find room for its picture.
#pragma once

namespace zylora::app {
class TfrmMiddle;
}

namespace zylora::bench {

struct Walk {
    int steps = 0, shown = 0;  // steps taken; of them, those whose picture was painted
    double peakMb = 0;         // the most committed private memory seen
    double largestFreeMb = 0;  // the largest free block of the address space at the end
    double largestFreeAtStartMb = 0;
};

// `steps` `next` steps from the picture shown, each waited for up to its first paint; every
// tenth after a rest of two decode times (`decodeMs`), so that reading ahead and full decodes
// happen on the way too.
Walk WalkThroughPhotos(app::TfrmMiddle& main, int steps, double decodeMs);
// Rows of the table, against the decoded bytes of a picture of the walk.
void ReportWalk(const Walk& walk, double pictureMb);

}  // namespace zylora::bench
