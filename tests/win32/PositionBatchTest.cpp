// Deferred positioning with real windows: one commit places all, absurd rectangles are
// clamped, show and hide flags leave the visible property alone, nothing activates.
#include "tests/win32/Win32TestSupport.h"

#include <array>

namespace zylora::win32test {
namespace {

class PositionBatchTest : public PlatformTest {
protected:
    void SetUp() override {
        for (auto& form : forms) {
            form = Form();
            form->SetBounds({0, 0, 10, 10});
        }
    }
    std::array<std::unique_ptr<Window>, 5> forms;
};

TEST_F(PositionBatchTest, FiveWindowsTakeTheirPlacesAtCommit) {
    const std::array<Rect, 5> places = {
        Rect{100, 100, 400, 300}, Rect{100, 80, 400, 20}, Rect{80, 100, 20, 300},
        Rect{500, 100, 20, 300}, Rect{100, 400, 400, 20}};
    auto batch = platform->BeginPositionBatch(5);
    for (std::size_t i = 0; i < forms.size(); ++i) batch->Add(*forms[i], places[i], KeepZOrder);
    EXPECT_EQ(WindowRectOf(HandleOf(*forms[0])), (Rect{0, 0, 10, 10})) << "nothing moves before Commit";
    batch->Commit();
    for (std::size_t i = 0; i < forms.size(); ++i) {
        EXPECT_EQ(WindowRectOf(HandleOf(*forms[i])), places[i]) << "window " << i;
        EXPECT_EQ(forms[i]->Bounds(), places[i]) << "window " << i;
    }
}

TEST_F(PositionBatchTest, AbsurdSizesAndPlacesAreClampedNotFailed) {
    auto batch = platform->BeginPositionBatch(5);
    batch->Add(*forms[0], {10, 10, 0, 0}, KeepZOrder);
    batch->Add(*forms[1], {-20, -30, -50, -1}, KeepZOrder);
    batch->Add(*forms[2], {30, 40, 100000, 100000}, KeepZOrder);
    batch->Add(*forms[3], {5000000, -5000000, 7, 8}, KeepZOrder);
    batch->Add(*forms[4], {1, 2, 3, 4}, KeepZOrder);
    batch->Commit();
    EXPECT_EQ(WindowRectOf(HandleOf(*forms[0])), (Rect{10, 10, 0, 0}));
    EXPECT_EQ(WindowRectOf(HandleOf(*forms[1])), (Rect{-20, -30, 0, 0}));
    EXPECT_EQ(WindowRectOf(HandleOf(*forms[2])), (Rect{30, 40, 32767, 32767}));
    EXPECT_EQ(WindowRectOf(HandleOf(*forms[3])), (Rect{16384, -16384, 7, 8}));
    EXPECT_EQ(WindowRectOf(HandleOf(*forms[4])), (Rect{1, 2, 3, 4}));
}

TEST_F(PositionBatchTest, CountsThatDontMatchTheEntriesStillWork) {
    for (int declared : {0, -3, 1, 100000}) {
        auto batch = platform->BeginPositionBatch(declared);
        for (auto& form : forms) batch->Add(*form, {declared % 100, 7, 30, 40}, KeepZOrder);
        batch->Commit();
        for (auto& form : forms)
            EXPECT_EQ(form->Bounds(), (Rect{declared % 100, 7, 30, 40})) << "declared " << declared;
    }
    platform->BeginPositionBatch(5)->Commit();  // an empty batch
}

TEST_F(PositionBatchTest, NoMoveAndNoSizeKeepTheirPart) {
    forms[0]->SetBounds({50, 60, 70, 80});
    forms[1]->SetBounds({50, 60, 70, 80});
    auto batch = platform->BeginPositionBatch(2);
    batch->Add(*forms[0], {1, 2, 3, 4}, KeepZOrder | NoMove);
    batch->Add(*forms[1], {1, 2, 3, 4}, KeepZOrder | NoSize);
    batch->Commit();
    EXPECT_EQ(forms[0]->Bounds(), (Rect{50, 60, 3, 4}));
    EXPECT_EQ(forms[1]->Bounds(), (Rect{1, 2, 70, 80}));
}

TEST_F(PositionBatchTest, DroppedBatchAppliesNothing) {
    {
        auto batch = platform->BeginPositionBatch(5);
        for (auto& form : forms) batch->Add(*form, {300, 300, 50, 50}, KeepZOrder | ShowWindow);
    }
    PumpPending();
    for (auto& form : forms) {
        EXPECT_EQ(form->Bounds(), (Rect{0, 0, 10, 10}));
        EXPECT_FALSE(::IsWindowVisible(HandleOf(*form)));
    }
}

TEST_F(PositionBatchTest, ShowAndHideFlagsLeaveTheVisiblePropertyAlone) {
    auto show = platform->BeginPositionBatch(2);
    show->Add(*forms[0], {10, 10, 20, 20}, KeepZOrder | ShowWindow);
    show->Add(*forms[1], {40, 10, 20, 20}, KeepZOrder | ShowWindow);
    show->Commit();
    EXPECT_TRUE(::IsWindowVisible(HandleOf(*forms[0])));
    EXPECT_TRUE(::IsWindowVisible(HandleOf(*forms[1])));
    EXPECT_FALSE(forms[0]->Visible());
    EXPECT_FALSE(forms[1]->Visible());

    forms[1]->SetVisible(true);
    auto hide = platform->BeginPositionBatch(1);
    hide->Add(*forms[1], {40, 10, 20, 20}, KeepZOrder | HideWindow | NoMove | NoSize);
    hide->Commit();
    EXPECT_FALSE(::IsWindowVisible(HandleOf(*forms[1])));
    EXPECT_TRUE(forms[1]->Visible());
}

TEST_F(PositionBatchTest, PositioningNeverChangesActivation) {
    forms[0]->SetBounds({100, 100, 200, 200});
    forms[0]->SetVisible(true);
    PumpPending();
    ASSERT_EQ(::GetForegroundWindow(), HandleOf(*forms[0]));
    // Without KeepZOrder the windows go to the top, still without being activated.
    auto batch = platform->BeginPositionBatch(2);
    batch->Add(*forms[1], {150, 150, 200, 200}, ShowWindow);
    batch->Add(*forms[0], {100, 100, 250, 250}, 0);
    batch->Commit();
    PumpPending();
    EXPECT_TRUE(::IsWindowVisible(HandleOf(*forms[1])));
    EXPECT_EQ(::GetForegroundWindow(), HandleOf(*forms[0]));
    EXPECT_EQ(::GetActiveWindow(), HandleOf(*forms[0]));
    EXPECT_EQ(::GetFocus(), HandleOf(*forms[0]));
}

TEST_F(PositionBatchTest, SizeChangesInABatchAskFirstMovesDoNot) {
    RecordingSink sink;
    forms[0]->SetEvents(&sink);
    auto move = platform->BeginPositionBatch(1);
    move->Add(*forms[0], {40, 50, 10, 10}, KeepZOrder);
    move->Commit();
    EXPECT_TRUE(sink.Only("canresize").empty());

    auto resize = platform->BeginPositionBatch(1);
    resize->Add(*forms[0], {40, 50, 90, 60}, KeepZOrder);
    resize->Commit();
    EXPECT_EQ(sink.log, (std::vector<std::string>{"canresize 90x60", "resized 90x60"}));
}

TEST_F(PositionBatchTest, AWindowDestroyedBeforeCommitDoesntStopTheOthers) {
    auto batch = platform->BeginPositionBatch(3);
    batch->Add(*forms[0], {11, 12, 13, 14}, KeepZOrder);
    batch->Add(*forms[1], {21, 22, 23, 24}, KeepZOrder);
    batch->Add(*forms[2], {31, 32, 33, 34}, KeepZOrder);
    forms[1].reset();
    batch->Commit();
    EXPECT_EQ(forms[0]->Bounds(), (Rect{11, 12, 13, 14}));
    EXPECT_EQ(forms[2]->Bounds(), (Rect{31, 32, 33, 34}));
}

}  // namespace
}  // namespace zylora::win32test
