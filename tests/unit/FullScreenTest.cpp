// Full screen: the picture alone on the screen over black, and the window given back as it
// was.
#include "platform/Paths.h"
#include "tests/unit/Harness.h"

namespace zylora::testing {
namespace {

using platform::Rect;

class FullScreenTest : public ViewerTest {
protected:
    void SetUp() override {
        WriteSkin("[left]\nWidth=10\n[right]\nWidth=10\n[top]\nHeight=30\n[bottom]\nHeight=10\n");
        platform.AddImage("C:\\Pics\\a.png", 600, 400);
        platform.AddImage("C:\\Pics\\b.png", 3840, 1080);  // twice the screen's width
        platform.arguments = {"C:\\Pics\\a.png"};
        Start().Show();
    }
    void Press(int key) { MainForm().Events().KeyDown(key, {}); }
    // Where the view draws the picture, and whether the frame is seen.
    std::string Seen() {
        const Rect view = main->Image2->Bounds();
        const auto share = [](double s) { return std::to_string(static_cast<int>(s * 1000 + 0.5)); };
        std::string frames;
        for (skin::TFrameWindow* f : {static_cast<skin::TFrameWindow*>(main->TopFrame.get()),
                                      static_cast<skin::TFrameWindow*>(main->BottomFrame.get())})
            frames += FormOf(*f).onScreen ? "F" : "-";
        return platform::FileNameOf(main->PicturePath) + " view " + std::to_string(view.width) + "x" +
               std::to_string(view.height) + " shares " + share(main->PictureShareX) + "," + share(main->PictureShareY) +
               " frames " + frames;
    }
};

TEST_F(FullScreenTest, ThePictureFillsItsScreenAndLeavingGivesTheWindowBackAsItWas) {
    main->PlaceWindows(200, 150, 700, 500);  // the user's own size
    const Rect windowed = main->BoundsRect();
    const int toolbar = main->ToolbarHeight();
    Press(platform::keys::F11);
    EXPECT_EQ(main->BoundsRect(), (Rect{0, 0, 1920, 1080}));
    EXPECT_EQ(Seen(), "a.png view 1920x1080 shares 313,370 frames --") << "smaller: its own size";
    Press(platform::keys::F11);
    EXPECT_EQ(main->BoundsRect(), windowed);
    EXPECT_EQ(main->ToolbarHeight(), toolbar);
    EXPECT_EQ(Seen().substr(Seen().find("frames")), "frames FF");
    EXPECT_EQ(platform.log.back(), "forms forward") << "the frame comes up in front, with the main form";

    // A step in full screen stays there; leaving fits the window to the picture then shown,
    // where the window was.
    dynamic_cast<fake::FakeWindow&>(*main->Image2).Events().DoubleClick({5, 5});
    EXPECT_TRUE(main->FullScreen);
    Press(platform::keys::Right);
    EXPECT_EQ(Seen(), "b.png view 1920x1080 shares 1000,500 frames --") << "larger: fitted, its shape kept";
    const std::string settings = Stop();
    EXPECT_NE(settings.find("X=200\r\nY=150\r\nWidth=700\r\nHeight=500"), std::string::npos)
        << "closed in full screen, the window's own placement is kept";
}

TEST_F(FullScreenTest, EscapeLeavesAndARolledUpWindowRollsUpAgain) {
    main->SetRolledUp(true);
    const Rect rolled = main->BoundsRect();
    Press(platform::keys::F11);
    EXPECT_FALSE(main->RolledUp);
    EXPECT_EQ(main->BoundsRect(), (Rect{0, 0, 1920, 1080}));
    Press(platform::keys::Escape);
    EXPECT_FALSE(main->FullScreen);
    EXPECT_TRUE(main->RolledUp);
    EXPECT_EQ(main->BoundsRect(), rolled);
}

}  // namespace
}  // namespace zylora::testing
