// What the frame windows of a real main window present, read back pixel by pixel: the
// bottom window's repeated image, the title strip's pieces and texture anchoring, and the
// caption inside its rectangle. The skins are images the test generates.
#include "tests/win32/ViewerTestSupport.h"

#include "skin/EdgeWindows.h"
#include "skin/TitleWindow.h"

namespace zylora::win32test {
namespace {

constexpr Argb Red = MakeArgb(255, 255, 0, 0);
constexpr Argb Blue = MakeArgb(255, 0, 0, 255);
constexpr Argb Green = MakeArgb(255, 0, 255, 0);
constexpr Argb Yellow = MakeArgb(255, 255, 255, 0);

int RedOf(Argb c) { return static_cast<int>((c >> 16) & 0xFF); }
int BlueOf(Argb c) { return static_cast<int>(c & 0xFF); }

class FrameSurfaceTest : public ViewerTest {
protected:
    // Places and renders the frames around a main window of the size, as opening a picture
    // of that size does.
    void Frame(int width, int height) {
        main->PlaceWindows(100, 100, width, height);
        main->RenderFrames(100, 100, width, height);
        PumpPending();
    }
    // Columns of the row whose pixel isn't the colour.
    std::vector<int> OffColumns(const Presentation& p, int y, int x0, int x1, Argb colour) {
        std::vector<int> off;
        for (int x = x0; x < x1; ++x)
            if (p.PixelAt(x, y) != colour) off.push_back(x);
        return off;
    }
};

TEST_F(FrameSurfaceTest, BottomImageIsStretchedAcrossAndRepeatsAtItsHeight) {
    WriteSkinFile("values.ini", "[bottom]\r\nHeight=25\r\n");
    WritePicture(SkinFolder() + "\\bottom.png", 200, 10, "image/png",
                 [](int, int y) { return y == 0 ? Red : Blue; });
    Start();
    Frame(600, 200);

    const Presentation& p = LastPresentation(*main->BottomFrame);
    ASSERT_NE(p.pixels, nullptr);
    EXPECT_EQ(p.width, 600);
    EXPECT_EQ(p.height, 25);
    EXPECT_EQ(p.constantAlpha, 255);
    EXPECT_EQ(WindowRectOf(HandleOfAny(main->BottomFrame->Form())), (Rect{100, 300, 600, 25}));
    for (int y = 0; y < 25; ++y)
        EXPECT_EQ(OffColumns(p, y, 0, 600, y % 10 == 0 ? Red : Blue), std::vector<int>{}) << "row " << y;
}

class TitleSurfaceTest : public FrameSurfaceTest {
protected:
    void WriteTitleSkin(const std::string& caption) {
        WriteSkinFile("values.ini", "[top]\r\nHeight=24\r\n" + caption);
    }
    const Presentation& Title() { return LastPresentation(*main->TopFrame); }
};

TEST_F(TitleSurfaceTest, MiddlePieceSpansBetweenTheEndsWithItsTextureAnchoredAtTheOrigin) {
    WriteTitleSkin("[Caption]\r\nColorA=0\r\n");  // an invisible caption
    WritePicture(SkinFolder() + "\\left_top.png", 30, 24, "image/png", [](int, int) { return Green; });
    WritePicture(SkinFolder() + "\\right_top.png", 30, 24, "image/png", [](int, int) { return Yellow; });
    WritePicture(SkinFolder() + "\\top.png", 10, 24, "image/png",
                 [](int x, int) { return x < 5 ? Red : Blue; });
    Start();
    Frame(200, 120);

    const Presentation& p = Title();
    ASSERT_NE(p.pixels, nullptr);
    EXPECT_EQ(p.width, 200);
    EXPECT_EQ(p.height, 24);
    EXPECT_EQ(WindowRectOf(HandleOfAny(main->TopFrame->Form())), (Rect{100, 76, 200, 24}));
    for (int y : {0, 12, 23}) {
        EXPECT_EQ(OffColumns(p, y, 0, 30, Green), std::vector<int>{}) << "row " << y;
        EXPECT_EQ(OffColumns(p, y, 170, 200, Yellow), std::vector<int>{}) << "row " << y;
        // One copy of the 10-pixel piece is 140 wide, its tiles starting at x 0: x 30 is 30
        // pixels into the first tile, the halves change at 70 and the next tile starts at 140.
        // (Anchored at the piece's own start the change would be at 100.) Around each change
        // the library blends over up to one texel, 14 pixels, on the side it samples from.
        EXPECT_EQ(OffColumns(p, y, 30, 56, Red), std::vector<int>{}) << "row " << y;
        EXPECT_EQ(OffColumns(p, y, 84, 126, Blue), std::vector<int>{}) << "row " << y;
        EXPECT_EQ(OffColumns(p, y, 154, 170, Red), std::vector<int>{}) << "row " << y;
        int change = -1, back = -1;
        std::vector<int> otherColours;
        for (int x = 30; x < 170; ++x) {
            const Argb c = p.PixelAt(x, y);
            if (c >> 24 != 255 || RedOf(c) + BlueOf(c) != 255 || (c & 0xFF00) != 0) otherColours.push_back(x);
            if (change < 0 && BlueOf(c) > RedOf(c)) change = x;
            if (change >= 0 && back < 0 && RedOf(c) > BlueOf(c)) back = x;
        }
        EXPECT_EQ(otherColours, std::vector<int>{}) << "only the two halves mix, row " << y;
        EXPECT_GE(change, 56) << "row " << y;
        EXPECT_LT(change, 84) << "row " << y;
        EXPECT_GE(back, 126) << "row " << y;
        EXPECT_LT(back, 154) << "row " << y;
    }
}

TEST_F(TitleSurfaceTest, CaptionInksOnlyItsRectangle) {
    WriteTitleSkin("[Caption]\r\nText=MMMM\r\nFontName=Tahoma\r\nFontSize=14\r\n"
                   "X=25\r\nY=0\r\nWidth=50\r\nHeight=100\r\nHorAlign=0\r\n");
    Start();
    Frame(200, 120);

    const Presentation& p = Title();
    ASSERT_NE(p.pixels, nullptr);
    ASSERT_EQ(p.width, 200);
    ASSERT_EQ(p.height, 24);
    // 25% and 50% of 200: the rectangle spans x 50 to 150 and the whole height.
    // Aligned to the near side, the text starts at the rectangle's left edge, not the strip's.
    int opaqueInside = 0, inkedOutside = 0, firstInked = -1;
    for (int x = 0; x < 200; ++x)
        for (int y = 0; y < 24; ++y) {
            const int alpha = p.AlphaAt(x, y);
            if (alpha > 0 && firstInked < 0) firstInked = x;
            if (x >= 50 && x < 150)
                opaqueInside += alpha == 255;
            else
                inkedOutside += alpha > 0;
        }
    EXPECT_GT(opaqueInside, 20);
    EXPECT_EQ(inkedOutside, 0);
    EXPECT_GE(firstInked, 50);
    EXPECT_LT(firstInked, 60);
}

}  // namespace
}  // namespace zylora::win32test
