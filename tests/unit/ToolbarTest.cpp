// The toolbar: its drawing, the pointer on its buttons and the buttons' actions.
#include <climits>

#include "shell/FileDrop.h"
#include "tests/unit/Harness.h"
#include "toolbar/ZylButton.h"

namespace zylora::testing {
namespace {

using platform::MouseButton;
using platform::Point;

class ToolbarTest : public ViewerTest {
protected:
    static constexpr const char* Buttons = "C:\\Zylora\\Buttons/Default\\";
    void SetUp() override {
        // "next" overlaps "open" at x 30..36 and its image is smaller than its rectangle.
        platform.files.files[std::string(Buttons) + "values.ini"] =
            "[Main]\nNumOfButtons=4\nToolbarHeight=40\n"
            "[Button-0]\nAction=open\nX=4\nY=4\nnormalImage=open.png\nmouseoverImage=open_hot.png\n"
            "[Button-1]\nAction=next\nX=30\nY=2\nWidth=16\nHeight=20\nnormalImage=next.png\n"
            "[Button-2]\nAction=MoveMode\nX=100\nY=4\nnormalImage=move.png\nselectedImage=move_on.png\n"
            "[Button-3]\nAction=selectmode\nX=140\nY=4\nnormalImage=sel.png\nselectedImage=sel_on.png\n";
        platform.AddImage(Image("bg.bmp"), 80, 40);
        for (const char* name : {"open.png", "open_hot.png", "move.png", "move_on.png", "sel.png", "sel_on.png"})
            platform.AddImage(Image(name), 32, 32);
        platform.images.at(Image("open.png")).SetAlpha(10, 10, 0);
        platform.AddImage(Image("next.png"), 16, 16);
        Start().Show();
    }
    fake::FakeWindow& Bar() { return dynamic_cast<fake::FakeWindow&>(*main->Toolbar); }
    fake::FakeWindow& View() { return dynamic_cast<fake::FakeWindow&>(*main->Image2); }
    const std::vector<std::string>& Paint() {
        auto screen = Bar().GetScreenTarget();
        EXPECT_TRUE(Bar().Events().Paint(*screen));
        return Bar().screenDraws;
    }
    std::string Image(const std::string& name) { return std::string(Buttons) + name; }
    toolbar::TZylButton& Button(int i) { return *main->ButtonList[static_cast<std::size_t>(i)]; }
    std::string ActionAt(Point at) {
        const toolbar::TZylButton* b = toolbar::ButtonAt(main->ButtonList, at);
        return b ? b->Action : "";
    }
    // The toolbar redraws logged since the mark, as "WxH at X,Y".
    std::vector<std::string> RedrawsSince(std::size_t mark) const {
        std::vector<std::string> found;
        const std::string prefix = "draw surface on panel ";
        for (std::size_t i = mark; i < platform.log.size(); ++i)
            if (platform.log[i].rfind(prefix, 0) == 0) found.push_back(platform.log[i].substr(prefix.size()));
        return found;
    }
    void Run(const std::string& action) {
        toolbar::TZylButton button(*main);
        button.Action = action;
        button.RunAction();
    }
    void Move(Point at) { Bar().Events().MouseMove({}, at); }
    void Down(MouseButton b, Point at) { Bar().Events().MouseDown(b, {}, at); }
    void Up(MouseButton b, Point at) { Bar().Events().MouseUp(b, {}, at); }
};

TEST_F(ToolbarTest, BackgroundSpansTheWidthOverSilverAndButtonsSitOnIt) {
    EXPECT_TRUE(Bar().Events().EraseBackground());
    const auto& draws = Paint();
    ASSERT_EQ(draws.size(), 5u);
    EXPECT_EQ(draws[0], "imagerect surface from 0,0,320,40 to 0,0,320,40");  // the cache, unscaled
    EXPECT_EQ(draws[1], "image " + Image("open.png") + " 4,4,32,32");
    EXPECT_EQ(draws[2], "image " + Image("next.png") + " 30,2,16,20");
    EXPECT_EQ(draws[3], "image " + Image("move_on.png") + " 100,4,32,32") << "move mode is on at start";
    const auto& cache = dynamic_cast<const fake::FakeImage&>(*main->ToolbarBackgroundCache);
    EXPECT_EQ(cache.draws, (std::vector<std::string>{"clear 4290822336",  // opaque silver
                                                     "texture " + Image("bg.bmp") + " scale 4,1 area 0,0,320,40"}));
}

TEST_F(ToolbarTest, ANewSizeRepaintsTheWholeToolbarOnANewCache) {
    Paint();
    const platform::Image* first = main->ToolbarBackgroundCache.get();
    Paint();
    EXPECT_EQ(main->ToolbarBackgroundCache.get(), first);
    const int before = Bar().invalidations;
    main->PlaceWindows(0, 0, 500, 200);
    EXPECT_GT(Bar().invalidations, before) << "the old stretch must not stay beside the new one";
    // A redraw before the repaint already composes on the new stretch.
    Button(0).Redraw(*Bar().GetScreenTarget());
    ASSERT_NE(main->ToolbarBackgroundCache, nullptr);
    EXPECT_EQ(main->ToolbarBackgroundCache->Width(), 500);
    main->LoadButtonSet();  // a new background drops the cache
    EXPECT_EQ(main->ToolbarBackgroundCache, nullptr);
}

TEST_F(ToolbarTest, WithoutABackgroundImageTheSilverShows) {
    platform.images.clear();
    platform.files.files.erase(Image("bg.bmp"));
    main->LoadButtonSet();
    EXPECT_EQ(Paint().size(), 5u);
    EXPECT_EQ(dynamic_cast<const fake::FakeImage&>(*main->ToolbarBackgroundCache).draws,
              (std::vector<std::string>{"clear 4290822336"}));
}

TEST_F(ToolbarTest, ARedrawComposesOneButtonOverItsPieceOfTheSameBackground) {
    Paint();
    Button(0).Hovered = true;
    Button(0).Redraw(*Bar().GetScreenTarget());
    EXPECT_EQ(Bar().screenDraws,
              (std::vector<std::string>{"imagerect surface from 4,4,32,32 to 0,0,32,32",
                                        "image " + Image("open_hot.png") + " 0,0,32,32"}));
    EXPECT_EQ(platform.log.back(), "draw surface on panel 32x32 at 4,4");
}

TEST_F(ToolbarTest, TheButtonUnderAPointIsTheFirstOpaqueOneWithBothEdgesIncluded) {
    const std::pair<Point, const char*> cases[] = {
        {{4, 4}, "open"},     // top-left corner
        {{3, 4}, ""},         // left of it
        {{32, 10}, "open"},   // over both: the first in the list wins
        {{40, 10}, "next"},
        {{14, 14}, ""},       // a transparent pixel of open.png
        {{36, 20}, ""},       // open's right edge is in its rectangle but past its image
        {{40, 19}, ""},       // next's image is 16 high in a rectangle of 20
        {{46, 22}, ""},
        {{132, 36}, ""},
    };
    for (const auto& [at, action] : cases) EXPECT_EQ(ActionAt(at), action) << at.x << "," << at.y;
    main->Active = false;  // inactive images (the normal ones here) are tested then
    platform.images.at(Image("open.png")).SetAlpha(0, 0, 0);
    EXPECT_EQ(ActionAt({32, 10}), "open");
}

TEST_F(ToolbarTest, HoverFollowsThePointerAndRedrawsOnlyOnChange) {
    std::size_t mark = platform.log.size();
    Move({200, 30});
    Move({10, 10});
    Move({12, 12});  // the same button: nothing to redraw
    EXPECT_TRUE(Button(0).Hovered);
    EXPECT_EQ(RedrawsSince(mark), (std::vector<std::string>{"32x32 at 4,4"}));
    EXPECT_EQ(Bar().leaveTrackings, 3) << "leave tracking is armed at every move";

    mark = platform.log.size();
    Move({40, 10});
    EXPECT_FALSE(Button(0).Hovered);
    EXPECT_TRUE(Button(1).Hovered);
    EXPECT_EQ(RedrawsSince(mark), (std::vector<std::string>{"32x32 at 4,4", "16x20 at 30,2"}));

    mark = platform.log.size();
    Bar().Events().MouseLeave();
    EXPECT_FALSE(Button(1).Hovered);
    EXPECT_EQ(RedrawsSince(mark), (std::vector<std::string>{"16x20 at 30,2"}));
}

TEST_F(ToolbarTest, AReleaseRunsTheButtonUnderItWhereverThePressBegan) {
    WriteSettings("");
    platform.files.workingDirectory = "C:\\Pics";
    platform.AddImage("C:\\Pics\\a.png", 50, 40);
    main = nullptr;
    Start().Show();
    Down(MouseButton::Left, {10, 10});
    EXPECT_TRUE(Button(0).Pressed);
    Up(MouseButton::Left, {40, 10});  // over next
    EXPECT_FALSE(Button(0).Pressed);
    EXPECT_EQ(main->PicturePath, "C:\\Pics\\a.png");
    EXPECT_EQ(LogIndex("open dialog"), -1);

    // Over a transparent pixel only the pressed look goes; the middle button is a left one.
    Down(MouseButton::Middle, {10, 10});
    Up(MouseButton::Middle, {14, 14});
    EXPECT_FALSE(Button(0).Pressed);
    EXPECT_EQ(LogIndex("open dialog"), -1);

    // The right release is the button set menu's: the pressed look stays, nothing runs.
    Down(MouseButton::Right, {10, 10});
    Up(MouseButton::Right, {10, 10});
    EXPECT_TRUE(Button(0).Pressed);
    EXPECT_EQ(LogIndex("open dialog"), -1);
    Up(MouseButton::Left, {200, 30});
    EXPECT_FALSE(Button(0).Pressed);
}

TEST_F(ToolbarTest, ALostCaptureClearsThePressedLookAndRunsNothing) {
    Down(MouseButton::Left, {10, 10});
    Bar().Events().CaptureLost();
    EXPECT_FALSE(Button(0).Pressed);
    EXPECT_EQ(LogIndex("open dialog"), -1);
}

TEST_F(ToolbarTest, ZoomActualAndHalvingNeverGoBelowOneNorDoublingPastTheIntegers) {
    const struct {
        int from;
        const char* action;
        int to;
    } cases[] = {{1, "zoomout", 1}, {3, "zoomout", 1}, {5, "zoomout", 2},  {3, "zoomin", 6},
                 {3, "ZoomIn", 6},  {8, "zoomactual", 1}, {INT_MAX / 2 + 1, "zoomin", INT_MAX / 2 + 1},
                 {4, "zoom", 4}};
    for (const auto& c : cases) {
        main->ZoomFactor = c.from;
        main->OffsetX = 7;
        const int before = View().invalidations;
        Run(c.action);
        EXPECT_EQ(main->ZoomFactor, c.to) << c.action << " from " << c.from;
        EXPECT_EQ(main->OffsetX, 7);
        EXPECT_EQ(View().invalidations, before + (std::string(c.action) == "zoom" ? 0 : 1));
    }
}

TEST_F(ToolbarTest, ModeButtonsShowTheModeWithoutTouchingTheView) {
    const int before = View().invalidations;
    const std::size_t mark = platform.log.size();
    Run("selectmode");
    EXPECT_FALSE(main->MoveMode);
    EXPECT_FALSE(Button(2).Selected);
    EXPECT_TRUE(Button(3).Selected);
    EXPECT_EQ(RedrawsSince(mark), (std::vector<std::string>{"32x32 at 100,4", "32x32 at 140,4"}));
    Run("MOVEMODE");
    EXPECT_TRUE(main->MoveMode);
    EXPECT_TRUE(Button(2).Selected);
    EXPECT_FALSE(Button(3).Selected);
    EXPECT_EQ(View().invalidations, before);
}

TEST_F(ToolbarTest, TurnsAndMirrorsTransformThePictureAndQuarterTurnsExchangeTheSides) {
    const struct {
        const char* action;
        const char* transform;
        bool exchanges;
    } cases[] = {{"rotate90left", "rotateflip 3", true},   {"rotate180left", "rotateflip 2", false},
                 {"rotate270left", "rotateflip 1", true},  {"rotate90right", "rotateflip 1", true},
                 {"rotate180right", "rotateflip 2", false}, {"rotate270right", "rotateflip 3", true},
                 {"mirrorx", "rotateflip 4", false},       {"mirrory", "rotateflip 6", false}};
    platform.AddImage("C:\\p.png", 400, 260);
    main->OpenFile("C:\\p.png");
    main->ZoomFactor = 2;
    for (const auto& c : cases) {
        const platform::Rect before = main->BoundsRect();
        Run(c.action);
        const auto& picture = dynamic_cast<const fake::FakeImage&>(*main->Picture);
        EXPECT_EQ(picture.draws.back(), c.transform) << c.action;
        const platform::Rect after = main->BoundsRect();
        EXPECT_EQ(after.left, before.left);
        EXPECT_EQ(after.top, before.top);
        EXPECT_EQ(after.width, c.exchanges ? before.height : before.width) << c.action;
        EXPECT_EQ(after.height, c.exchanges ? before.width : before.height) << c.action;
    }
    EXPECT_EQ(main->ZoomFactor, 2);
}

TEST_F(ToolbarTest, TurnsNeedAPictureThatDecodedAndMemoryForTheTurn) {
    platform.AddImage("C:\\p.png", 400, 260);
    for (const char* path : {"", "C:\\broken.png", "C:\\p.png"}) {
        if (*path) main->OpenFile(path);
        if (main->HasPicture()) dynamic_cast<fake::FakeImage&>(*main->Picture).turnFails = true;
        const std::size_t batches = platform.batches.size();
        const int invalidations = View().invalidations;
        Run("rotate90left");
        Run("mirrorx");
        EXPECT_EQ(platform.batches.size(), batches) << path;
        EXPECT_EQ(View().invalidations, invalidations) << path;
    }
}

TEST_F(ToolbarTest, AReducedCopyOfThePictureFollowsItsTurns) {
    platform.AddImage("C:\\big.png", 4000, 3000);
    main->OpenFile("C:\\big.png");
    main->PlaceWindows(0, 0, 400, 340);  // a view of 400 x 300: a copy reduced 8 times
    auto paint = [&] {
        auto screen = View().GetScreenTarget();
        View().Events().Paint(*screen);
        return View().screenDraws.at(2);
    };
    EXPECT_EQ(paint(), "imagerect C:\\big.png@500x375 from 0,0,500,375 to 0,0,400,300");
    Run("rotate90right");
    main->PlaceWindows(0, 0, 300, 440);
    // The copy turns with the picture (named for the size it was made at), rather than the
    // turned picture being reduced again.
    EXPECT_EQ(paint(), "imagerect C:\\big.png@500x375 from 0,0,375,500 to 0,0,300,400");
    EXPECT_EQ(dynamic_cast<fake::FakeImage&>(*main->Picture).reductions, 1);
}

TEST_F(ToolbarTest, OpenShowsTheDialogAndOpensTheChoice) {
    Run("open");  // cancelled
    EXPECT_EQ(platform.log.back(),
              "open dialog Image Files (*.png, *.jpg, *.gif, *.tif, *.tiff, * .jpeg)|*.png; "
              "*.jpg;*.gif;*.tif;*.tiff;*.jpeg;*.webp;*.avif;*.heic;*.heif;*.jxl;*.tga;*.psd;*.qoi;*.apng;*.ico|All Files (*.*)|*.*");
    EXPECT_EQ(main->PicturePath, "");
    platform.AddImage("D:\\chosen.jpg", 120, 80);
    platform.openDialogAnswer = "D:\\chosen.jpg";
    Run("open");
    EXPECT_EQ(main->FileDrop1->Files(), (std::vector<std::string>{"D:\\chosen.jpg"}));
    EXPECT_EQ(main->PicturePath, "D:\\chosen.jpg");
    EXPECT_EQ(main->BoundsRect().width, 172) << "as wide as the buttons reach, wider than the picture";
}

}  // namespace
}  // namespace zylora::testing
