// The title window under the pointer: caption button hits and hover, the drag of all five
// windows, the buttons' actions, fit to the picture and the double click.
#include "tests/unit/Harness.h"

namespace zylora::testing {
namespace {

using platform::MouseButton;
using platform::Point;
using platform::Rect;

class TitleInteractionTest : public ViewerTest {
protected:
    void SetUp() override {
        // Main window 400 wide: reference width 420. Close 390..406 and minimise 380..396
        // overlap; maximise sits at the middle, roll at the left end.
        WriteSkin("[left]\nWidth=10\nInActiveWidth=10\n[right]\nWidth=10\nInActiveWidth=20\n"
                  "[bottom]\nHeight=10\nInActiveHeight=10\n"
                  "[top]\nHeight=30\nInActiveHeight=30\nRolledUpHeight=24\n"
                  "[Buttons]\nCloseAlign=2\nCloseX=-30\nCloseY=5\nMinAlign=2\nMinX=-40\nMinY=5\n"
                  "MaxAlign=1\nMaxX=-8\nMaxY=5\nRollX=20\nRollY=5\n");
        for (const char* name : {"active_close.png", "mouseover_close.png", "active_min.png",
                                 "mouseover_Min.png", "active_max.png", "mouseover_Max.png",
                                 "active_Roll.png", "mouseover_Roll.png"})
            platform.AddImage(std::string(SkinPath) + name, 16, 16);
        platform.images.at(std::string(SkinPath) + "active_close.png").SetAlpha(2, 2, 0);
        Start().Show();
        main->PlaceWindows(100, 100, 400, 300);
        platform.cursor = {200, 80};
    }
    skin::TfrmTop& Title() { return *main->TopFrame; }
    fake::FakeWindow& TitleForm() { return FormOf(*main->TopFrame); }
    fake::FakeTimer& DragTimer() { return dynamic_cast<fake::FakeTimer&>(*Title().Timer1); }
    void Down(Point at, MouseButton b = MouseButton::Left) { TitleForm().Events().MouseDown(b, {}, at); }
    void Move(Point at) { TitleForm().Events().MouseMove({}, at); }
    void Up(Point at, MouseButton b = MouseButton::Left) { TitleForm().Events().MouseUp(b, {}, at); }
    // Moves the cursor by the displacement and lets the drag timer tick.
    void DragBy(int dx, int dy) {
        platform.cursor = {platform.cursor.x + dx, platform.cursor.y + dy};
        DragTimer().Tick();
    }
    std::size_t Presents() { return TitleForm().presentations.size(); }
};

TEST_F(TitleInteractionTest, HitTestIsStrictPerPixelAndInButtonOrder) {
    const std::vector<std::pair<Point, int>> cases = {
        {{391, 6}, 1},    // close and minimise overlap: close wins
        {{390, 6}, 2},    // close's first column is never hit; minimise lies under it
        {{391, 5}, 0},    // nor is the first row
        {{405, 20}, 1},   // the last column and row are
        {{406, 10}, 0},
        {{392, 7}, 2},    // a transparent pixel of close belongs to what lies below it
        {{203, 6}, 3},    // maximise: middle anchor 210, minus 8
        {{21, 6}, 4},     // roll: left anchor
        {{100, 10}, 0},
    };
    for (const auto& [at, button] : cases) EXPECT_EQ(Title().ButtonAt(at), button) << at.x << "," << at.y;

    // Inactive, the title is wider (the right width differs) and the buttons are hit where it
    // draws them, anchored at its own right end.
    platform.SetApplicationActive(false);
    EXPECT_EQ(TitleForm().bounds.width, 430);
    EXPECT_EQ(Title().ButtonAt({391, 6}), 2);
    EXPECT_EQ(Title().ButtonAt({401, 6}), 1);
    Move({401, 6});
    EXPECT_EQ(TitleForm().presentations.back().width, 430) << "a hover repaints it at its own width";
}

TEST_F(TitleInteractionTest, HoverRepaintsOnlyWhenTheButtonUnderThePointerChanges) {
    const std::size_t start = Presents();
    const std::vector<std::pair<Point, std::size_t>> moves = {
        {{391, 6}, 1}, {{393, 9}, 1}, {{385, 9}, 2}, {{100, 10}, 3}, {{101, 10}, 3}};
    for (const auto& [at, presents] : moves) {
        Move(at);
        EXPECT_EQ(Presents() - start, presents) << at.x;
    }
    EXPECT_EQ(Title().HoverButton, 0);
    Move({391, 6});
    EXPECT_EQ(TitleForm().presentations.back().width, 420);
    EXPECT_EQ(TitleForm().presentations.back().height, 30);
}

TEST_F(TitleInteractionTest, DragMovesAllFiveWindowsByTheCursorsDisplacement) {
    Down({100, 10});
    EXPECT_TRUE(Title().DragPending);
    EXPECT_FALSE(DragTimer().Enabled());
    platform.cursor = {205, 83};  // moved before the first move event: not counted
    Move({105, 13});
    EXPECT_TRUE(DragTimer().Enabled());
    const std::size_t batches = platform.batches.size();
    DragTimer().Tick();
    EXPECT_EQ(platform.batches.size(), batches) << "no displacement, no step";
    const std::size_t presents = platform.log.size();

    DragBy(100, 60);
    const fake::Batch& step = platform.batches.back();
    ASSERT_EQ(step.entries.size(), 5u);
    const std::vector<std::pair<fake::FakeWindow*, Rect>> expected = {
        {&MainForm(), {200, 160, 400, 300}},
        {&FormOf(*main->BottomFrame), {200, 460, 400, 10}},
        {&FormOf(*main->RightFrame), {600, 160, 10, 310}},
        {&TitleForm(), {190, 130, 420, 30}},
        {&FormOf(*main->LeftFrame), {190, 160, 10, 310}},
    };
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(step.entries[i].window, expected[i].first) << i;
        EXPECT_EQ(step.entries[i].bounds, expected[i].second) << i;
        EXPECT_EQ(step.entries[i].flags, platform::KeepZOrder);
    }
    EXPECT_EQ(LogIndex("present", static_cast<int>(presents)), -1) << "a move repaints nothing";

    Up({100, 10});
    EXPECT_FALSE(DragTimer().Enabled());
    EXPECT_FALSE(Title().DragPending);
}

// The movement before the first move event is not counted, so a quick drag to the top left
// corner can push the title wholly above the screen, where nothing of it is left to grab.
TEST_F(TitleInteractionTest, ADragThatEndsWithTheTitleOffTheScreensBringsItBack) {
    Down({100, 10});
    platform.cursor = {600, 400};
    Move({500, 330});
    DragBy(-600, -400);
    ASSERT_EQ(TitleForm().bounds, (Rect{-510, -330, 420, 30})) << "the drag follows from the first move";
    Up({10, 10});
    EXPECT_EQ(TitleForm().bounds, (Rect{0, 0, 420, 30}));
    EXPECT_EQ(MainForm().bounds, (Rect{10, 30, 400, 300}));
    EXPECT_EQ(FormOf(*main->BottomFrame).bounds, (Rect{10, 330, 400, 10}));

    // Partly on the screen, it can still be grabbed: it stays.
    Down({100, 10});
    Move({101, 10});
    DragBy(-5, -20);
    Up({100, 10});
    EXPECT_EQ(TitleForm().bounds, (Rect{-5, -20, 420, 30}));
}

TEST_F(TitleInteractionTest, AReleaseOnACaptionButtonEndsTheDragAndRunsTheButton) {
    Down({100, 10});
    Move({101, 10});
    DragBy(5, 0);
    Up({203, 6});  // maximise, without a picture: 320 x 320 where the window is now
    EXPECT_FALSE(DragTimer().Enabled());
    EXPECT_EQ(MainForm().bounds, (Rect{105, 100, 320, 320}));
}

TEST_F(TitleInteractionTest, PressesOnButtonsNeverDragAndReleasesRunThem) {
    const std::size_t batches = platform.batches.size();
    Down({391, 6});
    Move({100, 10});  // off the button with the button held: no drag, it began on a button
    DragTimer().Tick();
    Up({392, 7});  // transparent in close: minimise
    EXPECT_EQ(platform.batches.size(), batches);
    EXPECT_EQ(platform.minimizations, 1);

    Down({100, 10});
    Up({100, 10});  // no movement: nothing at all
    EXPECT_EQ(platform.batches.size(), batches);

    Down({100, 10}, MouseButton::Right);
    Up({100, 10}, MouseButton::Right);  // the skin menu, not an action
    EXPECT_EQ(platform.closes + platform.minimizations, 1);
    Up({391, 6}, MouseButton::Right);
    EXPECT_EQ(platform.closes, 1) << "a right release on close closes too";

    TitleForm().Events().DoubleClick({100, 10});
    EXPECT_EQ(platform.minimizations, 2);
    Up({21, 6});
    EXPECT_TRUE(main->IsRolledUp());
    Up({21, 6});
    EXPECT_FALSE(main->IsRolledUp());
}

TEST_F(TitleInteractionTest, ADoubleClickOnACaptionButtonIsItsActionOnceAndNoMinimise) {
    Down({21, 6});
    Up({21, 6});  // the roll button's first click rolls up
    TitleForm().Events().DoubleClick({21, 6});
    Down({21, 6});
    Up({21, 6});
    EXPECT_TRUE(main->IsRolledUp());
    EXPECT_EQ(platform.minimizations, 0);
    Down({21, 6});
    Up({21, 6});
    EXPECT_FALSE(main->IsRolledUp()) << "the next click is a click again";
}

TEST_F(TitleInteractionTest, TheLightGoesWhenThePointerLeavesOrTheButtonMinimises) {
    Move({391, 6});
    EXPECT_GT(TitleForm().leaveTrackings, 0) << "a leave is asked for";
    const std::size_t lit = Presents();
    TitleForm().Events().MouseLeave();
    EXPECT_EQ(Title().HoverButton, 0);
    EXPECT_EQ(Presents(), lit + 1);
    Move({385, 9});
    Up({385, 9});  // minimise: the pointer is elsewhere when the window comes back
    EXPECT_EQ(platform.minimizations, 1);
    EXPECT_EQ(Title().HoverButton, 0);
}

TEST_F(TitleInteractionTest, ALostCaptureEndsTheDragWithoutMenuOrAction) {
    Down({100, 10}, MouseButton::Right);
    Move({101, 10});
    DragBy(10, 0);
    TitleForm().Events().CaptureLost();
    EXPECT_FALSE(DragTimer().Enabled());
    EXPECT_FALSE(Title().DragPending);
    EXPECT_EQ(LogIndex("popup"), -1);
    Move({102, 10});
    EXPECT_FALSE(DragTimer().Enabled()) << "no drag without a press";
}

TEST_F(TitleInteractionTest, RolledUpDragMovesTheTitleFromItsOwnTopAndKeepsTheRestHidden) {
    main->SetRolledUp(true);
    const Rect title = TitleForm().bounds;
    Down({100, 10});
    Move({101, 10});
    DragBy(10, 20);
    const fake::Batch& step = platform.batches.back();
    EXPECT_EQ(step.entries[0].bounds, (Rect{110, 120, 400, 0}));
    EXPECT_EQ(step.entries[1].bounds, (Rect{110, 120, 400, 10}));
    EXPECT_EQ(step.entries[3].bounds, (Rect{title.left + 10, title.top + 20, 420, title.height}));
    EXPECT_FALSE(MainForm().onScreen);
    EXPECT_FALSE(FormOf(*main->BottomFrame).onScreen);
    EXPECT_TRUE(TitleForm().onScreen);
}

TEST_F(TitleInteractionTest, MaximiseFitsThePictureHalvingUntilItFitsTheScreen) {
    platform.AddImage("C:\\p\\big.png", 4000, 3000);
    main->OpenFile("C:\\p\\big.png");
    main->PlaceWindows(50, 60, 300, 200);
    const std::size_t mark = platform.log.size();
    Title().FitToPicture();
    EXPECT_EQ(MainForm().bounds, (Rect{50, 60, 1000, 750 + main->ToolbarHeight()}));
    EXPECT_NE(LogIndex("present TfrmTop 1020x30", static_cast<int>(mark)), -1) << "frames rendered";
}

}  // namespace
}  // namespace zylora::testing
