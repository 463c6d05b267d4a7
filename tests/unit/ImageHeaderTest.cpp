// Reading the declared size of an image file from its header.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "imaging/ImageHeader.h"

namespace zylora::imaging {
namespace {

ByteReader ReaderOf(const std::string& bytes) {
    return [bytes](std::uint64_t offset, std::size_t length) {
        if (offset >= bytes.size()) return std::string();
        return bytes.substr(static_cast<std::size_t>(offset), length);
    };
}

std::string Big32(std::uint32_t v) {
    return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
            static_cast<char>(v)};
}

std::string Little16(std::uint32_t v) { return {static_cast<char>(v), static_cast<char>(v >> 8)}; }

std::string Little32(std::uint32_t v) { return Little16(v & 0xFFFF) + Little16(v >> 16); }

std::string Png(std::uint32_t w, std::uint32_t h) {
    return std::string("\x89PNG\r\n\x1a\n", 8) + Big32(13) + "IHDR" + Big32(w) + Big32(h) +
           std::string("\x08\x06\0\0\0", 5);
}

TEST(ImageHeaderTest, PngGifAndBmpDeclareTheirSizeUpFront) {
    EXPECT_EQ(DeclaredImageSize(ReaderOf(Png(6000, 4000))), (Size{6000, 4000}));
    EXPECT_EQ(DeclaredImageSize(ReaderOf(Png(100000, 100000))), (Size{100000, 100000}));
    EXPECT_EQ(DeclaredImageSize(ReaderOf("GIF89a" + Little16(320) + Little16(240) + "xxxx")),
              (Size{320, 240}));
    const std::string bmp = "BM" + Little32(0) + Little32(0) + Little32(54) + Little32(40) +
                            Little32(640) + Little32(static_cast<std::uint32_t>(-480)) + "pad";
    EXPECT_EQ(DeclaredImageSize(ReaderOf(bmp)), (Size{640, 480}));  // top-down rows
}

TEST(ImageHeaderTest, JpegSizeComesFromItsFirstFrameAfterOtherSegments) {
    const std::string app0 = std::string("\xFF\xE0", 2) + std::string("\x00\x10", 2) + std::string(14, 'J');
    const std::string sof = std::string("\xFF\xC2\x00\x11\x08", 5) + std::string("\x0F\xA0", 2) +
                            std::string("\x17\x70", 2) + std::string(12, '\0');
    EXPECT_EQ(DeclaredImageSize(ReaderOf(std::string("\xFF\xD8", 2) + app0 + "\xFF" + sof)),
              (Size{6000, 4000}));
    // And the bits of its samples, which a decoder may not read: 8, or 12.
    EXPECT_EQ(DeclaredJpegPrecision(ReaderOf(std::string("\xFF\xD8", 2) + app0 + sof)), 8);
    EXPECT_EQ(DeclaredJpegPrecision(ReaderOf(std::string("\xFF\xD8", 2) + app0 + std::string(sof).replace(4, 1, "\x0C"))),
              12);
    // A segment length that points nowhere, or a scan before any frame, gives nothing.
    EXPECT_EQ(DeclaredImageSize(ReaderOf(std::string("\xFF\xD8\xFF\xE0\x00\x00", 6))), std::nullopt);
    EXPECT_EQ(DeclaredImageSize(ReaderOf(std::string("\xFF\xD8\xFF\xDA\x00\x08", 6))), std::nullopt);
}

TEST(ImageHeaderTest, TiffSizeComesFromItsFirstDirectoryWhereverItLies) {
    // Little-endian, directory after 100 bytes of pixel data: width SHORT, height LONG.
    std::string tiff = std::string("II*\0", 4) + Little32(108) + std::string(100, '\x55');
    tiff += Little16(2);
    tiff += Little16(256) + Little16(3) + Little32(1) + Little16(400) + Little16(0);
    tiff += Little16(257) + Little16(4) + Little32(1) + Little32(300);
    EXPECT_EQ(DeclaredImageSize(ReaderOf(tiff)), (Size{400, 300}));
    EXPECT_EQ(DeclaredImageSize(ReaderOf(tiff.substr(0, 120))), std::nullopt);  // cut short
}

TEST(ImageHeaderTest, OtherOrBrokenFilesDeclareNothing) {
    EXPECT_EQ(DeclaredImageSize(ReaderOf("")), std::nullopt);
    EXPECT_EQ(DeclaredImageSize(ReaderOf("just some text, not a picture")), std::nullopt);
    EXPECT_EQ(DeclaredImageSize(ReaderOf(Png(6000, 4000).substr(0, 20))), std::nullopt);
    EXPECT_EQ(DeclaredImageSize(ReaderOf(Png(0, 10))), std::nullopt);
    EXPECT_EQ(DeclaredImageSize(ReaderOf(Png(0x80000000u, 10))), std::nullopt);
    // A JPEG of nothing but fill bytes ends.
    EXPECT_EQ(DeclaredImageSize(ReaderOf(std::string("\xFF\xD8", 2) + std::string(100000, '\xFF'))),
              std::nullopt);
}

// A marker segment: the marker byte, the length and the content.
std::string Segment(char marker, const std::string& content) {
    const auto length = static_cast<std::uint32_t>(content.size() + 2);
    return std::string("\xFF", 1) + marker + static_cast<char>(length >> 8) + static_cast<char>(length) + content;
}

const std::string Soi("\xFF\xD8", 2);
// Eight bits, height 30, width 20, one component.
const std::string Frame20x30 = Segment('\xC0', std::string("\x08\0\x1E\0\x14\x01\x01\x11\0", 9));

// A JPEG of 20 x 30 with the given segments (each a marker byte and its content) before
// its frame.
std::string JpegWith(const std::vector<std::pair<char, std::string>>& segments) {
    std::string bytes = Soi + Segment('\xE0', "xx");
    for (const auto& [marker, content] : segments) bytes += Segment(marker, content);
    return bytes + Frame20x30;
}

// A little-endian TIFF structure whose one directory entry is tag 274, `count` SHORTs of
// `orientation`, the directory `at` bytes from its start.
std::string LittleTiff(std::uint32_t orientation, std::uint32_t count = 1, std::uint32_t at = 8) {
    return std::string("II*\0", 4) + Little32(at) + std::string(at - 8, '\0') + Little16(1) + Little16(274) +
           Little16(3) + Little32(count) + Little16(orientation) + Little16(0) + Little32(0);
}

TEST(ImageHeaderTest, TheOrientationTagOfAJpegsExifOrATiffIsRead) {
    // One directory entry, tag 274, a SHORT: in either byte order.
    const std::string littleTiff = LittleTiff(6);
    const std::string bigTiff = std::string("MM\0*", 4) + Big32(8) + std::string("\0\x01\x01\x12\0\x03", 6) +
                                Big32(1) + std::string("\0\x08\0\0", 4) + Big32(0);
    auto jpeg = [](const std::string& exif) { return JpegWith({{'\xE1', std::string("Exif\0\0", 6) + exif}}); };
    // A PNG's eXIf chunk after its header (the chunks' checksums aren't looked at).
    const std::string png = Png(10, 10) + Big32(0) + Big32(static_cast<std::uint32_t>(bigTiff.size())) + "eXIf" +
                            bigTiff + Big32(0);
    const std::pair<std::string, int> cases[] = {
        {littleTiff, 6}, {bigTiff, 8}, {jpeg(littleTiff), 6}, {jpeg(bigTiff), 8},
        {jpeg(littleTiff.substr(0, 12)), 0},  // cut inside its directory
        {jpeg(LittleTiff(6, 3)), 0},           // three values lie at an offset, not followed
        {png, 8}, {Png(10, 10), 0}, {"", 0}};
    for (const auto& [bytes, orientation] : cases) EXPECT_EQ(DeclaredOrientation(ReaderOf(bytes)), orientation);
}

TEST(ImageHeaderTest, AJpegsColourProfileIsItsIccPiecesJoinedInOrder) {
    auto piece = [](int number, int count, const std::string& bytes) {
        return std::pair{'\xE2', std::string("ICC_PROFILE\0", 12) + static_cast<char>(number) +
                                      static_cast<char>(count) + bytes};
    };
    const std::pair<char, std::string> exif{'\xE1', "Exif"};
    const std::pair<std::string, std::string> cases[] = {
        {JpegWith({exif, piece(1, 1, "whole")}), "whole"},
        {JpegWith({piece(2, 3, "BB"), piece(1, 3, "AA"), exif, piece(3, 3, "CC")}), "AABBCC"},
        {JpegWith({piece(1, 2, "AA")}), ""},                    // a piece missing
        {JpegWith({piece(1, 2, "AA"), piece(1, 2, "AA")}), ""},  // a piece twice
        {JpegWith({piece(1, 2, "AA"), piece(2, 3, "BB")}), ""},  // counts that disagree
        {JpegWith({piece(0, 1, "AA")}), ""},
        {JpegWith({{'\xE2', "FPXR\0xx"}, exif}), ""},
        {Png(10, 10), ""}};
    for (const auto& [bytes, profile] : cases) EXPECT_EQ(DeclaredColourProfile(ReaderOf(bytes)), profile);
}

// Where the Exif and ICC segments may stand, and what the walk must not trust.
TEST(ImageHeaderTest, JpegMarkerLayoutsAreWalkedAsTheStandardAllows) {
    const std::string exif6 = Segment('\xE1', std::string("Exif\0\0", 6) + LittleTiff(6));
    const std::string icc = Segment('\xE2', std::string("ICC_PROFILE\0\x01\x01", 14) + "whole");
    const std::string app0 = Segment('\xE0', "JFIF"), fill(7, '\xFF');
    const std::string scan = Segment('\xDA', std::string("\x01\x01\0\0\x3F\0", 6)) + "entropy-coded data";
    // An Exif whose directory offset points past its end, into the comment after it, which
    // holds a directory saying 6.
    const std::string outside = Segment('\xE1', std::string("Exif\0\0II*\0\x0C\0\0\0", 14)) +
                                Segment('\xFE', LittleTiff(6).substr(8));
    struct Layout {
        const char* name;
        std::string bytes;
        std::optional<Size> size;
        int orientation;
        std::string profile;
    };
    const std::optional<Size> size = Size{20, 30};
    const Layout layouts[] = {
        {"fill bytes before the Exif", Soi + app0 + fill + exif6 + Frame20x30 + scan, size, 6, ""},
        {"a long run of fill bytes", Soi + std::string(50000, '\xFF') + exif6 + Frame20x30, size, 6, ""},
        {"a 10 KB comment first", Soi + Segment('\xFE', std::string(10240, 'c')) + app0 + exif6 + Frame20x30, size, 6, ""},
        {"the ICC after padding", Soi + app0 + fill + icc + exif6 + fill + Frame20x30, size, 6, "whole"},
        {"markers without a length", Soi + std::string("\xFF\x01\xFF\xD3", 4) + exif6 + Frame20x30, size, 6, ""},
        {"Exif and ICC after the frame", Soi + Frame20x30 + icc + exif6 + scan, size, 6, "whole"},
        {"no end marker", Soi + exif6 + icc + Frame20x30 + scan + "\xFF\xD0more", size, 6, "whole"},
        {"after the scan is not looked at", Soi + Frame20x30 + scan + exif6 + icc, size, 0, ""},
        {"a directory outside its segment", Soi + outside + Frame20x30, size, 0, ""},
        {"an Exif longer than the file", Soi + (exif6 + Frame20x30).replace(2, 2, "\xFF\xF0"), std::nullopt, 0, ""},
        {"an ICC piece longer than the file", Soi + icc.substr(0, 2) + std::string("\x10\0", 2) + icc.substr(4), std::nullopt, 0, ""},
        {"a byte where a marker must stand", Soi + app0 + "x" + exif6 + Frame20x30, std::nullopt, 0, ""},
    };
    for (const Layout& layout : layouts) {
        const ByteReader read = ReaderOf(layout.bytes);
        EXPECT_EQ(DeclaredImageSize(read), layout.size) << layout.name;
        EXPECT_EQ(DeclaredOrientation(read), layout.orientation) << layout.name;
        EXPECT_EQ(DeclaredColourProfile(read), layout.profile) << layout.name;
    }
}

}  // namespace
}  // namespace zylora::imaging
