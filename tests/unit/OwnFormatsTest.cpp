// The formats the program decodes itself, through the whole way from the file's bytes: the
// header's size (and so the limit), the decoder, the profile's colours and the orientation.
// libwebp and stb_image test their own decoding; these check what the program makes of it.
#include <gtest/gtest.h>

#include <cstdlib>

#include "imaging/ColourManagement.h"
#include "imaging/Decoding.h"
#include "tests/unit/PictureFiles.h"
#include "tests/unit/Profiles.h"

namespace zylora::testing {
namespace {

using imaging::DecodeLimit;
using imaging::Size;

// Half-transparent red, then opaque blue.
const Rgba TwoPixels = {255, 0, 0, 128, 0, 0, 255, 255};

// A little-endian TIFF structure whose one entry is the orientation tag.
std::string ExifOrientation(char orientation) {
    return std::string("II*\0\x08\0\0\0\x01\0\x12\x01\x03\0\x01\0\0\0", 18) + orientation + std::string(5, '\0');
}

std::uint32_t Channel(std::uint32_t argb, int shift) { return argb >> shift & 0xFF; }

TEST(OwnFormatsTest, EachFileComesOutAtItsSizeInItsColoursUprightAndWithinTheLimit) {
    // A profile of primaries far from sRGB's, which changes every colour converted by it.
    const std::string wide = RgbProfile({{0.70, 0.29, 1}, {0.17, 0.79, 1}, {0.13, 0.05, 1}}, 2.2);
    std::uint32_t blueInWide = 0xFF0000FFu;
    imaging::ColourConversion::Between(wide, imaging::ColourModel::Rgb, "")->Convert(&blueInWide, 1);
    const Rgba green = {0, 200, 0, 255, 0, 200, 0, 255};
    Rgba brick, noise(64 * 64 * 4, 255);
    for (int i = 0; i < 16 * 8; ++i) brick.insert(brick.end(), {200, 40, 40, 255});
    for (std::size_t i = 0; i < noise.size(); ++i)
        if (i % 4 != 3) noise[i] = static_cast<std::uint8_t>(i * 2654435761u >> 13);
    const std::string noisy = WebpFile(64, 64, noise, false);
    struct Case {
        const char* name;
        std::string bytes;
        Size stored, shown;
        std::uint32_t last;  // the last pixel shown
        int tolerance;       // of each channel, for a lossy file
        bool readLater;      // as a file too large to be read with its header
        bool damaged = false;
    } cases[] = {
        {"lossy webp", WebpFile(16, 8, brick, false), {16, 8}, {16, 8}, 0xFFC82828u, 8, false},
        {"lossless webp with alpha", WebpFile(2, 1, TwoPixels, true), {2, 1}, {2, 1}, 0xFF0000FFu, 0, false},
        {"the same read after its header", WebpFile(2, 1, TwoPixels, true), {2, 1}, {2, 1}, 0xFF0000FFu, 0, true},
        // Stored turned (orientation 6): upright the first pixel, red, is at the top, the blue below.
        {"webp with a profile and exif",
         WithWebpChunks(WebpFile(2, 1, TwoPixels, true), {{"ICCP", wide}, {"EXIF", ExifOrientation(6)}}),
         {2, 1}, {1, 2}, blueInWide, 0, false},
        {"lossy webp cut short: its first rows, the rest transparent", noisy.substr(0, noisy.size() * 6 / 10),
         {64, 64}, {64, 64}, 0, 0, false, true},
        {"animated webp: its first frame", AnimatedWebpFile(2, 1, {TwoPixels, green}), {2, 1}, {2, 1}, 0xFF0000FFu, 0,
         false},
        {"tga", TgaFile(2, 1, TwoPixels), {2, 1}, {2, 1}, 0xFF0000FFu, 0, false},
        {"psd", PsdFile(2, 1, TwoPixels), {2, 1}, {2, 1}, 0xFF0000FFu, 0, false},
        {"qoi", QoiFile(2, 1, TwoPixels), {2, 1}, {2, 1}, 0xFF0000FFu, 0, false},
    };
    for (const Case& c : cases) {
        const imaging::ByteReader read = [&](std::uint64_t at, std::size_t length) {
            return at < c.bytes.size() ? c.bytes.substr(static_cast<std::size_t>(at), length) : std::string();
        };
        std::optional<imaging::HeaderFacts> facts =
            imaging::ReadHeaderFacts(read, c.bytes.size(), imaging::PictureLimit);
        ASSERT_TRUE(facts) << c.name;
        EXPECT_EQ(facts->size, c.stored) << c.name;
        EXPECT_FALSE(imaging::ReadHeaderFacts(read, c.bytes.size(), DecodeLimit{c.stored.width * c.stored.height - 1}))
            << c.name << ": beyond the limit";
        if (c.readLater) facts->whole.clear();
        const imaging::SystemDecoders system{nullptr, [&] { return std::optional(c.bytes); }, nullptr};
        const std::optional<imaging::DecodedPixels> own =
            imaging::DecodeInTurn(*facts, imaging::PictureLimit, system, {});
        ASSERT_TRUE(own) << c.name;
        EXPECT_EQ((Size{own->pixels.width, own->pixels.height}), c.shown) << c.name;
        const std::uint32_t last = own->pixels.pixels.back();
        for (int shift : {0, 8, 16, 24}) {
            const int off = static_cast<int>(Channel(last, shift)) - static_cast<int>(Channel(c.last, shift));
            EXPECT_LE(std::abs(off), c.tolerance) << c.name << std::hex << ": " << last;
        }
        EXPECT_EQ(own->damaged, c.damaged) << c.name;
        EXPECT_NE(own->pixels.pixels.front() >> 24, 0u) << c.name;
    }
}

}  // namespace
}  // namespace zylora::testing
