// Full screen: the picture alone on the screen the window is on, over black, the frame and
// the toolbar hidden; leaving gives the window back where and as it was.
#include <algorithm>
#include <initializer_list>

#include "app/MainWindow.h"
#include "skin/EdgeWindows.h"
#include "skin/TitleWindow.h"

namespace zylora::app {

void TfrmMiddle::ToggleFullScreen() {
    if (FullScreen)
        LeaveFullScreen();
    else
        EnterFullScreen();
}

void TfrmMiddle::EnterFullScreen() {
    if (FullScreen || RollingUp || Unrolling) return;
    CancelDrags();
    CompletePicture();
    // The rolled-up window shows no picture: it unrolls first, and rolls up again after.
    const bool rolled = RolledUp;
    if (rolled) SetRolledUp(false);
    Windowed = {BoundsRect(), rolled, ToolbarHeight(), PictureShareX, PictureShareY, PicturePath,
                ShownPictureSize()};
    FullScreen = true;
    ShowFrames(false);
    const platform::Rect screen = platform_.ScreenRectOf(Windowed.placed);
    Toolbar->SetBounds({0, 0, screen.width, 0});
    window_->SetBounds(screen);
    LayoutPanels({screen.width, screen.height});
    FitPictureToScreen();
    window_->TakeKeyboard();
}

// Hidden and shown again as the roll does it, in one positioning batch: shown by the
// toolkit instead, Wine hands the frame windows to the window manager, and icewm then lists
// each in its taskbar.
void TfrmMiddle::ShowFrames(bool show) {
    const unsigned flags = (show ? platform::ShowWindow : platform::HideWindow) | platform::NoMove |
                           platform::NoSize | platform::KeepZOrder | platform::KeepOwnerZOrder;
    auto batch = platform_.BeginPositionBatch(4);
    for (skin::TFrameWindow* frame : std::initializer_list<skin::TFrameWindow*>{
             TopFrame.get(), LeftFrame.get(), RightFrame.get(), BottomFrame.get()})
        batch->Add(frame->Form(), frame->Form().Bounds(), flags);
    batch->Commit();
}

void TfrmMiddle::FitPictureToScreen() {
    const platform::Rect view = Image2->Bounds();
    const platform::Size shown = ShownPictureSize();
    PictureShareX = PictureShareY = 1;
    if (shown.width > 0 && shown.height > 0 && view.width > 0 && view.height > 0) {
        // Larger than the screen: fitted, its shape kept; smaller: at its own size.
        const double scale = std::min({1.0, static_cast<double>(view.width) / shown.width,
                                       static_cast<double>(view.height) / shown.height});
        PictureShareX = std::min(1.0, shown.width * scale / view.width);
        PictureShareY = std::min(1.0, shown.height * scale / view.height);
    }
    viewProc_.PictureChanged();
    Image2->Invalidate();
}

void TfrmMiddle::LeaveFullScreen() {
    if (!FullScreen) return;
    FullScreen = false;
    SetToolbarHeight(Windowed.toolbarHeight);
    const platform::Rect r = Windowed.placed;
    window_->SetBounds(r);
    if (PicturePath == Windowed.picturePath && ShownPictureSize() == Windowed.pictureSize) {
        // The same picture as it was: the window exactly as the user left it.
        PictureShareX = Windowed.shareX;
        PictureShareY = Windowed.shareY;
        PlaceWindows(r.left, r.top, r.width, r.height);
        viewProc_.PictureChanged();
        Image2->Invalidate();
    } else {
        // Stepped or turned meanwhile: the window fits the picture shown now, where it was.
        FitWindowToPicture();
    }
    ShowFrames(true);
    window_->TakeKeyboard();
    // The frame comes back while the main form keeps the keyboard: no activation raises it,
    // and icewm lists each frame shown again in its taskbar until it is.
    platform_.BringFormsForward();
    if (Windowed.rolledUp) SetRolledUp(true);
}

}  // namespace zylora::app
