// Small files decoded in memory: what comes out, and what is refused before decoding.
#include <gtest/gtest.h>
#include <stb_image_write.h>

#include <string>
#include <vector>

#include "imaging/StbPixels.h"

namespace zylora::testing {
namespace {

using imaging::DecodeLimit;

// The bytes stb_image_write makes of RGBA pixels (`channels` of them kept) as PNG or BMP.
std::string Written(bool png, int width, int height, int channels, const std::vector<unsigned char>& rgba) {
    std::string bytes;
    auto append = [](void* to, void* data, int size) {
        static_cast<std::string*>(to)->append(static_cast<const char*>(data), static_cast<std::size_t>(size));
    };
    std::vector<unsigned char> kept;
    for (std::size_t i = 0; i < rgba.size(); i += 4) kept.insert(kept.end(), rgba.begin() + i, rgba.begin() + i + channels);
    if (png)
        stbi_write_png_to_func(append, &bytes, width, height, channels, kept.data(), width * channels);
    else
        stbi_write_bmp_to_func(append, &bytes, width, height, channels, kept.data());
    return bytes;
}

// Two pixels: half-transparent red, opaque blue.
const std::vector<unsigned char> TwoPixels = {255, 0, 0, 128, 0, 0, 255, 255};

TEST(StbPixelsTest, PngAndBmpComeOutAsStraightArgbRows) {
    struct Case {
        const char* name;
        bool png;
        int channels;
        std::vector<std::uint32_t> expected;
        bool opaque;
    };
    for (const Case& c : {Case{"png with alpha", true, 4, {0x80FF0000u, 0xFF0000FFu}, false},
                          Case{"png without", true, 3, {0xFFFF0000u, 0xFF0000FFu}, true},
                          Case{"24-bit bmp", false, 3, {0xFFFF0000u, 0xFF0000FFu}, true}}) {
        const std::string bytes = Written(c.png, 2, 1, c.channels, TwoPixels);
        const std::optional<imaging::DecodedPixels> decoded = imaging::StbPixels(bytes, imaging::SkinImageLimit);
        ASSERT_TRUE(decoded) << c.name;
        EXPECT_EQ(decoded->pixels.width, 2) << c.name;
        EXPECT_EQ(decoded->pixels.height, 1) << c.name;
        EXPECT_EQ(std::vector<std::uint32_t>(decoded->pixels.pixels.begin(), decoded->pixels.pixels.end()), c.expected)
            << c.name;
        EXPECT_EQ(decoded->opaque, c.opaque) << c.name;
    }
}

TEST(StbPixelsTest, WhatIsNotAPictureOrTooLargeIsRefused) {
    const std::string png = Written(true, 2, 1, 4, TwoPixels);
    EXPECT_FALSE(imaging::StbPixels(png, DecodeLimit{1, 1})) << "beyond the limit";
    EXPECT_FALSE(imaging::StbPixels("not a picture at all", imaging::SkinImageLimit));
    EXPECT_FALSE(imaging::StbPixels(png.substr(0, png.size() / 2), imaging::SkinImageLimit)) << "cut short";
    EXPECT_FALSE(imaging::StbPixels("", imaging::SkinImageLimit));
}

// Plain: what every decoder reads alike, so that it may be decoded here.
TEST(StbPixelsTest, OnlyUncompressedBmpsWithoutAlphaAndPngsWithoutAProfileArePlain) {
    std::string bmp = Written(false, 2, 1, 3, TwoPixels);
    EXPECT_TRUE(imaging::IsPlainBmp(bmp));
    EXPECT_FALSE(imaging::IsPlainBmp(Written(false, 2, 1, 4, TwoPixels))) << "32 bits: an alpha channel or not";
    const std::string png = Written(true, 2, 1, 3, TwoPixels);
    EXPECT_TRUE(imaging::IsPlainPng(png));
    EXPECT_FALSE(imaging::IsPlainBmp(png));
    EXPECT_FALSE(imaging::IsPlainPng(bmp));
    bmp[30] = 1;  // RLE8
    EXPECT_FALSE(imaging::IsPlainBmp(bmp));
    // After the signature and the header chunk (8 + 25 bytes): a profile chunk of 4 bytes.
    EXPECT_FALSE(imaging::IsPlainPng(png.substr(0, 33) + std::string("\0\0\0\4iCCPabcd\0\0\0\0", 16) + png.substr(33)));
}

}  // namespace
}  // namespace zylora::testing
