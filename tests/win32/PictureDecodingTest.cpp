// Pictures in the formats the viewer opens, written by GDI+'s own encoders and decoded
// through the platform; broken files decode to empty pictures.
#include "tests/win32/ViewerTestSupport.h"

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

}  // namespace
}  // namespace zylora::win32test
