// Deferred positioning with real windows: one commit places all, absurd rectangles are
// clamped, show and hide flags leave the visible property alone, nothing activates.
#include "tests/win32/Win32TestSupport.h"

#include <array>
#include <cstdint>

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
    Rect At(std::size_t i) { return WindowRectOf(HandleOf(*forms[i])); }
    std::array<std::unique_ptr<Window>, 5> forms;
};

TEST_F(PositionBatchTest, FiveWindowsTakeTheirPlacesAtCommit) {
    const std::array<Rect, 5> places = {Rect{100, 100, 400, 300}, Rect{100, 80, 400, 20},
                                        Rect{80, 100, 20, 300}, Rect{500, 100, 20, 300},
                                        Rect{100, 400, 400, 20}};
    auto batch = platform->BeginPositionBatch(5);
    for (std::size_t i = 0; i < forms.size(); ++i) batch->Add(*forms[i], places[i], KeepZOrder);
    EXPECT_EQ(At(0), (Rect{0, 0, 10, 10})) << "nothing moves before Commit";
    batch->Commit();
    for (std::size_t i = 0; i < forms.size(); ++i) {
        EXPECT_EQ(At(i), places[i]) << i;
        EXPECT_EQ(forms[i]->Bounds(), places[i]) << i;
    }
}

TEST_F(PositionBatchTest, AbsurdRectanglesAndCountsAreClampedNotFailed) {
    for (int declared : {5, 0, -3, 100000}) {
        auto batch = platform->BeginPositionBatch(declared);
        batch->Add(*forms[0], {10, 10, 0, 0}, KeepZOrder);
        batch->Add(*forms[1], {-20, -30, -50, -1}, KeepZOrder);
        batch->Add(*forms[2], {30, 40, 100000, 100000}, KeepZOrder);
        batch->Add(*forms[3], {5000000, -5000000, 7, 8}, KeepZOrder);
        batch->Add(*forms[4], {1, 2, 3, declared % 7 + 10}, KeepZOrder);
        batch->Commit();
        EXPECT_EQ(At(0), (Rect{10, 10, 0, 0})) << declared;
        EXPECT_EQ(At(1), (Rect{-20, -30, 0, 0})) << declared;
        EXPECT_EQ(At(2), (Rect{30, 40, 32767, 32767})) << declared;
        EXPECT_EQ(At(3), (Rect{16384, -16384, 7, 8})) << declared;
        EXPECT_EQ(At(4), (Rect{1, 2, 3, declared % 7 + 10})) << declared;
    }
    platform->BeginPositionBatch(5)->Commit();  // empty
}

TEST_F(PositionBatchTest, NoMoveAndNoSizeKeepTheirPart) {
    forms[0]->SetBounds({50, 60, 70, 80});
    forms[1]->SetBounds({50, 60, 70, 80});
    auto batch = platform->BeginPositionBatch(2);
    batch->Add(*forms[0], {1, 2, 3, 4}, KeepZOrder | NoMove);
    batch->Add(*forms[1], {1, 2, 3, 4}, KeepZOrder | NoSize);
    batch->Commit();
    EXPECT_EQ(At(0), (Rect{50, 60, 3, 4}));
    EXPECT_EQ(At(1), (Rect{1, 2, 70, 80}));
}

TEST_F(PositionBatchTest, DroppedBatchAppliesNothing) {
    platform->BeginPositionBatch(5)->Add(*forms[0], {300, 300, 50, 50}, ShowWindow);
    PumpPending();
    EXPECT_EQ(At(0), (Rect{0, 0, 10, 10}));
    EXPECT_FALSE(::IsWindowVisible(HandleOf(*forms[0])));
}

TEST_F(PositionBatchTest, ShowAndHideFlagsLeaveTheVisiblePropertyAlone) {
    auto show = platform->BeginPositionBatch(1);
    show->Add(*forms[0], {10, 10, 20, 20}, KeepZOrder | ShowWindow);
    show->Commit();
    EXPECT_TRUE(::IsWindowVisible(HandleOf(*forms[0])));
    EXPECT_FALSE(forms[0]->Visible());

    forms[1]->SetVisible(true);
    auto hide = platform->BeginPositionBatch(1);
    hide->Add(*forms[1], {}, KeepZOrder | HideWindow | NoMove | NoSize);
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
    EXPECT_EQ(::GetFocus(), HandleOf(*forms[0]));
}

TEST_F(PositionBatchTest, SizeChangesAskFirstMovesDoNot) {
    RecordingSink sink;
    forms[0]->SetEvents(&sink);
    for (Rect r : {Rect{40, 50, 10, 10}, Rect{40, 50, 90, 60}}) {
        auto batch = platform->BeginPositionBatch(1);
        batch->Add(*forms[0], r, KeepZOrder);
        batch->Commit();
    }
    EXPECT_EQ(sink.log, (Log{"canresize 90x60", "resized 90x60"}));
}

// Counts the placements the window system hands a window.
LRESULT CALLBACK CountingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_WINDOWPOSCHANGING) ::SetPropA(hwnd, "placements", reinterpret_cast<HANDLE>(
        reinterpret_cast<std::intptr_t>(::GetPropA(hwnd, "placements")) + 1));
    return ::CallWindowProcA(reinterpret_cast<WNDPROC>(::GetPropA(hwnd, "proc")), hwnd, message, wParam, lParam);
}

TEST_F(PositionBatchTest, AWindowAlreadyInPlaceIsLeftOutOfTheBatch) {
    const HWND hwnd = HandleOf(*forms[0]);
    ::SetPropA(hwnd, "proc", reinterpret_cast<HANDLE>(::SetWindowLongPtrA(
                                 hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CountingProc))));
    struct Case {
        Rect to;
        unsigned flags;
        bool placed;
    };
    for (const Case& c : {Case{{0, 0, 10, 10}, KeepZOrder, false}, Case{{5, 0, 10, 10}, KeepZOrder, true},
                          Case{{5, 0, 10, 10}, 0, true} /* brought to the top */}) {
        ::SetPropA(hwnd, "placements", nullptr);
        auto batch = platform->BeginPositionBatch(1);
        batch->Add(*forms[0], c.to, c.flags);
        batch->Commit();
        EXPECT_EQ(::GetPropA(hwnd, "placements") != nullptr, c.placed) << c.to.left << " " << c.flags;
        EXPECT_EQ(At(0), c.to);
    }
    ::SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(::RemovePropA(hwnd, "proc")));
    ::RemovePropA(hwnd, "placements");
}

TEST_F(PositionBatchTest, AWindowDestroyedBeforeCommitDoesntStopTheOthers) {
    auto batch = platform->BeginPositionBatch(3);
    batch->Add(*forms[0], {11, 12, 13, 14}, KeepZOrder);
    batch->Add(*forms[1], {21, 22, 23, 24}, KeepZOrder);
    batch->Add(*forms[2], {31, 32, 33, 34}, KeepZOrder);
    forms[1].reset();
    batch->Commit();
    EXPECT_EQ(At(0), (Rect{11, 12, 13, 14}));
    EXPECT_EQ(At(2), (Rect{31, 32, 33, 34}));
}

}  // namespace
}  // namespace zylora::win32test
