// Rolling up, minimising and restoring a real main window with its four frame windows.
#include "tests/win32/ViewerTestSupport.h"

#include "skin/EdgeWindows.h"
#include "skin/TitleWindow.h"

namespace zylora::win32test {
namespace {

class RollUpTest : public ViewerTest {
protected:
    void SetUp() override {
        ViewerTest::SetUp();
        WriteSkinFile("values.ini",
                      "[left]\r\nWidth=6\r\n[right]\r\nWidth=6\r\n[bottom]\r\nHeight=6\r\n"
                      "[top]\r\nHeight=24\r\nRolledUpHeight=20\r\n");
        Start().Show();
        main->PlaceWindows(200, 150, 300, 200);
        PumpPending();
    }
    std::vector<HWND> Five() {
        return {HandleOfAny(main->Form()), HandleOfAny(main->TopFrame->Form()),
                HandleOfAny(main->BottomFrame->Form()), HandleOfAny(main->RightFrame->Form()),
                HandleOfAny(main->LeftFrame->Form())};
    }
    std::vector<bool> Shown() {
        std::vector<bool> shown;
        for (HWND w : Five()) shown.push_back(::IsWindowVisible(w) != FALSE);
        return shown;
    }
    std::vector<Rect> Rects() {
        std::vector<Rect> rects;
        for (HWND w : Five()) rects.push_back(WindowRectOf(w));
        return rects;
    }

    // What the taskbar button does: the program's own minimise is refused where nothing
    // could bring it back (no window manager). A user's next click comes after the window
    // manager has answered; a restore before its answer to the minimise would be undone by it.
    void MinimiseFromTaskbar() { TaskbarCommand(SC_MINIMIZE); }
    void RestoreFromTaskbar() { TaskbarCommand(SC_RESTORE); }
    void TaskbarCommand(WPARAM command) {
        ::SendMessageA(::GetWindow(HandleOfAny(main->Form()), GW_OWNER), WM_SYSCOMMAND, command, 0);
        PumpUntil([] { return false; }, 500);
    }
};

// Under a window manager the windows come back when it has answered: what counts is where
// they settle.
TEST_F(RollUpTest, RolledUpOrNotTheProgramComesBackFromTheTaskbarAsItWent) {
    // Where SetUp placed the five, the main window at (200, 150) 300 x 200: read back at
    // the start instead, it could hold a place the window manager had not answered yet.
    const std::vector<Rect> before{{200, 150, 300, 200}, {194, 126, 312, 24}, {200, 350, 300, 6},
                                   {500, 150, 6, 206}, {194, 150, 6, 206}};
    const auto settles = [](const std::function<bool()>& done) { return PumpUntil(done, 5000); };
    main->SetRolledUp(true);
    PumpPending();
    const std::vector<bool> rolled{false, true, false, false, false};
    EXPECT_TRUE(settles([&] { return Shown() == rolled; }));
    EXPECT_EQ(WindowRectOf(HandleOfAny(main->TopFrame->Form())), (Rect{194, 126, 312, 20}));
    MinimiseFromTaskbar();
    EXPECT_TRUE(settles([&] { return Shown() == std::vector<bool>(5, false); }));
    RestoreFromTaskbar();
    EXPECT_TRUE(settles([&] { return Shown() == rolled; }));

    main->SetRolledUp(false);
    PumpPending();
    EXPECT_TRUE(settles([&] { return Shown() == std::vector<bool>(5, true) && Rects() == before; }))
        << ::testing::PrintToString(Rects());

    MinimiseFromTaskbar();
    EXPECT_TRUE(settles([&] { return Shown() == std::vector<bool>(5, false); }));
    RestoreFromTaskbar();
    EXPECT_TRUE(settles([&] { return Shown() == std::vector<bool>(5, true) && Rects() == before; }))
        << ::testing::PrintToString(Rects()) << ::testing::PrintToString(Shown());
    EXPECT_TRUE(settles([&] { return ::GetFocus() == HandleOfAny(main->Form()); }))
        << "the keyboard is not the main window's again";
}

}  // namespace
}  // namespace zylora::win32test
