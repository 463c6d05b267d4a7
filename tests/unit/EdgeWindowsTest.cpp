// The resize bands of the edge windows: cursors, presses, steps, releases.
#include <functional>

#include "tests/unit/Harness.h"

namespace zylora::testing {
namespace {

using platform::CursorShape;
using platform::MouseButton;
using platform::Rect;

class EdgeWindowsTest : public ViewerTest {
protected:
    void SetUp() override {
        WriteSkin("[left]\nWidth=8\nResizeBorder1=-1\nResizeBorder2=6\n"
                  "[right]\nWidth=8\nResizeBorder1=0\nResizeBorder2=8\nResizeBorder3=20\n"
                  "ResizeBorder4=0\n[bottom]\nHeight=20\nResizeBorder1=3\nResizeBorder2=10\n"
                  "[top]\nHeight=30\n");
        Start().PlaceWindows(100, 100, 400, 431);  // the right window is 451 high
    }
    CursorShape CursorAt(skin::TEdgeWindow& w, int x, int y) {
        FormOf(w).Events().MouseMove({}, {x, y});
        return FormOf(w).cursor;
    }
    void Press(skin::TEdgeWindow& w, int x, int y, MouseButton b = MouseButton::Left) {
        FormOf(w).Events().MouseDown(b, {}, {x, y});
    }
    void Release(skin::TEdgeWindow& w, MouseButton b = MouseButton::Left) {
        FormOf(w).Events().MouseUp(b, {}, {0, 0});
    }
    fake::FakeTimer& TimerOf(platform::Timer& t) { return dynamic_cast<fake::FakeTimer&>(t); }
    Rect LastMain() { return platform.batches.back().entries[1].bounds; }
};

TEST_F(EdgeWindowsTest, BottomBandRowsAreExclusive) {
    skin::TfrmBottom& bottom = *main->BottomFrame;
    EXPECT_EQ(CursorAt(bottom, 50, 3), CursorShape::Arrow);
    EXPECT_EQ(CursorAt(bottom, 50, 4), CursorShape::SizeNS);
    EXPECT_EQ(CursorAt(bottom, 50, 9), CursorShape::SizeNS);
    EXPECT_EQ(CursorAt(bottom, 50, 10), CursorShape::Arrow);
    Press(bottom, 50, 3);
    Press(bottom, 50, 10);
    EXPECT_FALSE(bottom.Timer1->Enabled());
    Press(bottom, 50, 4);
    EXPECT_TRUE(bottom.Timer1->Enabled());
}

TEST_F(EdgeWindowsTest, RightWindowHasACornerBandAtItsFoot) {
    skin::TfrmRight& right = *main->RightFrame;
    ASSERT_EQ(FormOf(right).bounds.height, 451);
    EXPECT_EQ(CursorAt(right, 4, 432), CursorShape::SizeNWSE);
    EXPECT_EQ(CursorAt(right, 4, 450), CursorShape::SizeNWSE);
    EXPECT_EQ(CursorAt(right, 4, 431), CursorShape::SizeWE);
    EXPECT_EQ(CursorAt(right, 0, 440), CursorShape::Arrow);
    EXPECT_EQ(CursorAt(right, 8, 440), CursorShape::Arrow);
    Press(right, 4, 431);
    EXPECT_TRUE(right.Timer1->Enabled());
    EXPECT_FALSE(right.Timer2->Enabled());
    Release(right);
    Press(right, 4, 440, MouseButton::Right);
    EXPECT_FALSE(right.Timer1->Enabled());
    EXPECT_TRUE(right.Timer2->Enabled());
    Release(right, MouseButton::Middle);  // any button ends it
    EXPECT_FALSE(right.Timer2->Enabled());
}

TEST_F(EdgeWindowsTest, LeftDragMovesTheLeftEdgeOnly) {
    skin::TfrmLeft& left = *main->LeftFrame;
    EXPECT_EQ(CursorAt(left, 0, 100), CursorShape::SizeWE);
    platform.cursor = {92, 300};
    Press(left, 0, 100, MouseButton::Middle);
    EXPECT_EQ(left.DragAnchor, (platform::Point{92, 300}));
    platform.cursor = {77, 310};
    TimerOf(*left.Timer1).Tick();
    EXPECT_EQ(LastMain(), (Rect{85, 100, 415, 431}));
    EXPECT_EQ(left.DragAnchor, (platform::Point{77, 310}));
    // Holding still keeps placing with unchanged values, and repaints nothing.
    const std::size_t presents = FormOf(left).presentations.size();
    const std::size_t batches = platform.batches.size();
    platform.now += 17;  // a display frame later
    TimerOf(*left.Timer1).Tick();
    EXPECT_EQ(platform.batches.size(), batches + 1);
    EXPECT_EQ(LastMain(), (Rect{85, 100, 415, 431}));
    EXPECT_EQ(FormOf(left).presentations.size(), presents);
    Release(left);
    TimerOf(*left.Timer1).Tick();
    EXPECT_EQ(platform.batches.size(), batches + 1);
}

TEST_F(EdgeWindowsTest, ALostCaptureStopsTheResizeWhereItIs) {
    skin::TfrmRight& right = *main->RightFrame;
    platform.cursor = {500, 300};
    Press(right, 4, 440);  // the corner band
    FormOf(right).Events().CaptureLost();
    EXPECT_FALSE(TimerOf(*right.Timer1).Enabled() || TimerOf(*right.Timer2).Enabled());
}

TEST_F(EdgeWindowsTest, RightAndBottomStepsFollowTheTable) {
    skin::TfrmRight& right = *main->RightFrame;
    platform.cursor = {500, 500};
    Press(right, 4, 440);
    platform.cursor = {540, 470};
    TimerOf(*right.Timer2).Tick();
    EXPECT_EQ(LastMain(), (Rect{100, 100, 440, 401}));
    Release(right);

    Press(right, 4, 100);
    platform.cursor = {530, 400};
    TimerOf(*right.Timer1).Tick();
    EXPECT_EQ(LastMain(), (Rect{100, 100, 430, 401}));
    Release(right);

    skin::TfrmBottom& bottom = *main->BottomFrame;
    Press(bottom, 10, 5);
    platform.cursor = {0, 0};
    TimerOf(*bottom.Timer1).Tick();
    // No lower than the toolbar's 53 and 64 of view.
    EXPECT_EQ(LastMain(), (Rect{100, 100, 430, 117}));
    platform.cursor = {0, -100};
    platform.now += 17;
    TimerOf(*bottom.Timer1).Tick();
    EXPECT_EQ(LastMain(), (Rect{100, 100, 430, 117}));
}

// However fast the ticks come, a drag places the windows once per display frame at most,
// carrying the pointer's travel into the next step; the release lands where the pointer is.
TEST_F(EdgeWindowsTest, DragsStepOncePerDisplayFrameAndEndAtThePointer) {
    struct Drag {
        const char* name;
        std::function<void()> press;
        std::function<platform::Timer&()> timer;
        std::function<void()> release;
        Rect first, last;  // the main window after the first step and after the release
    };
    skin::TfrmRight& right = *main->RightFrame;
    skin::TfrmLeft& left = *main->LeftFrame;
    skin::TfrmBottom& bottom = *main->BottomFrame;
    const Drag drags[] = {
        {"bottom", [&] { Press(bottom, 50, 5); }, [&]() -> platform::Timer& { return *bottom.Timer1; },
         [&] { Release(bottom); }, {100, 100, 400, 441}, {100, 100, 400, 461}},
        {"left", [&] { Press(left, 0, 100); }, [&]() -> platform::Timer& { return *left.Timer1; },
         [&] { Release(left); }, {110, 100, 390, 431}, {130, 100, 370, 431}},
        {"right corner", [&] { Press(right, 4, 440); }, [&]() -> platform::Timer& { return *right.Timer2; },
         [&] { Release(right); }, {100, 100, 410, 441}, {100, 100, 430, 461}},
        {"view's grip",
         [&] {
             main->DragLastX = platform.cursor.x;
             main->DragLastY = platform.cursor.y;
             main->ResizePacer.Restart();
             main->Timer1->SetEnabled(true);
         },
         [&]() -> platform::Timer& { return *main->Timer1; }, [&] { main->ViewEvents().Image2MouseUp(); },
         {100, 100, 410, 441}, {100, 100, 430, 461}},
    };
    for (const Drag& drag : drags) {
        SCOPED_TRACE(drag.name);
        main->PlaceWindows(100, 100, 400, 431);
        platform.now += 1000;
        platform.cursor = {500, 500};
        drag.press();
        const std::size_t batches = platform.batches.size();
        platform.cursor = {510, 510};
        TimerOf(drag.timer()).Tick();
        EXPECT_EQ(LastMain(), drag.first);
        platform.now += 10;  // within the display frame
        platform.cursor = {520, 520};
        TimerOf(drag.timer()).Tick();
        EXPECT_EQ(platform.batches.size(), batches + 1);
        platform.cursor = {530, 530};
        drag.release();
        EXPECT_EQ(platform.batches.size(), batches + 2);
        EXPECT_EQ(LastMain(), drag.last);
        EXPECT_FALSE(drag.timer().Enabled());
    }
}

TEST_F(EdgeWindowsTest, ADefaultBandCannotBeDragged) {
    WriteSkin("");
    main->LoadSkin();
    skin::TfrmBottom& bottom = *main->BottomFrame;
    for (int y = -2; y <= 2; ++y) {
        EXPECT_EQ(CursorAt(bottom, 5, y), CursorShape::Arrow);
        Press(bottom, 5, y);
    }
    EXPECT_FALSE(bottom.Timer1->Enabled());
}

TEST_F(EdgeWindowsTest, CanResizeRepaintsOnlyARealChange) {
    skin::TfrmBottom& bottom = *main->BottomFrame;
    const std::size_t before = FormOf(bottom).presentations.size();
    bottom.FormCanResize({400, 20});
    EXPECT_EQ(FormOf(bottom).presentations.size(), before);
    bottom.FormCanResize({401, 20});
    ASSERT_EQ(FormOf(bottom).presentations.size(), before + 1);
    EXPECT_EQ(FormOf(bottom).presentations.back().width, 401);
    EXPECT_EQ(FormOf(bottom).presentations.back().alpha, 255);
}

}  // namespace
}  // namespace zylora::testing
