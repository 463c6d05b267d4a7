// HEIC files through the pipeline: the header's size (and so the limit), libheif's decode
// through the table of its functions, the file's profile and its turn applied once, and the
// note when the library is missing. libheif tests its own decoding; these check what the
// program makes of it.
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>

#include "imaging/Decoding.h"
#include "tests/unit/HeicFiles.h"
#include "tests/unit/Profiles.h"

// x265 keeps a few blocks of its own for good once it has encoded (Debian's 3.5): the library's,
// not the program's, which never encodes.
extern "C" const char* __lsan_default_suppressions() { return "leak:libx265.so\n"; }

namespace zylora::imaging {
namespace {

using testing::HeicFile;
using testing::Rgba;

// Width x height pixels, the left half `left` and the right half `right` (RGBA each).
Rgba Halves(int width, int height, std::array<std::uint8_t, 4> left, std::array<std::uint8_t, 4> right) {
    Rgba rgba;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const auto& pixel = x < width / 2 ? left : right;
            rgba.insert(rgba.end(), pixel.begin(), pixel.end());
        }
    return rgba;
}

ByteReader Reader(const std::string& bytes) {
    return [&bytes](std::uint64_t at, std::size_t length) {
        return at < bytes.size() ? bytes.substr(static_cast<std::size_t>(at), length) : std::string();
    };
}

TEST(HeicTest, EachFileComesOutAtItsSizeInItsColoursUprightOnceAndWithinTheLimit) {
    const Rgba blueRed = Halves(16, 8, {0, 0, 255, 255}, {255, 0, 0, 255});
    const std::string wide = testing::RgbProfile({{0.70, 0.29, 1}, {0.17, 0.79, 1}, {0.13, 0.05, 1}}, 2.2);
    std::uint32_t wideRed = 0xFFFF0000u;
    ColourConversion::Between(wide, ColourModel::Rgb, "")->Convert(&wideRed, 1);
    // Exif's orientation 6, which a phone writes beside the same turn as irot.
    const std::string exif6("II*\0\x08\0\0\0\x01\0\x12\x01\x03\0\x01\0\0\0\x06\0\0\0\0\0", 24);
    struct Case {
        const char* name;
        std::string bytes;
        Size stored, shown;
        std::uint32_t first, last;  // the first and last pixels shown, within 12 in each channel
    } cases[] = {
        {"plain", HeicFile(16, 8, blueRed), {16, 8}, {16, 8}, 0xFF0000FFu, 0xFFFF0000u},
        {"tiled (the encoder's grid around a size not of whole blocks)",
         HeicFile(70, 8, Halves(70, 8, {0, 0, 255, 255}, {255, 0, 0, 255})), {70, 8}, {70, 8}, 0xFF0000FFu,
         0xFFFF0000u},
        {"alpha", HeicFile(16, 8, Halves(16, 8, {0, 0, 255, 255}, {255, 0, 0, 128}), {.alpha = true}), {16, 8},
         {16, 8}, 0xFF0000FFu, 0x80FF0000u},
        {"a profile far from sRGB's", HeicFile(16, 8, blueRed, {.profile = wide}), {16, 8}, {16, 8}, 0, wideRed},
        // (libheif 1.15's encoder turns the tile of a grid of the turned size: that is what is stored)
        {"turned a quarter right by irot, and Exif saying so too: turned once",
         HeicFile(16, 8, blueRed, {.orientation = heif_orientation_rotate_90_cw, .exif = exif6}), {8, 16}, {8, 16},
         0xFF0000FFu, 0xFFFF0000u},
    };
    const SystemDecoders system{nullptr, nullptr, nullptr, [] { return testing::LinkedHeif(); }};
    for (const Case& c : cases) {
        const ByteReader read = Reader(c.bytes);
        std::optional<HeaderFacts> facts = ReadHeaderFacts(read, c.bytes.size(), PictureLimit);
        ASSERT_TRUE(facts) << c.name;
        EXPECT_EQ(facts->own, OwnFormat::Heic) << c.name;
        EXPECT_EQ(facts->size, c.stored) << c.name;
        EXPECT_FALSE(ReadHeaderFacts(read, c.bytes.size(), {c.stored.width * c.stored.height - 1})) << c.name;
        const std::optional<DecodedPixels> own = DecodeInTurn(*facts, PictureLimit, system, {});
        ASSERT_TRUE(own) << c.name;
        EXPECT_EQ((Size{own->pixels.width, own->pixels.height}), c.shown) << c.name;
        const std::pair<std::uint32_t, std::uint32_t> ends[] = {{own->pixels.pixels.front(), c.first},
                                                                 {own->pixels.pixels.back(), c.last}};
        for (const auto& [pixel, expected] : ends) {
            if (expected == 0) continue;
            for (int shift : {0, 8, 16, 24}) {
                const int off = static_cast<int>((pixel >> shift & 0xFF) - (expected >> shift & 0xFF));
                EXPECT_LE(std::abs(off), 12) << c.name << std::hex << ": " << pixel << " for " << expected;
            }
        }
    }
}

// A phone's photo decodes for seconds: the reduced copy its file holds shows first, in its
// colours, stretched over the picture's size. (libheif 1.15 can't write an AVIF, nor turn a
// reduced copy as it turns its picture: the turn is the picture's, checked above.)
TEST(HeicTest, AReducedCopyInTheFileIsTheFirstLookAtThePicturesSize) {
    const Rgba blueRed = Halves(64, 32, {0, 0, 255, 255}, {255, 0, 0, 255});
    const std::string heic = HeicFile(64, 32, blueRed, {.thumbnail = 16});
    const std::optional<HeaderFacts> facts = ReadHeaderFacts(Reader(heic), heic.size(), PictureLimit);
    ASSERT_TRUE(facts);
    const std::optional<PreviewPlan> plan = PlanPreview(*facts, [](Size size) { return size; });
    ASSERT_TRUE(plan && plan->thumbnail);
    EXPECT_EQ(plan->upright, (Size{64, 32}));
    EXPECT_FALSE(PreviewPixels(heic, *plan, {}, [] { return nullptr; })) << "no library, no look";
    const std::optional<DecodedPixels> look = PreviewPixels(heic, *plan, {}, [] { return testing::LinkedHeif(); });
    ASSERT_TRUE(look);
    EXPECT_EQ((Size{look->pixels.width, look->pixels.height}), (Size{16, 8}));
    EXPECT_GT(look->pixels.pixels.front() & 0xFF, 200u) << "blue on the left";
    EXPECT_GT(look->pixels.pixels.back() >> 16 & 0xFF, 200u) << "red on the right";
    const std::string plain = HeicFile(64, 32, blueRed);
    EXPECT_FALSE(PlanPreview(*ReadHeaderFacts(Reader(plain), plain.size(), PictureLimit), [](Size s) { return s; }))
        << "without a reduced copy nothing comes before the picture";
}

TEST(HeicTest, WithoutItsLibraryAFileGivesNothingAndItsNoteSaysTheDecoderIsMissing) {
    const std::string heic = HeicFile(16, 8, Rgba(16 * 8 * 4, 200));
    const std::optional<HeaderFacts> facts = ReadHeaderFacts(Reader(heic), heic.size(), PictureLimit);
    ASSERT_TRUE(facts);
    EXPECT_FALSE(DecodeInTurn(*facts, PictureLimit, {nullptr, nullptr, nullptr, [] { return nullptr; }}, {}));
    EXPECT_EQ(WhyNotShown(*facts, false), "the HEIC decoder is missing");
    EXPECT_EQ(WhyNotShown(*facts, true), "");
}

}  // namespace
}  // namespace zylora::imaging
