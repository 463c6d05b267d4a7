// How wide or high each frame window is, per state, as the skin file gives it.
#pragma once

#include "platform/Types.h"

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

// The five windows' rectangles around a main window: the title spans both upper corners,
// the side windows reach the bottom window's height below the main window and so hold the
// lower corners, the bottom window spans the main window's width.
struct FrameRects {
    platform::Rect main, top, bottom, right, left;
};
FrameRects FrameAround(platform::Rect main, int leftWidth, int rightWidth, int topHeight,
                       int bottomHeight);

}  // namespace zylora::app
