// How wide or high each frame window is, per state, as the skin file gives it.
#pragma once

namespace zylora::app {

struct FrameMetrics {
    int LeftWidth = 0;
    int LeftInactiveWidth = 0;
    int RightWidth = 0;
    int RightInactiveWidth = 0;
    int BottomHeight = 0;
    int BottomInactiveHeight = 0;
    int TopHeight = 0;
    int TopInactiveHeight = 0;
    int TopRolledUpHeight = 0;
    int TopRolledUpInactiveHeight = 0;
};

}  // namespace zylora::app
