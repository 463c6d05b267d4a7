// The toolbar's pointer handling: the hover look follows the pointer, a press shows the
// pressed look, and the release runs the action of the button under the pointer.
#pragma once

#include <memory>
#include <vector>

#include "platform/Platform.h"

namespace zylora::app {
class TfrmMiddle;
}

namespace zylora::toolbar {

class TZylButton;

// The first button, in list order, whose rectangle (both edges included) holds the toolbar
// point and whose current image is not transparent there; null when there is none.
TZylButton* ButtonAt(const std::vector<std::unique_ptr<TZylButton>>& buttons, platform::Point at);

// The toolbar panel's own events, behind its message handler.
class ToolbarInput : public platform::WindowEvents {
public:
    explicit ToolbarInput(app::TfrmMiddle& owner) : owner_(owner) {}

    void ToolbarMouseMove(platform::Point at);
    void ToolbarMouseDown(platform::Point at);
    // The right button opens the button set menu; the others end every press and run the
    // action under the pointer, wherever the press began.
    void ToolbarMouseUp(platform::MouseButton button, platform::Point at);
    // The pointer left the toolbar.
    void ToolbarMouseLeave();
    // The press ends without running anything: every pressed look goes.
    void CancelPress();

    void MouseMove(platform::ShiftState, platform::Point at) override { ToolbarMouseMove(at); }
    void MouseDown(platform::MouseButton, platform::ShiftState, platform::Point at) override {
        ToolbarMouseDown(at);
    }
    void MouseUp(platform::MouseButton button, platform::ShiftState, platform::Point at) override {
        ToolbarMouseUp(button, at);
    }
    void CaptureLost() override { CancelPress(); }

private:
    app::TfrmMiddle& owner_;
};

}  // namespace zylora::toolbar
