// Pictures in the formats the viewer opens, written by GDI+'s own encoders and decoded
// through the platform; broken files decode to empty pictures.
#include "platform/win32/Win32Imaging.h"
#include "tests/win32/ViewerTestSupport.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace zylora::win32test {
namespace {

// Blocks of few colours: GIF keeps at most 256.
Argb Opaque(int x, int y) { return MakeArgb(255, (x / 8) * 20, (y / 8) * 40, 90); }
// Left half transparent, right half opaque.
Argb HalfClear(int x, int) { return x < 4 ? MakeArgb(0, 0, 0, 0) : MakeArgb(255, 20, 200, 40); }

class PictureDecodingTest : public PlatformTest {
protected:
    ScratchFolder folder;
};

TEST_F(PictureDecodingTest, EachFormatDecodesWithItsSize) {
    struct Case {
        const char* name;
        const char* mime;
        int width, height;
    };
    // Sizes differ, so one format can't pass for another.
    for (const Case& c : {Case{"a.png", "image/png", 120, 90}, Case{"b.jpg", "image/jpeg", 64, 48},
                          Case{"c.gif", "image/gif", 33, 21}, Case{"d.tif", "image/tiff", 40, 30}}) {
        const std::string path = folder.File(c.name);
        WritePicture(path, c.width, c.height, c.mime, Opaque);
        auto image = platform->DecodeImage(path);
        EXPECT_EQ(image->Width(), c.width) << c.name;
        EXPECT_EQ(image->Height(), c.height) << c.name;
        EXPECT_EQ(image->AlphaAt(c.width - 1, c.height - 1), 255) << c.name;
    }
}

// A photo stored turned, as a camera held upright-turned stores it, decodes upright: its
// orientation tag is read through the system and the pixels turned before anything sees them.
TEST_F(PictureDecodingTest, APictureStoredTurnedDecodesUprightByItsOrientationTag) {
    for (const char* name : {"oriented6.jpg", "oriented8.tif"}) {
        auto image = platform->DecodeImage(std::string(ZYLORA_TEST_PICTURES) + "/" + name);
        ASSERT_EQ(image->Width(), 20) << name;
        ASSERT_EQ(image->Height(), 30) << name;
        auto surface = platform->CreateSurface(20, 30);
        surface->DrawImage(*image, {0, 0, 20, 30});
        const Argb corner = win32::PixelsOf(*surface)[2 * 20 + 2];
        const Argb rest = win32::PixelsOf(*surface)[25 * 20 + 15];
        EXPECT_GT(corner & 0xFF, 180u) << name << ": blue in the top left";
        EXPECT_LT((corner >> 16) & 0xFF, 80u) << name;
        EXPECT_GT((rest >> 16) & 0xFF, 180u) << name << ": red elsewhere";
    }
}

// A picture with a colour profile shows in the display's colours (sRGB under Wine): its
// swatches, red and green side by side, within 3 levels of ImageMagick's conversion. The
// system reads the PNG's and the TIFF's profile; the JPEG's too on Windows, and under Wine
// the viewer's own header reader. A CMYK JPEG shows its colours, not their complements.
TEST_F(PictureDecodingTest, APictureWithAColourProfileDecodesInTheDisplaysColours) {
    const std::pair<const char*, const char*> cases[] = {{"adobe.png", "adobe-srgb.png"},
                                                         {"adobe.jpg", "adobe-srgb.png"},
                                                         {"adobe.tif", "adobe-srgb.png"},
                                                         {"grey.jpg", "grey-srgb.png"},
                                                         {"cmyk.jpg", "swatches.png"}};
    for (const auto& [name, reference] : cases) {
        auto image = platform->DecodeImage(std::string(ZYLORA_TEST_PICTURES) + "/" + name);
        auto expected = platform->DecodeImage(std::string(ZYLORA_TEST_PICTURES) + "/" + reference);
        ASSERT_TRUE(image->Width() == 16 && expected->Width() == 16) << name;
        for (int x : {4, 12}) {
            const Argb got = platform::win32::PixelsOf(*image)[4 * 16 + x];
            const Argb want = platform::win32::PixelsOf(*expected)[4 * 16 + x];
            for (int shift : {0, 8, 16, 24})
                EXPECT_NEAR(static_cast<int>((got >> shift) & 0xFF), static_cast<int>((want >> shift) & 0xFF), 3)
                    << name << " at x " << x << ": " << std::hex << got << " for " << want;
        }
    }
}

// Whichever codec path decodes it, a picture has the pixels GDI+ gives for it: exactly, but
// for a JPEG's, whose decoders may round their transforms and upsampling each their own way
// by a level or two.
TEST_F(PictureDecodingTest, EachFormatGivesThePixelsOfGdiplusOwnDecoding) {
    auto translucent = [](int x, int y) { return MakeArgb((x * 40 + y) & 255, x * 20, 255 - y * 30, 90); };
    for (const auto& [name, mime] : {std::pair{"a.png", "image/png"}, std::pair{"b.jpg", "image/jpeg"},
                                     std::pair{"c.bmp", "image/bmp"}, std::pair{"d.tif", "image/tiff"},
                                     std::pair{"e.gif", "image/gif"}}) {
        const std::string path = folder.File(name);
        WritePicture(path, 13, 7, mime, std::string(name) == "a.png" ? translucent : Opaque);
        const std::wstring wide(path.begin(), path.end());
        Gdiplus::Bitmap reference(wide.c_str(), FALSE);
        Gdiplus::Rect all(0, 0, 13, 7);
        Gdiplus::BitmapData data{};
        ASSERT_EQ(reference.LockBits(&all, Gdiplus::ImageLockModeRead, PixelFormat32bppARGB, &data), Gdiplus::Ok)
            << name;
        auto image = platform->DecodeImage(path);
        const std::uint32_t* pixels = platform::win32::PixelsOf(*image);
        ASSERT_TRUE(pixels && image->Width() == 13 && image->Height() == 7) << name;
        int most = 0;  // the largest difference of a channel
        for (int y = 0; y < 7; ++y)
            for (int x = 0; x < 13; ++x) {
                const std::uint32_t want =
                    reinterpret_cast<const std::uint32_t*>(static_cast<const BYTE*>(data.Scan0) + y * data.Stride)[x];
                for (int shift : {0, 8, 16, 24})
                    most = std::max(most, std::abs(static_cast<int>(pixels[y * 13 + x] >> shift & 0xFF) -
                                                   static_cast<int>(want >> shift & 0xFF)));
            }
        reference.UnlockBits(&data);
        EXPECT_LE(most, std::string(mime) == "image/jpeg" ? 2 : 0) << name;
    }
}

TEST_F(PictureDecodingTest, ImagesDecodedAheadAreTheImagesDecodedHere) {
    std::vector<std::string> paths;
    for (int i = 0; i < 7; ++i) {
        paths.push_back(folder.File("p" + std::to_string(i) + (i == 3 ? ".gif" : ".png")));
        WritePicture(paths.back(), 5 + i, 4, i == 3 ? "image/gif" : "image/png", HalfClear);
    }
    WriteBytes(folder.File("notes.png"), "text");
    paths.insert(paths.begin() + 2, folder.File("notes.png"));
    paths.insert(paths.begin() + 5, folder.File("missing.png"));
    platform->DecodeSkinImagesAhead(paths);  // dropped while it decodes: it ends by itself
    const auto together = platform->DecodeSkinImagesAhead(paths)->Take();
    ASSERT_EQ(together.size(), paths.size());
    for (std::size_t i = 0; i < paths.size(); ++i) {
        const auto alone = platform->DecodeSkinImage(paths[i]);
        ASSERT_EQ(together[i]->Width(), alone->Width()) << paths[i];
        ASSERT_EQ(together[i]->Height(), alone->Height()) << paths[i];
        if (alone->Width() == 0) continue;
        EXPECT_EQ(std::memcmp(platform::win32::PixelsOf(*together[i]), platform::win32::PixelsOf(*alone),
                              static_cast<std::size_t>(alone->Width()) * alone->Height() * 4),
                  0)
            << paths[i];
    }
}

// A JPEG cut short, which the system's decoder refuses, shows what it holds, as damaged;
// in the open's decode and in that of the full pixels behind a preview or read ahead.
TEST_F(PictureDecodingTest, AJpegCutShortShowsWhatItHolds) {
    const std::string path = folder.File("cut.jpg");
    WritePicture(path, 800, 600, "image/jpeg", Opaque);
    const std::string bytes = platform->Files().ReadFile(path).value_or("");
    WriteBytes(path, bytes.substr(0, bytes.size() * 9 / 10));
    auto image = platform->DecodeImage(path);
    ASSERT_EQ(image->Width(), 800);
    EXPECT_TRUE(image->Damaged());
    EXPECT_EQ(platform::win32::PixelsOf(*image)[0] >> 24, 255u) << "the first row was read";
    const std::optional<imaging::DecodedPixels> pixels =
        platform::win32::DecodePixels(path, imaging::PictureLimit, nullptr);
    EXPECT_TRUE(pixels && pixels->damaged);
}

TEST_F(PictureDecodingTest, TransparentAndOpaquePixelsKeepTheirAlpha) {
    const std::string path = folder.File("half.png");
    WritePicture(path, 8, 3, "image/png", HalfClear);
    auto image = platform->DecodeImage(path);
    ASSERT_EQ(image->Width(), 8);
    EXPECT_EQ(image->AlphaAt(1, 1), 0);
    EXPECT_EQ(image->AlphaAt(6, 2), 255);
}

TEST_F(PictureDecodingTest, TruncatedTextOrMissingFilesGiveEmptyPictures) {
    const std::string whole = folder.File("whole.png");
    WritePicture(whole, 120, 90, "image/png", Opaque);
    const auto bytes = platform->Files().ReadFile(whole);
    ASSERT_TRUE(bytes.has_value());
    ASSERT_GT(bytes->size(), 100u);
    WriteBytes(folder.File("truncated.png"), bytes->substr(0, 100));
    WriteBytes(folder.File("notes.png"), "Not a picture: just some text in a file named .png\r\n");

    for (const char* name : {"truncated.png", "notes.png", "missing.png"}) {
        auto image = platform->DecodeImage(folder.File(name));
        EXPECT_EQ(image->Width(), 0) << name;
        EXPECT_EQ(image->Height(), 0) << name;
        EXPECT_EQ(image->AlphaAt(0, 0), std::nullopt) << name;
    }
}

// Whatever a file named like a picture holds, decoding it ends and gives either the whole
// picture or the empty one; the viewer stays usable.
TEST_F(PictureDecodingTest, HostileFilesGiveTheEmptyPictureOrTheWholeOne) {
    std::vector<std::string> hostile;
    for (const auto& [name, mime] : {std::pair{"p.png", "image/png"}, std::pair{"j.jpg", "image/jpeg"},
                                     std::pair{"g.gif", "image/gif"}, std::pair{"t.tif", "image/tiff"}}) {
        const std::string whole = folder.File(name);
        WritePicture(whole, 60, 40, mime, Opaque);
        const std::string bytes = platform->Files().ReadFile(whole).value_or("");
        ASSERT_GT(bytes.size(), 40u) << name;
        for (std::size_t cut : {std::size_t{1}, std::size_t{8}, std::size_t{20}, bytes.size() / 3,
                                bytes.size() / 2, bytes.size() - 1}) {
            const std::string path = folder.File("cut" + std::to_string(cut) + "-" + name);
            WriteBytes(path, bytes.substr(0, cut));
            hostile.push_back(path);
        }
    }
    WriteBytes(folder.File("zero.png"), "");
    WriteBytes(folder.File("text.jpg"), "GIF89a is what this text says, but it is text\r\n");
    std::string noise(4096, '\0');
    unsigned seed = 7;
    for (char& c : noise) c = static_cast<char>((seed = seed * 1103515245u + 12345u) >> 16);
    WriteBytes(folder.File("noise.tif"), noise);
    // A PNG header declaring 60000 x 60000.
    WriteBytes(folder.File("bomb.png"), std::string("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\0\xea\x60\0\0\xea\x60\x08\x06\0\0\0", 29));
    ASSERT_TRUE(::CreateDirectoryA(folder.File("folder.png").c_str(), nullptr));
    for (const char* name : {"zero.png", "text.jpg", "noise.tif", "bomb.png", "folder.png", "missing.gif"})
        hostile.push_back(folder.File(name));
    for (const char* device : {"CON", "NUL", "COM1", "\\\\.\\NUL", "Z:\\dev\\zero", ""})
        hostile.push_back(device);
    hostile.push_back(folder.File(std::string(300, 'x') + ".png"));

    for (const std::string& path : hostile) {
        auto image = platform->DecodeImage(path);
        const bool empty = image->Width() == 0 && image->Height() == 0;
        const bool whole = image->Width() == 60 && image->Height() == 40;
        EXPECT_TRUE(empty || whole) << path << " gave " << image->Width() << "x" << image->Height();
        if (path.find("cut1-") != std::string::npos || path.find("cut8-") != std::string::npos)
            EXPECT_TRUE(empty) << path;
    }
}

}  // namespace
}  // namespace zylora::win32test
