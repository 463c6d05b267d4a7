// The toolbar's drawing: the background image stretched to the toolbar's width (kept as a
// cache of the toolbar's size), and every button in its current state over it.
#pragma once

#include "app/EventChain.h"
#include "platform/Platform.h"

namespace zylora::app {
class TfrmMiddle;
}

namespace zylora::toolbar {

class ToolbarProc : public app::EventChain {
public:
    explicit ToolbarProc(app::TfrmMiddle& owner) : owner_(owner) {}

    bool Paint(platform::ScreenTarget& screen) override;
    // The paint covers the whole toolbar; erasing first would only flicker.
    bool EraseBackground() override { return true; }

    // The background rendered over the whole toolbar, rebuilt when missing or when the
    // toolbar's size is no longer its size.
    const platform::Image& BackgroundCache();

private:
    app::TfrmMiddle& owner_;
};

}  // namespace zylora::toolbar
