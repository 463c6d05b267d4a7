// The viewer on desktops with a window manager, each on an X server of its own: one entry for
// the taskbar and Alt+Tab; the caption buttons light only under the pointer; another
// program's window covers all of it; a press on its title raises all of it over that window
// and gives it the keyboard; it minimises (by its key or the window manager's menu), moves
// (by the window manager too) and changes workspace whole; rolled up, its title holds the keyboard. Under xfwm4 it leaves
// the stacking alone at rest.
#include "tests/e2e/Desktop.h"
#include "tests/e2e/SkinnedAppTest.h"

#include <X11/Xlib.h>

#include <string>
#include <thread>
#include <tuple>
#include <vector>

namespace zylora::e2e {
namespace {

// Wider than the bundled button set reaches, the main window's least width.
constexpr int kX = 300, kY = 200, kWidth = 480, kHeight = 300, kSide = 10, kTop = 30;
constexpr Rgb kStrip{0, 160, 0}, kClose{255, 0, 0}, kCloseLit{255, 200, 0}, kWhite{255, 255, 255},
              kViewBackground{0, 0, 255};

// The viewer with the desk skin, under the window manager the fixture starts first.
class ViewerOnDesktop : protected Desktop, public SkinnedAppTest {
protected:
    explicit ViewerOnDesktop(const std::vector<std::string>& windowManager) : Desktop(windowManager) {}
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(SkinnedAppTest::SetUp());
        const std::string dir = "Skins/Desk/";
        app_.WriteFile(dir + "values.ini",
                       "[Caption]\r\nText=Zylora Desk E2E\r\n"
                       "Format={text}\r\nFontSize=6\r\nColorA=0\r\n"
                       "[left]\r\nWidth=10\r\nInActiveWidth=10\r\n[right]\r\nWidth=10\r\nInActiveWidth=10\r\n"
                       "[top]\r\nHeight=30\r\nInActiveHeight=30\r\nRolledUpHeight=30\r\nRolledUpInActiveHeight=30\r\n[bottom]\r\nHeight=12\r\nInActiveHeight=12\r\n"
                       "[Buttons]\r\nCloseAlign=2\r\nCloseX=-24\r\nCloseY=7\r\n"
                       "RollAlign=2\r\nRollX=-48\r\nRollY=7\r\n"
                       "[bg]\r\nColorR=0\r\nColorG=0\r\nColorB=255\r\n");
        for (const char* prefix : {"", "inactive_", "rolled_", "rolled_inactive_"})
            for (const char* piece : {"left_top.png", "top.png", "right_top.png"})
                SolidPng(dir + prefix + piece, 10, kTop, kStrip);
        SolidPng(dir + "active_close.png", 16, 16, kClose);
        SolidPng(dir + "inactive_close.png", 16, 16, kClose);
        SolidPng(dir + "mouseover_close.png", 16, 16, kCloseLit);
        SolidPng(dir + "active_Roll.png", 16, 16, kClose);
        SolidPng(dir + "inactive_Roll.png", 16, 16, kClose);
        SolidPng(dir + "mouseover_Roll.png", 16, 16, kCloseLit);
        app_.WriteFile("zylora.ini", "[Placement]\r\nX=300\r\nY=200\r\nWidth=480\r\nHeight=300\r\n"
                                     "[Skin]\r\nDir=Skins/Desk\r\n");
    }

    bool Shows(int x, int y, Rgb colour, std::chrono::milliseconds timeout = 10s) {
        return PollUntil([&] { return x_.Pixel(x, y) == colour; }, timeout, 50ms);
    }
};

class Openbox : public ViewerOnDesktop {
protected:
    Openbox() : ViewerOnDesktop({"openbox", "--sm-disable"}) {}
};

// xfwm4, XFCE's window manager, in its default click-to-focus mode.
class Xfwm4 : public ViewerOnDesktop {
protected:
    Xfwm4() : ViewerOnDesktop({"xfwm4", "--compositor=off"}) {}
};

class Icewm : public ViewerOnDesktop {
protected:
    Icewm() : ViewerOnDesktop({"icewm"}) {}
};

// No window manager at all (a kiosk, some remote sessions).
class BareServer : public ViewerOnDesktop {
protected:
    BareServer() : ViewerOnDesktop({}) {}
};

// Nothing is handed to a window manager that isn't there to answer: the frame windows are
// nobody's, and a minimise, which nothing could undo here, is refused.
TEST_F(BareServer, LeavesTheFrameToNobodyAndKeepsTheViewerShown) {
    app_.Start();
    const int titleX = kX + 100, titleY = kY - 15;
    ASSERT_TRUE(Shows(titleX, titleY, kStrip, 30s)) << "no title on the bare server";
    for (const auto& [what, left, top, width, height] :
         std::vector<std::tuple<std::string, int, int, int, int>>{{"title", kX - kSide, kY - kTop, kWidth + 2 * kSide, kTop},
                                                                  {"left", kX - kSide, kY, kSide, kHeight + 12},
                                                                  {"bottom", kX, kY + kHeight, kWidth, 12}}) {
        const auto frame = MappedWindowAt(left, top, width, height);
        EXPECT_TRUE(frame && frame->overrideRedirect) << "the " << what << " window waits for a window manager";
    }
    x_.Click(titleX, titleY);
    x_.Click(titleX, titleY);  // a double click on the title minimises
    std::this_thread::sleep_for(1s);
    EXPECT_TRUE(Shows(titleX, titleY, kStrip, 1s)) << "minimised with nothing to restore it";
    EXPECT_TRUE(Shows(kX + 100, kY + 150, kViewBackground, 1s)) << "minimised with nothing to restore it";
}

TEST_F(Openbox, BehavesAsOneWindowOfTheDesktop) {
    app_.Start();
    const int titleX = kX + 100, titleY = kY - 15, viewX = kX + 100, viewY = kY + 150;
    ASSERT_TRUE(Shows(titleX, titleY, kStrip, 30s)) << "no title under openbox";
    ASSERT_TRUE(Shows(viewX, viewY, kViewBackground)) << "no view under openbox";

    // One entry for the taskbar and Alt+Tab: the other windows the window manager sees skip
    // the taskbar, and none is a dialog, which openbox's Alt+Tab would list all the same.
    int entries = 0, ours = 0;
    unsigned long taskbarEntry = 0;
    for (unsigned long w : ClientWindows()) {
        if (!OfTheViewer(w)) continue;
        ++ours;
        if (!Has(w, "_NET_WM_STATE", "_NET_WM_STATE_SKIP_TASKBAR")) ++entries, taskbarEntry = w;
        EXPECT_FALSE(Has(w, "_NET_WM_WINDOW_TYPE", "_NET_WM_WINDOW_TYPE_DIALOG")) << "window " << w;
    }
    EXPECT_GE(ours, 2) << "the application window and the main form";
    EXPECT_EQ(entries, 1);

    // The caption button lights under the pointer and goes dark when it leaves the title.
    const int closeX = kX + kWidth + kSide - 24 + 8, closeY = kY - kTop + 7 + 8;
    x_.MovePointer(closeX, closeY);
    EXPECT_TRUE(Shows(closeX, closeY, kCloseLit)) << "no light over the close button";
    x_.MovePointer(closeX, kY + 200);
    EXPECT_TRUE(Shows(closeX, closeY, kClose)) << "the light stayed after the pointer left";

    // Another program's window covers the title as well as the view; a press on the part of
    // the title left free raises all of the viewer over it, with the keyboard. (openbox puts
    // its own title bar above the window asked for at this place.)
    const unsigned long other = OtherProgramsWindow(kX + 50, kY - 50, 300, 200);
    ASSERT_TRUE(Shows(viewX, viewY, kWhite)) << "the other program's window did not cover the view";
    EXPECT_TRUE(Shows(titleX, titleY, kWhite)) << "the title floats above the other program's window";
    x_.Click(kX + 20, titleY);
    EXPECT_TRUE(Shows(viewX, viewY, kViewBackground)) << "the view stayed under the other program";
    EXPECT_TRUE(Shows(titleX, titleY, kStrip)) << "the title stayed under the other program";

    // The keyboard went with the title press: Ctrl+M minimises all of it; the taskbar entry
    // brings all of it back.
    const std::vector<unsigned long> shown = ViewersWindowsShown();
    EXPECT_GE(shown.size(), 5u) << "the main form and the four frame windows";
    x_.KeyChord("ctrl+m");
    EXPECT_TRUE(PollUntil([&] { return ViewersWindowsShown().empty(); }, 10s)) << "Ctrl+M did not reach the viewer";
    XDestroyWindow(display_, other);
    AskWindowManager("_NET_ACTIVE_WINDOW", taskbarEntry, 2);
    EXPECT_TRUE(PollUntil([&] { return Sorted(ViewersWindowsShown()) == Sorted(shown); }, 10s))
        << "not all came back from the taskbar";

    // The window manager's own minimise of the main form (its window menu) takes all of it.
    XIconifyWindow(display_, ClientNamed("Zylora Desk E2E"), DefaultScreen(display_));
    XFlush(display_);
    EXPECT_TRUE(PollUntil([&] { return ViewersWindowsShown().empty(); }, 10s)) << "the frame stayed behind";
    AskWindowManager("_NET_ACTIVE_WINDOW", taskbarEntry, 2);
    EXPECT_TRUE(PollUntil([&] { return Sorted(ViewersWindowsShown()) == Sorted(shown); }, 10s))
        << "not all came back from the taskbar";

    // Another workspace shows nothing of it; back on its own, all of it is there again. (Wine
    // minimises and restores the viewer on the way, for openbox marks the windows of another
    // workspace iconic.)
    SwitchToWorkspace(1);
    EXPECT_TRUE(PollUntil([&] { return ViewersWindowsShown().empty(); }, 10s)) << "a window stayed behind";
    EXPECT_NE(x_.Pixel(titleX, titleY), kStrip);
    SwitchToWorkspace(0);
    EXPECT_TRUE(PollUntil([&] { return Sorted(ViewersWindowsShown()) == Sorted(shown); }, 10s))
        << "not all came back";
    EXPECT_TRUE(Shows(titleX, titleY, kStrip));

    // The window manager's own move of the main form (as by Alt+drag) takes the frame along.
    MoveByWindowManager(ClientNamed("Zylora Desk E2E"), kX + 100, kY + 50);
    EXPECT_TRUE(Shows(titleX + 100, titleY + 50, kStrip)) << "the title stayed behind";
}

// Rolled up, the title holds the keyboard (the main form that had it is hidden), also after
// the taskbar brought it back; rolled down, the main form has it again, without a click.
TEST_F(Openbox, TheKeyboardFollowsTheRollUp) {
    app_.Start();
    const int titleX = kX + 100, titleY = kY - 15, viewX = kX + 100, viewY = kY + 150;
    const int rollX = kX + kWidth + kSide - 48 + 8, rollY = kY - kTop + 7 + 8;
    ASSERT_TRUE(Shows(titleX, titleY, kStrip, 30s)) << "no title under openbox";
    ASSERT_TRUE(Shows(viewX, viewY, kViewBackground)) << "no view under openbox";
    unsigned long taskbarEntry = 0;
    for (unsigned long w : ClientWindows())
        if (OfTheViewer(w) && !Has(w, "_NET_WM_STATE", "_NET_WM_STATE_SKIP_TASKBAR")) taskbarEntry = w;
    const auto minimisedByKey = [&] {
        x_.KeyChord("ctrl+m");
        return PollUntil([&] { return ViewersWindowsShown().empty(); }, 10s) &&
               PollUntil([&] { return Has(taskbarEntry, "_NET_WM_STATE", "_NET_WM_STATE_HIDDEN"); }, 10s);
    };
    // Keys typed while the window manager hands the keyboard on may go nowhere.
    const auto viewerGotKeyboard = [&] { return PollUntil([&] { return ViewerHasKeyboard(); }, 10s); };
    const auto restoreFromTaskbar = [&] {
        AskWindowManager("_NET_ACTIVE_WINDOW", taskbarEntry, 2);
        return Shows(titleX, titleY, kStrip) && viewerGotKeyboard();
    };
    x_.Click(rollX, rollY);
    ASSERT_TRUE(PollUntil([&] { return ViewersWindowsShown().size() == 2; }, 10s)) << "did not roll up";
    ASSERT_TRUE(viewerGotKeyboard()) << "the rolled title has no keyboard";
    EXPECT_TRUE(minimisedByKey()) << "the rolled title takes no key";
    ASSERT_TRUE(restoreFromTaskbar());
    // Apart from the first click by more than a double click's distance: the steps may come
    // quicker than a double click's time.
    x_.Click(rollX + 5, rollY + 5);
    ASSERT_TRUE(Shows(viewX, viewY, kViewBackground)) << "did not roll down";
    x_.MovePointer(viewX, kY + 400);
    ASSERT_TRUE(viewerGotKeyboard()) << "the viewer lost the keyboard at the unroll";
    EXPECT_TRUE(minimisedByKey()) << "the main form did not get the keyboard back";
}

// Wine asks a frame window whether it takes the keyboard when xfwm4 offers it after a
// restack; a raise answering that made the two restack each other without end, and no key
// reached the viewer.
TEST_F(Xfwm4, LeavesTheStackingAloneAtRestAndTakesKeys) {
    app_.Start();
    ASSERT_TRUE(Shows(kX + 100, kY - 15, kStrip, 30s)) << "no title under xfwm4";
    ASSERT_TRUE(Shows(kX + 100, kY + 150, kViewBackground)) << "no view under xfwm4";
    EXPECT_LT(StackingChanges(3s), 10);
    x_.KeyChord("ctrl+m");
    EXPECT_TRUE(PollUntil([&] { return ViewersWindowsShown().empty(); }, 10s)) << "Ctrl+M did not reach the viewer";
}

// icewm lists a window that asks for attention in its taskbar whatever it says otherwise, and
// marks every window that comes up without the keyboard so: the five forms among them.
TEST_F(Icewm, ListsTheViewerOnce) {
    app_.Start();
    ASSERT_TRUE(Shows(kX + 100, kY - 15, kStrip, 30s)) << "no title under icewm";
    const auto entries = [&] {
        int listed = 0;
        for (unsigned long w : ClientWindows())
            if (OfTheViewer(w) && (!Has(w, "_NET_WM_STATE", "_NET_WM_STATE_SKIP_TASKBAR") ||
                                   Has(w, "_NET_WM_STATE", "_NET_WM_STATE_DEMANDS_ATTENTION")))
                ++listed;
        return listed;
    };
    EXPECT_TRUE(PollUntil([&] { return entries() == 1; }, 10s));
    std::this_thread::sleep_for(1s);  // and it stays so
    EXPECT_EQ(entries(), 1);
}

}  // namespace
}  // namespace zylora::e2e
