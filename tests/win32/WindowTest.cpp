// Forms and panels as the window system sees them: classes, styles, owner, geometry,
// caption, the visible property and activation.
#include "tests/win32/Win32TestSupport.h"
#include "platform/win32/Win32WindowManager.h"

namespace zylora::win32test {
namespace {

std::string ClassOf(HWND hwnd) {
    char name[256] = {};
    ::GetClassNameA(hwnd, name, sizeof name);
    return name;
}

std::string TextOf(HWND hwnd) {
    char text[256] = {};
    ::GetWindowTextA(hwnd, text, sizeof text);
    return text;
}

LONG StyleOf(HWND hwnd) { return ::GetWindowLongA(hwnd, GWL_STYLE); }
LONG ExStyleOf(HWND hwnd) { return ::GetWindowLongA(hwnd, GWL_EXSTYLE); }

using WindowTest = PlatformTest;

TEST_F(WindowTest, FormsAreHiddenBorderlessWindowsOwnedByTheApplicationWindow) {
    platform->SetApplicationTitle("Zylora");
    auto form = Form("TzyPlainForm");
    auto second = Form("TzyPlainForm");  // one class, registered once, used twice
    auto layered = Form("TzyLayeredForm", true);
    const HWND hwnd = HandleOf(*form);
    ASSERT_NE(hwnd, nullptr);
    ASSERT_NE(HandleOf(*second), nullptr);
    EXPECT_EQ(ClassOf(hwnd), "TzyPlainForm");
    // A caption for the window manager (no popup: that would be a dialog to it, or float
    // above every program), which takes no room. Where none runs (the tests' own X server)
    // the frame windows are popups, which Wine hands to nobody, so that no hide waits for it.
    constexpr LONG Kind = WS_POPUP | WS_CLIPCHILDREN | WS_CAPTION | WS_THICKFRAME | WS_CHILD;
    EXPECT_EQ(StyleOf(hwnd) & Kind, WS_CAPTION | WS_CLIPCHILDREN);
    const bool managed = platform::win32::WindowManagerRuns(5000, nullptr);
    EXPECT_EQ(StyleOf(HandleOf(*layered)) & Kind, (managed ? WS_CAPTION : WS_POPUP) | WS_CLIPCHILDREN);
    EXPECT_FALSE(ExStyleOf(hwnd) & WS_EX_LAYERED);
    // Layered from the start, so nothing shows before the first presentation.
    EXPECT_EQ(ExStyleOf(HandleOf(*layered)) & (WS_EX_LAYERED | WS_EX_TOOLWINDOW),
              WS_EX_LAYERED | WS_EX_TOOLWINDOW);
    for (const Window* w : {form.get(), layered.get()}) {
        EXPECT_FALSE(::IsWindowVisible(HandleOf(*w)));
        EXPECT_FALSE(w->Visible());
        EXPECT_EQ(w->Caption(), "");
    }

    const HWND owner = ::GetWindow(hwnd, GW_OWNER);
    ASSERT_NE(owner, nullptr);
    EXPECT_EQ(ClassOf(owner), "TApplication");
    EXPECT_EQ(TextOf(owner), "Zylora");
    EXPECT_EQ(::GetWindow(HandleOf(*layered), GW_OWNER), owner);
    // It carries the taskbar button but never shows: it has no area.
    EXPECT_TRUE(::IsWindowVisible(owner));
    EXPECT_EQ(WindowRectOf(owner).width, 0);
    EXPECT_EQ(WindowRectOf(owner).height, 0);
}

TEST_F(WindowTest, PanelsAreVisibleChildrenPlacedInTheirParentsClientArea) {
    auto form = Form();
    form->SetBounds({300, 200, 400, 300});
    auto panel = platform->CreatePanel(*form);
    const HWND hwnd = HandleOf(*panel);
    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(::GetParent(hwnd), HandleOf(*form));
    EXPECT_EQ(StyleOf(hwnd) & (WS_CHILD | WS_CLIPSIBLINGS | WS_VISIBLE), WS_CHILD | WS_CLIPSIBLINGS | WS_VISIBLE);
    EXPECT_TRUE(panel->Visible());

    panel->SetBounds({10, 20, 50, 60});
    EXPECT_EQ(panel->Bounds(), (Rect{10, 20, 50, 60}));
    EXPECT_EQ(WindowRectOf(hwnd), (Rect{310, 220, 50, 60}));
    panel->SetVisible(false);
    EXPECT_FALSE(panel->Visible());
    EXPECT_FALSE(StyleOf(hwnd) & WS_VISIBLE);
}

TEST_F(WindowTest, BoundsAndCaptionReadBackAndAbsurdBoundsAreClamped) {
    auto form = Form();
    const HWND hwnd = HandleOf(*form);
    form->SetBounds({120, 130, 340, 250});
    EXPECT_EQ(form->Bounds(), (Rect{120, 130, 340, 250}));
    EXPECT_EQ(WindowRectOf(hwnd), (Rect{120, 130, 340, 250}));
    form->SetCaption("Zylora - picture.png");
    EXPECT_EQ(form->Caption(), "Zylora - picture.png");
    EXPECT_EQ(TextOf(hwnd), "Zylora - picture.png");

    form->SetBounds({-50, -60, -5, 0});
    EXPECT_EQ(WindowRectOf(hwnd), (Rect{-50, -60, 0, 0}));
    form->SetBounds({10, 20, 100000, 100000});
    EXPECT_EQ(WindowRectOf(hwnd), (Rect{10, 20, 32767, 32767}));
    form->SetBounds({-2000000000, 2000000000, 1, 1});
    EXPECT_EQ(WindowRectOf(hwnd), (Rect{-16384, 16384, 1, 1}));
}

TEST_F(WindowTest, PlainFormTakesTheKeyboardWhenShownLayeredFormDoesNot) {
    auto main = Form("TzyMainForm");
    main->SetBounds({100, 100, 200, 150});
    main->SetVisible(true);
    PumpPending();
    EXPECT_TRUE(::IsWindowVisible(HandleOf(*main)));
    EXPECT_EQ(::GetForegroundWindow(), HandleOf(*main));
    EXPECT_EQ(::GetFocus(), HandleOf(*main));

    auto edge = Form("TzyEdgeForm", true);
    edge->SetBounds({90, 100, 10, 150});
    edge->SetVisible(true);
    PumpPending();
    EXPECT_TRUE(edge->Visible());
    EXPECT_TRUE(::IsWindowVisible(HandleOf(*edge)));
    EXPECT_EQ(::GetForegroundWindow(), HandleOf(*main));
    EXPECT_EQ(::GetFocus(), HandleOf(*main));

    main->SetVisible(false);
    EXPECT_FALSE(main->Visible());
    EXPECT_FALSE(::IsWindowVisible(HandleOf(*main)));
}

// All of a form is client area, every point of it the client's, and any size holds: a
// captioned window would otherwise keep the system's smallest size.
TEST_F(WindowTest, AFormIsAllClientAreaAtAnySize) {
    for (bool layered : {false, true}) {
        auto form = Form("TzyNcForm", layered);
        const HWND hwnd = HandleOf(*form);
        form->SetBounds({200, 150, 10, 4});
        form->SetVisible(true);
        PumpPending();
        EXPECT_EQ(WindowRectOf(hwnd).width, 10) << layered;
        EXPECT_EQ(WindowRectOf(hwnd).height, 4) << layered;
        RECT client{};
        ::GetClientRect(hwnd, &client);
        EXPECT_EQ(client.right, 10) << layered;
        EXPECT_EQ(client.bottom, 4) << layered;
        EXPECT_EQ(::SendMessageA(hwnd, WM_NCHITTEST, 0, MAKELPARAM(202, 150)), HTCLIENT) << layered;
    }
}

// Activating the main form raises the frame windows above it (under a window manager each
// form is raised on its own), and a press on a frame window while another program is
// active activates the main form, not the frame; while ours is active, it raises them.
// Under a window manager each form stacks on its own, and the manager raises the one pressed.
TEST_F(WindowTest, TheMainFormsActivationRaisesTheFramesAndAPressOnAnyFormActivatesIt) {
    auto main = Form("TzyMainForm");
    auto panel = platform->CreatePanel(*main);
    auto edge = Form("TzyEdgeForm", true);
    main->SetBounds({100, 100, 200, 150});
    edge->SetBounds({90, 100, 10, 150});
    main->SetVisible(true);
    edge->SetVisible(true);
    PumpPending();
    const HWND mainHwnd = HandleOf(*main), edgeHwnd = HandleOf(*edge);
    ::SetWindowPos(mainHwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
    auto above = [](HWND upper, HWND lower) {
        for (HWND w = ::GetWindow(upper, GW_HWNDNEXT); w; w = ::GetWindow(w, GW_HWNDNEXT))
            if (w == lower) return true;
        return false;
    };
    const auto press = [](HWND hwnd) {
        ::SendMessageA(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, 0);
        ::SendMessageA(hwnd, WM_LBUTTONUP, 0, 0);
    };
    ASSERT_TRUE(above(mainHwnd, edgeHwnd));

    // A window none of ours owns takes the activation, as another program's would.
    const HWND other = ::CreateWindowExA(0, "STATIC", "other program", WS_POPUP | WS_VISIBLE, 400, 300, 100, 100,
                                         nullptr, nullptr, nullptr, nullptr);
    ::SetForegroundWindow(other);
    PumpPending();
    ASSERT_EQ(::GetForegroundWindow(), other);
    press(edgeHwnd);
    // The window manager answers the activation in its own time.
    PumpUntil([&] { return ::GetForegroundWindow() == mainHwnd && above(edgeHwnd, mainHwnd); });
    EXPECT_EQ(::GetForegroundWindow(), mainHwnd);
    EXPECT_TRUE(above(edgeHwnd, mainHwnd)) << "the frame stayed under the activated main form";
    ::DestroyWindow(other);

    // Already active, yet covered (a window manager raises only the window pressed): a press
    // on the picture raises the frames all the same.
    ::SetWindowPos(mainHwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
    ASSERT_TRUE(above(mainHwnd, edgeHwnd));
    press(HandleOf(*panel));
    PumpPending();
    EXPECT_EQ(::GetForegroundWindow(), mainHwnd);
    EXPECT_TRUE(above(edgeHwnd, mainHwnd)) << "a press on the active viewer's picture left the frame under it";
}

TEST_F(WindowTest, MinimisingTheApplicationHidesEveryFormAndRestoringShowsThem) {
    auto main = Form("TzyMainForm");
    auto edge = Form("TzyEdgeForm", true);
    auto hidden = Form("TzyHiddenForm");
    main->SetBounds({100, 100, 200, 150});
    edge->SetBounds({90, 100, 10, 150});
    main->SetVisible(true);
    edge->SetVisible(true);
    PumpPending();
    const HWND application = ::GetWindow(HandleOf(*main), GW_OWNER);

    // As the taskbar or the window manager does it: the program's own minimise is refused
    // where nothing could bring it back (no window manager, as on the tests' X server).
    ::SendMessageA(application, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    PumpPending();
    EXPECT_TRUE(::IsIconic(application));
    EXPECT_FALSE(::IsWindowVisible(HandleOf(*main)));
    EXPECT_FALSE(::IsWindowVisible(HandleOf(*edge)));
    EXPECT_TRUE(main->Visible()) << "the visible property stays";

    // Restored as Wine does it for the window manager: activated while still minimised, with
    // the main form hidden; the keyboard then goes back to the main form.
    ::SetActiveWindow(application);
    ::SendMessageA(application, WM_SYSCOMMAND, SC_RESTORE, 0);
    PumpPending();
    EXPECT_EQ(::GetFocus(), HandleOf(*main));
    EXPECT_TRUE(::IsWindowVisible(HandleOf(*main)));
    EXPECT_TRUE(::IsWindowVisible(HandleOf(*edge)));
    EXPECT_FALSE(::IsWindowVisible(HandleOf(*hidden))) << "only what minimising hid comes back";
}

TEST_F(WindowTest, PanelOutlivingItsFormIsHarmless) {
    auto form = Form();
    auto panel = platform->CreatePanel(*form);
    const HWND hwnd = HandleOf(*panel);
    form.reset();
    EXPECT_FALSE(::IsWindow(hwnd));
    EXPECT_EQ(platform->IdentityOf(*panel), 0u);
    EXPECT_EQ(panel->Bounds(), Rect{});
    panel->SetBounds({1, 2, 3, 4});
    panel->SetVisible(true);
    panel->GetScreenTarget()->DrawSurface(*platform->CreateSurface(2, 2), {0, 0});
}

TEST_F(WindowTest, SetEventsHandsBackThePreviousSinkNeverNull) {
    auto form = Form();
    RecordingSink first, second;
    WindowEvents* original = form->SetEvents(&first);
    ASSERT_NE(original, nullptr);
    EXPECT_EQ(form->SetEvents(&second), &first);
    EXPECT_EQ(form->SetEvents(nullptr), &second);
    EXPECT_EQ(form->SetEvents(original), original) << "null put the default back";
    // The default sink takes events with nobody listening.
    ::SendMessageA(HandleOf(*form), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 1));
    ::SendMessageA(HandleOf(*form), WM_LBUTTONUP, 0, MAKELPARAM(1, 1));
    EXPECT_TRUE(first.log.empty() && second.log.empty());
}

// The project's prefix runs the screen at 96 DPI; a move onto a monitor of another scale
// reaches the form's sink with the new one, and the window is left where it is for the
// program to place.
TEST_F(WindowTest, TheScreensDpiAndItsChangeReachTheForm) {
    auto form = Form();
    RecordingSink sink;
    form->SetEvents(&sink);
    form->SetBounds({50, 60, 200, 100});
    EXPECT_EQ(form->ScreenDpi(), 96);
    RECT suggested{0, 0, 400, 200};
    ::SendMessageA(HandleOf(*form), 0x02E0 /* WM_DPICHANGED */, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    EXPECT_EQ(sink.Only("dpi"), (Log{"dpi 144"}));
    EXPECT_EQ(form->Bounds(), (Rect{50, 60, 200, 100}));
}

}  // namespace
}  // namespace zylora::win32test
