// Start-up, the settings file and shutdown of the main window.
#include "app/Program.h"
#include "tests/unit/Harness.h"

namespace zylora::testing {
namespace {

using platform::Rect;

TEST_F(ViewerTest, FirstStartUsesDefaultsAndWritesAllSixKeys) {
    app::TfrmMiddle& m = Start();
    EXPECT_EQ(m.BoundsRect(), (Rect{100, 100, 320, 320}));
    EXPECT_EQ(m.SkinDir, "Skins/Default");
    EXPECT_EQ(m.ButtonsDir, "Buttons/Default");
    EXPECT_TRUE(m.Active);
    EXPECT_FALSE(m.RolledUp);
    EXPECT_EQ(m.ZoomFactor, 1);
    EXPECT_TRUE(m.MoveMode);
    EXPECT_EQ(m.Picture, nullptr);
    EXPECT_EQ(Stop(),
              "[Placement]\r\nX=100\r\nY=100\r\nWidth=320\r\nHeight=320\r\n"
              "\r\n[Skin]\r\nDir=Skins/Default\r\n"
              "\r\n[Buttons]\r\nDir=Buttons/Default\r\n");
}

TEST_F(ViewerTest, SettingsAcceptHexAndFallBackOnGarbage) {
    WriteSettings("[Placement]\nX=-50\nY=$20\nWidth=0x140\nHeight=abc\n");
    app::TfrmMiddle& m = Start();
    EXPECT_EQ(m.BoundsRect(), (Rect{-50, 32, 320, 320}));
}

TEST_F(ViewerTest, APlacementOffEveryScreenComesBackAndNoSizeTakesTheDefault) {
    WriteSkin("[left]\nWidth=10\n[right]\nWidth=10\n[top]\nHeight=30\n[bottom]\nHeight=10\n");
    const std::vector<std::pair<std::string, Rect>> cases = {
        {"X=5000\nY=5000\nWidth=400\nHeight=300", {1510, 770, 400, 300}},  // frame kept on screen
        {"X=-1000\nY=-900\nWidth=400\nHeight=300", {10, 30, 400, 300}},
        {"X=-50\nY=100\nWidth=400\nHeight=300", {-50, 100, 400, 300}},  // partly on: stays
        {"X=100\nY=100\nWidth=0\nHeight=-5", {100, 100, 320, 320}},
    };
    for (const auto& [placement, expected] : cases) {
        WriteSettings("[Placement]\n" + placement + "\n");
        EXPECT_EQ(Start().BoundsRect(), expected) << placement;
        Stop();
    }
}

TEST_F(ViewerTest, ShutdownWritesThePlacementOfThatMomentAndKeepsOtherLines) {
    WriteSettings("; my viewer\n[Placement]\nX=1\nY=2\nWidth=3\nHeight=4\n[Extra]\nKeep=me\n");
    app::TfrmMiddle& m = Start();
    m.PlaceWindows(40, 50, 600, 400);
    m.SkinDir = "Skins\\Night";
    EXPECT_EQ(Stop(),
              "; my viewer\n[Placement]\nX=40\nY=50\nWidth=600\nHeight=400\n[Extra]\nKeep=me\n"
              "\n[Skin]\nDir=Skins\\Night\n"
              "\n[Buttons]\nDir=Buttons/Default\n");
}

TEST_F(ViewerTest, TheSessionsEndWritesTheSettingsOnce) {
    app::TfrmMiddle& m = Start();
    m.Show();
    m.PlaceWindows(40, 50, 600, 400);
    MainForm().Events().SessionEnds();
    const std::string written = platform.files.files[SettingsPath];
    EXPECT_NE(written.find("Height=400"), std::string::npos) << written;
    const std::size_t writes = platform.files.log.size();
    m.PlaceWindows(10, 10, 300, 300);
    EXPECT_EQ(Stop(), written) << "nothing written again when the process goes";
    EXPECT_EQ(platform.files.log.size(), writes);
}

TEST_F(ViewerTest, AFolderThatIsGoneFallsBackToTheBundledOneAndAnEmptyOneIsKept) {
    WriteSkin("[top]\nHeight=30\n");
    platform.files.folders.insert("C:\\Zylora\\Skins\\Empty");
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"Skins\\Gone", "Skins/Default"}, {"Skins\\Empty", "Skins\\Empty"}};
    for (const auto& [named, used] : cases) {
        WriteSettings("[Skin]\nDir=" + named + "\n[Buttons]\nDir=Buttons\\Gone\n");
        app::TfrmMiddle& m = Start();
        EXPECT_EQ(m.SkinDir, used);
        EXPECT_EQ(m.ButtonsDir, "Buttons/Default");
        EXPECT_EQ(m.GetTopHeight(), named == "Skins\\Gone" ? 30 : 0) << "the bundled skin's title";
        Stop();
    }
}

TEST_F(ViewerTest, AFailedWriteIsShownOnceAndSkipsTheRemainingWrites) {
    platform.files.unwritable.insert(SettingsPath);
    Start();
    Stop();
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].text, "Unable to write to C:\\Zylora\\zylora.ini");
    EXPECT_EQ(platform.messages[0].caption, "Zylora");
    EXPECT_EQ(platform.messages[0].icon, platform::MessageIcon::Error);
    int writes = 0;
    for (const std::string& entry : platform.files.log) writes += entry.rfind("write ", 0) == 0;
    EXPECT_EQ(writes, 1);
}

TEST_F(ViewerTest, AbsurdSettingsNeverCrash) {
    WriteSettings(std::string("[Placement]\nX=99999999999\nY=-2147483648\nWidth=2147483647\n"
                              "Height=-7\n\x01\x02\xff\xfe=\n[Skin]\nDir=") +
                  std::string(5000, 'x') + "\n");
    platform.files.folders.insert("C:\\Zylora\\" + std::string(2047, 'x'));  // kept, as it exists
    app::TfrmMiddle& m = Start();
    m.Show();
    EXPECT_EQ(m.BoundsRect(), (Rect{0, 0, INT32_MAX, 320})) << "brought onto the screen, a real height";
    EXPECT_EQ(m.SkinDir.size(), 2047u);
    m.RenderFrames(0, 0, INT32_MAX, INT32_MAX);
}

TEST_F(ViewerTest, SettingsFileAndSkinPathFollowTheExecutable) {
    platform.executablePath = "D:\\Tools.d\\viewer";
    app::TfrmMiddle& m = Start();
    EXPECT_EQ(m.SettingsPath(), "D:\\Tools.d\\viewer.ini");
    EXPECT_EQ(m.GetSkinPath(), "D:\\Tools.d\\Skins/Default\\");
    m.SkinDir = "Skins\\Blue";
    EXPECT_EQ(m.GetSkinPath(), "D:\\Tools.d\\Skins\\Blue\\");
}

TEST_F(ViewerTest, ADriveRootKeepsItsSeparator) {
    platform.executablePath = "D:\\zylora.v2.exe";
    app::TfrmMiddle& m = Start();
    EXPECT_EQ(m.SettingsPath(), "D:\\zylora.v2.ini");
    EXPECT_EQ(m.ProgramFolder(), "D:\\");
    EXPECT_EQ(m.GetSkinPath(), "D:\\\\Skins/Default\\");
}

TEST_F(ViewerTest, CreationRunsItsStepsInOrder) {
    Start();
    // The files' reads are in the file system's log; the platform log has the windows.
    const auto& files = platform.files.log;
    ASSERT_GE(files.size(), 3u);
    EXPECT_EQ(files[0], std::string("read ") + SettingsPath);
    EXPECT_EQ(files[1], std::string("read ") + SkinPath + "values.ini");
    EXPECT_EQ(files[2], "read C:\\Zylora\\Buttons/Default\\values.ini");

    const int mainForm = LogIndex("create form TfrmMiddle");
    const int top = LogIndex("create form TfrmTop");
    const int right = LogIndex("create form TfrmRight");
    const int bottom = LogIndex("create form TfrmBottom");
    const int left = LogIndex("create form TfrmLeft");
    const int skinImages = LogIndex("decode C:\\Zylora\\Skins/Default\\bg.bmp");
    EXPECT_LT(mainForm, top);
    EXPECT_LT(top, right);
    EXPECT_LT(right, bottom);
    EXPECT_LT(bottom, left);
    EXPECT_LT(left, skinImages);
    // The button set has no background of its own, so it takes the skin's: read once, by
    // the button set's loading, not first by the skin's as well.
    EXPECT_EQ(LogIndex("decode C:\\Zylora\\Skins/Default\\bg.bmp", skinImages + 1), -1);

    EXPECT_EQ(main->TopFrame->MainWindow, main.get());
    EXPECT_EQ(main->RightFrame->MainWindow, main.get());
    EXPECT_EQ(main->BottomFrame->MainWindow, main.get());
    EXPECT_EQ(main->LeftFrame->MainWindow, main.get());
    // Nothing is placed or shown before the first showing.
    EXPECT_TRUE(platform.batches.empty());
    EXPECT_FALSE(FormOf(*main->TopFrame).visibleProperty);
}

TEST_F(ViewerTest, FirstShowingInstallsTheHandlersAndPlacesTheFiveWindows) {
    WriteSkin("[left]\nWidth=5\n[right]\nWidth=6\n[top]\nHeight=20\n[bottom]\nHeight=7\n");
    app::TfrmMiddle& m = Start();
    auto& view = dynamic_cast<fake::FakeWindow&>(*m.Image2);
    EXPECT_FALSE(view.Events().EraseBackground());
    m.Show();
    m.Show();
    EXPECT_TRUE(view.Events().EraseBackground());
    EXPECT_TRUE(dynamic_cast<fake::FakeWindow&>(*m.Toolbar).Events().EraseBackground());
    ASSERT_EQ(platform.batches.size(), 1u);
    EXPECT_EQ(platform.batches[0].entries[1].bounds, (Rect{100, 100, 320, 320}));
    EXPECT_TRUE(MainForm().visibleProperty);
    for (skin::TFrameWindow* frame : std::initializer_list<skin::TFrameWindow*>{
             m.TopFrame.get(), m.RightFrame.get(), m.BottomFrame.get(), m.LeftFrame.get()})
        EXPECT_TRUE(FormOf(*frame).visibleProperty);
    EXPECT_EQ(FormOf(*m.LeftFrame).bounds, (Rect{95, 100, 5, 327}));
}

TEST_F(ViewerTest, ThePanelsSplitTheMainWindow) {
    app::TfrmMiddle& m = Start();
    EXPECT_EQ(m.Toolbar->Bounds(), (Rect{0, 0, 320, 53}));
    EXPECT_EQ(m.Image2->Bounds(), (Rect{0, 53, 320, 267}));
    m.PlaceWindows(0, 0, 200, 40);  // lower than the smallest window: its view is 64 high
    EXPECT_EQ(m.Image2->Bounds(), (Rect{0, 53, 200, 64}));
}

TEST_F(ViewerTest, ViewPaintsTheBackgroundColourAndTheCornerGrip) {
    platform.AddImage(std::string(SkinPath) + "corner.png", 12, 10);
    WriteSkin("[bg]\nColorR=1\nColorG=2\nColorB=3\n");
    app::TfrmMiddle& m = Start();
    m.Show();
    auto& view = dynamic_cast<fake::FakeWindow&>(*m.Image2);
    auto screen = view.GetScreenTarget();
    EXPECT_TRUE(view.Events().Paint(*screen));
    EXPECT_EQ(platform.log.back(), "draw surface on panel 320x267 at 0,0");
}

TEST_F(ViewerTest, TheProgramBodyNamesTheApplicationAndShutsDownAfterTheLoop) {
    EXPECT_EQ(app::RunProgram(platform), 0);
    EXPECT_EQ(platform.applicationTitle, "Zylora");
    const int show = LogIndex("visible TfrmMiddle true");
    const int loop = LogIndex("message loop");
    EXPECT_LT(show, loop);
    EXPECT_GE(show, 0);
    EXPECT_EQ(platform.files.log.back(), std::string("write ") + SettingsPath);
    EXPECT_TRUE(platform.windows.empty());
    EXPECT_TRUE(platform.timers.empty());
}

}  // namespace
}  // namespace zylora::testing
