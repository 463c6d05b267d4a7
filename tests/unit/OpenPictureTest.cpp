// Opening a picture from the command line and from drops; the drop target itself.
#include <algorithm>

#include "shell/FileDrop.h"
#include "tests/unit/Harness.h"

namespace zylora::testing {
namespace {

using platform::Rect;
using platform::Size;

class OpenPictureTest : public ViewerTest {
protected:
    void WriteFrames() {
        WriteSkin("[left]\nWidth=10\n[right]\nWidth=10\n[top]\nHeight=30\n[bottom]\nHeight=10\n");
    }
    fake::FakeWindow& View() { return dynamic_cast<fake::FakeWindow&>(*main->Image2); }
    void Drop(std::vector<std::string> names, platform::Point at = {}) {
        ASSERT_TRUE(View().dropHook);
        View().dropHook(platform::DroppedFiles{std::move(names), at});
    }
};

TEST_F(OpenPictureTest, FitHalvesBothSidesUntilWindowAndFrameFit) {
    WriteFrames();
    app::TfrmMiddle& m = Start();
    EXPECT_EQ(m.FitToScreen(3000, 2000), (Size{1500, 1000}));
    EXPECT_EQ(m.FitToScreen(4000, 100), (Size{1000, 25}));
    EXPECT_EQ(m.FitToScreen(1900, 1040), (Size{1900, 1040}));  // equal to the screen fits
    EXPECT_EQ(m.FitToScreen(1901, 1040), (Size{950, 520}));
    EXPECT_EQ(m.FitToScreen(0, 0), (Size{0, 0}));
    platform.screen = {1000, 1000};
    EXPECT_EQ(m.FitToScreen(1001, 751), (Size{500, 375}));
    EXPECT_EQ(m.FitToScreen(990, 961), (Size{495, 480}));
}

TEST_F(OpenPictureTest, OddSizesAreTruncated) {
    platform.screen = {1000, 1000};
    app::TfrmMiddle& m = Start();  // no frame at all
    EXPECT_EQ(m.FitToScreen(1001, 751), (Size{500, 375}));
}

TEST_F(OpenPictureTest, AFrameLargerThanTheScreenEndsTheLoopAtZero) {
    WriteSkin("[left]\nWidth=1500\n[right]\nWidth=1500\n");
    app::TfrmMiddle& m = Start();
    EXPECT_EQ(m.FitToScreen(3000, 2000), (Size{0, 0}));
    WriteSkin("[left]\nWidth=2147483647\n[right]\nWidth=2147483647\n[top]\nHeight=2147483647\n"
              "[bottom]\nHeight=2147483647\n");
    m.LoadSkin();
    EXPECT_EQ(m.FitToScreen(2147483647, 2147483647), (Size{0, 0}));
}

TEST_F(OpenPictureTest, TheCommandLinePictureSizesTheWindowAtTheSettingsPosition) {
    WriteFrames();
    WriteSettings("[Placement]\nX=40\nY=60\nWidth=500\nHeight=500\n");
    platform.AddImage("C:\\pics\\big.png", 3000, 2000);
    platform.arguments = {"C:\\pics\\big.png", "ignored.png"};
    app::TfrmMiddle& m = Start();
    EXPECT_EQ(m.PicturePath, "C:\\pics\\big.png");
    ASSERT_NE(m.Picture, nullptr);
    EXPECT_EQ(m.Picture->Width(), 3000);
    EXPECT_EQ(m.BoundsRect(), (Rect{40, 60, 1500, 1000 + 53}));
    EXPECT_EQ(FormOf(*m.TopFrame).bounds, (Rect{30, 30, 1520, 30}));
    EXPECT_TRUE(FormOf(*m.RightFrame).visibleProperty);
    EXPECT_EQ(FormOf(*m.RightFrame).presentations.back().height, 1063);
    EXPECT_EQ(m.Image2->Bounds(), (Rect{0, 53, 1500, 1000}));
    EXPECT_EQ(LogIndex("decode C:\\pics\\ignored.png"), -1);
}

// The facts panel's file size is looked up when the panel first wants it, not at each open
// (a look at the file system is a round trip a held key pays for every picture).
TEST_F(OpenPictureTest, TheFileSizeIsAskedForOncePerPictureAndOnlyWhenWanted) {
    platform.AddImage("C:\\pics\\a.png", 300, 200);
    platform.AddImage("C:\\pics\\b.png", 300, 200);
    platform.files.files["C:\\pics\\b.png"] = std::string(1234, 'x');
    app::TfrmMiddle& m = Start();
    m.OpenFile("C:\\pics\\a.png");
    const auto asked = [&](const std::string& path) {
        return std::count(platform.files.stamped.begin(), platform.files.stamped.end(), path);
    };
    EXPECT_EQ(asked("C:\\pics\\a.png"), 0);
    m.OpenFile("C:\\pics\\b.png");
    EXPECT_EQ(m.PictureFileSize(), 1234u);
    EXPECT_EQ(m.PictureFileSize(), 1234u);
    EXPECT_EQ(asked("C:\\pics\\b.png"), 1);
    m.OpenFile("C:\\pics\\a.png");
    EXPECT_EQ(m.PictureFileSize(), 5u) << "the size of the picture opened since, not the last one's";
}

// Without a message box; the view says why, where the platform knows it.
TEST_F(OpenPictureTest, AnUndecodableFileGivesAnEmptyPictureSilentlyAndKeepsTheWindow) {
    platform.arguments = {"C:\\pics\\missing.jpg"};
    app::TfrmMiddle& m = Start();
    EXPECT_EQ(m.PicturePath, "C:\\pics\\missing.jpg");
    ASSERT_NE(m.Picture, nullptr);
    EXPECT_EQ(m.Picture->Width(), 0);
    EXPECT_EQ(m.ViewNote(), "Can't show 'missing.jpg': the file isn't there");
    platform.AddImage("C:\\pics\\deep.jpg", 0, 0);
    platform.images.at("C:\\pics\\deep.jpg").refusal = "it is a 12-bit JPEG";
    m.OpenFile("C:\\pics\\deep.jpg");
    EXPECT_EQ(m.ViewNote(), "Can't show 'deep.jpg': it is a 12-bit JPEG");
    platform.AddImage("C:\\pics\\odd.xyz", 0, 0);
    m.OpenFile("C:\\pics\\odd.xyz");
    EXPECT_EQ(m.ViewNote(), "Can't show 'odd.xyz': it is damaged, or not a picture Zylora reads");
    EXPECT_EQ(m.BoundsRect(), (Rect{100, 100, 320, 320}));
    EXPECT_TRUE(platform.messages.empty());
    EXPECT_NE(Stop().find("Width=320\r\nHeight=320\r\n"), std::string::npos);
}

// A TIFF of several pages: the page keys go round its pages, the window fitted to each, the
// view saying which; a page that doesn't decode leaves the one shown.
TEST_F(OpenPictureTest, ThePageKeysGoRoundTheTiffsPages) {
    const std::string doc = "C:\\pics\\doc.tif";
    platform.AddImage(doc, 100, 50);
    platform.images.at(doc).pages = 3;
    platform.AddImage(doc + "#0", 100, 50);
    platform.AddImage(doc + "#1", 60, 80);
    app::TfrmMiddle& m = Start();
    m.OpenFile(doc);
    const platform::ShiftState ctrl{false, true, false};
    struct Step {
        int key, width;
        const char* note;
    };
    for (const Step s : {Step{platform::keys::PageDown, 60, "Page 2 of 3"}, Step{platform::keys::PageDown, 60, "Page 2 of 3"},
                         Step{platform::keys::PageUp, 100, "Page 1 of 3"}, Step{platform::keys::PageUp, 100, "Page 1 of 3"}}) {
        m.FormKeyDown(s.key, ctrl);
        EXPECT_EQ(m.Picture->Width(), s.width) << s.note;
        EXPECT_EQ(m.BoundsRect().width, s.width) << s.note;
        EXPECT_EQ(m.ViewNote(), s.note);
    }
}

TEST_F(OpenPictureTest, ADropOpensTheFirstFileAndKeepsTheViewState) {
    WriteFrames();
    platform.AddImage("C:\\pics\\one.png", 400, 300);
    platform.AddImage("C:\\pics\\two.png", 640, 480);
    app::TfrmMiddle& m = Start();
    m.Show();
    m.ZoomFactor = 4;
    m.OffsetX = 12.5L;
    m.MoveMode = false;
    const int invalidations = View().invalidations;
    Drop({"C:\\pics\\one.png", "C:\\pics\\two.png", "C:\\pics\\three.png"}, {7, 9});
    EXPECT_EQ(m.FileDrop1->FileCount(), 3);
    EXPECT_EQ(m.FileDrop1->Files(),
              (std::vector<std::string>{"C:\\pics\\one.png", "C:\\pics\\two.png", "C:\\pics\\three.png"}));
    EXPECT_EQ(m.FileDrop1->DropPoint(), (platform::Point{7, 9}));
    EXPECT_EQ(m.PicturePath, "C:\\pics\\one.png");
    EXPECT_EQ(m.BoundsRect(), (Rect{100, 100, 400, 353}));
    EXPECT_GT(View().invalidations, invalidations);
    EXPECT_EQ(m.ZoomFactor, 4);
    EXPECT_EQ(m.OffsetX, 12.5L);
    EXPECT_FALSE(m.MoveMode);
    EXPECT_EQ(LogIndex("decode C:\\pics\\two.png"), -1);
}

TEST_F(OpenPictureTest, AnEmptyDropChangesNothing) {
    platform.AddImage("C:\\pics\\one.png", 400, 300);
    app::TfrmMiddle& m = Start();
    Drop({"C:\\pics\\one.png"});
    const std::size_t batches = platform.batches.size();
    int fired = 0;
    m.FileDrop1->OnDrop = [&](shell::TFileDrop& sender) {
        ++fired;
        EXPECT_EQ(&sender, m.FileDrop1.get());
        m.FileDrop1Drop();
    };
    Drop({});
    EXPECT_EQ(fired, 1);
    EXPECT_EQ(m.FileDrop1->FileCount(), 0);
    EXPECT_TRUE(m.FileDrop1->Files().empty());
    EXPECT_EQ(m.PicturePath, "C:\\pics\\one.png");
    EXPECT_EQ(platform.batches.size(), batches);
}

TEST_F(OpenPictureTest, TheViewPanelIsTheDropControl) {
    app::TfrmMiddle& m = Start();
    EXPECT_EQ(m.FileDrop1->DropControl(), m.Image2.get());
    EXPECT_TRUE(m.FileDrop1->EnableDrop());
    EXPECT_TRUE(View().acceptsDrops);
}

TEST(FileDropTest, EnableDropNeedsAControlAndUnbindingReleasesTheHook) {
    fake::FakePlatform platform;
    auto form = platform.CreateForm({"TForm", false});
    auto panel = platform.CreatePanel(*form);
    auto& fakePanel = dynamic_cast<fake::FakeWindow&>(*panel);
    {
        shell::TFileDrop drop(platform);
        drop.SetEnableDrop(true);
        EXPECT_FALSE(drop.EnableDrop());
        drop.SetDropControl(panel.get());
        EXPECT_TRUE(drop.EnableDrop());
        EXPECT_TRUE(fakePanel.acceptsDrops);
        EXPECT_TRUE(fakePanel.dropHook);
        drop.SetDropControl(nullptr);
        EXPECT_FALSE(fakePanel.dropHook);
        EXPECT_FALSE(fakePanel.acceptsDrops);
        EXPECT_EQ(drop.DropControl(), nullptr);
        EXPECT_FALSE(drop.EnableDrop());
        drop.SetDropControl(panel.get());
    }
    // Destruction unhooks and stops accepting drops.
    EXPECT_FALSE(fakePanel.dropHook);
    EXPECT_FALSE(fakePanel.acceptsDrops);
}

}  // namespace
}  // namespace zylora::testing
