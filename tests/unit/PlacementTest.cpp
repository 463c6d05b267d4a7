// Frame metrics, the placement of the five windows, rendering the frames, the corner drag.
#include "tests/unit/Harness.h"

namespace zylora::testing {
namespace {

using platform::Rect;

class PlacementTest : public ViewerTest {
protected:
    void SetUp() override {
        WriteSkin(
            "[left]\nWidth=10\nInActiveWidth=4\n"
            "[right]\nWidth=12\nInActiveWidth=6\n"
            "[top]\nHeight=30\nInActiveHeight=28\nRolledUpHeight=22\nRolledUpInActiveHeight=20\n"
            "[bottom]\nHeight=8\nInActiveHeight=5\n");
        Start();
    }
    const fake::Batch& LastBatch() { return platform.batches.back(); }
    Rect Placed(int index) { return LastBatch().entries[static_cast<std::size_t>(index)].bounds; }
};

TEST_F(PlacementTest, AccessorsChooseByState) {
    app::TfrmMiddle& m = *main;
    EXPECT_EQ(m.GetLeftWidth(), 10);
    EXPECT_EQ(m.GetRightWidth(), 12);
    EXPECT_EQ(m.GetTopHeight(), 30);
    EXPECT_EQ(m.GetBottomHeight(), 8);
    m.RolledUp = true;
    EXPECT_TRUE(m.IsRolledUp());
    EXPECT_EQ(m.GetTopHeight(), 22);
    m.Active = false;
    EXPECT_EQ(m.GetTopHeight(), 20);
    m.RolledUp = false;
    EXPECT_EQ(m.GetLeftWidth(), 4);
    EXPECT_EQ(m.GetRightWidth(), 6);
    EXPECT_EQ(m.GetTopHeight(), 28);
    EXPECT_EQ(m.GetBottomHeight(), 5);
}

TEST_F(PlacementTest, OneBatchOfFiveInTheFixedOrder) {
    main->PlaceWindows(100, 200, 320, 240);
    const fake::Batch& batch = LastBatch();
    EXPECT_EQ(batch.declaredCount, 5);
    ASSERT_EQ(batch.entries.size(), 5u);
    EXPECT_EQ(batch.entries[0].window, &FormOf(*main->TopFrame));
    EXPECT_EQ(batch.entries[1].window, &MainForm());
    EXPECT_EQ(batch.entries[2].window, &FormOf(*main->BottomFrame));
    EXPECT_EQ(batch.entries[3].window, &FormOf(*main->RightFrame));
    EXPECT_EQ(batch.entries[4].window, &FormOf(*main->LeftFrame));
    EXPECT_EQ(Placed(0), (Rect{90, 170, 342, 30}));
    EXPECT_EQ(Placed(1), (Rect{100, 200, 320, 240}));
    EXPECT_EQ(Placed(2), (Rect{100, 440, 320, 8}));
    EXPECT_EQ(Placed(3), (Rect{420, 200, 12, 248}));
    EXPECT_EQ(Placed(4), (Rect{90, 200, 10, 248}));
    for (const fake::BatchEntry& e : batch.entries) EXPECT_EQ(e.flags, platform::KeepZOrder);
    EXPECT_EQ(MainForm().bounds, (Rect{100, 200, 320, 240}));
}

TEST_F(PlacementTest, InactiveStateUsesInactiveMetrics) {
    main->Active = false;
    main->PlaceWindows(100, 200, 320, 240);
    EXPECT_EQ(Placed(0), (Rect{96, 172, 330, 28}));
    EXPECT_EQ(Placed(2), (Rect{100, 440, 320, 5}));
    EXPECT_EQ(Placed(3), (Rect{420, 200, 6, 245}));
    EXPECT_EQ(Placed(4), (Rect{96, 200, 4, 245}));
}

TEST_F(PlacementTest, FramesAreShownInOrderOnlyOnce) {
    main->PlaceWindows(0, 0, 100, 100);
    const int bottom = LogIndex("visible TfrmBottom true");
    const int top = LogIndex("visible TfrmTop true");
    const int right = LogIndex("visible TfrmRight true");
    const int left = LogIndex("visible TfrmLeft true");
    EXPECT_GE(bottom, 0);
    EXPECT_LT(bottom, top);
    EXPECT_LT(top, right);
    EXPECT_LT(right, left);
    const std::size_t entries = platform.log.size();
    main->PlaceWindows(0, 0, 100, 100);
    for (std::size_t i = entries; i < platform.log.size(); ++i)
        EXPECT_EQ(platform.log[i].rfind("visible", 0), std::string::npos) << platform.log[i];
    EXPECT_FALSE(MainForm().visibleProperty);  // the main window is never shown here
}

TEST_F(PlacementTest, RolledUpPlacementMovesHiddenWindowsButShowsOnlyTheTitle) {
    main->RolledUp = true;
    main->PlaceWindows(100, 200, 320, 240);
    EXPECT_EQ(Placed(0), (Rect{90, 178, 342, 22}));
    EXPECT_EQ(Placed(2), (Rect{100, 440, 320, 8}));
    EXPECT_TRUE(FormOf(*main->TopFrame).visibleProperty);
    EXPECT_FALSE(FormOf(*main->BottomFrame).visibleProperty);
    EXPECT_FALSE(FormOf(*main->RightFrame).visibleProperty);
    EXPECT_FALSE(FormOf(*main->LeftFrame).visibleProperty);
    EXPECT_EQ(FormOf(*main->LeftFrame).bounds, (Rect{90, 200, 10, 248}));
}

TEST_F(PlacementTest, ASkinWithoutMetricsStillShowsZeroSizedFrames) {
    WriteSkin("");
    main->LoadSkin();
    main->PlaceWindows(100, 200, 320, 240);
    EXPECT_EQ(Placed(0), (Rect{100, 200, 320, 0}));
    EXPECT_EQ(Placed(3), (Rect{420, 200, 0, 240}));
    EXPECT_TRUE(FormOf(*main->RightFrame).visibleProperty);
}

TEST_F(PlacementTest, FramesRepaintOnlyWhenTheirSizeChanges) {
    main->PlaceWindows(100, 200, 320, 240);
    const auto& top = FormOf(*main->TopFrame);
    const auto& right = FormOf(*main->RightFrame);
    const std::size_t topCount = top.presentations.size();
    ASSERT_GE(topCount, 1u);
    EXPECT_EQ(top.presentations.back().width, 342);
    main->PlaceWindows(150, 260, 320, 240);  // a move alone
    EXPECT_EQ(top.presentations.size(), topCount);
    const std::size_t rightCount = right.presentations.size();
    main->PlaceWindows(150, 260, 330, 240);  // wider: title and bottom change, the sides don't
    EXPECT_EQ(top.presentations.size(), topCount + 1);
    EXPECT_EQ(right.presentations.size(), rightCount);
}

// A frame drawn anew for a placement goes to its place with the presentation: the window
// system moves and sizes it in one step.
TEST_F(PlacementTest, AFrameDrawnAnewIsPresentedAtItsNewPlace) {
    main->PlaceWindows(100, 200, 320, 240);
    main->PlaceWindows(90, 190, 340, 250);  // the top-left corner dragged out by 10
    const struct {
        skin::TFrameWindow& frame;
        platform::Point corner;
    } cases[] = {{*main->TopFrame, {80, 160}},
                 {*main->LeftFrame, {80, 190}},
                 {*main->BottomFrame, {90, 440}},
                 {*main->RightFrame, {430, 190}}};
    for (const auto& c : cases) {
        const fake::FakeWindow& form = FormOf(c.frame);
        ASSERT_FALSE(form.presentations.empty());
        EXPECT_EQ(form.presentations.back().topLeft, std::optional<platform::Point>(c.corner)) << form.name;
    }
}

TEST_F(PlacementTest, RenderFramesPaintsTheFourInOrderAtTheirSizes) {
    main->PlaceWindows(100, 200, 320, 240);
    platform.log.clear();
    main->TopFrame->TitleAlpha = 128;
    main->RenderFrames(100, 200, 400, 300);
    std::vector<std::string> presents;
    for (const std::string& e : platform.log)
        if (e.rfind("present", 0) == 0) presents.push_back(e);
    EXPECT_EQ(presents, (std::vector<std::string>{"present TfrmTop 422x30 alpha 128",
                                                  "present TfrmLeft 10x308 alpha 255",
                                                  "present TfrmBottom 400x8 alpha 255",
                                                  "present TfrmRight 12x308 alpha 255"}));
    // Rendering doesn't move anything: each frame keeps its corner.
    EXPECT_EQ(FormOf(*main->RightFrame).bounds, (Rect{420, 200, 12, 308}));
    EXPECT_EQ(FormOf(*main->TopFrame).bounds, (Rect{90, 170, 422, 30}));
}

// A window manager's own move of the main window (Alt+drag) moves it alone.
TEST_F(PlacementTest, TheFrameFollowsAMoveOfTheMainWindowAlone) {
    main->PlaceWindows(100, 200, 400, 300);
    auto& follow = dynamic_cast<fake::FakeTimer&>(*main->FrameFollowTimer);
    const std::size_t placed = platform.batches.size();
    follow.Tick();
    EXPECT_EQ(platform.batches.size(), placed) << "the program's own placement needs no follow-up";
    MainForm().MoveBySystem({150, 260, 400, 300});
    follow.Tick();
    EXPECT_EQ(FormOf(*main->TopFrame).bounds, (Rect{140, 230, 422, 30}));
    EXPECT_EQ(FormOf(*main->LeftFrame).bounds, (Rect{140, 260, 10, 308}));
    EXPECT_EQ(FormOf(*main->BottomFrame).bounds, (Rect{150, 560, 400, 8}));
    EXPECT_EQ(FormOf(*main->RightFrame).bounds, (Rect{550, 260, 12, 308}));

    // A frame window the window manager keeps on the screen on its own (icewm, at the left
    // edge) takes the other four along; twice at most until the program's next placement, in
    // case the manager moves them back each time.
    main->PlaceWindows(5, 260, 400, 300);
    const std::size_t atTheEdge = platform.batches.size();
    FormOf(*main->LeftFrame).MoveBySystem({0, 260, 10, 308});
    follow.Tick();
    EXPECT_EQ(MainForm().bounds, (Rect{10, 260, 400, 300}));
    EXPECT_EQ(FormOf(*main->TopFrame).bounds, (Rect{0, 230, 422, 30}));
    EXPECT_EQ(FormOf(*main->RightFrame).bounds, (Rect{410, 260, 12, 308}));
    for (int round = 0; round < 3; ++round) {
        FormOf(*main->BottomFrame).MoveBySystem({10, 500, 400, 8});
        follow.Tick();
    }
    EXPECT_EQ(platform.batches.size(), atTheEdge + 2) << "followed more than twice";

    // A frame window that was wholly on the screen and moved is a late answer to an earlier
    // placement of the program's own (openbox, during a roll): it goes back, and nothing follows.
    main->PlaceWindows(100, 200, 400, 300);
    FormOf(*main->BottomFrame).MoveBySystem({100, 420, 400, 8});
    follow.Tick();
    EXPECT_EQ(FormOf(*main->BottomFrame).bounds, (Rect{100, 500, 400, 8}));
    EXPECT_EQ(MainForm().bounds, (Rect{100, 200, 400, 300}));
}

// A window manager that puts the main window at the screen's top would leave the title above
// it, with nothing to grab: all five come down.
TEST_F(PlacementTest, AMoveOfTheMainWindowThatTakesTheTitleOffTheScreensBringsItBack) {
    main->PlaceWindows(100, 200, 400, 300);
    MainForm().MoveBySystem({100, 0, 400, 300});
    dynamic_cast<fake::FakeTimer&>(*main->FrameFollowTimer).Tick();
    EXPECT_EQ(MainForm().bounds, (Rect{100, 30, 400, 300}));
    EXPECT_EQ(FormOf(*main->TopFrame).bounds, (Rect{90, 0, 422, 30}));
    EXPECT_EQ(FormOf(*main->BottomFrame).bounds, (Rect{100, 330, 400, 8}));
}

// openbox may answer the unroll's steps late, and Wine take an old place or size of the main
// window for the last word, reported or not: for a moment the unrolled place is kept.
TEST_F(PlacementTest, AnOldPlaceOrSizeGivenToTheUnrolledWindowIsUndoneForAMoment) {
    main->PlaceWindows(200, 160, 400, 300);
    main->SetRolledUp(true);
    main->SetRolledUp(false);
    auto& follow = dynamic_cast<fake::FakeTimer&>(*main->FrameFollowTimer);
    follow.Tick();
    platform.now += 50;
    MainForm().MoveBySystem({200, 96, 400, 300});
    follow.Tick();
    EXPECT_EQ(MainForm().bounds, (Rect{200, 160, 400, 300}));
    EXPECT_EQ(FormOf(*main->TopFrame).bounds, (Rect{190, 130, 422, 30}));
    MainForm().bounds = {200, 160, 400, 240};  // taken inside the program's own placing
    follow.Tick();
    EXPECT_EQ(MainForm().bounds, (Rect{200, 160, 400, 300}));
    platform.now += 1000;
    MainForm().MoveBySystem({200, 96, 400, 300});
    follow.Tick();
    EXPECT_EQ(FormOf(*main->TopFrame).bounds, (Rect{190, 66, 422, 30})) << "a later move is the manager's will";
}

TEST_F(PlacementTest, CornerDragFollowsTheCursorFromAFixedCorner) {
    main->PlaceWindows(100, 200, 320, 240);
    auto& timer = dynamic_cast<fake::FakeTimer&>(*main->Timer1);
    EXPECT_EQ(timer.Interval(), 1);
    EXPECT_FALSE(timer.Enabled());
    main->DragLastX = 500;
    main->DragLastY = 400;
    timer.SetEnabled(true);
    platform.cursor = {530, 390};
    timer.Tick();
    EXPECT_EQ(Placed(1), (Rect{100, 200, 350, 230}));
    EXPECT_EQ(main->DragLastX, 530);
    EXPECT_EQ(main->DragLastY, 390);
    platform.now += 17;  // a display frame later
    timer.Tick();  // the cursor stayed: same rectangle again
    EXPECT_EQ(Placed(1), (Rect{100, 200, 350, 230}));
    platform.cursor = {-500, -500};
    platform.now += 17;
    timer.Tick();  // the smallest window: no buttons, the toolbar's 53 and 64 of view
    EXPECT_EQ(Placed(1), (Rect{100, 200, 0, 117}));
    EXPECT_EQ(Placed(3), (Rect{100, 200, 12, 125}));
}

}  // namespace
}  // namespace zylora::testing
