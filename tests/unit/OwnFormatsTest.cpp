// The formats the program decodes itself, from the file's bytes through the pipeline: the
// header's size (and so the limit), the decoder, the profile's colours and the orientation.
// The libraries test their own decoding; these check what the program makes of it.
#include <gtest/gtest.h>

#include <cstdlib>

#include "imaging/Decoding.h"
#include "imaging/JxlDecoder.h"
#include "tests/unit/JxlFiles.h"
#include "tests/unit/PictureFiles.h"
#include "tests/unit/Profiles.h"

namespace zylora::imaging {
namespace {

using testing::Rgba;

TEST(OwnFormatsTest, EachFileComesOutAtItsSizeInItsColoursUprightAndWithinTheLimit) {
    const Rgba two = {255, 0, 0, 128, 0, 0, 255, 255};  // half-transparent red, opaque blue
    Rgba brick, noise(64 * 64 * 4, 255);
    for (int i = 0; i < 16 * 8; ++i) brick.insert(brick.end(), {200, 40, 40, 255});
    for (std::size_t i = 0; i < noise.size(); ++i)
        if (i % 4 != 3) noise[i] = static_cast<std::uint8_t>(i * 2654435761u >> 13);
    const std::string noisy = testing::WebpFile(64, 64, noise, false);
    // Two groups of 256 x 256, noise and grey, after the coarse pass of both.
    Rgba noiseAndGrey(512 * 256 * 4, 160);
    for (std::size_t i = 0; i < noiseAndGrey.size(); ++i)
        if (i % 4 == 3 || i / 4 % 512 < 256) noiseAndGrey[i] = i % 4 == 3 ? 255 : noise[i % noise.size()];
    const std::string jxlLarge = testing::JxlFile(512, 256, {noiseAndGrey}, {false});
    // A profile of primaries far from sRGB's, and the orientation 6 (stored turned a quarter left).
    const std::string wide = testing::RgbProfile({{0.70, 0.29, 1}, {0.17, 0.79, 1}, {0.13, 0.05, 1}}, 2.2);
    const std::string exif6("II*\0\x08\0\0\0\x01\0\x12\x01\x03\0\x01\0\0\0\x06\0\0\0\0\0", 24);
    std::uint32_t wideBlue = 0xFF0000FFu, wideRed = 0xFFFF0000u;
    ColourConversion::Between(wide, ColourModel::Rgb, "")->Convert(&wideBlue, 1);
    ColourConversion::Between(wide, ColourModel::Rgb, "")->Convert(&wideRed, 1);
    // A colour within sRGB's gamut when its numbers are BT.2020's: their primaries would be clipped.
    Rgba steel;
    for (int i = 0; i < 16 * 8; ++i) steel.insert(steel.end(), {60, 120, 180, 255});
    std::uint32_t bt2020Steel = 0xFF3C78B4u;
    ColourConversion::Between(testing::RgbProfile({{0.708, 0.292, 1}, {0.170, 0.797, 1}, {0.131, 0.046, 1}}, 2.2),
                              ColourModel::Rgb, "")
        ->Convert(&bt2020Steel, 1);
    // Red on the left half, blue (of the alpha given) on the right: the chroma of neither
    // 4:2:0 nor the grid's cells straddles the two.
    const auto halves = [](int width, int height, std::uint8_t alpha) {
        Rgba rgba;
        for (int i = 0; i < width * height; ++i) {
            const Rgba pixel = i % width < width / 2 ? Rgba{255, 0, 0, 255} : Rgba{0, 0, 255, alpha};
            rgba.insert(rgba.end(), pixel.begin(), pixel.end());
        }
        return rgba;
    };
    const Rgba sides = halves(16, 8, 255);
    using Coding = testing::AvifCoding;
    // Blue in the top right corner of three by two, the rest red.
    Rgba corner = two;
    corner.insert(corner.begin(), two.begin(), two.begin() + 4);
    corner.insert(corner.end(), brick.begin(), brick.begin() + 12);
    Rgba slate;
    for (int i = 0; i < 8 * 8; ++i) slate.insert(slate.end(), {40, 80, 160, 255});
    const std::string p3 = testing::RgbProfile({{0.680, 0.320, 1}, {0.265, 0.690, 1}, {0.150, 0.060, 1}}, 2.2);
    std::uint32_t wideSlate = 0xFF2850A0u, p3Slate = 0xFF2850A0u;
    ColourConversion::Between(wide, ColourModel::Rgb, "")->Convert(&wideSlate, 1);
    ColourConversion::Between(p3, ColourModel::Rgb, "")->Convert(&p3Slate, 1);
    struct Case {
        const char* name;
        std::string bytes;
        Size stored, shown;
        std::uint32_t last;  // the last pixel shown, within `tolerance` in each channel
        int tolerance = 0;
        bool damaged = false, readLater = false;  // read as a file too large for its header's read
    } cases[] = {
        {"lossy webp", testing::WebpFile(16, 8, brick, false), {16, 8}, {16, 8}, 0xFFC82828u, 8},
        {"lossless webp with alpha", testing::WebpFile(2, 1, two, true), {2, 1}, {2, 1}, 0xFF0000FFu},
        {"the same read after its header", testing::WebpFile(2, 1, two, true), {2, 1}, {2, 1}, 0xFF0000FFu, 0, false,
         true},
        {"webp with a profile and exif: upright the blue is below",
         testing::WithWebpChunks(testing::WebpFile(2, 1, two, true), {{"ICCP", wide}, {"EXIF", exif6}}), {2, 1},
         {1, 2}, wideBlue},
        {"lossy webp cut short: its first rows, the rest transparent", noisy.substr(0, noisy.size() * 6 / 10),
         {64, 64}, {64, 64}, 0, 0, true},
        {"animated webp: its first frame", testing::AnimatedWebpFile(2, 1, {two, brick}), {2, 1}, {2, 1}, 0xFF0000FFu},
        {"lossless jxl with alpha", testing::JxlFile(2, 1, {two}), {2, 1}, {2, 1}, 0xFF0000FFu},
        {"lossy jxl", testing::JxlFile(16, 8, {brick}, {false}), {16, 8}, {16, 8}, 0xFFC82828u, 8},
        // The codestream's orientation is libjxl's to apply, an Exif box's the same again: one turn.
        {"jxl with a profile, oriented 6, exif too: upright its top right corner is below right",
         testing::JxlFile(3, 2, {corner}, {true, wide, false, 6, {{"Exif", std::string(4, '\0') + exif6}}}), {3, 2},
         {2, 3}, wideBlue, 1},
        {"lossy jxl with a profile", testing::JxlFile(8, 8, {slate}, {false, wide}), {8, 8}, {8, 8}, wideSlate, 6},
        // Within the steps between a gamma of 2.2 and the sRGB curve; as P3 numbers red would be 19 off.
        {"lossy jxl in Display P3, named", testing::JxlFile(8, 8, {slate}, {false, "", true}), {8, 8}, {8, 8}, p3Slate,
         12},
        {"animated jxl: its first frame", testing::JxlFile(2, 1, {two, Rgba(brick.begin(), brick.begin() + 8)}), {2, 1},
         {2, 1}, 0xFF0000FFu},
        {"jxl cut short after its coarse pass: all of it, as that pass has it",
         jxlLarge.substr(0, jxlLarge.size() / 2), {512, 256}, {512, 256}, 0xFFA0A0A0u, 8, true},
        {"tga", testing::TgaFile(2, 1, two), {2, 1}, {2, 1}, 0xFF0000FFu},
        {"psd", testing::PsdFile(2, 1, two), {2, 1}, {2, 1}, 0xFF0000FFu},
        {"qoi", testing::QoiFile(2, 1, two), {2, 1}, {2, 1}, 0xFF0000FFu},
        {"avif 8-bit 4:2:0", testing::AvifFile(16, 8, sides), {16, 8}, {16, 8}, 0xFF0000FFu, 6},
        {"avif 10-bit 4:4:4 with alpha", testing::AvifFile(16, 8, halves(16, 8, 128), {10, AVIF_PIXEL_FORMAT_YUV444}),
         {16, 8}, {16, 8}, 0x800000FFu, 6},
        {"avif 12-bit with a profile, turned a quarter left: red is below",
         testing::AvifFile(16, 8, sides, {12, AVIF_PIXEL_FORMAT_YUV420, 1, -1, wide}), {16, 8}, {8, 16}, wideRed, 6},
        {"avif naming the BT.2020 primaries",
         testing::AvifFile(16, 8, steel,
                           {.chroma = AVIF_PIXEL_FORMAT_YUV444, .primaries = AVIF_COLOR_PRIMARIES_BT2020}),
         {16, 8}, {16, 8}, bt2020Steel, 6},
        {"avif grid of two cells, the second read after its header",
         testing::AvifFile(64, 64, halves(64, 64, 255), {.cells = 2}), {128, 64}, {128, 64}, 0xFF0000FFu, 6, false,
         true},
    };
    for (const Case& c : cases) {
        const ByteReader read = [&](std::uint64_t at, std::size_t length) {
            return at < c.bytes.size() ? c.bytes.substr(static_cast<std::size_t>(at), length) : std::string();
        };
        std::optional<HeaderFacts> facts = ReadHeaderFacts(read, c.bytes.size(), PictureLimit);
        ASSERT_TRUE(facts) << c.name;
        EXPECT_EQ(facts->size, c.stored) << c.name;
        EXPECT_FALSE(ReadHeaderFacts(read, c.bytes.size(), {c.stored.width * c.stored.height - 1})) << c.name;
        if (c.readLater) facts->whole.clear();
        const std::optional<DecodedPixels> own =
            DecodeInTurn(*facts, PictureLimit, {nullptr, [&] { return std::optional(c.bytes); }, nullptr}, {});
        ASSERT_TRUE(own) << c.name;
        EXPECT_EQ((Size{own->pixels.width, own->pixels.height}), c.shown) << c.name;
        EXPECT_EQ(own->damaged, c.damaged) << c.name;
        EXPECT_NE(own->pixels.pixels.front() >> 24, 0u) << c.name;
        for (int shift : {0, 8, 16, 24}) {
            const int off = static_cast<int>((own->pixels.pixels.back() >> shift & 0xFF) - (c.last >> shift & 0xFF));
            EXPECT_LE(std::abs(off), c.tolerance) << c.name << std::hex << ": " << own->pixels.pixels.back();
        }
    }
}

// Each of an AVIF's turns (quarter turns anticlockwise) with each of its mirrors (top and bottom
// exchanged, left and right), applied in that order, against the same done by hand.
// A JPEG XL in sRGB, lossy or lossless, comes without a profile, so its open converts nothing;
// one of a profile of its own keeps it.
TEST(OwnFormatsTest, AJpegXlInSrgbComesWithoutAProfile) {
    const Rgba red{255, 0, 0, 255, 255, 0, 0, 255};
    EXPECT_TRUE(JxlPixels(testing::JxlFile(2, 1, {red}, {false}), PictureLimit)->profile.empty());
    EXPECT_TRUE(JxlPixels(testing::JxlFile(2, 1, {red}), PictureLimit)->profile.empty());
    const std::string wide = testing::RgbProfile({{0.70, 0.29, 1}, {0.17, 0.79, 1}, {0.13, 0.05, 1}}, 2.2);
    EXPECT_FALSE(JxlPixels(testing::JxlFile(2, 1, {red}, {true, wide}), PictureLimit)->profile.empty());
}

TEST(OwnFormatsTest, AnAvifsTurnAndMirrorStandItAsItsWriterMeant) {
    struct Grid {
        int width, height;
        std::vector<int> grey;  // row after row
        int At(int x, int y) const { return grey[static_cast<std::size_t>(y * width + x)]; }
    };
    const Grid stored{3, 2, {20, 60, 100, 140, 180, 220}};
    Rgba rgba;
    for (const int g : stored.grey) rgba.insert(rgba.end(), {std::uint8_t(g), std::uint8_t(g), std::uint8_t(g), 255});
    for (int turns = 0; turns < 4; ++turns) {
        for (int mirror = -1; mirror <= 1; ++mirror) {
            Grid expected = stored;
            // A quarter turn anticlockwise: the right column rises to the top row.
            for (int t = 0; t < turns; ++t) {
                Grid turned{expected.height, expected.width, {}};
                for (int y = 0; y < turned.height; ++y)
                    for (int x = 0; x < turned.width; ++x)
                        turned.grey.push_back(expected.At(expected.width - 1 - y, x));
                expected = turned;
            }
            Grid mirrored{expected.width, expected.height, {}};
            for (int y = 0; y < expected.height; ++y)
                for (int x = 0; x < expected.width; ++x)
                    mirrored.grey.push_back(mirror == 0   ? expected.At(x, expected.height - 1 - y)
                                            : mirror == 1 ? expected.At(expected.width - 1 - x, y)
                                                          : expected.At(x, y));
            const std::string file = testing::AvifFile(3, 2, rgba, {8, AVIF_PIXEL_FORMAT_YUV444, turns, mirror});
            const ByteReader read = [&](std::uint64_t at, std::size_t length) {
                return at < file.size() ? file.substr(static_cast<std::size_t>(at), length) : std::string();
            };
            const std::optional<HeaderFacts> facts = ReadHeaderFacts(read, file.size(), PictureLimit);
            ASSERT_TRUE(facts);
            const std::optional<DecodedPixels> shown = DecodeInTurn(*facts, PictureLimit, {}, {});
            ASSERT_TRUE(shown);
            const std::string context = "turns " + std::to_string(turns) + ", mirror " + std::to_string(mirror);
            ASSERT_EQ(shown->pixels.width, mirrored.width) << context;
            for (std::size_t i = 0; i < mirrored.grey.size(); ++i)
                EXPECT_NEAR(static_cast<int>(shown->pixels.pixels[i] & 0xFF), mirrored.grey[i], 12)
                    << context << " at " << i;
        }
    }
}

}  // namespace
}  // namespace zylora::imaging
