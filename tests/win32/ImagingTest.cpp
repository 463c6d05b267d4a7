// Decoding with GDI+ (files written by the test) and drawing on surfaces, checked through
// the pixels' alpha.
#include "tests/win32/Win32TestSupport.h"

#include <objidl.h>
#include <gdiplus.h>

#include <vector>

#include "platform/win32/Win32Imaging.h"
#include "platform/win32/Win32Text.h"

namespace zylora::win32test {
namespace {

bool EncoderFor(const wchar_t* mimeType, CLSID* clsid) {
    UINT count = 0;
    UINT bytes = 0;
    if (Gdiplus::GetImageEncodersSize(&count, &bytes) != Gdiplus::Ok || bytes == 0) return false;
    std::vector<unsigned char> buffer(bytes);
    auto* encoders = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
    if (Gdiplus::GetImageEncoders(count, bytes, encoders) != Gdiplus::Ok) return false;
    for (UINT i = 0; i < count; ++i) {
        if (wcscmp(encoders[i].MimeType, mimeType) == 0) {
            *clsid = encoders[i].Clsid;
            return true;
        }
    }
    return false;
}

// A 3 x 2 PNG whose pixel (x, y) has alpha 40 * (x + 3 * y) + 10.
void WriteTestPng(const std::string& path) {
    Gdiplus::Bitmap bitmap(3, 2, PixelFormat32bppARGB);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            bitmap.SetPixel(x, y, Gdiplus::Color(static_cast<BYTE>(40 * (x + 3 * y) + 10), 200, 100, 50));
    CLSID png;
    ASSERT_TRUE(EncoderFor(L"image/png", &png));
    ASSERT_EQ(bitmap.Save(platform::win32::WideFromAnsi(path).c_str(), &png, nullptr), Gdiplus::Ok);
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
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(image->AlphaAt(x, y), 40 * (x + 3 * y) + 10) << x << "," << y;
    EXPECT_EQ(image->AlphaAt(-1, 0), std::nullopt);
    EXPECT_EQ(image->AlphaAt(3, 0), std::nullopt);
    EXPECT_EQ(image->AlphaAt(0, 2), std::nullopt);
    EXPECT_NE(platform::win32::BitmapOf(*image), nullptr);
}

TEST_F(ImagingTest, MissingOrBrokenFilesGiveEmptyImages) {
    WriteBytes(folder.File("garbage.png"), "\x89PNG\r\n\x1a\n this is no picture");
    WriteBytes(folder.File("empty.bmp"), "");
    ::CreateDirectoryA(folder.File("folder.png").c_str(), nullptr);
    for (const std::string& path :
         {folder.File("missing.png"), folder.File("garbage.png"), folder.File("empty.bmp"),
          folder.File("folder.png"), std::string(), std::string("C:\\no\\such\\folder\\x.png")}) {
        auto image = platform->DecodeImage(path);
        EXPECT_EQ(image->Width(), 0) << path;
        EXPECT_EQ(image->Height(), 0) << path;
        EXPECT_EQ(image->AlphaAt(0, 0), std::nullopt) << path;
        EXPECT_EQ(platform::win32::BitmapOf(*image), nullptr) << path;
        // Drawing an empty image draws nothing.
        auto surface = platform->CreateSurface(4, 4);
        surface->DrawImage(*image, {0, 0, 4, 4});
        EXPECT_EQ(surface->AlphaAt(2, 2), 0) << path;
    }
}

TEST_F(ImagingTest, SurfacesStartTransparentAndClearToAColour) {
    auto surface = platform->CreateSurface(5, 4);
    EXPECT_EQ(surface->Width(), 5);
    EXPECT_EQ(surface->Height(), 4);
    EXPECT_EQ(surface->AlphaAt(0, 0), 0);
    EXPECT_EQ(surface->AlphaAt(4, 3), 0);
    EXPECT_EQ(surface->AlphaAt(5, 0), std::nullopt);
    surface->Clear(MakeArgb(77, 1, 2, 3));
    EXPECT_EQ(surface->AlphaAt(0, 0), 77);
    EXPECT_EQ(surface->AlphaAt(4, 3), 77);
    Gdiplus::Color color;
    platform::win32::BitmapOf(*surface)->GetPixel(2, 2, &color);
    EXPECT_EQ(color.GetValue(), MakeArgb(77, 1, 2, 3));
}

TEST_F(ImagingTest, DrawImageStretchesTheWholeImageIntoTheRectangle) {
    const std::string path = folder.File("source.png");
    {
        // 2 x 2, opaque: drawn into 4 x 4 it covers exactly that square.
        Gdiplus::Bitmap bitmap(2, 2, PixelFormat32bppARGB);
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 2; ++x) bitmap.SetPixel(x, y, Gdiplus::Color(255, 0, 0, 255));
        CLSID png;
        ASSERT_TRUE(EncoderFor(L"image/png", &png));
        ASSERT_EQ(bitmap.Save(platform::win32::WideFromAnsi(path).c_str(), &png, nullptr), Gdiplus::Ok);
    }
    auto image = platform->DecodeImage(path);
    auto surface = platform->CreateSurface(10, 10);
    surface->DrawImage(*image, {3, 2, 4, 4});
    EXPECT_EQ(surface->AlphaAt(4, 3), 255);
    EXPECT_EQ(surface->AlphaAt(5, 4), 255);
    EXPECT_EQ(surface->AlphaAt(1, 1), 0);
    EXPECT_EQ(surface->AlphaAt(8, 8), 0);
    EXPECT_EQ(surface->AlphaAt(4, 7), 0);

    // A surface is an image too, and drawing onto itself is refused rather than broken.
    auto copy = platform->CreateSurface(10, 10);
    copy->DrawImage(*surface, {0, 0, 10, 10});
    EXPECT_EQ(copy->AlphaAt(5, 4), 255);
    EXPECT_EQ(copy->AlphaAt(1, 1), 0);
    surface->DrawImage(*surface, {0, 0, 5, 5});
    EXPECT_EQ(surface->AlphaAt(5, 4), 255);
}

TEST_F(ImagingTest, AbsurdSurfaceSizesGiveEmptySurfaces) {
    const struct {
        int width, height, expectedWidth, expectedHeight;
    } cases[] = {{0, 5, 0, 5}, {-3, -3, 0, 0}, {100000, 100000, 100000, 100000},
                 {40000, 1, 40000, 1}, {16385, 16385, 16385, 16385}};
    auto image = platform->CreateSurface(2, 2);
    for (const auto& c : cases) {
        auto surface = platform->CreateSurface(c.width, c.height);
        EXPECT_EQ(surface->Width(), c.expectedWidth);
        EXPECT_EQ(surface->Height(), c.expectedHeight);
        EXPECT_EQ(surface->AlphaAt(0, 0), std::nullopt);
        EXPECT_EQ(platform::win32::BitmapOf(*surface), nullptr);
        surface->Clear(MakeArgb(255, 1, 2, 3));
        surface->DrawImage(*image, {0, 0, 10, 10});
        image->DrawImage(*surface, {0, 0, 2, 2});
        EXPECT_EQ(image->AlphaAt(1, 1), 0);
    }
}

}  // namespace
}  // namespace zylora::win32test
