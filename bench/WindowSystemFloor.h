// What the window system itself costs for the steps the viewer takes with its five windows,
// measured on windows of the same kind and sizes that draw (almost) nothing: a main window
// with two child panels and four layered windows, captioned and owned, as the viewer has. The drag, move and activation
// rows are compared with these to tell the viewer's own share from Wine's and the X server's.
#pragma once

#include "platform/Types.h"

namespace zylora::bench {

struct WindowSystemFloor {
    // Four layered windows presented at new sizes, all five resized in a batch, the two
    // panels painted with one copy each.
    double resizeStep = 0;
    double moveStep = 0;    // all five moved in a batch
    double presentFour = 0; // the four layered windows presented again at their sizes
};

// `main` and the frames' rectangles as the viewer has them; `toolbarHeight` splits the main
// window's two panels.
WindowSystemFloor MeasureWindowSystemFloor(platform::Rect main, platform::Rect top, platform::Rect left,
                                           platform::Rect right, platform::Rect bottom, int toolbarHeight);

}  // namespace zylora::bench
