// The program's own pixel buffers: turns and mirrors, widening, the reduced copy and 1:1
// copies, checked pixel by pixel.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <thread>
#include <vector>

#include "imaging/Pixels.h"

namespace zylora::testing {
namespace {

using imaging::DecodedPixels;
using imaging::PixelBuffer;
using platform::RotateFlipType;

constexpr std::uint32_t Argb(std::uint32_t a, std::uint32_t r, std::uint32_t g, std::uint32_t b) {
    return a << 24 | r << 16 | g << 8 | b;
}

PixelBuffer Buffer(int width, int height, const std::vector<std::uint32_t>& pixels) {
    return {imaging::PixelWords(pixels.begin(), pixels.end()), width, height};
}

// Work in two halves on two threads, as the Windows build runs it.
void TwoThreads(int count, const std::function<void(int, int)>& work) {
    std::thread second([&] { work(count / 2, count); });
    work(0, count / 2);
    second.join();
}

// A window-sized surface made anew at each step of a drag reuses the memory of the last,
// blank again; the two latest are kept.
TEST(PixelsTest, RecycledMemoryServesTheNextBufferThatFitsAndComesBackBlank) {
    std::optional<DecodedPixels> first = imaging::RecycledBlankPixels(1000, 700);
    ASSERT_TRUE(first);
    const std::uint32_t* memory = first->pixels.pixels.data();
    std::fill(first->pixels.pixels.begin(), first->pixels.pixels.end(), 0xFF123456u);
    imaging::RecyclePixels(std::move(first->pixels));
    EXPECT_TRUE(first->pixels.pixels.empty());

    std::optional<DecodedPixels> grown = imaging::RecycledBlankPixels(1010, 720);  // within the room left to grow
    ASSERT_TRUE(grown);
    EXPECT_EQ(grown->pixels.pixels.data(), memory);
    EXPECT_EQ(grown->pixels.width, 1010);
    EXPECT_EQ(grown->pixels.pixels.size(), 1010u * 720u);
    EXPECT_TRUE(std::all_of(grown->pixels.pixels.begin(), grown->pixels.pixels.end(), [](std::uint32_t p) { return p == 0; }));

    imaging::RecyclePixels(std::move(grown->pixels));

    // Three let go in a row: the two latest are the ones kept.
    std::vector<DecodedPixels> three;
    for (int i = 0; i < 3; ++i) three.push_back(*imaging::RecycledBlankPixels(1200, 1000));
    const std::uint32_t* second = three[1].pixels.pixels.data();
    const std::uint32_t* third = three[2].pixels.pixels.data();
    for (DecodedPixels& buffer : three) imaging::RecyclePixels(std::move(buffer.pixels));
    const std::set<const std::uint32_t*> taken = {imaging::RecycledBlankPixels(1200, 1000)->pixels.pixels.data(),
                                                  imaging::RecycledBlankPixels(1200, 1000)->pixels.pixels.data()};
    EXPECT_EQ(taken, (std::set<const std::uint32_t*>{second, third}));
}

TEST(PixelsTest, TurnsAndMirrorsMoveEveryPixel) {
    // Alphas 10 50 90 / 130 170 210.
    const PixelBuffer grid = Buffer(3, 2, {10u << 24, 50u << 24, 90u << 24, 130u << 24, 170u << 24, 210u << 24});
    const std::pair<RotateFlipType, std::vector<std::vector<std::uint32_t>>> cases[] = {
        {RotateFlipType::Rotate90FlipNone, {{130, 10}, {170, 50}, {210, 90}}},
        {RotateFlipType::Rotate180FlipNone, {{210, 170, 130}, {90, 50, 10}}},
        {RotateFlipType::Rotate270FlipNone, {{90, 210}, {50, 170}, {10, 130}}},
        {RotateFlipType::RotateNoneFlipX, {{90, 50, 10}, {210, 170, 130}}},
        {RotateFlipType::Rotate180FlipX, {{130, 170, 210}, {10, 50, 90}}},
    };
    for (const auto& [type, rows] : cases) {
        PixelBuffer turned = grid;
        ASSERT_TRUE(imaging::RotateFlipPixels(turned, type));
        ASSERT_EQ(turned.height, static_cast<int>(rows.size()));
        ASSERT_EQ(turned.width, static_cast<int>(rows[0].size()));
        for (int y = 0; y < turned.height; ++y)
            for (int x = 0; x < turned.width; ++x)
                EXPECT_EQ(turned.pixels[static_cast<std::size_t>(y * turned.width + x)] >> 24, rows[y][x])
                    << "type " << static_cast<int>(type) << " at " << x << "," << y;
    }
}

// A picture of a size that is no multiple of the squares the turn goes by: every pixel
// lands where the per-pixel rule puts it, along the squares' edges too.
TEST(PixelsTest, TurnsOfALargePictureMoveEveryPixelAcrossItsSquares) {
    const int w = 130, h = 67;
    PixelBuffer picture;
    picture.width = w;
    picture.height = h;
    for (int i = 0; i < w * h; ++i) picture.pixels.push_back(static_cast<std::uint32_t>(i));
    for (int code = 0; code < 8; ++code) {
        const int turns = code & 3;
        PixelBuffer turned = picture;
        ASSERT_TRUE(imaging::RotateFlipPixels(turned, static_cast<RotateFlipType>(code)));
        const int tw = turns % 2 ? h : w;
        ASSERT_EQ(turned.width, tw);
        int wrong = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                int nx = x, ny = y;
                if (turns == 1) nx = h - 1 - y, ny = x;
                if (turns == 2) nx = w - 1 - x, ny = h - 1 - y;
                if (turns == 3) nx = y, ny = w - 1 - x;
                if (code & 4) nx = tw - 1 - nx;
                wrong += turned.pixels[static_cast<std::size_t>(ny * tw + nx)] != static_cast<std::uint32_t>(y * w + x);
            }
        EXPECT_EQ(wrong, 0) << "type " << code;
    }
}

TEST(PixelsTest, EachOrientationTagStandsThePictureUpright) {
    // The upright picture, 3 x 2: alphas 1 2 3 / 4 5 6. Each case is how a camera stores it.
    const std::vector<std::uint32_t> upright = {1, 2, 3, 4, 5, 6};
    const struct {
        int orientation;
        int width, height;
        std::vector<std::uint32_t> stored;
    } cases[] = {
        {1, 3, 2, {1, 2, 3, 4, 5, 6}},    {2, 3, 2, {3, 2, 1, 6, 5, 4}},    {3, 3, 2, {6, 5, 4, 3, 2, 1}},
        {4, 3, 2, {4, 5, 6, 1, 2, 3}},    {5, 2, 3, {1, 4, 2, 5, 3, 6}},    {6, 2, 3, {3, 6, 2, 5, 1, 4}},
        {7, 2, 3, {6, 3, 5, 2, 4, 1}},    {8, 2, 3, {4, 1, 5, 2, 6, 3}},    {0, 3, 2, {1, 2, 3, 4, 5, 6}},
        {9, 3, 2, {1, 2, 3, 4, 5, 6}},
    };
    for (const auto& c : cases) {
        std::vector<std::uint32_t> alphas;
        for (std::uint32_t a : c.stored) alphas.push_back(a << 24);
        PixelBuffer buffer = Buffer(c.width, c.height, alphas);
        ASSERT_TRUE(imaging::OrientPixels(buffer, c.orientation));
        ASSERT_EQ(buffer.width, 3) << c.orientation;
        std::vector<std::uint32_t> got;
        for (std::uint32_t p : buffer.pixels) got.push_back(p >> 24);
        EXPECT_EQ(got, upright) << "orientation " << c.orientation;
    }
}

TEST(PixelsTest, ThreeBytePixelsWidenToOpaqueArgb) {
    const std::uint8_t bgr[] = {1, 2, 3, 250, 128, 0};
    std::uint32_t out[2] = {};
    imaging::WidenBgr(bgr, out, 2);
    EXPECT_EQ(out[0], Argb(255, 3, 2, 1));
    EXPECT_EQ(out[1], Argb(255, 0, 128, 250));
    EXPECT_TRUE(imaging::AllOpaque({out[0], out[1]}));
    EXPECT_FALSE(imaging::AllOpaque({out[0], 0x7F000000u}));
    // In place, from the end of the wide pixels' own room, in groups of sixteen, of four and
    // the rest (53 is three sixteens, a four and one).
    for (std::size_t count : {1u, 4u, 5u, 11u, 16u, 53u}) {
        std::vector<std::uint32_t> room(count);
        auto* narrow = reinterpret_cast<std::uint8_t*>(room.data()) + count;
        for (std::size_t i = 0; i < 3 * count; ++i) narrow[i] = static_cast<std::uint8_t>(7 * i + 1);
        imaging::WidenBgr(narrow, room.data(), count);
        for (std::size_t i = 0; i < count; ++i)
            ASSERT_EQ(room[i], Argb(255, (21 * i + 15) & 0xFF, (21 * i + 8) & 0xFF, (21 * i + 1) & 0xFF))
                << count << " pixels, pixel " << i;
    }
}

// A picture's memory let go of serves the next picture of about its size, and only that.
TEST(PixelsTest, APictureLetGoOfLendsItsMemoryToTheNextOfItsSize) {
    struct Case {
        const char* what;
        std::vector<platform::Size> kept;  // let go of in this order
        std::vector<platform::Size> filled;  // then filled in this order; the last is looked at
        int lender;  // the index into `kept` whose memory the last fill has; -1: none held
    };
    const platform::Size big{2500, 2500}, photo{2048, 2048}, fifthLess{2048, 1640}, skin{1000, 1000};
    const Case cases[] = {
        {"the same size", {photo}, {photo}, 0},
        {"four fifths of it", {photo}, {fifthLess}, 0},
        {"a small picture meanwhile leaves it kept", {photo}, {skin, photo}, 0},
        {"the larger of two is kept", {photo, big}, {big}, 1},
        {"the larger stays kept", {big, photo}, {big}, 0},
        {"taken once only", {photo}, {photo, photo}, -1},
    };
    for (const Case& c : cases) {
        imaging::FreeKeptPictureMemory();
        std::vector<const std::uint32_t*> lent;
        std::vector<PixelBuffer> holding;  // the filled ones, whose addresses no later fill can have
        for (platform::Size size : c.kept) {
            PixelBuffer buffer{imaging::PixelWords(static_cast<std::size_t>(size.width) * size.height), size.width,
                               size.height};
            lent.push_back(buffer.pixels.data());
            imaging::KeepPictureMemory(std::move(buffer));
        }
        const std::uint32_t* got = nullptr;
        for (platform::Size size : c.filled) {
            std::optional<DecodedPixels> filled = imaging::PixelsToFill(size.width, size.height);
            ASSERT_TRUE(filled) << c.what;
            got = filled->pixels.pixels.data();
            holding.push_back(std::move(filled->pixels));
        }
        if (c.lender < 0)
            EXPECT_EQ(std::count(lent.begin(), lent.end(), got), 0) << c.what;
        else
            EXPECT_EQ(got, lent[static_cast<std::size_t>(c.lender)]) << c.what;
    }
    imaging::FreeKeptPictureMemory();
}

TEST(PixelsTest, AReducedCopyKeepsFlatColoursAndTransparencyLendsNoColour) {
    const std::uint32_t red = Argb(255, 255, 0, 0), blue = Argb(255, 0, 0, 255);
    // Left half red, right half blue, 8 x 4 to 4 x 2.
    std::vector<std::uint32_t> halves;
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 8; ++x) halves.push_back(x < 4 ? red : blue);
    const auto half = imaging::ReducePixels(Buffer(8, 4, halves), true, {4, 2});
    ASSERT_TRUE(half);
    EXPECT_EQ(half->pixels.width, 4);
    EXPECT_EQ(half->pixels.pixels.front(), red);
    EXPECT_EQ(half->pixels.pixels.back(), blue);
    EXPECT_TRUE(half->opaque);

    // A transparent pixel beside a half-transparent green one: the green keeps its colour.
    const auto mixed = imaging::ReducePixels(Buffer(2, 1, {0u, Argb(128, 0, 200, 0)}), false, {1, 1});
    EXPECT_EQ(mixed->pixels.pixels[0], Argb(64, 0, 200, 0));
    EXPECT_FALSE(mixed->opaque);
    EXPECT_EQ(imaging::ReducePixels(Buffer(2, 1, {Argb(255, 10, 20, 30), Argb(255, 11, 21, 31)}), true, {1, 1})
                  ->pixels.pixels[0],
              Argb(255, 11, 21, 31))
        << "halves round up";

    // Opaque pixels reduce alike whether known to be opaque or not, on one thread or two.
    std::vector<std::uint32_t> noise;
    for (int i = 0; i < 7 * 5; ++i)
        noise.push_back(Argb(255, static_cast<std::uint32_t>(i * 37 % 256), static_cast<std::uint32_t>(i * 11 % 256),
                             static_cast<std::uint32_t>(200 - i * 5)));
    const PixelBuffer photo = Buffer(7, 5, noise);
    const auto known = imaging::ReducePixels(photo, true, {3, 2});
    EXPECT_EQ(imaging::ReducePixels(photo, false, {3, 2})->pixels.pixels, known->pixels.pixels);
    EXPECT_EQ(imaging::ReducePixels(photo, true, {3, 2}, TwoThreads)->pixels.pixels, known->pixels.pixels);

    const auto clamped = imaging::ReducePixels(photo, true, {0, 100});  // each side within 1 and its own
    EXPECT_EQ(clamped->pixels.width, 1);
    EXPECT_EQ(clamped->pixels.height, 5);
    EXPECT_FALSE(imaging::ReducePixels(PixelBuffer{}, true, {1, 1}));
}

TEST(PixelsTest, AOneToOneCopyIsClippedToBothAndBlendsWhatIsTranslucent) {
    const std::uint32_t grey = Argb(255, 128, 128, 128);
    std::vector<std::uint32_t> source;
    for (int i = 0; i < 4 * 3; ++i) source.push_back(Argb(255, static_cast<std::uint32_t>(i), 0, 0));
    std::vector<std::uint32_t> target(5 * 4, grey);
    bool covered = true;
    // Starts one pixel left of the source, so that column is clipped away.
    ASSERT_TRUE(imaging::CopyOneToOne({source.data(), 4, 3}, true, {-1, 1, 3, 2}, {target.data(), 5, 4},
                                       {2, 1, 3, 2}, covered));
    EXPECT_FALSE(covered);
    EXPECT_EQ(target[1 * 5 + 2], grey) << "the clipped column";
    EXPECT_EQ(target[1 * 5 + 3], source[1 * 4 + 0]);
    EXPECT_EQ(target[2 * 5 + 4], source[2 * 4 + 1]);
    EXPECT_EQ(target[3 * 5 + 3], grey);

    std::uint32_t half = Argb(128, 0, 0, 255), under = Argb(255, 255, 0, 0);
    ASSERT_TRUE(imaging::CopyOneToOne({&half, 1, 1}, false, {0, 0, 1, 1}, {&under, 1, 1}, {0, 0, 1, 1}, covered));
    EXPECT_EQ(under, imaging::Over(Argb(128, 0, 0, 255), Argb(255, 255, 0, 0)));
    EXPECT_FALSE(covered) << "not from an opaque source";
    EXPECT_FALSE(imaging::CopyOneToOne({source.data(), 4, 3}, true, {0.5f, 0, 2, 2}, {target.data(), 5, 4},
                                        {0, 0, 2, 2}, covered))
        << "between pixels it needs resampling";
    std::uint32_t all[4 * 3] = {};
    EXPECT_TRUE(imaging::CopyOneToOne({source.data(), 4, 3}, true, {0, 0, 4, 3}, {all, 4, 3}, {0, 0, 4, 3}, covered));
    EXPECT_TRUE(covered);
}

}  // namespace
}  // namespace zylora::testing
