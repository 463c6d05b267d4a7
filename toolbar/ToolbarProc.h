// The toolbar's drawing: the background image stretched to the toolbar's width (kept as a
// cache of the toolbar's size), and every button in its current state over it.
#pragma once

#include "app/EventChain.h"
#include "platform/Platform.h"

namespace zylora::app {
class TfrmMiddle;
}

namespace zylora::toolbar {

// The background rendered over the whole toolbar on the panel's own silver, rebuilt when
// missing or when the toolbar's size is no longer its size. The full paint and a single
// button's redraw both compose on it, so they agree wherever the image leaves gaps.
const platform::Image& BackgroundCache(app::TfrmMiddle& owner);

class ToolbarProc : public app::EventChain {
public:
    explicit ToolbarProc(app::TfrmMiddle& owner) : owner_(owner) {}

    bool Paint(platform::ScreenTarget& screen) override;
    // The paint covers the whole toolbar; erasing first would only flicker.
    bool EraseBackground() override { return true; }
    // The background is stretched over the whole width, so a new size changes every pixel:
    // the window system would repaint only the strip that was uncovered.
    void Resized(platform::Size now) override;
    // Handled here, not passed on: the hovered button loses its look.
    void MouseLeave() override;

private:
    app::TfrmMiddle& owner_;
};

}  // namespace zylora::toolbar
