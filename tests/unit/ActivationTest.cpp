// Activation changes and the roll-up animation: what is rendered, in which order, and the
// batches of both animations.
#include "tests/unit/Harness.h"

namespace zylora::testing {
namespace {

using platform::Rect;

class ActivationTest : public ViewerTest {
protected:
    void SetUp() override {
        WriteSkin("[left]\nWidth=10\nInActiveWidth=4\n[right]\nWidth=10\nInActiveWidth=10\n"
                  "[bottom]\nHeight=10\nInActiveHeight=10\n"
                  "[top]\nHeight=30\nInActiveHeight=20\nRolledUpHeight=24\nRolledUpInActiveHeight=18\n"
                  "[Caption]\nAlphaActive=200\nAlphaInActive=384\n");
        platform.files.files["C:\\Zylora\\Buttons/Default\\values.ini"] =
            "[Main]\nNumOfButtons=1\nToolbarHeight=40\n[Button-0]\nAction=open\nX=4\nY=4\n";
        Start().Show();
        main->PlaceWindows(100, 100, 400, 320);
    }
    // The log entries since the mark that present a frame or draw on the toolbar.
    std::vector<std::string> Renders(std::size_t mark) const {
        std::vector<std::string> found;
        for (std::size_t i = mark; i < platform.log.size(); ++i) {
            const std::string& e = platform.log[i];
            if (e.rfind("present ", 0) == 0 || e.rfind("draw surface on panel", 0) == 0 ||
                e.rfind("batch", 0) == 0)
                found.push_back(e);
        }
        return found;
    }
    // The main window's height in each committed batch since the mark, -1 for a hiding one.
    std::vector<int> MainHeights(std::size_t mark) const {
        std::vector<int> heights;
        for (std::size_t i = mark; i < platform.batches.size(); ++i) {
            const fake::BatchEntry& e = platform.batches[i].entries.front();
            heights.push_back(e.flags & platform::HideWindow ? -1 : e.bounds.height);
        }
        return heights;
    }
    Rect Bounds(skin::TFrameWindow& frame) { return FormOf(frame).bounds; }
};

TEST_F(ActivationTest, DeactivationAndActivationRenderInTheirOrderAndKeepTheFrameAligned) {
    std::size_t mark = platform.log.size();
    platform.SetApplicationActive(false);
    EXPECT_FALSE(main->Active);
    EXPECT_EQ(main->TopFrame->TitleAlpha, 128) << "the low byte of 384";
    // Toolbar first, then title, bottom, left, right, each once; the frame moves onto the
    // main window for the inactive sizes.
    EXPECT_EQ(Renders(mark), (std::vector<std::string>{
                                 "draw surface on panel 32x32 at 4,4", "present TfrmTop 414x20 alpha 128", "present TfrmBottom 400x10 alpha 255",
                                 "present TfrmLeft 4x330 alpha 255", "present TfrmRight 10x330 alpha 255",
                                 "batch of 4"}));
    EXPECT_EQ(Bounds(*main->TopFrame), (Rect{96, 80, 414, 20}));
    EXPECT_EQ(Bounds(*main->LeftFrame), (Rect{96, 100, 4, 330}));
    EXPECT_EQ(Bounds(*main->RightFrame), (Rect{500, 100, 10, 330}));
    EXPECT_EQ(MainForm().bounds, (Rect{100, 100, 400, 320}));

    mark = platform.log.size();
    platform.SetApplicationActive(true);
    EXPECT_TRUE(main->Active);
    EXPECT_EQ(main->TopFrame->TitleAlpha, 200);
    const std::vector<std::string> renders = Renders(mark);
    ASSERT_EQ(renders.size(), 6u);
    EXPECT_EQ(renders.front(), "present TfrmTop 420x30 alpha 200");
    EXPECT_EQ(renders[4], "draw surface on panel 32x32 at 4,4") << "the buttons after the frame";
    EXPECT_EQ(Bounds(*main->TopFrame), (Rect{90, 70, 420, 30}));
    EXPECT_EQ(Bounds(*main->LeftFrame), (Rect{90, 100, 10, 330}));
}

TEST_F(ActivationTest, TheButtonsAreLeftToAToolbarPaintThatCoversThemAll) {
    dynamic_cast<fake::FakeWindow&>(*main->Toolbar).awaitsWholePaint = true;
    const std::size_t mark = platform.log.size();
    platform.SetApplicationActive(false);
    const std::vector<std::string> renders = Renders(mark);
    ASSERT_FALSE(renders.empty());
    EXPECT_EQ(renders.front(), "present TfrmTop 414x20 alpha 128") << "nothing drawn on the toolbar";
}

TEST_F(ActivationTest, ALookShownBeforeComesBackUndrawnUntilTheSkinIsLoadedAgain) {
    // The surfaces an activation change and its return make (the toolbar's the same each time).
    auto cycle = [&] {
        const int before = platform.surfacesMade;
        platform.SetApplicationActive(false);
        platform.SetApplicationActive(true);
        return platform.surfacesMade - before;
    };
    cycle();  // both looks of the four frames drawn once
    const fake::Presentation first = FormOf(*main->TopFrame).presentations.back();
    const int kept = cycle();
    const fake::Presentation again = FormOf(*main->TopFrame).presentations.back();
    EXPECT_EQ(again.draws, first.draws);
    EXPECT_EQ(again.alpha, first.alpha);
    main->LoadSkin();
    // Another skin: both looks of the four frames drawn anew, and the toolbar's background.
    EXPECT_EQ(cycle() - kept, 8 + 1);
}

TEST_F(ActivationTest, SameSizesInBothStatesMoveNoWindow) {
    WriteSkin("[left]\nWidth=10\nInActiveWidth=10\n[top]\nHeight=30\nInActiveHeight=30\n");
    main->LoadSkin();
    main->PlaceWindows(100, 100, 400, 320);
    const std::size_t batches = platform.batches.size();
    platform.SetApplicationActive(false);
    platform.SetApplicationActive(true);
    EXPECT_EQ(platform.batches.size(), batches);
}

struct RollCase {
    int height;
    std::vector<int> rollUp;   // main heights of the batches, -1 the hiding batch
    std::vector<int> unroll;
};

TEST_F(ActivationTest, RollAnimationsShowTenthsOfTheHeightAndEnd) {
    const std::vector<RollCase> cases = {
        {320, {320, 288, 256, 224, 192, 160, 128, 96, 64, -1}, {0, 32, 64, 96, 128, 160, 192, 224, 256, 320}},
        {325, {325, 293, 261, 229, 197, 165, 133, 101, 69, 37, -1},
         {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 325}},
        // The smallest window (the toolbar's 40 and 64 of view).
        {104, {104, 94, 84, 74, 64, 54, 44, 34, 24, 14, -1}, {0, 10, 20, 30, 40, 50, 60, 70, 80, 90, 104}},
    };
    for (const RollCase& c : cases) {
        SCOPED_TRACE(c.height);
        main->PlaceWindows(100, 100, 400, c.height);
        std::size_t mark = platform.batches.size();
        main->SetRolledUp(true);
        EXPECT_EQ(MainHeights(mark), c.rollUp);
        EXPECT_TRUE(main->IsRolledUp());
        EXPECT_FALSE(main->RollingUp);
        EXPECT_EQ(main->UnrolledHeight, c.height);
        EXPECT_EQ(Bounds(*main->TopFrame), (Rect{90, 70, 420, 24})) << "rolled-up height, same corner";

        mark = platform.batches.size();
        main->SetRolledUp(false);
        EXPECT_EQ(MainHeights(mark), c.unroll);
        EXPECT_FALSE(main->IsRolledUp());
        EXPECT_FALSE(main->Unrolling);
        EXPECT_EQ(MainForm().bounds, (Rect{100, 100, 400, c.height}));
        EXPECT_EQ(Bounds(*main->TopFrame), (Rect{90, 70, 420, 30}));
    }
}

TEST_F(ActivationTest, RollBatchesKeepPositionsHideWithoutMovingAndShowOnUnroll) {
    main->SetRolledUp(true);
    const fake::Batch& step = platform.batches[platform.batches.size() - 2];
    ASSERT_EQ(step.entries.size(), 4u);
    EXPECT_EQ(step.declaredCount, 5);
    EXPECT_EQ(step.entries[0].flags, platform::KeepZOrder | platform::NoMove);
    EXPECT_EQ(step.entries[1].window, &FormOf(*main->BottomFrame));
    EXPECT_EQ(step.entries[1].bounds, (Rect{100, 164, 400, 10}));
    EXPECT_EQ(step.entries[1].flags, platform::KeepZOrder);
    EXPECT_EQ(step.entries[2].bounds.height, 74);
    EXPECT_EQ(step.entries[3].flags, platform::KeepZOrder | platform::NoMove);
    const fake::Batch& hide = platform.batches.back();
    EXPECT_EQ(hide.declaredCount, 4);
    for (const fake::BatchEntry& e : hide.entries)
        EXPECT_EQ(e.flags, platform::HideWindow | platform::NoMove | platform::NoSize |
                               platform::KeepZOrder | platform::KeepOwnerZOrder);
    EXPECT_FALSE(MainForm().onScreen);
    EXPECT_TRUE(MainForm().visibleProperty);
    EXPECT_TRUE(FormOf(*main->TopFrame).onScreen);

    fake::FakeWindow& view = dynamic_cast<fake::FakeWindow&>(*main->Image2);
    const int updates = view.updates;
    main->SetRolledUp(false);
    for (const fake::BatchEntry& e : platform.batches.back().entries)
        EXPECT_TRUE(e.flags & platform::ShowWindow);
    EXPECT_TRUE(MainForm().onScreen && FormOf(*main->LeftFrame).onScreen);
    EXPECT_GT(view.updates, updates) << "the view is painted at once";
}

// A window manager hands the keyboard on only as it is asked: the title must have it before
// the main form that has it hides, and the main form must have it back once shown.
TEST_F(ActivationTest, TheKeyboardGoesToTheRolledTitleBeforeTheMainFormHidesAndBackAfter) {
    const auto lastTwo = [&](std::size_t mark) {
        std::vector<std::string> found;
        for (std::size_t i = mark; i < platform.log.size(); ++i)
            if (platform.log[i].rfind("keyboard", 0) == 0 || platform.log[i].rfind("batch", 0) == 0)
                found.push_back(platform.log[i]);
        return std::vector<std::string>(found.end() - std::min<std::size_t>(found.size(), 2), found.end());
    };
    std::size_t mark = platform.log.size();
    main->SetRolledUp(true);
    EXPECT_EQ(lastTwo(mark), (std::vector<std::string>{"keyboard TfrmTop", "batch of 4"}));
    mark = platform.log.size();
    main->SetRolledUp(false);
    EXPECT_EQ(lastTwo(mark), (std::vector<std::string>{"batch of 4", "keyboard TfrmMiddle"}));
}

TEST_F(ActivationTest, APlacementWhileRolledUpIsWhatTheUnrollGivesBack) {
    main->SetRolledUp(true);
    main->PlaceWindows(100, 100, 800, 640);  // as a fit to the picture does
    EXPECT_FALSE(MainForm().onScreen);
    main->SetRolledUp(false);
    EXPECT_EQ(MainForm().bounds, (Rect{100, 100, 800, 640}));
}

TEST_F(ActivationTest, ClosingWhileRolledUpStoresTheUnrolledHeight) {
    main->SetRolledUp(true);
    EXPECT_NE(Stop().find("Height=320\r\n"), std::string::npos);
}

}  // namespace
}  // namespace zylora::testing
