// The skin menu of the title, the button set menu of the toolbar and the view's shell menu.
#include "tests/unit/Harness.h"
#include "toolbar/ZylButton.h"

namespace zylora::testing {
namespace {

using platform::MouseButton;
using platform::Rect;

class MenusTest : public ViewerTest {
protected:
    void SetUp() override {
        auto& fs = platform.files;
        // Listed in the file system's order (the fake's is by name): folders only, and
        // neither hidden nor system ones.
        fs.files["C:\\Zylora\\Skins\\Beta & Co\\values.ini"] =
            "[general]\nname=Beta\nauthor=Ann\nnotes=Warm and round.\n[left]\nWidth=6\n[top]\nHeight=20\n";
        fs.folders.insert("C:\\Zylora\\Skins\\Bare");
        fs.folders.insert("C:\\Zylora\\Skins\\Hidden");
        fs.hidden.insert("C:\\Zylora\\Skins\\Hidden");
        fs.folders.insert("C:\\Zylora\\Skins\\Sys");
        fs.system.insert("C:\\Zylora\\Skins\\Sys");
        fs.files["C:\\Zylora\\Skins\\readme.txt"] = "x";
        fs.files["C:\\Zylora\\Buttons\\Big\\values.ini"] =
            "[Main]\nNumOfButtons=1\nToolbarHeight=70\n[Button-0]\nAction=open\nX=2\nY=2\n";
        fs.folders.insert("C:\\Zylora\\Buttons\\Empty");
        fs.files["C:\\Zylora\\Buttons/Default\\values.ini"] =
            "[Main]\nNumOfButtons=1\nToolbarHeight=40\n[Button-0]\nAction=next\nX=4\nY=4\nnormalImage=n.png\n";
        platform.AddImage("C:\\Zylora\\Buttons/Default\\n.png", 32, 32);
        WriteSkin("[left]\nWidth=10\n[right]\nWidth=10\n[top]\nHeight=30\n[bottom]\nHeight=10\n");
        Start().Show();
        main->PlaceWindows(100, 100, 400, 300);
        platform.cursor = {250, 85};
    }
    void RightReleaseOnTitle() {
        FormOf(*main->TopFrame).Events().MouseUp(MouseButton::Right, {}, {100, 10});
    }
    fake::FakeWindow& Bar() { return dynamic_cast<fake::FakeWindow&>(*main->Toolbar); }
};

TEST_F(MenusTest, SkinMenuListsVisibleFoldersAndTheChoiceRedrawsAllThenTellsAboutIt) {
    platform.popupAnswer = 1;  // "Beta & Co", with the "&" it must keep
    const std::uint8_t alpha = main->TopFrame->TitleAlpha;
    const int invalidations = Bar().invalidations;
    const int mark = static_cast<int>(platform.log.size());
    RightReleaseOnTitle();

    EXPECT_NE(LogIndex("popup Bare|Beta & Co at 250,85", mark), -1);
    EXPECT_EQ(main->SkinDir, "Skins\\Beta & Co");
    EXPECT_EQ(main->GetLeftWidth(), 6) << "the new skin's metrics";
    // Each frame rendered once in the new skin, whether the placement resized it or not,
    // then the box: rendering all four again would show the same pixels once more.
    const int box = LogIndex("message", mark);
    ASSERT_GE(box, 0);
    for (const char* frame : {"TfrmLeft", "TfrmRight", "TfrmTop", "TfrmBottom"}) {
        const int first = LogIndex(std::string("present ") + frame, mark);
        EXPECT_TRUE(first >= 0 && first < box) << frame;
        EXPECT_EQ(LogIndex(std::string("present ") + frame, first + 1), -1) << frame << " rendered twice";
    }
    EXPECT_EQ(FormOf(*main->TopFrame).bounds, (Rect{94, 80, 406, 20}));
    EXPECT_GT(Bar().invalidations, invalidations);
    EXPECT_EQ(main->TopFrame->TitleAlpha, alpha) << "the alpha waits for the next activation change";
    ASSERT_FALSE(platform.messages.empty());
    const fake::MessageBoxCall& info = platform.messages.back();
    EXPECT_EQ(info.text, "Beta by Ann\n\nNotes:\nWarm and round.");
    EXPECT_EQ(info.caption, "Skin Info");
    EXPECT_EQ(info.icon, platform::MessageIcon::Information);
    EXPECT_EQ(info.owner, &main->Form());

    platform.popupAnswer = 0;  // a folder without values.ini is a skin of defaults
    RightReleaseOnTitle();
    EXPECT_EQ(platform.messages.back().text, " by \n\nNotes:\n");
    EXPECT_NE(Stop().find("Dir=Skins\\Bare\r\n"), std::string::npos);
}

TEST_F(MenusTest, DismissedMenusChangeNothing) {
    const std::string skin = main->SkinDir, buttons = main->ButtonsDir;
    RightReleaseOnTitle();
    Bar().Events().MouseUp(MouseButton::Right, {}, {300, 20});
    EXPECT_EQ(main->SkinDir, skin);
    EXPECT_EQ(main->ButtonsDir, buttons);
    EXPECT_TRUE(platform.messages.empty());
}

TEST_F(MenusTest, ButtonSetMenuReplacesTheButtonsAndMovesTheToolbarsBorderOnly) {
    Bar().Events().MouseDown(MouseButton::Right, {}, {10, 10});  // leaves "next" pressed
    ASSERT_TRUE(main->ButtonList.front()->Pressed);
    platform.popupAnswer = 0;
    const int mark = static_cast<int>(platform.log.size());
    Bar().Events().MouseUp(MouseButton::Right, {}, {10, 10});
    EXPECT_NE(LogIndex("popup Big|Empty at 250,85", mark), -1) << "a folder without values.ini too";
    EXPECT_EQ(main->ButtonsDir, "Buttons\\Big");
    ASSERT_EQ(main->ButtonList.size(), 1u);
    EXPECT_EQ(main->ButtonList.front()->Action, "open");
    EXPECT_FALSE(main->ButtonList.front()->Pressed);
    EXPECT_EQ(main->ToolbarHeight(), 70);
    EXPECT_EQ(MainForm().bounds, (Rect{100, 100, 400, 300}));
    EXPECT_EQ(main->Image2->Bounds(), (Rect{0, 70, 400, 230}));

    platform.popupAnswer = 1;
    Bar().Events().MouseUp(MouseButton::Right, {}, {10, 10});
    EXPECT_TRUE(main->ButtonList.empty());
    EXPECT_EQ(main->ToolbarHeight(), 70) << "no values.ini keeps the height";
    EXPECT_NE(Stop().find("Dir=Buttons\\Empty\r\n"), std::string::npos);
}

TEST_F(MenusTest, ViewContextMenuIsTheShellsForThePicturesFolderAndName) {
    struct Case {
        std::string path, logged;
    };
    for (const Case& c : std::vector<Case>{{"C:\\p\\a b.png", "C:\\p\\|a b.png"},
                                           {"D:\\x.png", "D:\\|x.png"},
                                           {"D:x.png", "D:|x.png"},
                                           {"", "|"}}) {
        main->PicturePath = c.path;
        const int mark = static_cast<int>(platform.log.size());
        EXPECT_TRUE(dynamic_cast<fake::FakeWindow&>(*main->Image2).Events().ContextPopup());
        EXPECT_NE(LogIndex("shell menu " + c.logged, mark), -1) << c.path;
    }
    platform.shellMenuShown = false;
    bool handled = false;
    main->Image2ContextPopup(handled);
    EXPECT_FALSE(handled);
}

}  // namespace
}  // namespace zylora::testing
