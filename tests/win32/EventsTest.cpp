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
    COLORREF PixelAt(int x, int y) {
        HDC dc = ::GetDC(hwnd);
        const COLORREF color = ::GetPixel(dc, x, y);
        ::ReleaseDC(hwnd, dc);
        return color;
    }

    RecordingSink sink;
    std::unique_ptr<Window> form;
    HWND hwnd = nullptr;
};

TEST_F(EventsTest, ButtonsReportSignedPointsAndModifiersAndHoldTheCaptureUntilAllAreUp) {
    SetModifiers(true, false, false);
    Send(WM_LBUTTONDOWN, MK_LBUTTON, At(5, 7));
    EXPECT_EQ(::GetCapture(), hwnd);
    SetModifiers(false, true, true);
    Send(WM_MOUSEMOVE, MK_LBUTTON, At(-12, -3));  // outside, to the left and above
    SetModifiers(false, false, false);
    Send(WM_RBUTTONDOWN, MK_LBUTTON | MK_RBUTTON, At(-12, 300));
    Send(WM_LBUTTONUP, MK_RBUTTON, At(-12, 300));
    EXPECT_EQ(::GetCapture(), hwnd) << "the right button is still down";
    Send(WM_RBUTTONUP, 0, At(400, 300));
    EXPECT_NE(::GetCapture(), hwnd);
    Send(WM_MBUTTONDOWN, MK_MBUTTON, At(1, 2));
    Send(WM_MBUTTONUP, 0, At(1, 2));
    EXPECT_EQ(sink.log, (Log{"down left 5,7 shift", "move -12,-3 ctrl alt", "down right -12,300",
                             "up left -12,300", "up right 400,300", "down middle 1,2", "up middle 1,2"}));
}

TEST_F(EventsTest, APressWhoseCaptureIsTakenAwayEndsAsCancelledWithoutARelease) {
    Send(WM_LBUTTONDOWN, MK_LBUTTON, At(5, 7));
    auto other = Form();
    ::SetCapture(HandleOf(*other));  // the release would now go elsewhere
    ::ReleaseCapture();
    Send(WM_LBUTTONUP, 0, At(5, 7));  // a late release ends nothing
    Send(WM_RBUTTONUP, 0, At(5, 7));  // nor does one whose press was never here
    EXPECT_EQ(sink.log, (Log{"down left 5,7", "capture lost"}));
    sink.log.clear();
    // A press the program itself ends (Escape) gives up the capture, and no release follows.
    Send(WM_LBUTTONDOWN, MK_LBUTTON, At(3, 3));
    form->CancelPointerPress();
    EXPECT_NE(::GetCapture(), hwnd);
    Send(WM_LBUTTONUP, 0, At(3, 3));
    EXPECT_EQ(sink.log, (Log{"down left 3,3"}));
    sink.log.clear();
    // An ordinary release ends the press once, without a second one from its capture change.
    Send(WM_RBUTTONDOWN, MK_RBUTTON, At(1, 1));
    Send(WM_RBUTTONUP, 0, At(2, 2));
    EXPECT_EQ(sink.log, (Log{"down right 1,1", "up right 2,2"}));
}

TEST_F(EventsTest, PressingALayeredFormDoesNotActivateIt) {
    auto layered = platform->CreateForm({"TZyloraTestLayered", true});
    const HWND frame = HandleOf(*layered);
    EXPECT_EQ(::SendMessageA(frame, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(frame),
                             MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN)),
              MA_NOACTIVATE);
    EXPECT_NE(::SendMessageA(hwnd, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(hwnd),
                             MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN)),
              MA_NOACTIVATE);
}

TEST_F(EventsTest, DoubleClicksComeBeforeTheirPressAndEveryButtonsSecondPressCounts) {
    Send(WM_LBUTTONDBLCLK, MK_LBUTTON, At(4, 4));
    Send(WM_LBUTTONUP, 0, At(4, 4));
    Send(WM_RBUTTONDBLCLK, MK_RBUTTON, At(6, 6));
    Send(WM_MBUTTONDBLCLK, MK_MBUTTON | MK_RBUTTON, At(8, 8));
    EXPECT_EQ(sink.log, (Log{"double 4,4", "down left 4,4", "up left 4,4", "down right 6,6", "down middle 8,8"}));
}

TEST_F(EventsTest, WheelKeysCloseAndLeave) {
    Send(WM_MOUSEWHEEL, MAKEWPARAM(0, 60));
    EXPECT_TRUE(sink.log.empty()) << "half a notch is kept for later";
    Send(WM_MOUSEWHEEL, MAKEWPARAM(0, 60));
    Send(WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-240)));
    Send(WM_KEYDOWN, 'H');
    SetModifiers(false, false, true);
    Send(WM_SYSKEYDOWN, 'Q', 1 << 29);  // Alt+Q
    SetModifiers(false, false, false);
    Send(WM_KEYDOWN, 0xC0);
    Send(WM_KEYDOWN, VK_RIGHT, 1 << 30);  // held: its auto-repeat
    Send(WM_CLOSE);
    Send(WM_MOUSELEAVE);
    EXPECT_EQ(sink.log, (Log{"wheel +1", "wheel -1", "wheel -1", "key 72", "key 81 alt", "key 192",
                             "key 39 repeat", "close", "leave"}));
    EXPECT_TRUE(::IsWindow(hwnd)) << "closing is only a request";
}

TEST_F(EventsTest, AWheelTurnedOverAPanelIsTheFormsWheel) {
    auto panel = platform->CreatePanel(*form);
    RecordingSink panelSink;
    panel->SetEvents(&panelSink);
    ::SendMessageA(HandleOf(*panel), WM_MOUSEWHEEL, MAKEWPARAM(0, 120), 0);
    EXPECT_EQ(sink.log, (Log{"wheel +1"}));
    EXPECT_TRUE(panelSink.log.empty());
}

TEST_F(EventsTest, AnArmedWindowHearsThePointerLeave) {
    form->SetVisible(true);
    ::SetCursorPos(260, 240);
    PumpPending();
    form->TrackMouseLeave();
    form->TrackMouseLeave();  // armed twice: still one leave
    ::SetCursorPos(700, 700);
    EXPECT_TRUE(PumpUntil([&] { return !sink.Only("leave").empty(); })) << "no leave after leaving";
    PumpUntil([] { return false; }, 300);
    EXPECT_EQ(sink.Only("leave").size(), 1u);
}

TEST_F(EventsTest, ClientAreaShowsTheCursorShapeSetLast) {
    const std::pair<CursorShape, LPCSTR> shapes[] = {{CursorShape::SizeNS, IDC_SIZENS},
                                                     {CursorShape::SizeWE, IDC_SIZEWE},
                                                     {CursorShape::SizeNWSE, IDC_SIZENWSE},
                                                     {CursorShape::Arrow, IDC_ARROW}};
    for (const auto& [shape, id] : shapes) {
        form->SetCursor(shape);
        ::SetCursor(nullptr);
        EXPECT_TRUE(Send(WM_SETCURSOR, reinterpret_cast<WPARAM>(hwnd), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
        EXPECT_EQ(::GetCursor(), ::LoadCursorA(nullptr, id));
    }
}

TEST_F(EventsTest, SizeChangesAskFirstAndReportAfterMovesAloneDoNeither) {
    form->SetBounds({210, 220, 160, 120});
    EXPECT_TRUE(sink.log.empty());
    form->SetBounds({210, 220, 200, 100});
    form->SetBounds({-30, -40, 200, 100});
    form->SetBounds({-30, -40, -10, 100000});
    EXPECT_EQ(sink.log, (Log{"canresize 200x100", "resized 200x100", "canresize 0x32767", "resized 0x32767"}));
}

TEST_F(EventsTest, UnpaintedWindowShowsItsColourPaintedOneWhatTheSinkDrew) {
    form->SetVisible(true);
    EXPECT_TRUE(form->AwaitsWholePaint()) << "shown, not painted yet";
    form->Update();
    EXPECT_FALSE(form->AwaitsWholePaint());
    const RECT part{0, 0, 10, 10};
    ::InvalidateRect(HandleOf(*form), &part, FALSE);
    EXPECT_FALSE(form->AwaitsWholePaint()) << "a part of it only";
    form->Update();
    EXPECT_EQ(PixelAt(20, 20), RGB(192, 192, 192)) << "silver unless told otherwise";
    form->SetColor(255, 0, 0);
    form->Update();
    EXPECT_EQ(PixelAt(20, 20), RGB(255, 0, 0));

    auto surface = platform->CreateSurface(40, 30);
    surface->Clear(MakeArgb(255, 0, 0, 255));
    sink.onPaint = [&](ScreenTarget& screen) {
        screen.DrawSurface(*surface, {10, 5});
        return true;
    };
    sink.swallowErase = true;
    form->SetColor(0, 255, 0);
    form->Update();
    EXPECT_EQ(PixelAt(10, 5), RGB(0, 0, 255));
    EXPECT_EQ(PixelAt(49, 34), RGB(0, 0, 255));
    // Neither erased nor painted over: what was there stays.
    EXPECT_EQ(PixelAt(50, 35), RGB(255, 0, 0));
    EXPECT_EQ(PixelAt(5, 2), RGB(255, 0, 0));

    // Outside painting too, unscaled, clipped at the window's edge.
    auto small = platform->CreateSurface(3, 2);
    small->Clear(MakeArgb(255, 255, 255, 0));
    form->GetScreenTarget()->DrawSurface(*small, {-1, 1});
    EXPECT_EQ(PixelAt(0, 1), RGB(255, 255, 0));
    EXPECT_EQ(PixelAt(1, 2), RGB(255, 255, 0));
    EXPECT_EQ(PixelAt(2, 1), RGB(255, 0, 0));
}

}  // namespace
}  // namespace zylora::win32test
