// Messages turned into events on the window's sink: pointer, capture, keys, wheel, close,
// cursor shapes, size changes and painting.
#include "tests/win32/Win32TestSupport.h"

namespace zylora::win32test {
namespace {

LPARAM At(int x, int y) { return MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)); }

class EventsTest : public PlatformTest {
protected:
    void SetUp() override {
        form = Form();
        form->SetBounds({200, 200, 160, 120});
        form->SetEvents(&sink);
        hwnd = HandleOf(*form);
    }
    void TearDown() override {
        SetModifiers(false, false, false);
        ::ReleaseCapture();
    }
    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
        return ::SendMessageA(hwnd, message, wParam, lParam);
    }
    using Log = std::vector<std::string>;

    RecordingSink sink;
    std::unique_ptr<Window> form;
    HWND hwnd = nullptr;
};

TEST_F(EventsTest, ButtonsReportSignedClientPointsAndHoldTheCaptureUntilAllAreUp) {
    Send(WM_LBUTTONDOWN, MK_LBUTTON, At(5, 7));
    EXPECT_EQ(::GetCapture(), hwnd);
    Send(WM_MOUSEMOVE, MK_LBUTTON, At(-12, -3));  // outside, to the left and above
    Send(WM_RBUTTONDOWN, MK_LBUTTON | MK_RBUTTON, At(-12, 300));
    Send(WM_LBUTTONUP, MK_RBUTTON, At(-12, 300));
    EXPECT_EQ(::GetCapture(), hwnd) << "the right button is still down";
    Send(WM_RBUTTONUP, 0, At(400, 300));
    EXPECT_NE(::GetCapture(), hwnd);
    Send(WM_MBUTTONDOWN, MK_MBUTTON, At(1, 2));
    Send(WM_MBUTTONUP, 0, At(1, 2));

    EXPECT_EQ(sink.log, (Log{"down left 5,7", "move -12,-3", "down right -12,300", "up left -12,300",
                             "up right 400,300", "down middle 1,2", "up middle 1,2"}));
}

TEST_F(EventsTest, ModifiersComeFromTheKeyboardState) {
    SetModifiers(true, false, false);
    Send(WM_LBUTTONDOWN, MK_LBUTTON, At(1, 1));
    SetModifiers(false, true, true);
    Send(WM_MOUSEMOVE, 0, At(2, 2));
    SetModifiers(true, true, true);
    Send(WM_LBUTTONUP, 0, At(3, 3));
    EXPECT_EQ(sink.log, (Log{"down left 1,1 shift", "move 2,2 ctrl alt", "up left 3,3 shift ctrl alt"}));
}

TEST_F(EventsTest, DoubleClicksComeBeforeTheirPressAndEveryButtonsSecondPressCounts) {
    Send(WM_LBUTTONDBLCLK, MK_LBUTTON, At(4, 4));
    Send(WM_LBUTTONUP, 0, At(4, 4));
    Send(WM_RBUTTONDBLCLK, MK_RBUTTON, At(6, 6));
    Send(WM_RBUTTONUP, 0, At(6, 6));
    Send(WM_MBUTTONDBLCLK, MK_MBUTTON, At(8, 8));
    Send(WM_MBUTTONUP, 0, At(8, 8));
    EXPECT_EQ(sink.log, (Log{"double", "down left 4,4", "up left 4,4", "down right 6,6", "up right 6,6",
                             "down middle 8,8", "up middle 8,8"}));
    const char* name = "TzyTestForm";
    WNDCLASSEXA info{};
    info.cbSize = sizeof info;
    ASSERT_TRUE(::GetClassInfoExA(::GetModuleHandleA(nullptr), name, &info));
    EXPECT_TRUE(info.style & CS_DBLCLKS);
}

TEST_F(EventsTest, WheelDeltasMakeOneNotchPerFullStep) {
    Send(WM_MOUSEWHEEL, MAKEWPARAM(0, 60), At(0, 0));
    EXPECT_TRUE(sink.log.empty()) << "half a step is kept for later";
    Send(WM_MOUSEWHEEL, MAKEWPARAM(0, 60), At(0, 0));
    Send(WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-240)), At(0, 0));
    Send(WM_MOUSEWHEEL, MAKEWPARAM(0, 120), At(0, 0));
    EXPECT_EQ(sink.log, (Log{"wheel +1", "wheel -1", "wheel -1", "wheel +1"}));
}

TEST_F(EventsTest, KeysAndAltKeysBothArriveAsKeyDown) {
    Send(WM_KEYDOWN, 'H', 0);
    SetModifiers(false, true, false);
    Send(WM_KEYDOWN, 'W', 0);
    SetModifiers(false, false, true);
    Send(WM_SYSKEYDOWN, 'Q', 1 << 29);
    SetModifiers(false, false, false);
    Send(WM_KEYDOWN, 0xC0, 0);
    EXPECT_EQ(sink.log, (Log{"key 72", "key 87 ctrl", "key 81 alt", "key 192"}));
}

TEST_F(EventsTest, CloseIsOnlyARequest) {
    Send(WM_CLOSE);
    EXPECT_EQ(sink.log, (Log{"close"}));
    EXPECT_TRUE(::IsWindow(hwnd));
}

TEST_F(EventsTest, MouseLeaveIsPassedOn) {
    Send(WM_MOUSELEAVE);
    EXPECT_EQ(sink.log, (Log{"leave"}));
}

TEST_F(EventsTest, ClientAreaShowsTheCursorShapeSetLast) {
    const struct {
        CursorShape shape;
        LPCSTR id;
    } shapes[] = {{CursorShape::SizeNS, IDC_SIZENS},
                  {CursorShape::SizeWE, IDC_SIZEWE},
                  {CursorShape::SizeNWSE, IDC_SIZENWSE},
                  {CursorShape::Arrow, IDC_ARROW}};
    for (const auto& s : shapes) {
        form->SetCursor(s.shape);
        ::SetCursor(nullptr);
        EXPECT_TRUE(Send(WM_SETCURSOR, reinterpret_cast<WPARAM>(hwnd), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
        EXPECT_EQ(::GetCursor(), ::LoadCursorA(nullptr, s.id));
    }
}

TEST_F(EventsTest, SizeChangesAskFirstAndReportAfterMovesAlone) {
    form->SetBounds({210, 220, 160, 120});  // moved only
    EXPECT_TRUE(sink.log.empty());
    form->SetBounds({210, 220, 200, 100});
    EXPECT_EQ(sink.log, (Log{"canresize 200x100", "resized 200x100"}));
    sink.log.clear();
    form->SetBounds({210, 220, 200, 100});  // nothing changes
    form->SetBounds({-30, -40, 200, 100});
    EXPECT_TRUE(sink.log.empty());
    form->SetBounds({-30, -40, -10, 100000});
    EXPECT_EQ(sink.log, (Log{"canresize 0x32767", "resized 0x32767"}));
}

TEST_F(EventsTest, UnpaintedWindowShowsItsColourAndPaintedOneWhatTheSinkDrew) {
    form->SetColor(255, 0, 0);
    form->SetVisible(true);
    form->Update();
    PumpPending();
    {
        HDC dc = ::GetDC(hwnd);
        EXPECT_EQ(::GetPixel(dc, 20, 20), RGB(255, 0, 0));
        ::ReleaseDC(hwnd, dc);
    }
    EXPECT_FALSE(sink.Only("paint").empty());

    auto surface = platform->CreateSurface(40, 30);
    surface->Clear(MakeArgb(255, 0, 0, 255));
    sink.onPaint = [&](ScreenTarget& screen) {
        screen.DrawSurface(*surface, {10, 5});
        return true;
    };
    sink.swallowErase = true;
    form->SetColor(0, 255, 0);
    form->Update();
    HDC dc = ::GetDC(hwnd);
    EXPECT_EQ(::GetPixel(dc, 10, 5), RGB(0, 0, 255));
    EXPECT_EQ(::GetPixel(dc, 49, 34), RGB(0, 0, 255));
    // Neither erased nor painted over: what was there stays.
    EXPECT_EQ(::GetPixel(dc, 50, 35), RGB(255, 0, 0));
    EXPECT_EQ(::GetPixel(dc, 5, 2), RGB(255, 0, 0));
    ::ReleaseDC(hwnd, dc);
}

TEST_F(EventsTest, ScreenTargetDrawsOutsidePaintingUnscaled) {
    form->SetColor(0, 0, 0);
    form->SetVisible(true);
    form->Update();
    auto surface = platform->CreateSurface(3, 2);
    surface->Clear(MakeArgb(255, 255, 255, 0));
    form->GetScreenTarget()->DrawSurface(*surface, {-1, 1});
    HDC dc = ::GetDC(hwnd);
    EXPECT_EQ(::GetPixel(dc, 0, 1), RGB(255, 255, 0));
    EXPECT_EQ(::GetPixel(dc, 1, 2), RGB(255, 255, 0));
    EXPECT_EQ(::GetPixel(dc, 2, 1), RGB(0, 0, 0));
    EXPECT_EQ(::GetPixel(dc, 0, 3), RGB(0, 0, 0));
    ::ReleaseDC(hwnd, dc);
}

}  // namespace
}  // namespace zylora::win32test
