// Decoding with GDI+ (files written by the test) and the basics of surfaces, checked
// through the pixels' alpha.
#include "tests/win32/Win32TestSupport.h"

#include <objidl.h>
#include <gdiplus.h>

#include "platform/win32/Win32Imaging.h"
#include "platform/win32/Win32Text.h"

namespace zylora::win32test {
namespace {

// A 3 x 2 PNG whose pixel (x, y) has alpha 40 * (x + 3 * y) + 10.
void WriteTestPng(const std::string& path) {
    Gdiplus::Bitmap bitmap(3, 2, PixelFormat32bppARGB);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            bitmap.SetPixel(x, y, Gdiplus::Color(static_cast<BYTE>(40 * (x + 3 * y) + 10), 200, 100, 50));
    UINT count = 0, bytes = 0;
    Gdiplus::GetImageEncodersSize(&count, &bytes);
    std::vector<unsigned char> buffer(bytes);
    auto* encoders = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
    Gdiplus::GetImageEncoders(count, bytes, encoders);
    for (UINT i = 0; i < count; ++i) {
        if (wcscmp(encoders[i].MimeType, L"image/png") != 0) continue;
        const std::wstring wide = platform::win32::WideFromUtf8(path);
        ASSERT_EQ(bitmap.Save(wide.c_str(), &encoders[i].Clsid, nullptr), Gdiplus::Ok);
        return;
    }
    FAIL() << "no PNG encoder";
}

class ImagingTest : public PlatformTest {
protected:
    ScratchFolder folder;
};

TEST_F(ImagingTest, DecodedPngHasItsSizeAndAlpha) {
    const std::string path = folder.File("alpha.png");
    WriteTestPng(path);
    auto image = platform->DecodeImage(path);
    EXPECT_EQ(image->Width(), 3);
    EXPECT_EQ(image->Height(), 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) EXPECT_EQ(image->AlphaAt(x, y), 40 * (x + 3 * y) + 10) << x << "," << y;
    for (auto [x, y] : {std::pair{-1, 0}, {3, 0}, {0, 2}, {0, -1}}) EXPECT_EQ(image->AlphaAt(x, y), std::nullopt);

    // Drawn stretched, the picture covers exactly its rectangle.
    auto surface = platform->CreateSurface(10, 10);
    surface->DrawImage(*image, {3, 2, 6, 4});
    EXPECT_GT(surface->AlphaAt(5, 4).value_or(0), 0);
    EXPECT_EQ(surface->AlphaAt(1, 1), 0);
    EXPECT_EQ(surface->AlphaAt(5, 7), 0);
}

TEST_F(ImagingTest, MissingOrBrokenFilesGiveEmptyImagesThatDrawNothing) {
    WriteBytes(folder.File("garbage.png"), "\x89PNG\r\n\x1a\n this is no picture");
    WriteBytes(folder.File("empty.bmp"), "");
    ::CreateDirectoryA(folder.File("folder.png").c_str(), nullptr);
    for (const std::string& path : {folder.File("missing.png"), folder.File("garbage.png"),
                                    folder.File("empty.bmp"), folder.File("folder.png"), std::string()}) {
        auto image = platform->DecodeImage(path);
        EXPECT_EQ(image->Width(), 0) << path;
        EXPECT_EQ(image->Height(), 0) << path;
        EXPECT_EQ(image->AlphaAt(0, 0), std::nullopt) << path;
        auto surface = platform->CreateSurface(4, 4);
        surface->DrawImage(*image, {0, 0, 4, 4});
        EXPECT_EQ(surface->AlphaAt(2, 2), 0) << path;
    }
}

TEST_F(ImagingTest, SurfacesStartTransparentClearToAColourAndDrawAsImages) {
    auto surface = platform->CreateSurface(5, 4);
    EXPECT_EQ(surface->Width(), 5);
    EXPECT_EQ(surface->Height(), 4);
    EXPECT_EQ(surface->AlphaAt(4, 3), 0);
    EXPECT_EQ(surface->AlphaAt(5, 0), std::nullopt);
    surface->Clear(MakeArgb(77, 1, 2, 3));
    Gdiplus::Color color;
    platform::win32::BitmapOf(*surface)->GetPixel(4, 3, &color);
    EXPECT_EQ(color.GetValue(), MakeArgb(77, 1, 2, 3));

    auto copy = platform->CreateSurface(5, 4);
    copy->DrawImage(*surface, {0, 0, 5, 4});
    EXPECT_GT(copy->AlphaAt(2, 2).value_or(0), 0);
    surface->DrawImage(*surface, {0, 0, 2, 2});  // onto itself: refused, not broken
    EXPECT_EQ(surface->AlphaAt(1, 1), 77);
}

// Where each pixel goes is the portable turn's; here, that an image's bitmap follows it.
TEST_F(ImagingTest, ATurnedImageHasTheTurnedSizeAndDrawsItsTurnedPixels) {
    const std::string path = folder.File("alpha.png");
    WriteTestPng(path);  // alphas 10 50 90 / 130 170 210
    auto decoded = platform->DecodeImage(path);
    EXPECT_TRUE(decoded->RotateFlip(RotateFlipType::Rotate90FlipNone));
    EXPECT_EQ(decoded->Width(), 2);
    EXPECT_EQ(decoded->Height(), 3);
    EXPECT_EQ(decoded->AlphaAt(0, 0), 130);
    auto surface = platform->CreateSurface(3, 3);
    surface->DrawImage(*decoded, {0, 0, 2, 3});
    EXPECT_EQ(surface->AlphaAt(1, 2), 90);
    auto empty = platform->DecodeImage(folder.File("missing.png"));
    EXPECT_FALSE(empty->RotateFlip(RotateFlipType::Rotate90FlipNone));
    EXPECT_EQ(empty->Width(), 0);
}

TEST_F(ImagingTest, AbsurdSurfaceSizesGiveEmptySurfaces) {
    auto image = platform->CreateSurface(2, 2);
    const std::pair<Size, Size> cases[] = {{{0, 5}, {0, 5}}, {{-3, -3}, {0, 0}},
                                           {{100000, 100000}, {100000, 100000}},
                                           {{40000, 1}, {40000, 1}}, {{16385, 16385}, {16385, 16385}}};
    for (const auto& [asked, expected] : cases) {
        auto surface = platform->CreateSurface(asked.width, asked.height);
        EXPECT_EQ(surface->Width(), expected.width);
        EXPECT_EQ(surface->Height(), expected.height);
        EXPECT_EQ(surface->AlphaAt(0, 0), std::nullopt);
        surface->Clear(MakeArgb(255, 1, 2, 3));
        surface->DrawImage(*image, {0, 0, 10, 10});
        image->DrawImage(*surface, {0, 0, 2, 2});
        EXPECT_EQ(image->AlphaAt(1, 1), 0);
    }
}

}  // namespace
}  // namespace zylora::win32test

namespace zylora::win32test {
namespace {

std::uint32_t Crc32(const std::string& bytes) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char c : bytes) {
        crc ^= c;
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

std::string Big32(std::uint32_t v) {
    return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
            static_cast<char>(v)};
}

std::string Chunk(const std::string& type, const std::string& data) {
    return Big32(static_cast<std::uint32_t>(data.size())) + type + data + Big32(Crc32(type + data));
}

TEST_F(ImagingTest, APictureDeclaringTooManyPixelsIsNotDecoded) {
    // A well-formed header of 100000 x 100000 pixels over a few bytes of deflated zeros.
    const std::string ihdr = Big32(100000) + Big32(100000) + std::string("\x08\x06\0\0\0", 5);
    const std::string idat("\x78\x9c\x63\x60\x18\x05\x00\x00\x00\xff\xff", 11);
    WriteBytes(folder.File("bomb.png"), std::string("\x89PNG\r\n\x1a\n", 8) + Chunk("IHDR", ihdr) +
                                            Chunk("IDAT", idat) + Chunk("IEND", ""));
    auto image = platform->DecodeImage(folder.File("bomb.png"));
    EXPECT_EQ(image->Width(), 0);
    EXPECT_EQ(image->Height(), 0);
}

}  // namespace
}  // namespace zylora::win32test
