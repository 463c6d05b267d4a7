// Opening a picture: from the command line, a drop, the open dialog or a folder step.
#include "app/MainWindow.h"
#include "shell/FileDrop.h"

namespace zylora::app {

platform::Size HalvedToFit(platform::Size size, long long roomWidth, long long roomHeight) {
    long long w = size.width, h = size.height;
    // Halving can't make a frame that is itself larger than the screen fit, so the loop also
    // ends once nothing is left to halve.
    while ((w > roomWidth || h > roomHeight) && (w > 0 || h > 0)) {
        w /= 2;
        h /= 2;
    }
    return {static_cast<int>(w), static_cast<int>(h)};
}

platform::Size TfrmMiddle::FitToScreen(int width, int height) {
    const platform::Size screen = platform_.ScreenSize();
    const long long across = static_cast<long long>(GetLeftWidth()) + GetRightWidth();
    const long long down = static_cast<long long>(GetTopHeight()) + GetBottomHeight();
    return HalvedToFit({width, height}, screen.width - across, screen.height - down);
}

void TfrmMiddle::ShowPicture(const std::string& path) {
    PicturePath = path;
    Picture.reset();
    Picture = platform_.DecodeImage(PicturePath);
    viewProc_.PictureChanged();
    // Started again: the neighbours are read once the viewer is idle.
    ReadAheadTimer->SetEnabled(false);
    ReadAheadTimer->SetEnabled(true);
    // Nothing to size the window to: it keeps its size, so the toolbar stays at hand for the
    // next picture and no vanished window is saved.
    if (!HasPicture()) {
        Image2->Invalidate();
        return;
    }
    const platform::Size fitted = FitToScreen(Picture->Width(), Picture->Height());
    const platform::Rect now = BoundsRect();
    const int height = platform::SaturatingSum(fitted.height, ToolbarHeight());
    PlaceWindows(now.left, now.top, fitted.width, height);
    RenderFrames(now.left, now.top, fitted.width, height);
}

void TfrmMiddle::FileDrop1Drop() {
    if (FileDrop1->Files().empty()) return;
    ShowPicture(FileDrop1->Files().front());
    Image2->Invalidate();
}

void TfrmMiddle::OpenFile(const std::string& path) {
    FileDrop1->Files() = {path};
    FileDrop1Drop();
}

}  // namespace zylora::app
