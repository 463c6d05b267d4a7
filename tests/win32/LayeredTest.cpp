// Layered presentation: the style is set, the window takes the surface's size and keeps
// its corner (or goes to the one given), raises no size events, and an empty surface presents
// nothing without failing.
#include "tests/win32/Win32TestSupport.h"

namespace zylora::win32test {
namespace {

class LayeredTest : public PlatformTest {
protected:
    void SetUp() override {
        layered = Form("TzyTitleForm", true);
        layered->SetBounds({200, 150, 10, 10});
        layered->SetVisible(true);
        layered->SetEvents(&sink);
    }
    void Present(Window& window, int width, int height, std::optional<Point> corner = std::nullopt) {
        window.PresentLayered(*platform->CreateSurface(width, height), 200, corner);
        PumpPending();
    }
    bool IsLayered(const Window& window) {
        return ::GetWindowLongA(HandleOf(window), GWL_EXSTYLE) & WS_EX_LAYERED;
    }
    RecordingSink sink;
    std::unique_ptr<Window> layered;
};

TEST_F(LayeredTest, PresentationGivesTheSurfacesSizeAtTheSameCorner) {
    Present(*layered, 64, 32);
    EXPECT_EQ(WindowRectOf(HandleOf(*layered)), (Rect{200, 150, 64, 32}));
    EXPECT_TRUE(::IsWindowVisible(HandleOf(*layered)));
    Present(*layered, 20, 90);
    EXPECT_EQ(WindowRectOf(HandleOf(*layered)), (Rect{200, 150, 20, 90}));
    EXPECT_TRUE(sink.log.empty());

    // A size change from elsewhere still asks and reports, even back to the size the window
    // had before its presentations.
    layered->SetBounds({200, 150, 10, 10});
    EXPECT_EQ(sink.log, (Log{"canresize 10x10", "resized 10x10"}));
}

// A frame placed anew is moved and sized with its presentation. From a window at rest: a
// window manager's late answer to an earlier presentation would put the window back there.
TEST_F(LayeredTest, PresentationGivenACornerMovesTheWindowThere) {
    Present(*layered, 48, 24, Point{260, 180});
    EXPECT_EQ(WindowRectOf(HandleOf(*layered)), (Rect{260, 180, 48, 24}));
    EXPECT_TRUE(sink.log.empty());
}

TEST_F(LayeredTest, PlainFormBecomesLayeredAtItsFirstPresentation) {
    auto plain = Form();
    plain->SetBounds({300, 310, 5, 5});
    ASSERT_FALSE(IsLayered(*plain));
    Present(*plain, 16, 8);
    EXPECT_TRUE(IsLayered(*plain));
    EXPECT_EQ(WindowRectOf(HandleOf(*plain)), (Rect{300, 310, 16, 8}));
}

TEST_F(LayeredTest, EmptySurfacesPresentNothingButStillSizeTheWindow) {
    const std::pair<Size, Size> cases[] = {
        {{0, 0}, {0, 0}}, {{-5, 20}, {0, 20}}, {{40, -1}, {40, 0}}, {{12, 34}, {12, 34}},
        // Refused as too big: no pixels, and a window no bigger than windows get.
        {{100000, 100000}, {32767, 32767}}};
    for (const auto& [asked, expected] : cases) {
        Present(*layered, asked.width, asked.height);
        // A window manager may move a window larger than the screen into its corner.
        const Rect placed = WindowRectOf(HandleOf(*layered));
        EXPECT_EQ((Size{placed.width, placed.height}), expected) << asked.width << "x" << asked.height;
    }
    EXPECT_TRUE(IsLayered(*layered));
    EXPECT_TRUE(sink.log.empty());
}

}  // namespace
}  // namespace zylora::win32test
