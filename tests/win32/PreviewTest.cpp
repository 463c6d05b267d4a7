// A large photo opened on the real platform: its reduced decode, at half the sharpness it is
// shown with, shows first while the full decode runs on another thread, and what needs the
// pixels gets the full ones.
#include "tests/win32/ViewerTestSupport.h"

#include "platform/win32/Win32Imaging.h"

namespace zylora::win32test {
namespace {

// Blocks of four pixels: sharp edges, which only the full decode keeps.
Argb Blocks(int x, int y) { return ((x / 4 + y / 4) & 1) ? MakeArgb(255, 240, 240, 240) : MakeArgb(255, 20, 40, 60); }

class PreviewTest : public ViewerTest {
protected:
    void SetUp() override {
        ViewerTest::SetUp();
        photo = pictures.File("large.jpg");
        WritePicture(photo, 4000, 3000, "image/jpeg", Blocks);
        Start().Show();
        PumpPending();
    }
    // Opened as a drop or a step does, its look (made on another thread) waited for, without
    // the messages that end the full decode.
    void Open() {
        main->ZoomFactor = 1;
        main->OpenFile(photo);
        ASSERT_NE(main->PendingLook, nullptr) << "the look is made on another thread";
        main->TakeLook();
        ASSERT_NE(main->Preview, nullptr) << "no preview for a photo four times the window's size";
        ASSERT_EQ(main->Picture, nullptr);
        EXPECT_GE(main->Preview->Width() * 2, main->Image2->Bounds().width) << "at least half as large as shown";
        EXPECT_LT(main->Preview->Width(), 4000);
    }
    std::string photo;
};

TEST_F(PreviewTest, TheFullPixelsReplaceThePreviewBeforeAZoomAndATurnTurnsThem) {
    Open();
    main->RunCommand("zoomin");
    main->RunCommand("zoomin");
    EXPECT_EQ(main->ZoomFactor, 4);
    ASSERT_NE(main->Picture, nullptr);
    EXPECT_EQ(main->Preview, nullptr);
    EXPECT_TRUE(SamePixels(*main->Picture, *platform->DecodeImage(photo))) << "the full pixels, as decoded";
    PumpPending();  // the decode's own end changes nothing now
    EXPECT_EQ(main->Picture->Width(), 4000);

    Open();
    main->RunCommand("rotate90right");
    ASSERT_NE(main->Picture, nullptr);
    auto turned = platform->DecodeImage(photo);
    ASSERT_TRUE(turned->RotateFlip(RotateFlipType::Rotate90FlipNone));
    EXPECT_TRUE(SamePixels(*main->Picture, *turned)) << "the full picture turned";
}

// A held key's next picture is looked at ahead; its open takes that look (of the file as it
// was then) rather than making another, and its arrival still comes from the messages.
TEST_F(PreviewTest, AnOpenTakesTheLookMadeAheadOfIt) {
    const auto neededFor = [](Size) { return Size{500, 375}; };
    platform->LookAhead(photo, neededFor);
    PumpUntil([] { return false; }, 1000);  // time enough for the look to be made and end
    WritePicture(photo, 4000, 3000, "image/jpeg", [](int, int) { return MakeArgb(255, 220, 0, 0); });
    bool arrived = false;
    auto preview = platform->DecodePreview(photo, neededFor, nullptr, [&] { arrived = true; });
    ASSERT_TRUE(preview && preview->look && preview->full);
    EXPECT_FALSE(arrived) << "not within the open";
    EXPECT_TRUE(PumpUntil([&] { return arrived; }));
    const auto look = preview->look->Take(), full = preview->full->Take();
    ASSERT_TRUE(look && full);
    EXPECT_EQ(look->Width(), 500);
    const auto green = [](const Image& image) { return win32::PixelsOf(image)[image.Width() * 10 + 10] >> 8 & 0xFF; };
    EXPECT_GT(green(*look), 60u) << "the blocks looked at ahead";
    EXPECT_LT(green(*full), 20u) << "the red file as it stands";
}

// A picture read ahead comes whole, with no look, and also from the messages: the check that
// its file is unchanged is the service's, not the user's thread's to wait for.
TEST_F(PreviewTest, APictureReadAheadOpensWholeFromTheMessages) {
    platform->ReadAhead([p = photo] { return std::vector<std::string>{p}; }, [](Size own) { return own; });
    PumpUntil([] { return false; }, 3000);  // time enough to read it ahead
    bool arrived = false;
    auto preview = platform->DecodePreview(photo, [](Size) { return Size{500, 375}; }, nullptr, [&] { arrived = true; });
    ASSERT_TRUE(preview && preview->look && preview->full) << "a picture read ahead opens as a look does";
    EXPECT_FALSE(arrived) << "not within the open";
    EXPECT_TRUE(PumpUntil([&] { return arrived; }));
    EXPECT_EQ(preview->look->Take(), nullptr) << "no look of its own";
    const auto full = preview->full->Take();
    ASSERT_TRUE(full);
    EXPECT_TRUE(SamePixels(*full, *platform->DecodeImage(photo)));
}

}  // namespace
}  // namespace zylora::win32test
