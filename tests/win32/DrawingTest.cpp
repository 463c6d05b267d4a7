// Drawing on surfaces: textures, source rectangles, even-odd paths and outlines, text and
// reduced copies, checked through the pixels. (Wine's GDI+ ignores the smoothing and pixel
// offset modes, so nothing here can tell them apart.)
#include "tests/win32/Win32TestSupport.h"

#include <objidl.h>
#include <gdiplus.h>

#include "platform/win32/Win32Imaging.h"

namespace zylora::win32test {
namespace {

Argb PixelOf(const Image& image, int x, int y) {
    Gdiplus::Color color;
    platform::win32::BitmapOf(image)->GetPixel(x, y, &color);
    return color.GetValue();
}

int AlphaAt(const Image& image, int x, int y) { return image.AlphaAt(x, y).value_or(-1); }

// Pixels with any ink in the columns [x0, x1).
int InkedIn(const Image& image, int x0, int x1) {
    int inked = 0;
    for (int y = 0; y < image.Height(); ++y)
        for (int x = x0; x < x1; ++x) inked += AlphaAt(image, x, y) > 0;
    return inked;
}

int FirstInkedColumn(const Image& image) {
    for (int x = 0; x < image.Width(); ++x)
        if (InkedIn(image, x, x + 1) > 0) return x;
    return -1;
}

constexpr Argb Black = MakeArgb(255, 0, 0, 0);

class DrawingTest : public PlatformTest {
protected:
    // A 2 x 2 texture: left column opaque red, right column transparent.
    std::unique_ptr<Surface> Stripes() {
        auto stripes = platform->CreateSurface(2, 2);
        stripes->FillRectsEvenOdd({{0, 0, 1, 2}}, MakeArgb(255, 255, 0, 0));
        return stripes;
    }
};

TEST_F(DrawingTest, TextureTilesFromTheSurfacesOriginInsideTheAreaOnly) {
    auto stripes = Stripes();
    auto surface = platform->CreateSurface(12, 4);
    surface->FillTexture(*stripes, 1.0f, 1.0f, {1, 0, 8, 3});
    // Anchored at the surface's origin, not at the area's: column 1 is the texture's second.
    const int row[] = {0, 0, 255, 0, 255, 0, 255, 0, 255, 0, 0, 0};
    for (int x = 0; x < 12; ++x) EXPECT_EQ(AlphaAt(*surface, x, 1), row[x]) << x;
    EXPECT_EQ(AlphaAt(*surface, 2, 3), 0) << "below the area";
    EXPECT_EQ(PixelOf(*surface, 4, 0), MakeArgb(255, 255, 0, 0));

    // Scaled: tiles 8 pixels wide, 4 inked and 4 clear (their borders blend).
    auto wide = platform->CreateSurface(32, 2);
    wide->FillTexture(*stripes, 4.0f, 1.0f, {0, 0, 32, 2});
    for (int tile = 0; tile < 4; ++tile) {
        EXPECT_GT(AlphaAt(*wide, tile * 8 + 1, 0), 160) << tile;
        EXPECT_LT(AlphaAt(*wide, tile * 8 + 5, 0), 96) << tile;
    }
    // Scales without an inverse, and empty textures, draw nothing rather than fail.
    auto untouched = platform->CreateSurface(4, 4);
    untouched->FillTexture(*stripes, 0.0f, 1.0f, {0, 0, 4, 4});
    untouched->FillTexture(*stripes, 1.0f, -0.0f, {0, 0, 4, 4});
    untouched->FillTexture(*platform->DecodeImage("missing.png"), 1.0f, 1.0f, {0, 0, 4, 4});
    EXPECT_EQ(InkedIn(*untouched, 0, 4), 0);
}

TEST_F(DrawingTest, SourceRectangleOutsideTheImageDrawsNothingThere) {
    auto picture = platform->CreateSurface(4, 4);
    picture->Clear(MakeArgb(255, 0, 0, 255));
    auto surface = platform->CreateSurface(12, 8);
    surface->DrawImageRect(*picture, {2, 0, 4, 4}, {0, 0, 8, 8});
    EXPECT_EQ(AlphaAt(*surface, 1, 4), 255);
    EXPECT_EQ(AlphaAt(*surface, 2, 4), 255);
    EXPECT_EQ(AlphaAt(*surface, 6, 4), 0);
    EXPECT_EQ(AlphaAt(*surface, 10, 4), 0);

    auto zoomed = platform->CreateSurface(10, 10);
    zoomed->DrawImageRect(*picture, {1, 1, 1, 1}, {0, 0, 10, 10});
    EXPECT_EQ(PixelOf(*zoomed, 5, 5), MakeArgb(255, 0, 0, 255));

    auto untouched = platform->CreateSurface(4, 4);
    for (auto [source, destination] : {std::pair<RectF, RectF>{{10, 10, 4, 4}, {0, 0, 4, 4}},
                                       {{0, 0, -4, 4}, {0, 0, 4, 4}},
                                       {{0, 0, 4, 4}, {0, 0, 0, 4}},
                                       {{0, 0, 1e30f * 1e30f, 4}, {0, 0, 4, 4}}})
        untouched->DrawImageRect(*picture, source, destination);
    EXPECT_EQ(InkedIn(*untouched, 0, 4), 0);
}

TEST_F(DrawingTest, EvenOddFillLeavesTheInnerRectangleOpenAndOutlineTracesTheEdges) {
    auto surface = platform->CreateSurface(12, 12);
    surface->FillRectsEvenOdd({{0, 0, 12, 12}, {4, 4, 4, 4}}, MakeArgb(160, 160, 160, 160));
    EXPECT_EQ(PixelOf(*surface, 1, 1), MakeArgb(160, 160, 160, 160));
    EXPECT_EQ(AlphaAt(*surface, 5, 5), 0);
    EXPECT_EQ(AlphaAt(*surface, 10, 10), 160);

    auto outline = platform->CreateSurface(12, 12);
    outline->OutlineRects({{2, 2, 8, 8}}, MakeArgb(220, 100, 100, 255), 2.0f);
    EXPECT_GT(AlphaAt(*outline, 2, 6), 0);
    EXPECT_GT(AlphaAt(*outline, 6, 9), 0);
    EXPECT_EQ(AlphaAt(*outline, 6, 6), 0);
    EXPECT_EQ(AlphaAt(*outline, 0, 0), 0);
}

TEST_F(DrawingTest, TextFillsItsLayoutAtItsAlignment) {
    auto left = platform->CreateSurface(120, 30);
    left->FillText("Zy", {"DejaVu Sans", 1, 16.0f, 0, 1}, {10, 0, 80, 30}, Black);
    auto right = platform->CreateSurface(120, 30);
    right->FillText("Zy", {"DejaVu Sans", 1, 16.0f, 2, 1}, {10, 0, 80, 30}, Black);
    ASSERT_GT(InkedIn(*left, 0, 120), 0);
    ASSERT_GT(InkedIn(*right, 0, 120), 0);
    EXPECT_LT(FirstInkedColumn(*left), 40);
    EXPECT_GT(FirstInkedColumn(*right), 50);
    EXPECT_EQ(InkedIn(*left, 95, 120) + InkedIn(*right, 95, 120), 0) << "nothing right of the layout";

    // A font the system doesn't have still shows the text; nothing to show shows nothing.
    auto fallback = platform->CreateSurface(120, 30);
    fallback->FillText("Zy", {"No Such Font Family", 0, 16.0f, 0, 0}, {0, 0, 120, 30}, Black);
    EXPECT_GT(InkedIn(*fallback, 0, 120), 0);
    auto blank = platform->CreateSurface(120, 30);
    blank->FillText("", {"DejaVu Sans", 0, 16.0f, 0, 0}, {0, 0, 120, 30}, Black);
    blank->FillText("Zy", {"DejaVu Sans", 0, 0.0f, 0, 0}, {0, 0, 120, 30}, Black);
    blank->FillText("Zy", {"DejaVu Sans", 0, -3.0f, 0, 0}, {0, 0, 120, 30}, Black);
    EXPECT_EQ(InkedIn(*blank, 0, 120), 0);

    // Under Wine a "u" before an "r" used to end the fill there: "pictu" of "picture read".
    auto whole = platform->CreateSurface(200, 30);
    whole->FillText("picture read", {"DejaVu Sans", 0, 16.0f, 0, 1}, {0, 0, 200, 30}, Black);
    EXPECT_GT(InkedIn(*whole, 60, 200), 0) << "the text after the \"ur\"";
}

// How the copy's pixels are made is the portable reduction's; here, that a surface's copy
// is an image of the system that draws, and that an empty image gives an empty copy.
TEST_F(DrawingTest, AReducedCopyIsAnImageOfItsOwn) {
    auto picture = platform->CreateSurface(8, 4);
    picture->Clear(MakeArgb(255, 255, 0, 0));
    picture->FillRectsEvenOdd({{4, 0, 4, 4}}, MakeArgb(255, 0, 0, 255));
    auto half = picture->Reduced(4, 2);
    ASSERT_NE(half, nullptr);
    EXPECT_EQ(half->Width(), 4);
    EXPECT_EQ(PixelOf(*half, 0, 0), MakeArgb(255, 255, 0, 0));
    EXPECT_EQ(PixelOf(*half, 3, 1), MakeArgb(255, 0, 0, 255));
    auto empty = platform->DecodeImage("missing.png")->Reduced(10, 10);
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(empty->Width(), 0);
}

TEST_F(DrawingTest, AnOpaquePictureStretchedOverTheWholeSurfaceLeavesNothingOfWhatWasThere) {
    // What the view relies on when it skips clearing under a picture that covers it.
    auto picture = platform->CreateSurface(9, 7);
    picture->Clear(MakeArgb(255, 0, 200, 0));
    ASSERT_TRUE(picture->Opaque());
    const struct {
        RectF source;
        bool covers;
    } cases[] = {{{0.5f, 0.25f, 5.5f, 4.75f}, true}, {{0, 0, 9, 7}, true}, {{3.5f, 0, 6, 7}, false}};
    for (const auto& c : cases) {
        auto surface = platform->CreateSurface(23, 17);
        surface->Clear(MakeArgb(0, 255, 0, 0));
        surface->DrawImageRect(*picture, c.source, {0, 0, 23, 17});
        int untouched = 0;
        for (int y = 0; y < 17; ++y)
            for (int x = 0; x < 23; ++x) untouched += PixelOf(*surface, x, y) != MakeArgb(255, 0, 200, 0);
        EXPECT_EQ(untouched == 0, c.covers) << c.source.left << " " << c.source.width;
        EXPECT_EQ(surface->Opaque(), c.covers) << c.source.left << " " << c.source.width;
    }
}

// The measure is the room a text's layout takes: laid out in just that room, its last
// letter still shows, and a longer text measures wider.
TEST_F(DrawingTest, ATextMeasuredFitsItsMeasureWhole) {
    const platform::TextStyle style{"DejaVu Sans", 0, 16.0f, 0, 0};
    auto surface = platform->CreateSurface(200, 30);
    const float word = surface->TextWidth("holiday.jpg", style);
    EXPECT_GT(surface->TextWidth("holiday.jpg - Zylora", style), word + 40);
    ASSERT_GT(word, 40);
    ASSERT_LT(word, 190);
    surface->FillText("holiday.jpg", style, {0, 0, word, 30}, Black);
    const int end = static_cast<int>(word);
    EXPECT_GT(InkedIn(*surface, end - 8, end + 1), 0) << "the last letter, g";
    EXPECT_EQ(surface->TextWidth("", style), 0);
}

}  // namespace
}  // namespace zylora::win32test
