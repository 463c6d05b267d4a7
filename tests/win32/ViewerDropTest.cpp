// Files dropped on the view panel of a real main window: the drop target's list, and the
// first file opened with the window sized to it.
#include "tests/win32/ViewerTestSupport.h"

#include "platform/Ini.h"
#include "platform/win32/Win32Text.h"
#include "shell/FileDrop.h"

namespace zylora::win32test {
namespace {

Argb Gradient(int x, int y) { return MakeArgb(255, x * 2, y * 2, 128); }

class ViewerDropTest : public ViewerTest {
protected:
    void SetUp() override {
        ViewerTest::SetUp();
        // A toolbar height of the button set's own, so the default can't pass for it.
        WriteButtonSetFile("values.ini", "[Main]\r\nNumOfButtons=0\r\nToolbarHeight=37\r\n");
        // A name longer than the 127 characters a short buffer would take.
        picture = pictures.File(std::string(140, 'p') + ".png");
        WritePicture(picture, 120, 90, "image/png", Gradient);
        Start().Show();
        PumpPending();
    }
    void DropOnView(const std::vector<std::string>& names, POINT at) {
        SendDrop(HandleOfAny(*main->Image2), names, at);
        PumpPending();
    }
    Rect MainRect() { return WindowRectOf(HandleOfAny(main->Form())); }

    std::string picture;
};

TEST_F(ViewerDropTest, DropListsTheFilesAndOpensTheFirstSizingTheWindowToIt) {
    ASSERT_GT(picture.size(), 127u);
    ASSERT_EQ(main->ToolbarHeight(), 37);
    const std::vector<std::string> names{picture, "C:\\pictures\\second one.jpg", "D:\\x.bmp"};
    DropOnView(names, {17, 23});

    EXPECT_EQ(main->FileDrop1->Files(), names);
    EXPECT_EQ(main->FileDrop1->FileCount(), 3);
    EXPECT_EQ(main->FileDrop1->DropPoint(), (Point{17, 23}));
    EXPECT_EQ(main->PicturePath, picture);
    ASSERT_NE(main->Picture, nullptr);
    EXPECT_EQ(main->Picture->Width(), 120);
    EXPECT_EQ(main->Picture->Height(), 90);
    EXPECT_EQ(MainRect(), (Rect{100, 100, 120, 90 + 37}));
    // The view panel takes all of the window below the toolbar.
    EXPECT_EQ(WindowRectOf(HandleOfAny(*main->Image2)), (Rect{100, 100 + 37, 120, 90}));

    // A drop without files leaves the picture and the window as they were.
    DropOnView({}, {5, 5});
    EXPECT_EQ(main->FileDrop1->FileCount(), 0);
    EXPECT_EQ(main->PicturePath, picture);
    EXPECT_EQ(main->Picture->Width(), 120);
    EXPECT_EQ(MainRect(), (Rect{100, 100, 120, 90 + 37}));
}

TEST_F(ViewerDropTest, FirstNameThatDoesNotExistGivesAnEmptyPictureAndKeepsTheWindow) {
    const std::string missing = pictures.File("not there.png");
    const Rect before = MainRect();
    DropOnView({missing, picture}, {0, 0});
    EXPECT_EQ(main->PicturePath, missing);
    ASSERT_NE(main->Picture, nullptr);
    EXPECT_EQ(main->Picture->Width(), 0);
    EXPECT_EQ(main->Picture->Height(), 0);
    EXPECT_EQ(MainRect(), before);

    // The window still opens the next good drop.
    DropOnView({picture}, {0, 0});
    EXPECT_EQ(MainRect(), (Rect{100, 100, 120, 90 + 37}));
}

TEST_F(ViewerDropTest, NamesBeyondTheCodePageOpenListAndStore) {
    // "写真" and "Café": one the Western code page can't hold, one it can.
    const std::string folder = pictures.File("\xE5\x86\x99\xE7\x9C\x9F");
    ASSERT_TRUE(::CreateDirectoryW(platform::win32::WideFromUtf8(folder).c_str(), nullptr));
    const std::string cjk = folder + "\\Caf\xC3\xA9.png";
    WritePicture(cjk, 64, 48, "image/png", Gradient);
    DropOnView({cjk}, {0, 0});
    EXPECT_EQ(main->PicturePath, cjk);
    EXPECT_EQ(main->Picture->Width(), 64);
    const auto entries = recording.Files().ListFolder(folder);
    ASSERT_TRUE(entries && entries->size() == 1);
    EXPECT_EQ(entries->front().name, "Caf\xC3\xA9.png");

    // Settings in such a folder: written and read back with both names.
    const std::string ini = folder + "\\zylora.ini";
    platform::IniFile(recording.Files(), ini).WriteString("Skin", "Dir", "Skins\\Caf\xC3\xA9");
    platform::IniFile(recording.Files(), ini).WriteString("Buttons", "Dir", "Buttons\\\xE5\x86\x99");
    platform::IniFile back(recording.Files(), ini);
    EXPECT_EQ(back.ReadString("Skin", "Dir", ""), "Skins\\Caf\xC3\xA9");
    EXPECT_EQ(back.ReadString("Buttons", "Dir", ""), "Buttons\\\xE5\x86\x99");
}

}  // namespace
}  // namespace zylora::win32test
