// The reduced first look at a JPEG: the scale chosen for a size, the reduced pixels of a
// picture of four coloured quarters, and files it must refuse or read in part.
#include <gtest/gtest.h>

#include <string>

#include "imaging/JpegPreview.h"
#include "tests/unit/JpegFiles.h"

namespace zylora::imaging {
namespace {

struct DivisorCase {
    Size stored, needed;
    int divisor;
};

TEST(JpegPreviewTest, TheDivisorIsTheLargestStillCoveringTheNeededSize) {
    const DivisorCase cases[] = {
        {{6000, 4000}, {750, 500}, 8},   // an eighth exactly
        {{6000, 4000}, {751, 500}, 4},   // one pixel more: a quarter
        {{6001, 4000}, {751, 500}, 8},   // the decoder rounds up
        {{6000, 4000}, {1500, 1000}, 4},
        {{6000, 4000}, {1501, 1000}, 2},
        {{6000, 4000}, {3001, 10}, 1},   // only the full size will do
        {{6000, 4000}, {0, 0}, 8},
        {{0, 0}, {1, 1}, 1},
    };
    for (const DivisorCase& c : cases)
        EXPECT_EQ(PreviewDivisor(c.stored, c.needed), c.divisor)
            << c.stored.width << "x" << c.stored.height << " for " << c.needed.width << "x" << c.needed.height;
}

// A JPEG of the size, its quarters red, green, blue and white (top left, top right, bottom
// left, bottom right), or all ink in CMYK; progressive in libjpeg's ten scans, or baseline.
std::string Jpeg(int width, int height, bool cmyk = false, bool progressive = false) {
    const auto quarters = [&](int x, int y, unsigned char* p) {
        static constexpr unsigned char colours[4][3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};
        const unsigned char* colour = colours[(y < height / 2 ? 0 : 2) + (x < width / 2 ? 0 : 1)];
        for (int c = 0; c < (cmyk ? 4 : 3); ++c) p[c] = cmyk ? 255 : colour[c];
    };
    return testing::JpegFile(width, height, cmyk ? JCS_CMYK : JCS_RGB, quarters, progressive);
}

void ExpectNear(std::uint32_t argb, std::uint32_t expected, const char* where) {
    for (int shift : {24, 16, 8, 0})
        EXPECT_NEAR(static_cast<int>((argb >> shift) & 0xFF), static_cast<int>((expected >> shift) & 0xFF), 24)
            << where << std::hex << ": " << argb << " for " << expected;
}

TEST(JpegPreviewTest, AReducedDecodeKeepsEachQuarterInItsPlace) {
    const std::string file = Jpeg(256, 128);
    for (int divisor : {2, 4, 8}) {
        const std::optional<DecodedPixels> preview = DecodeJpegPreview(file, divisor);
        ASSERT_TRUE(preview) << divisor;
        const PixelBuffer& p = preview->pixels;
        ASSERT_EQ(p.width, 256 / divisor);
        ASSERT_EQ(p.height, 128 / divisor);
        EXPECT_TRUE(preview->opaque);
        auto at = [&](int x, int y) { return p.pixels[static_cast<std::size_t>(y) * p.width + x]; };
        const int w = p.width, h = p.height;
        ExpectNear(at(w / 4, h / 4), 0xFFFF0000, "top left");
        ExpectNear(at(3 * w / 4, h / 4), 0xFF00FF00, "top right");
        ExpectNear(at(w / 4, 3 * h / 4), 0xFF0000FF, "bottom left");
        ExpectNear(at(3 * w / 4, 3 * h / 4), 0xFFFFFFFF, "bottom right");
    }
}

TEST(JpegPreviewTest, WhatItCannotReadGivesNothingAndACutFileGivesWhatItHolds) {
    const std::string file = Jpeg(256, 128);
    EXPECT_FALSE(DecodeJpegPreview(file, 1)) << "no divisor";
    EXPECT_FALSE(DecodeJpegPreview(file, 3)) << "a divisor the decoder has no scale for";
    EXPECT_FALSE(DecodeJpegPreview("", 8));
    EXPECT_FALSE(DecodeJpegPreview("\x89PNG\r\n\x1a\n not a JPEG at all", 8));
    EXPECT_FALSE(DecodeJpegPreview(file.substr(0, 20), 8)) << "the header cut short";
    EXPECT_FALSE(DecodeJpegPreview(Jpeg(64, 64, true), 8)) << "inks, for a caller that can't convert them";

    // Cut halfway through the coded rows, which start after the scan's header.
    const std::size_t rows = file.find("\xFF\xDA");
    ASSERT_NE(rows, std::string::npos);
    const std::optional<DecodedPixels> cut = DecodeJpegPreview(file.substr(0, rows + (file.size() - rows) / 2), 8);
    ASSERT_TRUE(cut);
    EXPECT_EQ(cut->pixels.width, 32);
    EXPECT_EQ(cut->pixels.height, 16);
    ExpectNear(cut->pixels.pixels[0], 0xFFFF0000, "the part that was read");
}

// The offset of the scan header after `skip` others, or the file's end.
std::size_t ScanStart(const std::string& file, int skip) {
    std::size_t at = file.find("\xFF\xDA");
    for (int i = 0; i < skip && at != std::string::npos; ++i) at = file.find("\xFF\xDA", at + 2);
    return at == std::string::npos ? file.size() : at;
}

// What a damaged file holds is given whole-sized, and marked when part of the picture is
// missing; a file without its end marker is whole.
TEST(JpegPreviewTest, TheWholeDecodeGivesWhatADamagedFileHoldsAndTellsWhetherPartIsMissing) {
    const std::string baseline = Jpeg(256, 128), progressive = Jpeg(256, 128, false, true);
    const std::size_t scan = ScanStart(baseline, 0);
    ASSERT_LT(ScanStart(progressive, 9), progressive.size()) << "ten scans";
    const std::pair<std::string, bool> cases[] = {
        {baseline.substr(0, baseline.size() - 2), false},  // no end marker
        {baseline.substr(0, scan + (baseline.size() - scan) * 9 / 10), true},
        {progressive.substr(0, progressive.size() - 2), false},
        {progressive.substr(0, ScanStart(progressive, 6)), true},  // 6 of its 10 scans
    };
    for (const auto& [file, damaged] : cases) {
        const std::optional<DecodedPixels> whole = DecodeWholeJpeg(file, PictureLimit);
        ASSERT_TRUE(whole && whole->pixels.width == 256 && whole->pixels.height == 128) << file.size();
        EXPECT_EQ(whole->damaged, damaged) << file.size();
        ExpectNear(whole->pixels.pixels[32 * 256 + 64], 0xFFFF0000, "the part that was read");
        if (!damaged) ExpectNear(whole->pixels.pixels[96 * 256 + 192], 0xFFFFFFFF, "the last quarter");
    }
    EXPECT_FALSE(DecodeWholeJpeg(baseline, DecodeLimit{256 * 127})) << "beyond the limit";
}

}  // namespace
}  // namespace zylora::imaging
