// The title window's pointer handling: the caption buttons' hover and actions, the drag
// that moves all five windows, the double click and the skin menu's right click.
#include <algorithm>
#include <utility>

#include "app/MainWindow.h"
#include "skin/EdgeWindows.h"
#include "skin/TitleWindow.h"

namespace zylora::skin {

namespace {

constexpr CaptionButton HitOrder[] = {CaptionButton::Close, CaptionButton::Min, CaptionButton::Max,
                                      CaptionButton::Roll};

}  // namespace

// The width the title has in the present state: a title laid out for another state's frame
// widths would neither meet the edges nor put its buttons under their hit areas.
int TfrmTop::ReferenceWidth() const {
    if (!MainWindow) return window_->Bounds().width;
    return platform::SaturatingSum(MainWindow->BoundsRect().width, MainWindow->GetLeftWidth(),
                                   MainWindow->GetRightWidth());
}

int TfrmTop::ButtonAt(platform::Point at) const {
    const int reference = ReferenceWidth();
    for (CaptionButton button : HitOrder) {
        const platform::Image* image = CurrentButtonImage(button);
        if (!image || image->Width() <= 0 || image->Height() <= 0) continue;
        const ButtonPlacement& place = CurrentPlacement(button);
        const long long left = static_cast<long long>(place.X) + AlignOffset(place.Align, reference);
        const long long top = place.Y;
        if (!(left < at.x && at.x < left + image->Width())) continue;
        if (!(top < at.y && at.y < top + image->Height())) continue;
        const auto alpha = image->AlphaAt(static_cast<int>(at.x - left), static_cast<int>(at.y - top));
        if (alpha && *alpha != 0) return static_cast<int>(button);
    }
    return 0;
}

void TfrmTop::FormMouseDown(platform::Point at) {
    // Caption buttons have no pressed look and act on the release.
    if (ButtonAt(at) != 0) return;
    DragAnchor = platform_.CursorPos();
    DragPending = true;
}

void TfrmTop::SetHoverButton(int button) {
    if (button == HoverButton) return;
    HoverButton = button;
    if (MainWindow) PaintTitle(ReferenceWidth(), MainWindow->GetTopHeight());
}

void TfrmTop::FormMouseMove(platform::Point at) {
    // Armed at every move, as the toolbar does: a lit button goes dark when the pointer leaves.
    window_->TrackMouseLeave();
    const int button = ButtonAt(at);
    SetHoverButton(button);
    // A drag never begins over a caption button; it begins at the first move off them, from
    // where the pointer is then.
    if (button != 0) return;
    if (DragPending && !Timer1->Enabled()) {
        DragAnchor = platform_.CursorPos();
        Timer1->SetEnabled(true);
    }
}

void TfrmTop::FormMouseUp(platform::MouseButton mouseButton, platform::Point at) {
    DragPending = false;
    // Every release ends a drag, also one on a caption button: the windows must not go on
    // following a pointer with no button held.
    const bool dragged = Timer1->Enabled();
    Timer1->SetEnabled(false);
    if (dragged) KeepTitleOnScreen();
    // The second release of a double click on a caption button: the button acted at the first.
    if (std::exchange(secondClickOnButton_, false)) return;
    if (const int button = ButtonAt(at); button != 0) {
        RunButton(static_cast<CaptionButton>(button));
        return;
    }
    if (mouseButton == platform::MouseButton::Right) ShowSkinMenu();
}

void TfrmTop::RunButton(CaptionButton button) {
    if (!MainWindow) return;
    switch (button) {
        case CaptionButton::Close: MainWindow->Form().Close(); break;
        case CaptionButton::Min: Minimize(); break;
        case CaptionButton::Max: FitToPicture(); break;
        case CaptionButton::Roll: MainWindow->SetRolledUp(!MainWindow->IsRolledUp()); break;
    }
}

// A double click on the title minimises; on a caption button it is that button's second
// click, which does nothing more: the button acted once, at the first release, and a roll
// followed by a minimise would leave a window whose title comes back without the rest.
void TfrmTop::FormDblClick(platform::Point at) {
    if (ButtonAt(at) != 0) {
        secondClickOnButton_ = true;
        return;
    }
    Minimize();
}

// The pointer is on the minimised window's button now, and elsewhere when it comes back.
void TfrmTop::Minimize() {
    SetHoverButton(0);
    platform_.MinimizeApplication();
}

void TfrmTop::CancelDrag() {
    DragPending = false;
    secondClickOnButton_ = false;
    Timer1->SetEnabled(false);
}

void TfrmTop::FitToPicture() {
    if (!MainWindow) return;
    app::TfrmMiddle& main = *MainWindow;
    const platform::Rect now = main.BoundsRect();
    // A picture that didn't decode has no size to fit to: it counts as none, rather than
    // shrinking the window to nothing.
    if (!main.HasPicture()) {
        main.PictureShareX = main.PictureShareY = 1;
        main.PlaceWindows(now.left, now.top, 320, 320);
        return;
    }
    const platform::Rect placed =
        main.PlaceForPicture(main.FitToScreen(main.Picture->Width(), main.Picture->Height()));
    main.RenderFrames(placed.left, placed.top, placed.width, placed.height);
}

void TfrmTop::Timer1Timer() {
    if (!MainWindow) return;
    const platform::Point p = platform_.CursorPos();
    if (p == DragAnchor) return;
    const int dx = platform::SaturatingSum(p.x, -static_cast<long long>(DragAnchor.x));
    const int dy = platform::SaturatingSum(p.y, -static_cast<long long>(DragAnchor.y));
    DragAnchor = p;
    MoveWindowsBy(dx, dy);
}

// The drag counts from the pointer's first move, so a quick one leaves the pointer's grip
// behind on the title, and pushed against a screen's edge the title may go wholly off the
// screens; a window manager may put the main window where the title goes off too.
void TfrmTop::KeepTitleOnScreen() {
    const platform::Rect title = window_->Bounds();
    if (!MainWindow || !window_->Visible() || platform_.IsOnScreen(title)) return;
    const platform::Size screen = platform_.ScreenSize();
    auto into = [](int start, int length, int room) {
        return static_cast<int>(std::max(0LL, std::min<long long>(start, static_cast<long long>(room) - length)));
    };
    MoveWindowsBy(platform::SaturatingSum(into(title.left, title.width, screen.width), -static_cast<long long>(title.left)),
                  platform::SaturatingSum(into(title.top, title.height, screen.height), -static_cast<long long>(title.top)));
}

void TfrmTop::MoveWindowsBy(int dx, int dy) {
    app::TfrmMiddle& main = *MainWindow;
    main.MovedByUser();
    const platform::Rect m = main.BoundsRect();
    const bool rolledUp = main.IsRolledUp();
    const platform::Rect title = window_->Bounds();
    const platform::Rect moved{platform::SaturatingSum(m.left, dx), platform::SaturatingSum(m.top, dy),
                               m.width, rolledUp ? 0 : m.height};
    app::FrameRects to = app::FrameAround(moved, main.GetLeftWidth(), main.GetRightWidth(),
                                          rolledUp ? title.height : main.GetTopHeight(),
                                          main.GetBottomHeight());
    if (rolledUp) to.top.top = platform::SaturatingSum(title.top, dy);

    auto batch = platform_.BeginPositionBatch(5);
    batch->Add(main.Form(), to.main, platform::KeepZOrder);
    batch->Add(main.BottomFrame->Form(), to.bottom, platform::KeepZOrder);
    batch->Add(main.RightFrame->Form(), to.right, platform::KeepZOrder);
    batch->Add(*window_, to.top, platform::KeepZOrder);
    batch->Add(main.LeftFrame->Form(), to.left, platform::KeepZOrder);
    batch->Commit();

    // Only the visible property counts: the windows the roll-up hid keep it and stay hidden.
    for (platform::Window* w : {&main.BottomFrame->Form(), window_.get(), &main.RightFrame->Form(),
                                &main.LeftFrame->Form()})
        if (!w->Visible()) w->SetVisible(true);
}

}  // namespace zylora::skin
