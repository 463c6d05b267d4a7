// The pointer and the wheel on the view: pans, selections and crops, the corner grip.
#include "tests/unit/Harness.h"

namespace zylora::testing {
namespace {

using platform::CursorShape;
using platform::MouseButton;
using platform::Point;

class ViewInputTest : public ViewerTest {
protected:
    void SetUp() override {
        platform.AddImage(std::string(SkinPath) + "corner.png", 14, 12);
        platform.images.at(std::string(SkinPath) + "corner.png").SetAlpha(0, 11, 0);
        Start().Show();
        Open(1000, 800);
    }
    void Open(int width, int height) {
        platform.AddImage("C:\\p.png", width, height);
        main->OpenFile("C:\\p.png");
    }
    fake::FakeWindow& View() { return dynamic_cast<fake::FakeWindow&>(*main->Image2); }
    void Down(Point at) { View().Events().MouseDown(MouseButton::Right, {}, at); }
    void Move(Point at) { View().Events().MouseMove({}, at); }
    void Up() { View().Events().MouseUp(MouseButton::Left, {}, {}); }
    // A drag whose cursor moves by (dx, dy) on the screen.
    void Pan(int dx, int dy) {
        platform.cursor = {500, 500};
        Down({10, 10});
        platform.cursor = {500 + dx, 500 + dy};
        Move({10 + dx, 10 + dy});
        Up();
    }
    void Select(Point from, Point to) {
        main->MoveMode = false;
        Down(from);
        Move(to);
        Up();
    }
};

TEST_F(ViewInputTest, PansFollowTheCursorAndStayInsideThePicture) {
    const struct {
        int zoom;
        long double startX, startY;
        int dx, dy;
        long double x, y;
    } cases[] = {
        {1, 0, 0, -100, -100, 0, 0},     // nothing to pan at the whole picture
        {2, 0, 0, -120, -30, 120, 30},   // screen pixels are picture pixels
        {2, 0, 0, -900, -900, 500, 400}, // at most the picture less what is shown
        {2, 100, 100, 300, 50, 0, 50},   // and never below 0
        {1, 300, 200, 0, 0, 0, 0},       // after zoomactual the first step pulls them back
        {3, 0, 0, -900, 0, 1000 - 1000 / 3.0L, 0},
    };
    for (const auto& c : cases) {
        main->ZoomFactor = c.zoom;
        main->OffsetX = c.startX;
        main->OffsetY = c.startY;
        const int invalidations = View().invalidations;
        Pan(c.dx, c.dy);
        EXPECT_EQ(main->OffsetX, c.x) << "zoom " << c.zoom << " by " << c.dx;
        EXPECT_EQ(main->OffsetY, c.y) << "zoom " << c.zoom << " by " << c.dy;
        EXPECT_EQ(View().invalidations, invalidations + 1);
        EXPECT_FALSE(main->Dragging);
    }
}

TEST_F(ViewInputTest, ASelectionCropsToTheShownPixelsWhicheverWayItWasDragged) {
    main->ZoomFactor = 2;
    for (auto [from, to] : {std::pair<Point, Point>{{200, 150}, {50, 30}}, {{50, 30}, {200, 150}}}) {
        Open(1000, 800);
        main->OffsetX = 40;
        main->PlaceWindows(70, 90, 500, 453);  // a view of 500 x 400: the picture shown reduced
        Select(from, to);
        ASSERT_EQ(main->Picture->Width(), 150);
        EXPECT_EQ(main->Picture->Height(), 120);
        EXPECT_EQ(dynamic_cast<const fake::FakeImage&>(*main->Picture).draws,
                  (std::vector<std::string>{"imagerect surface from 50,30,150,120 to 0,0,150,120"}));
        EXPECT_EQ(main->BoundsRect(), (platform::Rect{70, 90, 150, 120 + 53}));
        EXPECT_EQ(main->PicturePath, "C:\\p.png");
        EXPECT_EQ(main->OffsetX, 0);
        EXPECT_EQ(main->ZoomFactor, 2);
        EXPECT_EQ(FormOf(*main->BottomFrame).presentations.back().width, 150) << "frames rendered anew";
    }
    // The crop's source was the view as drawn, reduced copy and offsets included.
    auto screen = View().GetScreenTarget();
    View().Events().Paint(*screen);
    EXPECT_EQ(View().screenDraws.at(2), "imagerect surface from 0,0,75,60 to 0,0,150,120");
}

TEST_F(ViewInputTest, EmptyThinAndPictureLessSelectionsCropNothingButLoseTheVeil) {
    const platform::Image* before = main->Picture.get();
    Select({20, 20}, {20, 20});
    main->MoveMode = false;
    Down({20, 20});
    Move({60, 60});
    main->SelectionWidth = 0.5f;  // thinner than a pixel
    const int invalidations = View().invalidations;
    Up();
    EXPECT_EQ(main->Picture.get(), before);
    EXPECT_GT(View().invalidations, invalidations);

    main->OpenFile("C:\\broken.png");
    const int batches = static_cast<int>(platform.batches.size());
    Select({20, 20}, {60, 60});
    Pan(-50, -50);
    EXPECT_EQ(main->Picture->Width(), 0);
    EXPECT_EQ(static_cast<int>(platform.batches.size()), batches);
}

TEST_F(ViewInputTest, ACropWithoutMemoryForItOrALostCaptureLeavesThePicture) {
    const platform::Image* before = main->Picture.get();
    const platform::Rect window = main->BoundsRect();
    platform.surfacePixelLimit = 100;  // the cropped picture's pixels can't be had
    Select({20, 20}, {60, 60});
    platform.surfacePixelLimit = -1;
    main->MoveMode = false;
    Down({20, 20});
    Move({60, 60});
    const int invalidations = View().invalidations;
    View().Events().CaptureLost();
    Up();
    EXPECT_FALSE(main->Dragging);
    EXPECT_GT(View().invalidations, invalidations) << "the veil goes";
    EXPECT_EQ(main->Picture.get(), before);
    EXPECT_EQ(main->BoundsRect(), window);

    main->PlaceWindows(0, 0, 300, 253);  // a grip resize stops where it is
    Down({290, 190});
    View().Events().CaptureLost();
    EXPECT_FALSE(main->Timer1->Enabled());
}

TEST_F(ViewInputTest, ACropFarBeyondThePanelIsCutToWhatAWindowCanBe) {
    main->MoveMode = false;
    Down({0, 0});
    main->SelectionWidth = 100000;
    main->SelectionHeight = 50;
    Up();
    EXPECT_EQ(main->Picture->Width(), platform::MaxWindowExtent);
    EXPECT_EQ(main->Picture->Height(), 50);
}

TEST_F(ViewInputTest, TheWheelZoomsByOneDownToOneAndLeavesTheOffsets) {
    main->OffsetX = 30;
    for (int i = 0; i < 3; ++i) MainForm().Events().WheelNotch(+1);
    EXPECT_EQ(main->ZoomFactor, 4);
    for (int i = 0; i < 5; ++i) MainForm().Events().WheelNotch(-1);
    EXPECT_EQ(main->ZoomFactor, 1);
    EXPECT_EQ(main->OffsetX, 30);
}

TEST_F(ViewInputTest, TheGripIsTheCornerImagesOpaquePixelsAndStartsTheResize) {
    main->PlaceWindows(0, 0, 300, 253);  // a view of 300 x 200; the grip from (286, 188)
    const std::pair<Point, bool> cases[] = {{{286, 188}, true},  {{299, 199}, true}, {{285, 199}, false},
                                            {{300, 200}, false}, {{299, 200}, false}, {{286, 199}, false}};
    for (const auto& [at, on] : cases) {
        Move(at);
        const CursorShape expected = on ? CursorShape::SizeNWSE : CursorShape::Arrow;
        EXPECT_EQ(View().cursor, expected) << at.x << "," << at.y;
        EXPECT_EQ(MainForm().cursor, expected) << at.x << "," << at.y;
    }
    platform.cursor = {900, 700};
    Down({290, 190});
    EXPECT_TRUE(main->Timer1->Enabled());
    EXPECT_FALSE(main->Dragging);
    EXPECT_EQ(main->DragLastX, 900);
    EXPECT_EQ(main->DragLastY, 700);
    platform.cursor = {950, 730};  // let go before a tick came: the release takes the last step
    Up();
    EXPECT_FALSE(main->Timer1->Enabled());
    EXPECT_EQ(main->BoundsRect(), (platform::Rect{0, 0, 350, 283}));
}

}  // namespace
}  // namespace zylora::testing
