// The pointer on the view panel: the corner grip starts a resize of the window, a drag pans
// the picture in move mode and draws a selection in select mode, whose release crops the
// picture to it.
#pragma once

#include "platform/Platform.h"

namespace zylora::app {
class TfrmMiddle;
}

namespace zylora::view {

// The panel's own events, behind its message handler. The panel keeps the pointer from a
// press to its release, so points may lie outside it then. Which button is used and the
// modifier keys don't matter.
class ViewInput : public platform::WindowEvents {
public:
    explicit ViewInput(app::TfrmMiddle& owner) : owner_(owner) {}

    void Image2MouseDown(platform::Point at);
    void Image2MouseMove(platform::Point at);
    void Image2MouseUp();
    // Ends a drag where it is: a grip resize or a pan stops, a selection goes without a crop.
    void CancelDrag();
    // Moves the picture under the view as a pan by (dx, dy) screen pixels does, within the
    // picture.
    void PanBy(long double dx, long double dy);

    // A point of the panel on an opaque pixel of the skin's corner image, drawn in the
    // panel's lower-right corner.
    bool OnGrip(platform::Point at) const;

    void MouseDown(platform::MouseButton, platform::ShiftState, platform::Point at) override {
        Image2MouseDown(at);
    }
    void MouseMove(platform::ShiftState, platform::Point at) override { Image2MouseMove(at); }
    void MouseUp(platform::MouseButton, platform::ShiftState, platform::Point) override {
        Image2MouseUp();
    }
    void CaptureLost() override { CancelDrag(); }
    // A double click on the picture: full screen, or back.
    void DoubleClick(platform::Point) override;
    // After the right-button release: the shell's menu for the picture's file.
    bool ContextPopup() override;

private:
    void Pan();
    void Crop();

    app::TfrmMiddle& owner_;
};

}  // namespace zylora::view
