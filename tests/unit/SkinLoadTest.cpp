// Reading the skin file and the skin's held images.
#include "tests/unit/Harness.h"
#include "toolbar/ZylButton.h"

namespace zylora::testing {
namespace {

using skin::CaptionButton;
using skin::TitleVariant;

class SkinLoadTest : public ViewerTest {
protected:
    const skin::CaptionRectPercent& Rect(TitleVariant v) {
        return main->TopFrame->CaptionRect[static_cast<std::size_t>(v)];
    }
    const skin::ButtonPlacement& Place(TitleVariant v, CaptionButton b) {
        return main->TopFrame->ButtonPlace[static_cast<std::size_t>(v)]
                                          [static_cast<std::size_t>(static_cast<int>(b) - 1)];
    }
};

TEST_F(SkinLoadTest, MissingSkinGivesEveryDefault) {
    app::TfrmMiddle& m = Start();
    EXPECT_EQ(m.Metrics.LeftWidth, 0);
    EXPECT_EQ(m.Metrics.TopRolledUpInactiveHeight, 0);
    EXPECT_EQ(m.BgColorR, 255);
    EXPECT_EQ(MainForm().color, platform::MakeArgb(255, 255, 255, 255));
    EXPECT_EQ(m.CaptionAlphaActive, 255);
    EXPECT_EQ(m.CaptionAlphaInactive, 255);
    EXPECT_EQ(MainForm().caption, "Zylora");
    EXPECT_EQ(m.CornerImage, nullptr);
    const skin::TfrmTop& top = *m.TopFrame;
    EXPECT_EQ(top.FontName, "Lucida Sans Unicode");
    EXPECT_EQ(top.FontSize, 14);
    EXPECT_EQ(top.FontStyle, 0);
    EXPECT_EQ(top.HorAlign, 1);
    EXPECT_EQ(top.VerAlign, 2);
    EXPECT_EQ(top.CaptionColor, 0xFFFFFFFFu);
    for (TitleVariant v : {TitleVariant::Active, TitleVariant::Inactive, TitleVariant::RolledUp,
                           TitleVariant::RolledUpInactive}) {
        EXPECT_EQ(Rect(v).X, 0);
        EXPECT_EQ(Rect(v).Width, 100);
        EXPECT_EQ(Rect(v).Height, 100);
    }
    EXPECT_EQ(m.RightFrame->ResizeBorder4, 0);
    // Missing button images are empty, never absent.
    ASSERT_NE(top.CurrentButtonImage(CaptionButton::Close), nullptr);
    EXPECT_EQ(top.CurrentButtonImage(CaptionButton::Close)->Width(), 0);
}

TEST_F(SkinLoadTest, FrameMetricsNeverBorrowAnotherState) {
    WriteSkin("[LEFT]\nwidth=12\n[top]\nHeight=0x1F\nRolledUpHeight=$1F\n[right]\nInActiveWidth=3\n"
              "[bottom]\nHeight=9\nInActiveHeight=0x\n");
    app::TfrmMiddle& m = Start();
    EXPECT_EQ(m.Metrics.LeftWidth, 12);
    EXPECT_EQ(m.Metrics.LeftInactiveWidth, 0);
    EXPECT_EQ(m.Metrics.TopHeight, 31);
    EXPECT_EQ(m.Metrics.TopRolledUpHeight, 31);
    EXPECT_EQ(m.Metrics.TopInactiveHeight, 0);
    EXPECT_EQ(m.Metrics.RightWidth, 0);
    EXPECT_EQ(m.Metrics.RightInactiveWidth, 3);
    EXPECT_EQ(m.Metrics.BottomHeight, 9);
    EXPECT_EQ(m.Metrics.BottomInactiveHeight, 0);
}

TEST_F(SkinLoadTest, ColoursAndAlphasKeepTheirLowEightBits) {
    WriteSkin("[bg]\nColorR=256\nColorG=0x7F\nColorB=-1\n"
              "[Caption]\nAlphaActive=300\nAlphaInActive=128\nColorA=256\nColorR=1\nColorG=2\n"
              "ColorB=3\nText=Holiday\n");
    app::TfrmMiddle& m = Start();
    EXPECT_EQ(m.BgColorR, 256);  // held as read; only the use takes the low byte
    EXPECT_EQ(MainForm().color, platform::MakeArgb(255, 0, 0x7F, 0xFF));
    EXPECT_EQ(m.CaptionAlphaActive, 300);
    EXPECT_EQ(m.CaptionAlphaInactive, 128);
    EXPECT_EQ(m.TopFrame->CaptionColor, 0x00010203u);
    EXPECT_EQ(MainForm().caption, "Holiday");
}

TEST_F(SkinLoadTest, CaptionRectanglesFallBackToTheRolledUpOne) {
    WriteSkin("[Caption]\nX=5\nY=6\nWidth=70\nHeight=80\nRolledUpX=30\nInActiveY=11\n");
    Start();
    EXPECT_EQ(Rect(TitleVariant::Active).X, 5);
    EXPECT_EQ(Rect(TitleVariant::Inactive).X, 5);
    EXPECT_EQ(Rect(TitleVariant::Inactive).Y, 11);
    EXPECT_EQ(Rect(TitleVariant::RolledUp).X, 30);
    EXPECT_EQ(Rect(TitleVariant::RolledUp).Y, 6);
    EXPECT_EQ(Rect(TitleVariant::RolledUpInactive).X, 30);  // from the rolled-up value
    EXPECT_EQ(Rect(TitleVariant::RolledUpInactive).Y, 6);   // not from the inactive one
    EXPECT_EQ(Rect(TitleVariant::RolledUpInactive).Width, 70);
}

TEST_F(SkinLoadTest, CaptionRolledUpInactiveFallsToBaseWhenOnlyInactiveIsSet) {
    WriteSkin("[Caption]\nInActiveX=10\n");
    Start();
    EXPECT_EQ(Rect(TitleVariant::RolledUpInactive).X, 0);
}

TEST_F(SkinLoadTest, ButtonPlacementsFallBackToTheInactiveOne) {
    WriteSkin("[Buttons]\nCloseAlign=2\nCloseX=-20\nCloseY=4\nInActiveCloseX=-40\n"
              "RolledUpCloseX=7\nRolledUpCloseY=1\nInActiveMinAlign=1\nRollX=9\n"
              "RolledUpInActiveRollY=13\n");
    Start();
    EXPECT_EQ(Place(TitleVariant::Active, CaptionButton::Close).X, -20);
    EXPECT_EQ(Place(TitleVariant::Inactive, CaptionButton::Close).X, -40);
    EXPECT_EQ(Place(TitleVariant::Inactive, CaptionButton::Close).Y, 4);
    EXPECT_EQ(Place(TitleVariant::RolledUp, CaptionButton::Close).X, 7);
    EXPECT_EQ(Place(TitleVariant::RolledUp, CaptionButton::Close).Align, 2);
    EXPECT_EQ(Place(TitleVariant::RolledUpInactive, CaptionButton::Close).X, -40);
    EXPECT_EQ(Place(TitleVariant::RolledUpInactive, CaptionButton::Close).Y, 4);
    EXPECT_EQ(Place(TitleVariant::RolledUpInactive, CaptionButton::Close).Align, 2);
    EXPECT_EQ(Place(TitleVariant::Active, CaptionButton::Min).Align, 0);
    EXPECT_EQ(Place(TitleVariant::RolledUp, CaptionButton::Min).Align, 0);
    EXPECT_EQ(Place(TitleVariant::RolledUpInactive, CaptionButton::Min).Align, 1);
    EXPECT_EQ(Place(TitleVariant::RolledUpInactive, CaptionButton::Roll).X, 9);
    EXPECT_EQ(Place(TitleVariant::RolledUpInactive, CaptionButton::Roll).Y, 13);
}

TEST_F(SkinLoadTest, TheVariantFollowsTheMainWindowsFlags) {
    WriteSkin("[Buttons]\nCloseX=1\nInActiveCloseX=2\nRolledUpCloseX=3\nRolledUpInActiveCloseX=4\n");
    app::TfrmMiddle& m = Start();
    const skin::TfrmTop& top = *m.TopFrame;
    EXPECT_EQ(top.CurrentPlacement(CaptionButton::Close).X, 1);
    m.Active = false;
    EXPECT_EQ(top.CurrentPlacement(CaptionButton::Close).X, 2);
    m.RolledUp = true;
    EXPECT_EQ(top.CurrentPlacement(CaptionButton::Close).X, 4);
    m.Active = true;
    EXPECT_EQ(top.CurrentPlacement(CaptionButton::Close).X, 3);
}

TEST_F(SkinLoadTest, AlignOffsetAnchorsLeftMiddleOrRight) {
    EXPECT_EQ(skin::AlignOffset(0, 300), 0);
    EXPECT_EQ(skin::AlignOffset(1, 301), 150);
    EXPECT_EQ(skin::AlignOffset(2, 300), 300);
    EXPECT_EQ(skin::AlignOffset(3, 300), 0);
    EXPECT_EQ(skin::AlignOffset(-1, 300), 0);
}

TEST_F(SkinLoadTest, CaptionButtonImagesAreDecodedWhenTheTitleFirstShowsThem) {
    WriteSkin("[top]\nHeight=20\nInActiveHeight=20\n");
    app::TfrmMiddle& m = Start();
    m.Show();
    auto decoded = [&](const char* name) { return LogIndex(std::string("decode ") + SkinPath + name) >= 0; };
    for (const char* shown : {"active_close.png", "active_min.png", "active_max.png", "active_Roll.png"})
        EXPECT_TRUE(decoded(shown)) << shown;
    for (const char* later : {"inactive_close.png", "inactive_Roll.png", "mouseover_close.png", "mouseover_Max.png"})
        EXPECT_FALSE(decoded(later)) << later;
    m.ApplicationEvents1Deactivate();
    EXPECT_TRUE(decoded("inactive_close.png") && decoded("inactive_Roll.png")) << "at the first inactive look";
    m.ApplicationEvents1Activate();
    m.TopFrame->HoverButton = static_cast<int>(CaptionButton::Max);
    m.TopFrame->RenderAt(m.TopFrame->Form().Bounds().width, m.GetTopHeight());
    EXPECT_TRUE(decoded("mouseover_Max.png")) << "at the first hover";
}

TEST_F(SkinLoadTest, TheCaptionsFontIsReadiedWhileTheImagesDecode) {
    WriteSkin("[Caption]\nFontName=Tahoma\n");
    Start();
    const int prepared = LogIndex("prepare font Tahoma");
    ASSERT_GE(prepared, 0);
    EXPECT_LT(prepared, LogIndex("decode ahead"));
}

TEST_F(SkinLoadTest, OnlyTheButtonLooksTheFirstFrameShowsAreDecodedAtStart) {
    const std::string folder = "C:\\Zylora\\Buttons/Default\\";
    platform.files.files[folder + "values.ini"] =
        "[Main]\nNumOfButtons=2\n"
        "[Button-0]\nAction=MoveMode\nnormalImage=move.png\nselectedImage=move_on.png\nmouseoverImage=move_hi.png\n"
        "[Button-1]\nAction=next\nnormalImage=next.png\nmouseoverImage=next_hi.png\ninactiveImage=next_off.png\n";
    app::TfrmMiddle& m = Start();
    auto decoded = [&](const char* name) { return LogIndex("decode " + folder + name) >= 0; };
    EXPECT_TRUE(decoded("move_on.png")) << "the mode that is on shows selected";
    EXPECT_TRUE(decoded("next.png"));
    for (const char* later : {"move.png", "move_hi.png", "next_hi.png", "next_off.png"})
        EXPECT_FALSE(decoded(later)) << later;
    m.ButtonList[1]->Hovered = true;
    m.ButtonList[1]->CurrentImage();
    EXPECT_TRUE(decoded("next_hi.png")) << "at its first use";
}

TEST_F(SkinLoadTest, HoverPicksThePointerOverImage) {
    platform.AddImage(std::string(SkinPath) + "active_max.png", 16, 14);
    platform.AddImage(std::string(SkinPath) + "mouseover_Max.png", 18, 14);
    Start();
    skin::TfrmTop& top = *main->TopFrame;
    EXPECT_EQ(top.CurrentButtonImage(CaptionButton::Max)->Width(), 16);
    top.HoverButton = static_cast<int>(CaptionButton::Max);
    EXPECT_EQ(top.CurrentButtonImage(CaptionButton::Max)->Width(), 18);
    EXPECT_EQ(top.CurrentButtonImage(CaptionButton::Close)->Width(), 0);
}

TEST_F(SkinLoadTest, CornerImageOnlyWhenTheFileExists) {
    Start();
    EXPECT_EQ(LogIndex(std::string("decode ") + SkinPath + "corner.png"), -1);
    EXPECT_EQ(main->CornerImage, nullptr);
    platform.AddImage(std::string(SkinPath) + "corner.png", 16, 16);
    main->LoadSkin();
    ASSERT_NE(main->CornerImage, nullptr);
    EXPECT_EQ(main->CornerImage->Width(), 16);
}

TEST_F(SkinLoadTest, EdgeWindowsReadTheirResizeBands) {
    WriteSkin("[left]\nResizeBorder1=1\nResizeBorder2=5\n[right]\nResizeBorder1=2\nResizeBorder2=6\n"
              "ResizeBorder3=20\nResizeBorder4=3\n[bottom]\nResizeBorder1=3\nResizeBorder2=10\n");
    app::TfrmMiddle& m = Start();
    EXPECT_EQ(m.LeftFrame->ResizeBorder1, 1);
    EXPECT_EQ(m.LeftFrame->ResizeBorder2, 5);
    EXPECT_EQ(m.RightFrame->ResizeBorder1, 2);
    EXPECT_EQ(m.RightFrame->ResizeBorder2, 6);
    EXPECT_EQ(m.RightFrame->ResizeBorder3, 20);
    EXPECT_EQ(m.RightFrame->ResizeBorder4, 3);
    EXPECT_EQ(m.BottomFrame->ResizeBorder1, 3);
    EXPECT_EQ(m.BottomFrame->ResizeBorder2, 10);
}

TEST_F(SkinLoadTest, ValuesOfThePreviousSkinNeverSurvive) {
    const std::string other = "C:\\Zylora\\Skins\\Plain\\";
    WriteSkin("[bottom]\nHeight=14\nResizeBorder2=9\n[Caption]\nText=First\nFontSize=30\n"
              "[Buttons]\nCloseX=5\n[bg]\nColorR=0\n");
    platform.AddImage(std::string(SkinPath) + "corner.png", 16, 16);
    WriteSkin("[left]\nWidth=2\n", other);
    app::TfrmMiddle& m = Start();
    EXPECT_EQ(m.Metrics.BottomHeight, 14);
    m.SkinDir = "Skins\\Plain";
    m.LoadSkin();
    EXPECT_EQ(m.Metrics.BottomHeight, 0);
    EXPECT_EQ(m.Metrics.LeftWidth, 2);
    EXPECT_EQ(m.BottomFrame->ResizeBorder2, 0);
    EXPECT_EQ(MainForm().caption, "Zylora");
    EXPECT_EQ(m.TopFrame->FontSize, 14);
    EXPECT_EQ(m.TopFrame->CurrentPlacement(CaptionButton::Close).X, 0);
    EXPECT_EQ(m.BgColorR, 255);
    EXPECT_EQ(m.CornerImage, nullptr);
}

TEST_F(SkinLoadTest, TheViewIsAskedToRepaintWithOrWithoutAPicture) {
    app::TfrmMiddle& m = Start();
    auto& view = dynamic_cast<fake::FakeWindow&>(*m.Image2);
    const int before = view.invalidations;
    m.LoadSkin();
    EXPECT_EQ(view.invalidations, before + 1);
    m.PicturePath = "C:\\pictures\\a.png";  // its grip is the new skin's too
    m.LoadSkin();
    EXPECT_EQ(view.invalidations, before + 2);
}

TEST_F(SkinLoadTest, ToolbarBackgroundComesFromTheSkinUnlessTheButtonSetHasItsOwn) {
    const std::string skinBg = std::string(SkinPath) + "bg.bmp";
    const std::string ownBg = "C:\\Zylora\\Buttons/Default\\bg.bmp";
    platform.AddImage(skinBg, 40, 53);
    app::TfrmMiddle& m = Start();
    EXPECT_FALSE(m.OwnToolbarBackground);
    EXPECT_EQ(m.ToolbarBackground->Width(), 40);

    platform.AddImage(ownBg, 64, 53);
    m.LoadButtonSet();
    EXPECT_TRUE(m.OwnToolbarBackground);
    m.LoadSkin();  // the button set's own background stays
    EXPECT_EQ(m.ToolbarBackground->Width(), 64);
}

TEST_F(SkinLoadTest, AbsurdSizesAreHeldToWhatTheDesktopAndTheImageLimitAllow) {
    WriteSkin("[left]\nWidth=2147483647\n[right]\nWidth=100000\n[top]\nHeight=100000\n"
              "[bottom]\nHeight=32767\nInActiveHeight=-2147483648\n[Caption]\nFontSize=100000\nX=-500\n"
              "Width=99999\n[Buttons]\nCloseAlign=99\n");
    platform.files.files["C:\\Zylora\\Buttons/Default\\values.ini"] =
        "[Main]\nNumOfButtons=1\nToolbarHeight=100000\n[Button-0]\nAction=open\nnormalImage=big.png\n";
    platform.AddImage("C:\\Zylora\\Buttons/Default\\big.png", 8000, 8000);
    platform.AddImage(std::string(SkinPath) + "active_close.png", 4097, 10);
    platform.AddImage(std::string(SkinPath) + "active_min.png", 4096, 256);  // at both limits
    platform.AddImage("C:\\p\\huge.png", 8000, 8000);
    app::TfrmMiddle& m = Start();
    m.Show();
    EXPECT_EQ(m.Metrics.LeftWidth, 1920);
    EXPECT_EQ(m.Metrics.RightWidth, 1920);
    EXPECT_EQ(m.Metrics.TopHeight, 1080);
    EXPECT_EQ(m.Metrics.BottomHeight, 1080);
    EXPECT_EQ(m.Metrics.BottomInactiveHeight, INT32_MIN) << "below zero is no frame, not clamped up";
    EXPECT_EQ(m.ToolbarHeight(), 1080);
    EXPECT_EQ(m.ButtonList.front()->LookImage(toolbar::TZylButton::NormalLook).Width(), 0) << "beyond the limit: missing";
    EXPECT_EQ(m.TopFrame->CurrentButtonImage(skin::CaptionButton::Close)->Width(), 0);
    EXPECT_EQ(m.TopFrame->CurrentButtonImage(skin::CaptionButton::Min)->Width(), 4096);
    m.OpenFile("C:\\p\\huge.png");
    EXPECT_EQ(m.Picture->Width(), 8000) << "pictures have their own, larger limit";

    m.PlaceWindows(-2147483647, 2147483647, 2147483647, -2147483647);
    m.RenderFrames(0, 0, 2147483647, 2147483647);
    for (skin::TFrameWindow* frame : std::initializer_list<skin::TFrameWindow*>{
             m.TopFrame.get(), m.LeftFrame.get(), m.RightFrame.get(), m.BottomFrame.get()}) {
        const fake::Presentation& p = FormOf(*frame).presentations.back();
        EXPECT_LE(p.width, 1920);
        EXPECT_LE(p.height, 1080);
    }
}

TEST_F(SkinLoadTest, ButtonSetReadsItsSectionsFromZero) {
    platform.files.files["C:\\Zylora\\Buttons/Default\\values.ini"] =
        "[Main]\nNumOfButtons=3\nToolbarHeight=40\n"
        "[Button-0]\nAction=MoveMode\nX=4\nnormalImage=move.png\nselectedImage=move_on.png\n"
        "[Button-1]\nAction=selectmode\nX=40\nWidth=20\n"
        "[Button-2]\nAction=ZoomIn\n"
        "[Button-3]\nAction=next\n";
    platform.AddImage("C:\\Zylora\\Buttons/Default\\move.png", 32, 32);
    platform.AddImage("C:\\Zylora\\Buttons/Default\\move_on.png", 30, 30);
    app::TfrmMiddle& m = Start();
    ASSERT_EQ(m.ButtonList.size(), 3u);
    EXPECT_EQ(m.ToolbarHeight(), 40);
    EXPECT_EQ(m.Image2->Bounds(), (platform::Rect{0, 40, 320, 280}));
    const toolbar::TZylButton& move = *m.ButtonList[0];
    EXPECT_EQ(move.X, 4);
    EXPECT_EQ(move.Width, 32);
    EXPECT_TRUE(move.Selected);
    EXPECT_FALSE(m.ButtonList[1]->Selected);
    EXPECT_EQ(m.ButtonList[1]->Width, 20);
    EXPECT_EQ(m.ButtonList[2]->Action, "ZoomIn");
    // Selected shows the selected image; the other states fall back to the normal one.
    EXPECT_EQ(move.CurrentImage().Width(), 30);
    EXPECT_EQ(move.LookImage(toolbar::TZylButton::MouseoverLook).Width(), 32);
    EXPECT_EQ(move.LookImage(toolbar::TZylButton::InactiveLook).Width(), 32);

    // A set without a height keeps the one the toolbar has; an absurd count ends.
    platform.files.files["C:\\Zylora\\Buttons/Default\\values.ini"] =
        "[Main]\nNumOfButtons=2000000000\n";
    m.LoadButtonSet();
    EXPECT_EQ(m.ToolbarHeight(), 40);
    EXPECT_LE(m.ButtonList.size(), 1024u);
}

}  // namespace
}  // namespace zylora::testing
