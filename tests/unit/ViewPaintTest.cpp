// What the view panel draws: background, the zoomed and panned picture, the veil, the grip.
#include <algorithm>

#include "shell/FileDrop.h"
#include "tests/unit/Harness.h"
#include "view/ViewProc.h"

namespace zylora::testing {
namespace {

using platform::RectF;

class ViewPaintTest : public ViewerTest {
protected:
    void SetUp() override {
        WriteSkin("[bg]\nColorR=10\nColorG=20\nColorB=30\n");
        platform.AddImage(std::string(SkinPath) + "corner.png", 14, 12);
    }
    fake::FakeWindow& View() { return dynamic_cast<fake::FakeWindow&>(*main->Image2); }
    const std::vector<std::string>& Paint() {
        auto screen = View().GetScreenTarget();
        EXPECT_TRUE(View().Events().Paint(*screen));
        return View().screenDraws;
    }
    void Open(const std::string& path, int width, int height) {
        platform.AddImage(path, width, height);
        main->FileDrop1->Files() = {path};
        main->FileDrop1Drop();
    }
    std::string Background() { return "clear " + std::to_string(platform::MakeArgb(255, 10, 20, 30)); }
};

TEST_F(ViewPaintTest, WithoutAPictureTheBackgroundAndTheGripShow) {
    Start().Show();
    main->PlaceWindows(0, 0, 300, 253);
    EXPECT_EQ(Paint(), (std::vector<std::string>{
                           Background(), "antialias on",
                           "image C:\\Zylora\\Skins/Default\\corner.png 286,188,14,12"}));
}

TEST_F(ViewPaintTest, TheSourceRectangleIsZoomAndOffsets) {
    Start().Show();
    Open("C:\\pics\\a.png", 1000, 800);
    main->ZoomFactor = 2;
    main->OffsetX = 10;
    main->OffsetY = 20.5L;
    const auto& draws = Paint();
    ASSERT_GE(draws.size(), 3u);
    EXPECT_EQ(draws[2], "imagerect C:\\pics\\a.png from 10,20.5,500,400 to 0,0,1000,800");
    main->ZoomFactor = 3;
    EXPECT_EQ(Paint()[2], "imagerect C:\\pics\\a.png from 10,20.5,333.333344,266.666656 to 0,0,1000,800");
    main->ZoomFactor = 0;  // never divides by zero
    EXPECT_EQ(Paint()[2], "imagerect C:\\pics\\a.png from 10,20.5,1000,800 to 0,0,1000,800");
}

TEST_F(ViewPaintTest, AResizedWindowStretchesTheWholePicture) {
    Start().Show();
    Open("C:\\pics\\a.png", 400, 300);
    main->PlaceWindows(100, 100, 200, 353);
    EXPECT_EQ(Paint()[2], "imagerect C:\\pics\\a.png from 0,0,400,300 to 0,0,200,300");
}

TEST_F(ViewPaintTest, TheVeilCoversAllButTheSelectionWhicheverWayItWasDragged) {
    Start().Show();
    Open("C:\\pics\\a.png", 400, 300);
    main->MoveMode = false;
    main->Dragging = true;
    main->SelectionX = 200;
    main->SelectionY = 150;
    main->SelectionWidth = -150;
    main->SelectionHeight = -120;
    const std::vector<std::string> upLeft = Paint();
    main->SelectionX = 50;
    main->SelectionY = 30;
    main->SelectionWidth = 150;
    main->SelectionHeight = 120;
    EXPECT_EQ(Paint(), upLeft);
    const std::string rects = "-1,-1,402,302 50,30,150,120";
    EXPECT_EQ(upLeft[3], "evenodd " + rects + " color " + std::to_string(platform::MakeArgb(160, 160, 160, 160)));
    EXPECT_EQ(upLeft[4], "outline " + rects + " color " + std::to_string(platform::MakeArgb(220, 100, 100, 255)) +
                             " width 2");
    EXPECT_EQ(upLeft[5].rfind("image C:\\Zylora\\Skins/Default\\corner.png", 0), 0u);  // the grip on top

    main->MoveMode = true;  // a pan drag shows no veil
    EXPECT_EQ(Paint().size(), 4u);
}

TEST_F(ViewPaintTest, NothingIsDrawnWhileRolling) {
    Start().Show();
    View().screenDraws.clear();
    main->RollingUp = true;
    EXPECT_TRUE(Paint().empty());
    main->RollingUp = false;
    main->Unrolling = true;
    EXPECT_TRUE(Paint().empty());
}

TEST_F(ViewPaintTest, ALargePictureIsDrawnFromACachedReducedCopy) {
    platform.screen = {8000, 8000};
    Start().Show();
    Open("C:\\pics\\big.jpg", 6000, 4000);
    main->PlaceWindows(0, 0, 1500, 1053);
    const std::string reduced = "imagerect C:\\pics\\big.jpg@1500x1000 from 0,0,1500,1000 to 0,0,1500,1000";
    EXPECT_EQ(Paint()[2], reduced);
    EXPECT_EQ(Paint()[2], reduced);
    auto& picture = dynamic_cast<fake::FakeImage&>(*main->Picture);
    EXPECT_EQ(picture.reductions, 1);
    main->ZoomFactor = 2;  // 3000 x 2000 source pixels into 1500 x 1000: half as much
    main->OffsetX = 100;
    EXPECT_EQ(Paint()[2], "imagerect C:\\pics\\big.jpg@3000x2000 from 50,0,1500,1000 to 0,0,1500,1000");
    main->ZoomFactor = 4;  // one source pixel per screen pixel: the picture itself
    EXPECT_EQ(Paint()[2], "imagerect C:\\pics\\big.jpg from 100,0,1500,1000 to 0,0,1500,1000");
    EXPECT_EQ(picture.reductions, 2);

    main->ZoomFactor = 1;
    Open("C:\\pics\\big.jpg", 6000, 4000);  // the same file again is a new picture
    main->PlaceWindows(0, 0, 1500, 1053);
    // The offsets survive the open, in picture pixels.
    EXPECT_EQ(Paint()[2], "imagerect C:\\pics\\big.jpg@1500x1000 from 25,0,1500,1000 to 0,0,1500,1000");
    EXPECT_EQ(dynamic_cast<fake::FakeImage&>(*main->Picture).reductions, 1);
}

// A large photo's preview, a quarter of its size, stands in for it in the whole picture's
// place until the full pixels are in; what asks for the picture waits for them.
TEST_F(ViewPaintTest, APreviewStandsInForTheWholePictureUntilItsPixelsAreIn) {
    Start().Show();
    platform.previews["C:\\pics\\huge.jpg"] = {1500, 1000};
    Open("C:\\pics\\huge.jpg", 6000, 4000);
    EXPECT_EQ(platform.previewNeeded, (std::vector<platform::Size>{{750, 500}}))
        << "half the sharpness the window shows it with";
    EXPECT_EQ(main->Picture, nullptr);
    EXPECT_EQ(main->Image2->Bounds().width, 1500) << "the window takes the whole picture's fitted size";
    EXPECT_EQ(Paint()[2], "imagerect preview C:\\pics\\huge.jpg from 0,0,1500,1000 to 0,0,1500,1000");
    main->ZoomFactor = 2;
    main->OffsetX = 1000;  // whole-picture pixels: 250 of the preview's
    EXPECT_EQ(Paint()[2], "imagerect preview C:\\pics\\huge.jpg from 250,0,750,500 to 0,0,1500,1000");

    platform.RunBackground();  // the full decode ends
    ASSERT_NE(main->Picture, nullptr);
    EXPECT_EQ(main->Picture->Width(), 6000);
    EXPECT_EQ(main->Preview, nullptr);
    EXPECT_EQ(Paint()[2], "imagerect C:\\pics\\huge.jpg@3000x2000 from 500,0,1500,1000 to 0,0,1500,1000");

    // Asked for before its decode ends (a zoom, a turn), the picture is waited for; the
    // decode's end later, or that of a picture left behind, changes nothing.
    Open("C:\\pics\\huge.jpg", 6000, 4000);
    ASSERT_TRUE(main->HasPicture());
    const platform::Image* full = main->Picture.get();
    Open("C:\\pics\\next.jpg", 300, 200);
    platform.RunBackground();
    EXPECT_EQ(main->PicturePath, "C:\\pics\\next.jpg");
    EXPECT_NE(main->Picture.get(), full);
    EXPECT_EQ(main->Picture->Width(), 300);
}

// What a damaged file held is shown with a line at the foot of the view saying so; where
// the full decode gives nothing, the preview stays.
TEST_F(ViewPaintTest, ADamagedFileShowsWhatItHeldAndSaysSo) {
    Start().Show();
    auto noted = [&] {
        const auto& draws = Paint();
        return std::any_of(draws.begin(), draws.end(), [](const std::string& draw) {
            return draw.rfind("text 'Damaged file: only part of the picture could be read'", 0) == 0;
        });
    };
    platform.AddImage("C:\\pics\\cut.jpg", 400, 300);
    platform.images.at("C:\\pics\\cut.jpg").damaged = true;
    main->OpenFile("C:\\pics\\cut.jpg");
    EXPECT_TRUE(noted());
    Open("C:\\pics\\whole.png", 400, 300);
    EXPECT_FALSE(noted());
    platform.previews["C:\\pics\\huge.jpg"] = {400, 300};
    platform.failingFullDecodes.insert("C:\\pics\\huge.jpg");
    Open("C:\\pics\\huge.jpg", 4000, 3000);
    platform.RunBackground();
    EXPECT_EQ(Paint()[2], "imagerect preview C:\\pics\\huge.jpg from 0,0,400,300 to 0,0,1000,750");
    EXPECT_TRUE(noted());
}

// A note too long for a narrow view goes on further lines, by words; the last line keeps
// what is left past the most lines.
TEST(NoteLinesTest, ALongNoteWrapsByWordsUpToTheMostLines) {
    using V = std::vector<std::string>;
    const std::string note = "Can't show 'IMG_0042.heic': the HEIC decoder is missing";
    EXPECT_EQ(view::NoteLines(note, 1000, 4), V{note});
    EXPECT_EQ(view::NoteLines(note, 200, 4), (V{"Can't show 'IMG_0042.heic':", "the HEIC decoder is missing"}));
    EXPECT_EQ(view::NoteLines(note, 60, 2), (V{"Can't", "show 'IMG_0042.heic': the HEIC decoder is missing"}));
    EXPECT_EQ(view::NoteLines("averyveryverylongname.heic", 60, 4), V{"averyveryverylongname.heic"});
}

TEST_F(ViewPaintTest, BetweenTwoPowersTheExactScaleIsMadeOnceTheViewRests) {
    platform.screen = {8000, 8000};
    Start().Show();
    Open("C:\\pics\\big.jpg", 6000, 4000);
    main->PlaceWindows(0, 0, 2220, 1533);  // a view of 2220 x 1480: 0.37 of the picture
    auto restTimer = std::find_if(platform.timers.begin(), platform.timers.end(),
                                  [](const fake::FakeTimer* t) { return t->interval == 150; });
    ASSERT_NE(restTimer, platform.timers.end());
    fake::FakeTimer& rest = **restTimer;
    EXPECT_EQ(Paint()[2], "imagerect C:\\pics\\big.jpg@3000x2000 from 0,0,3000,2000 to 0,0,2220,1480")
        << "at first the half, stretched";
    EXPECT_TRUE(rest.Enabled());
    const int invalidations = View().invalidations;
    rest.Tick();
    EXPECT_GT(View().invalidations, invalidations);
    EXPECT_EQ(Paint()[2], "imagerect C:\\pics\\big.jpg@3000x2000@2220x1480 from 0,0,2220,1480 to 0,0,2220,1480");
    EXPECT_FALSE(rest.Enabled()) << "nothing more to make while the scale stays";
}

TEST_F(ViewPaintTest, ADragResizeDrawsQuicklyAndFinelyOnceItRests) {
    Start().Show();
    Open("C:\\pics\\a.png", 400, 300);
    View().paintsOnUpdate = true;
    main->DragResizeTo({0, 0, 800, 653});  // magnified: no finer copy to make
    ASSERT_GE(View().screenDraws.size(), 3u);
    EXPECT_EQ(View().screenDraws[2], "quick imagerect C:\\pics\\a.png from 0,0,400,300 to 0,0,800,600");
    auto rest = std::find_if(platform.timers.begin(), platform.timers.end(),
                             [](const fake::FakeTimer* t) { return t->interval == 150; });
    ASSERT_NE(rest, platform.timers.end());
    ASSERT_TRUE((*rest)->Enabled());
    const int invalidations = View().invalidations;
    (*rest)->Tick();
    EXPECT_GT(View().invalidations, invalidations);
    EXPECT_EQ(Paint()[2], "imagerect C:\\pics\\a.png from 0,0,400,300 to 0,0,800,600");
    main->PlaceWindows(0, 0, 300, 353);  // placed otherwise than by a drag
    EXPECT_EQ(View().screenDraws[2].rfind("imagerect", 0), 0u) << View().screenDraws[2];
}

TEST_F(ViewPaintTest, AResizeOfThePanelRepaintsAtOnce) {
    Start().Show();
    const int invalidations = View().invalidations, updates = View().updates;
    main->PlaceWindows(0, 0, 640, 480);
    EXPECT_GT(View().invalidations, invalidations);
    EXPECT_GT(View().updates, updates);
}

TEST(ViewGeometryTest, SelectionsNormaliseTheirExtent) {
    EXPECT_EQ(view::NormalisedSelection(200, 150, -150, -120), (RectF{50, 30, 150, 120}));
    EXPECT_EQ(view::NormalisedSelection(50, 30, 150, -20), (RectF{50, 10, 150, 20}));
    EXPECT_EQ(view::NormalisedSelection(5, 5, 0, 0), (RectF{5, 5, 0, 0}));
}

}  // namespace
}  // namespace zylora::testing
