// Pixel grids drawn stretched onto one another.
#include <gtest/gtest.h>

#include <vector>

#include "imaging/Resample.h"

namespace zylora::testing {
namespace {

using platform::RectF;

constexpr std::uint32_t Red = 0xFFFF0000u, Blue = 0xFF0000FFu, Grey = 0xFF808080u;

struct Grid {
    int width, height;
    std::vector<std::uint32_t> pixels;
    Grid(int w, int h, std::uint32_t fill) : width(w), height(h), pixels(static_cast<std::size_t>(w) * h, fill) {}
    std::uint32_t& At(int x, int y) { return pixels[static_cast<std::size_t>(y) * width + x]; }
    imaging::ConstPixelGrid From() const { return {pixels.data(), width, height}; }
    imaging::PixelGrid To() { return {pixels.data(), width, height}; }
};

// The bilinear stretch and the quick one with the nearest pixels.
using Stretch = void (*)(imaging::ConstPixelGrid, bool, RectF, imaging::PixelGrid, RectF);
constexpr Stretch BothStretches[] = {imaging::DrawResampled, imaging::DrawNearest};

TEST(ResampleTest, WholePixelsAtTheirOwnSizeAreCopiedExactlyAndOnlyWhereThePictureIs) {
    Grid from(4, 3, 0);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) from.At(x, y) = 0xFF000000u | static_cast<std::uint32_t>(x * 16 + y);
    for (Stretch stretch : BothStretches) {
        Grid to(6, 6, Grey);
        // One column and one row of the source lie outside the picture.
        stretch(from.From(), true, {1, 1, 4, 3}, to.To(), {2, 2, 4, 3});
        for (int y = 0; y < 6; ++y)
            for (int x = 0; x < 6; ++x) {
                const bool inside = x >= 2 && x < 5 && y >= 2 && y < 4;
                const std::uint32_t expected = inside ? from.At(x - 1, y - 1) : Grey;
                EXPECT_EQ(to.At(x, y), expected) << x << "," << y;
            }
    }
}

TEST(ResampleTest, TheQuickStretchTakesTheNearestPixelWithoutMixing) {
    Grid from(2, 1, Red);
    from.At(1, 0) = Blue;
    Grid wide(4, 1, 0);
    imaging::DrawNearest(from.From(), true, {0, 0, 2, 1}, wide.To(), {0, 0, 4, 1});
    EXPECT_EQ(wide.pixels, (std::vector<std::uint32_t>{Red, Red, Blue, Blue}));
    Grid stripes(4, 2, Red);
    stripes.At(1, 0) = stripes.At(3, 0) = stripes.At(1, 1) = stripes.At(3, 1) = Blue;
    Grid narrow(2, 1, 0);
    imaging::DrawNearest(stripes.From(), true, {0, 0, 4, 2}, narrow.To(), {0, 0, 2, 1});
    EXPECT_EQ(narrow.pixels, (std::vector<std::uint32_t>{Blue, Blue})) << "one stripe, not their mix";
}

TEST(ResampleTest, BetweenPixelsTheNeighboursMix) {
    Grid from(2, 1, Red);
    from.At(1, 0) = Blue;
    Grid to(4, 1, 0);
    imaging::DrawResampled(from.From(), true, {0, 0, 2, 1}, to.To(), {0, 0, 4, 1});  // twice as wide
    EXPECT_EQ(to.pixels, (std::vector<std::uint32_t>{Red, 0xFFBF0040u, 0xFF4000BFu, Blue}));
    Grid half(1, 1, 0);
    imaging::DrawResampled(from.From(), true, {0.5f, 0, 1, 1}, half.To(), {0, 0, 1, 1});
    EXPECT_EQ(half.pixels[0], 0xFF800080u);
}

TEST(ResampleTest, ATranslucentSourceBlendsOverWhatIsThere) {
    for (Stretch stretch : BothStretches) {
        Grid from(1, 1, 0x80FF0000u);  // half-transparent red
        Grid to(2, 1, Blue);
        stretch(from.From(), false, {0, 0, 1, 1}, to.To(), {0, 0, 1, 1});
        EXPECT_EQ(to.pixels, (std::vector<std::uint32_t>{0xFF80007Fu, Blue}));
        Grid clear(1, 1, 0x00FF0000u);
        stretch(clear.From(), false, {0, 0, 1, 1}, to.To(), {1, 0, 1, 1});
        EXPECT_EQ(to.pixels[1], Blue);
    }
}

TEST(ResampleTest, ARowOfMixedOpacityBlendsAsItsPixelsOneByOne) {
    // Runs of four opaque pixels, and runs with translucent and clear ones among them.
    const std::vector<std::uint32_t> row = {0xFF102030u, 0xFF405060u, 0xFF708090u, 0xFFA0B0C0u, 0x80FF0000u,
                                            0xFF00FF00u, 0x00123456u, 0xFF0000FFu, 0x40204080u, 0xFFFFFFFFu};
    const int n = static_cast<int>(row.size());
    Grid from(n, 1, 0);
    from.pixels = row;
    Grid whole(n, 1, 0x80C0C0C0u);
    imaging::DrawResampled(from.From(), false, {0, 0, float(n), 1}, whole.To(), {0, 0, float(n), 1});
    for (int x = 0; x < n; ++x) {
        Grid one(1, 1, row[static_cast<std::size_t>(x)]);
        Grid alone(1, 1, 0x80C0C0C0u);
        imaging::DrawResampled(one.From(), false, {0, 0, 1, 1}, alone.To(), {0, 0, 1, 1});
        EXPECT_EQ(whole.pixels[static_cast<std::size_t>(x)], alone.pixels[0]) << "pixel " << x;
    }
    EXPECT_EQ(whole.pixels[0], row[0]) << "an opaque pixel comes out as it is";
}

TEST(ResampleTest, TexturesRepeatFromTheOriginAndBlendAcrossTheirSeams) {
    Grid texture(2, 1, Red);
    texture.At(1, 0) = Blue;
    Grid to(5, 2, Grey);
    imaging::FillTiled(texture.From(), true, 1, 1, {1, 0, 3, 2}, to.To());
    EXPECT_EQ(to.pixels, (std::vector<std::uint32_t>{Grey, Blue, Red, Blue, Grey, Grey, Blue, Red, Blue, Grey}));
    Grid wide(8, 1, 0);
    imaging::FillTiled(texture.From(), true, 2, 1, {0, 0, 8, 1}, wide.To());
    // Each texel twice as wide; between the copies blue mixes back into red.
    EXPECT_EQ(wide.pixels, (std::vector<std::uint32_t>{0xFFBF0040u, 0xFFBF0040u, 0xFF4000BFu, 0xFF4000BFu,
                                                       0xFFBF0040u, 0xFFBF0040u, 0xFF4000BFu, 0xFF4000BFu}));
    imaging::FillTiled(texture.From(), true, 0, 1, {0, 0, 8, 1}, wide.To());  // no inverse: nothing
    EXPECT_EQ(wide.pixels[0], 0xFFBF0040u);
}

TEST(ResampleTest, NonsenseRectanglesDrawNothing) {
    Grid from(2, 2, Red);
    Grid to(2, 2, Grey);
    for (RectF s : {RectF{0, 0, 0, 2}, RectF{5, 5, 2, 2}, RectF{0, 0, -2, 2}, RectF{0, 0, 1e30f * 1e30f, 2}})
        imaging::DrawResampled(from.From(), true, s, to.To(), {0, 0, 2, 2});
    imaging::DrawResampled(from.From(), true, {0, 0, 2, 2}, to.To(), {10, 10, 2, 2});
    EXPECT_EQ(to.pixels, std::vector<std::uint32_t>(4, Grey));
}

}  // namespace
}  // namespace zylora::testing
