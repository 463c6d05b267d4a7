// Activation and roll-up: the frame's looks for the active and the inactive application,
// and the animation that rolls the window up into its title window and down again.
#include "app/MainWindow.h"
#include "skin/EdgeWindows.h"
#include "skin/TitleWindow.h"
#include "toolbar/ZylButton.h"

namespace zylora::app {

namespace {

std::uint8_t LowByte(int value) { return static_cast<std::uint8_t>(value & 0xFF); }

struct FrameSizes {
    int l, r, t, b;
    friend bool operator==(const FrameSizes&, const FrameSizes&) = default;
};

}  // namespace

void TfrmMiddle::ApplicationEvents1Activate() {
    const FrameSizes before{GetLeftWidth(), GetRightWidth(), GetTopHeight(), GetBottomHeight()};
    Active = true;
    TopFrame->TitleAlpha = LowByte(CaptionAlphaActive);
    RenderFramesForState();
    RedrawToolbarButtons();
    if (before != FrameSizes{GetLeftWidth(), GetRightWidth(), GetTopHeight(), GetBottomHeight()})
        AlignFrames();
}

void TfrmMiddle::ApplicationEvents1Deactivate() {
    const FrameSizes before{GetLeftWidth(), GetRightWidth(), GetTopHeight(), GetBottomHeight()};
    Active = false;
    RedrawToolbarButtons();
    TopFrame->TitleAlpha = LowByte(CaptionAlphaInactive);
    RenderFramesForState();
    if (before != FrameSizes{GetLeftWidth(), GetRightWidth(), GetTopHeight(), GetBottomHeight()})
        AlignFrames();
}

void TfrmMiddle::RenderFramesForState() {
    const int l = GetLeftWidth(), r = GetRightWidth(), t = GetTopHeight(), b = GetBottomHeight();
    const platform::Rect main = BoundsRect();
    const int titleWidth = platform::SaturatingSum(l, main.width, r);
    const int sideHeight = platform::SaturatingSum(main.height, b);
    TopFrame->RenderAt(titleWidth, t);
    const platform::Rect title = TopFrame->Form().Bounds();
    TopFrame->Form().SetBounds({title.left, title.top, titleWidth, t});
    BottomFrame->RenderAt(main.width, b);
    LeftFrame->RenderAt(l, sideHeight);
    RightFrame->RenderAt(r, sideHeight);
    // RenderFrames here would render the same four windows at the same sizes once more: the
    // same pixels at twice the cost, so it is left out.
    const platform::Rect now = TopFrame->Form().Bounds();
    TopFrame->Form().SetBounds({now.left, now.top, titleWidth, now.height});
}

void TfrmMiddle::RedrawToolbarButtons() {
    // As the main window first shows, its activation comes before the toolbar's first
    // paint, which draws the buttons as they are then.
    if (Toolbar->AwaitsWholePaint()) return;
    auto screen = Toolbar->GetScreenTarget();
    for (const auto& button : ButtonList) button->Redraw(*screen);
}

// Without this, frame sizes that differ between the states would leave the frame off the
// main window until the next placement. The rolled-up title keeps its top, as a drag does.
void TfrmMiddle::AlignFrames() {
    const FrameRects to = FrameAround(BoundsRect(), GetLeftWidth(), GetRightWidth(),
                                      GetTopHeight(), GetBottomHeight());
    platform::Rect title = to.top;
    if (RolledUp) title.top = TopFrame->Form().Bounds().top;
    auto batch = platform_.BeginPositionBatch(4);
    batch->Add(TopFrame->Form(), title, platform::KeepZOrder);
    batch->Add(BottomFrame->Form(), to.bottom, platform::KeepZOrder);
    batch->Add(RightFrame->Form(), to.right, platform::KeepZOrder);
    batch->Add(LeftFrame->Form(), to.left, platform::KeepZOrder);
    batch->Commit();
}

void TfrmMiddle::RollStep(int height, unsigned extraFlags) {
    const platform::Rect m = BoundsRect();
    const int l = GetLeftWidth(), r = GetRightWidth(), b = GetBottomHeight();
    const int sideHeight = platform::SaturatingSum(height, b);
    const unsigned keep = platform::KeepZOrder | extraFlags;
    auto batch = platform_.BeginPositionBatch(5);
    batch->Add(*window_, {m.left, m.top, m.width, height}, keep | platform::NoMove);
    batch->Add(BottomFrame->Form(), {m.left, platform::SaturatingSum(m.top, height), m.width, b}, keep);
    const platform::Rect right = RightFrame->Form().Bounds();
    batch->Add(RightFrame->Form(), {right.left, right.top, r, sideHeight}, keep | platform::NoMove);
    const platform::Rect left = LeftFrame->Form().Bounds();
    batch->Add(LeftFrame->Form(), {left.left, left.top, l, sideHeight}, keep | platform::NoMove);
    batch->Commit();
}

// Each animation shows ten steps of a tenth of the height. A window lower than ten pixels
// has no such step: it goes straight to the end, or the loop would never end.
void TfrmMiddle::SetRolledUp(bool value) {
    if (FullScreen) return;  // no title to roll into
    const int l = GetLeftWidth(), r = GetRightWidth();
    if (value) {
        RolledUp = true;
        RollingUp = true;
        const platform::Rect m = BoundsRect();
        const int step = m.height / 10;
        UnrolledHeight = m.height;
        if (step > 0)
            for (int h = m.height; h > step; h -= step) RollStep(h, 0);
        // The title alone stays: it takes the keyboard before the main form hides with it.
        TopFrame->Form().TakeKeyboard();
        auto batch = platform_.BeginPositionBatch(4);
        const unsigned hide = platform::HideWindow | platform::NoMove | platform::NoSize |
                              platform::KeepZOrder | platform::KeepOwnerZOrder;
        for (platform::Window* w : {window_.get(), &BottomFrame->Form(), &RightFrame->Form(),
                                    &LeftFrame->Form()})
            batch->Add(*w, w->Bounds(), hide);
        batch->Commit();
        RollingUp = false;
        TopFrame->RenderAt(platform::SaturatingSum(l, m.width, r), GetTopHeight());
        return;
    }
    RolledUp = false;
    Unrolling = true;
    const platform::Rect before = BoundsRect();
    const int width = before.width;
    const int unrolled = UnrolledHeight;
    const int step = unrolled / 10;
    TopFrame->RenderAt(platform::SaturatingSum(l, width, r), GetTopHeight());
    if (step > 0)
        for (int s = 0; s < unrolled - step; s += step) RollStep(s, platform::ShowWindow);
    RollStep(unrolled, platform::ShowWindow);
    window_->TakeKeyboard();
    Unrolling = false;
    unrolledTo_ = platform::Rect{before.left, before.top, width, unrolled};
    unrolledAt_ = platform_.SteadyMilliseconds();
    // A window manager answers the steps' moves late, the shown windows' among them, and Wine
    // may take an early answer for the last word: the frame is checked once all is shown.
    FrameFollowTimer->SetEnabled(true);
    TopFrame->RenderAt(platform::SaturatingSum(l, width, r), GetTopHeight());
    Image2->Invalidate();
    Image2->Update();
}

}  // namespace zylora::app
