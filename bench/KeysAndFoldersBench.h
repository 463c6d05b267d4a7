// Benchmarks of the keyboard and the folder: a held step key over large photos, and the
// listing of a folder of many pictures.
#pragma once

#include <string>

namespace zylora::app {
class TfrmMiddle;
}

namespace zylora::bench {

struct HeldKey {
    int shown = 0;                     // pictures opened and painted while and after it was held
    double lastPaintAfterRelease = 0;  // milliseconds from the release to the last paint
};

// Holds Right for `holdMs` with the keyboard's auto-repeat at `perSecond`, the messages
// flowing as they do; counts the pictures shown and times the last paint after the release.
HeldKey HoldRight(app::TfrmMiddle& main, double holdMs, int perSecond);

// A folder of `count` empty picture files beside the bench, made once.
std::string LargeFolder(const std::string& benchFolder, int count);

// Milliseconds to list the folder afresh, as the first step into it does.
double ListFolder(app::TfrmMiddle& main, const std::string& folder);

}  // namespace zylora::bench
