// Layered presentation: the style is set, the window takes the surface's size and keeps
// its corner, raises no can-resize, and an empty surface presents nothing without failing.
#include "tests/win32/Win32TestSupport.h"

namespace zylora::win32test {
namespace {

class LayeredTest : public PlatformTest {
protected:
    void SetUp() override {
        layered = Form("TzyTitleForm", true);
        layered->SetBounds({200, 150, 10, 10});
        layered->SetEvents(&sink);
        sink.log.clear();
    }
    bool IsLayered(const Window& window) {
        return ::GetWindowLongA(HandleOf(window), GWL_EXSTYLE) & WS_EX_LAYERED;
    }
    RecordingSink sink;
    std::unique_ptr<Window> layered;
};

TEST_F(LayeredTest, PresentationGivesTheSurfacesSizeAtTheSameCorner) {
    layered->SetVisible(true);
    auto surface = platform->CreateSurface(64, 32);
    surface->Clear(MakeArgb(128, 255, 0, 0));
    layered->PresentLayered(*surface, 200);
    PumpPending();
    EXPECT_TRUE(IsLayered(*layered));
    EXPECT_EQ(WindowRectOf(HandleOf(*layered)), (Rect{200, 150, 64, 32}));
    EXPECT_TRUE(::IsWindowVisible(HandleOf(*layered)));

    auto smaller = platform->CreateSurface(20, 90);
    layered->PresentLayered(*smaller, 255);
    EXPECT_EQ(WindowRectOf(HandleOf(*layered)), (Rect{200, 150, 20, 90}));
    EXPECT_TRUE(sink.Only("canresize").empty());
    EXPECT_TRUE(sink.Only("resized").empty());

    // A size change from elsewhere still asks and reports, even back to the size the window
    // had before its presentations.
    layered->SetBounds({200, 150, 10, 10});
    EXPECT_EQ(sink.log, (std::vector<std::string>{"canresize 10x10", "resized 10x10"}));
}

TEST_F(LayeredTest, PlainFormBecomesLayeredAtItsFirstPresentation) {
    auto plain = Form();
    plain->SetBounds({300, 310, 5, 5});
    ASSERT_FALSE(IsLayered(*plain));
    auto surface = platform->CreateSurface(16, 8);
    plain->PresentLayered(*surface, 255);
    EXPECT_TRUE(IsLayered(*plain));
    EXPECT_EQ(WindowRectOf(HandleOf(*plain)), (Rect{300, 310, 16, 8}));
}

TEST_F(LayeredTest, EmptySurfacesPresentNothingButStillSizeTheWindow) {
    const struct {
        int width, height;
        Rect expected;
    } cases[] = {
        {0, 0, {200, 150, 0, 0}},
        {-5, 20, {200, 150, 0, 20}},
        {40, -1, {200, 150, 40, 0}},
        {12, 34, {200, 150, 12, 34}},
        // Refused as too big: no pixels, and a window no bigger than windows get.
        {100000, 100000, {200, 150, 32767, 32767}},
    };
    layered->SetVisible(true);
    for (const auto& c : cases) {
        auto surface = platform->CreateSurface(c.width, c.height);
        layered->PresentLayered(*surface, 255);
        PumpPending();
        EXPECT_EQ(WindowRectOf(HandleOf(*layered)), c.expected) << c.width << "x" << c.height;
        EXPECT_TRUE(IsLayered(*layered));
    }
    EXPECT_TRUE(sink.Only("canresize").empty());
}

}  // namespace
}  // namespace zylora::win32test
