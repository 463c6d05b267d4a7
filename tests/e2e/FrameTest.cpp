// The four frame windows around the main window: where they are, what each skin image
// draws where, and the resize bands of the right and bottom windows dragged by the pointer.
#include <algorithm>
#include <string>
#include <thread>
#include <vector>

#include "tests/e2e/SkinnedAppTest.h"

namespace zylora::e2e {
namespace {

constexpr const char* kCaption = "Zylora Frame E2E";
// Wider than the bundled button set reaches, the main window's least width.
constexpr int kX = 300, kY = 200, kWidth = 480, kHeight = 300;
constexpr int kLeft = 10, kRight = 10, kTop = 30, kBottom = 12;

// Every piece its own opaque colour, so a piece drawn in the wrong place shows.
constexpr Rgb kLeftTop{255, 0, 0};
constexpr Rgb kTopFirst{0, 255, 0}, kTopSecond{0, 128, 0};
constexpr Rgb kRightTop{0, 0, 255};
constexpr Rgb kLeftMiddleFirst{255, 255, 0}, kLeftMiddleSecond{128, 128, 0};
constexpr Rgb kLeftBottom{255, 0, 255};
constexpr Rgb kRightMiddleFirst{0, 255, 255}, kRightMiddleSecond{0, 128, 128};
constexpr Rgb kRightBottom{255, 128, 0};
constexpr Rgb kBottomFirst{128, 0, 255}, kBottomSecond{64, 0, 128};

// Natural sizes that differ from the frame's, so that stretching and tiling show.
constexpr int kLeftTopWidth = 20, kRightTopWidth = 24;
constexpr int kTopImageWidth = 16;
constexpr int kMiddleImageHeight = 8;  // two bands of 4 rows
constexpr int kSideBottomHeight = 25;

// The caption is fully transparent, so it hides nothing of the strip. The inactive metrics
// equal the active ones: a click on a frame must not change the geometry under test.
constexpr const char* kSkinValues =
    "[Caption]\r\nText=Zylora Frame E2E\r\n"
    "Format={text}\r\nFontSize=6\r\nColorA=0\r\n"
    "[left]\r\nWidth=10\r\nInActiveWidth=10\r\n"
    "[right]\r\nWidth=10\r\nInActiveWidth=10\r\nResizeBorder1=-1\r\nResizeBorder2=10\r\n"
    "[top]\r\nHeight=30\r\nInActiveHeight=30\r\n"
    "[bottom]\r\nHeight=12\r\nInActiveHeight=12\r\nResizeBorder1=-1\r\nResizeBorder2=12\r\n";

class Frame : public SkinnedAppTest {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(SkinnedAppTest::SetUp());
        const std::string dir = "Skins/Frame/";
        app_.WriteFile(dir + "values.ini", kSkinValues);
        SolidPng(dir + "left_top.png", kLeftTopWidth, 15, kLeftTop);
        TwoPartPng(dir + "top.png", kTopImageWidth, kTop, kTopFirst, kTopSecond, /*stacked=*/false);
        SolidPng(dir + "right_top.png", kRightTopWidth, 10, kRightTop);
        TwoPartPng(dir + "left_middle.png", kLeft, kMiddleImageHeight, kLeftMiddleFirst, kLeftMiddleSecond,
                   /*stacked=*/true);
        SolidPng(dir + "left_bottom.png", 5, kSideBottomHeight, kLeftBottom);
        TwoPartPng(dir + "right_middle.png", kRight, kMiddleImageHeight, kRightMiddleFirst,
                   kRightMiddleSecond, /*stacked=*/true);
        SolidPng(dir + "right_bottom.png", 5, kSideBottomHeight, kRightBottom);
        TwoPartPng(dir + "bottom.png", 16, kBottom, kBottomFirst, kBottomSecond, /*stacked=*/false);
        app_.WriteFile("zylora.ini",
                       "[Placement]\r\nX=300\r\nY=200\r\nWidth=480\r\nHeight=300\r\n"
                       "[Skin]\r\nDir=Skins/Frame\r\n");
    }

    std::optional<TopLevelWindow> StartAndWaitForMainWindow() {
        app_.Start();
        return WaitForMainWindow(kCaption, [](const TopLevelWindow& w) {
            return w.x == kX && w.y == kY && w.width == kWidth && w.height == kHeight;
        });
    }

    // Presses at a point of a frame window, moves the pointer by (dx, dy) (one of them 0) in
    // small steps, each time until the main window's size has followed, and releases. Then
    // the drag must be over: moving on changes nothing.
    void Drag(unsigned long mainId, int fromX, int fromY, int dx, int dy) {
        const auto start = WindowById(mainId);
        ASSERT_TRUE(start) << "the main window is gone";
        auto grown = [&](const TopLevelWindow& w) {
            return dx ? w.width - start->width : w.height - start->height;
        };
        auto growth = [&] {
            const auto w = WindowById(mainId);
            return w ? grown(*w) : -1;
        };
        const int distance = dx ? dx : dy;
        auto moveTo = [&](int along) { x_.MovePointer(fromX + (dx ? along : 0), fromY + (dy ? along : 0)); };

        moveTo(0);
        x_.PressButton(1);
        // The program anchors the drag where the cursor is when it reads the press, not where
        // the press was, so the pointer should stay put until then; a press read only after
        // the first step is handled below.
        std::this_thread::sleep_for(300ms);
        int anchor = 0;  // where the drag began, along the drag
        int at = 0;
        bool followed = true;
        for (bool first = true; followed && at - anchor < distance; first = false) {
            at = std::min(anchor + distance, at + 4);
            moveTo(at);
            // A press read only after the first step anchors there: no growth, for good.
            followed = PollUntil([&] { return growth() == at - anchor; }, first ? 5s : 10s);
            if (!followed && first && growth() == 0) {
                anchor = at;
                followed = true;
            }
        }
        x_.ReleaseButton(1);
        ASSERT_TRUE(followed) << "the main window did not follow the pointer " << at - anchor
                              << " px into the drag; it has grown by " << growth();

        moveTo(at + 20);
        const bool changed = PollUntil([&] { return growth() != distance; }, 1s);
        EXPECT_FALSE(changed) << "the main window still follows the pointer after the release";
    }
};

TEST_F(Frame, EachSkinImageIsDrawnInItsPlaceAroundTheMainWindow) {
    const auto main = StartAndWaitForMainWindow();
    ASSERT_TRUE(main) << "no mapped window named \"" << kCaption << "\"";
    EXPECT_EQ(main->x, kX);
    EXPECT_EQ(main->y, kY);
    EXPECT_EQ(main->width, kWidth);
    EXPECT_EQ(main->height, kHeight);

    struct Piece {
        const char* name;
        int x, y, width, height;
    };
    const std::vector<Piece> pieces = {
        {"title", kX - kLeft, kY - kTop, kLeft + kWidth + kRight, kTop},
        {"left", kX - kLeft, kY, kLeft, kHeight + kBottom},
        {"right", kX + kWidth, kY, kRight, kHeight + kBottom},
        {"bottom", kX, kY + kHeight, kWidth, kBottom},
    };
    for (const Piece& p : pieces) {
        std::optional<TopLevelWindow> found;
        PollUntil([&] { return (found = MappedWindowAt(p.x, p.y, p.width, p.height)).has_value(); }, 10s);
        EXPECT_TRUE(found) << "no mapped " << p.name << " window " << p.width << "x" << p.height << "+" << p.x
                           << "+" << p.y;
    }

    // Points in each window's own coordinates, kept off the seams where stretched images blend.
    std::vector<Probe> probes;
    auto add = [&](const std::string& what, int originX, int originY, int x, int y, Rgb expected) {
        probes.push_back({what, originX + x, originY + y, expected});
    };
    const int titleX = kX - kLeft, titleY = kY - kTop, titleWidth = kLeft + kWidth + kRight;
    const int middle = titleWidth - kLeftTopWidth - kRightTopWidth;
    for (int y : {4, 15, 25}) {
        // Left and right ends at their natural widths, stretched to the title's height.
        add("left_top.png", titleX, titleY, 3, y, kLeftTop);
        add("left_top.png", titleX, titleY, kLeftTopWidth - 4, y, kLeftTop);
        add("right_top.png", titleX, titleY, titleWidth - kRightTopWidth + 4, y, kRightTop);
        add("right_top.png", titleX, titleY, titleWidth - 3, y, kRightTop);
        // One copy of top.png spans the middle's width, starting at the window's origin
        // rather than at the middle's start: its halves split at middle / 2, and the next
        // copy's first half shows in the last left_top-width columns before the right end.
        add("top.png first half", titleX, titleY, middle / 6, y, kTopFirst);
        add("top.png first half", titleX, titleY, middle * 2 / 5, y, kTopFirst);
        add("top.png second half", titleX, titleY, middle * 3 / 5, y, kTopSecond);
        add("top.png second half", titleX, titleY, middle * 9 / 10, y, kTopSecond);
        add("top.png next copy", titleX, titleY, titleWidth - kRightTopWidth - 4, y, kTopFirst);
    }

    // Sides: the middle image tiled from the window's top, the bottom image at the foot.
    struct Side {
        const char* name;
        int x;
        Rgb first, second, bottom;
    };
    const int sideHeight = kHeight + kBottom;
    for (const Side& s : {Side{"left", kX - kLeft, kLeftMiddleFirst, kLeftMiddleSecond, kLeftBottom},
                          Side{"right", kX + kWidth, kRightMiddleFirst, kRightMiddleSecond, kRightBottom}}) {
        const std::string middle = std::string(s.name) + "_middle.png";
        for (int x : {1, 5, 8}) {
            for (int tile : {0, 20, 35}) {  // the first tile, one halfway down, the last whole one
                add(middle + " top band", s.x, kY, x, tile * kMiddleImageHeight + 1, s.first);
                add(middle + " bottom band", s.x, kY, x, tile * kMiddleImageHeight + 6, s.second);
            }
        }
        for (int x : {2, 5, 7}) {  // stretched from 5 to 10 columns
            for (int y : {sideHeight - kSideBottomHeight + 3, sideHeight - 12, sideHeight - 3}) {
                add(std::string(s.name) + "_bottom.png", s.x, kY, x, y, s.bottom);
            }
        }
    }

    // Bottom: one copy of bottom.png stretched over the whole width.
    for (int y : {2, 6, 9}) {
        add("bottom.png first half", kX, kY + kHeight, kWidth / 8, y, kBottomFirst);
        add("bottom.png first half", kX, kY + kHeight, kWidth * 3 / 8, y, kBottomFirst);
        add("bottom.png second half", kX, kY + kHeight, kWidth * 5 / 8, y, kBottomSecond);
        add("bottom.png second half", kX, kY + kHeight, kWidth * 7 / 8, y, kBottomSecond);
    }

    ExpectColours("frame", titleX, titleY, titleWidth, kTop + kHeight + kBottom, probes);

    ASSERT_NO_FATAL_FAILURE(CloseWithCtrlW(*main));
}

TEST_F(Frame, RightBandDragsTheWidthAndBottomBandTheHeight) {
    const auto main = StartAndWaitForMainWindow();
    ASSERT_TRUE(main) << "no mapped window named \"" << kCaption << "\"";
    std::optional<TopLevelWindow> right, bottom;
    PollUntil(
        [&] { return (right = MappedWindowAt(kX + kWidth, kY, kRight, kHeight + kBottom)).has_value(); },
        10s);
    PollUntil([&] { return (bottom = MappedWindowAt(kX, kY + kHeight, kWidth, kBottom)).has_value(); }, 10s);
    ASSERT_TRUE(right) << "no right frame window beside the main window";
    ASSERT_TRUE(bottom) << "no bottom frame window below the main window";
    const unsigned long rightId = right->id, bottomId = bottom->id;

    // The whole right window is the band: a press in its middle drags the width.
    ASSERT_NO_FATAL_FAILURE(
        Drag(main->id, kX + kWidth + kRight / 2, kY + (kHeight + kBottom) / 2, 40, 0));
    auto now = WindowById(main->id);
    ASSERT_TRUE(now);
    EXPECT_EQ(now->x, kX);
    EXPECT_EQ(now->y, kY);
    EXPECT_EQ(now->width, kWidth + 40);
    EXPECT_EQ(now->height, kHeight);
    PollUntil(
        [&] {
            right = WindowById(rightId);
            return right && right->x == kX + kWidth + 40;
        },
        10s);
    ASSERT_TRUE(right);
    EXPECT_EQ(right->x, now->x + now->width) << "the right frame stays beside the main window";
    EXPECT_EQ(right->y, kY);
    EXPECT_EQ(right->width, kRight);
    EXPECT_EQ(right->height, kHeight + kBottom);

    // Likewise the whole bottom window: a press in its middle drags the height.
    ASSERT_NO_FATAL_FAILURE(
        Drag(main->id, kX + (kWidth + 40) / 2, kY + kHeight + kBottom / 2, 0, 30));
    now = WindowById(main->id);
    ASSERT_TRUE(now);
    EXPECT_EQ(now->x, kX);
    EXPECT_EQ(now->y, kY);
    EXPECT_EQ(now->width, kWidth + 40);
    EXPECT_EQ(now->height, kHeight + 30);
    PollUntil(
        [&] {
            bottom = WindowById(bottomId);
            return bottom && bottom->y == kY + kHeight + 30;
        },
        10s);
    ASSERT_TRUE(bottom);
    EXPECT_EQ(bottom->x, kX);
    EXPECT_EQ(bottom->y, now->y + now->height) << "the bottom frame stays below the main window";
    EXPECT_EQ(bottom->width, kWidth + 40);
    EXPECT_EQ(bottom->height, kBottom);
    PollUntil(
        [&] {
            right = WindowById(rightId);
            return right && right->height == kHeight + 30 + kBottom;
        },
        10s);
    ASSERT_TRUE(right);
    EXPECT_EQ(right->height, kHeight + 30 + kBottom) << "the right frame reaches the bottom frame's foot";

    ASSERT_NO_FATAL_FAILURE(CloseWithCtrlW(*now));
}

}  // namespace
}  // namespace zylora::e2e
