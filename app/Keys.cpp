// The main window's keyboard commands and its wheel.
#include <algorithm>
#include <climits>

#include "app/MainWindow.h"

namespace zylora::app {

void TfrmMiddle::FormKeyDown(int key, platform::ShiftState shift) {
    if (!shift.ctrl || shift.shift || shift.alt) return;
    switch (key) {
        case platform::keys::M:
        case platform::keys::H: platform_.MinimizeApplication(); break;
        case platform::keys::W: window_->Close(); break;
        case platform::keys::Q: platform_.TerminateApplication(); break;
        case platform::keys::BackQuote: SwitchToOtherInstance(); break;
        default: break;
    }
}

void TfrmMiddle::FormMouseWheelUp() {
    if (ZoomFactor < INT_MAX) ++ZoomFactor;
    Image2->Invalidate();
}

void TfrmMiddle::FormMouseWheelDown() {
    ZoomFactor = std::max(1, ZoomFactor - 1);
    Image2->Invalidate();
}

void TfrmMiddle::SwitchToOtherInstance() {
    const platform::ForeignWindow own = platform_.IdentityOf(*window_);
    platform::ForeignWindow other = platform_.FindTopLevelWindow("TfrmMiddle", 0);
    if (other == own) other = platform_.FindTopLevelWindow("TfrmMiddle", own);
    if (other != 0 && other != own) platform_.SwitchToWindow(other);
}

}  // namespace zylora::app
