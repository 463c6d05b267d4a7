// The smallest main window: every toolbar button within it, a small picture in the middle of
// the view at its own size, through opening, turns, crops and drags.
#include <functional>

#include "tests/unit/Harness.h"

namespace zylora::testing {
namespace {

using platform::Rect;
using platform::RectF;

class SmallestWindowTest : public ViewerTest {
protected:
    static constexpr const char* Buttons = "C:\\Zylora\\Buttons/Default\\";
    void SetUp() override {
        // The right-most button ends at x 400; the toolbar is 40 high, so the window is at
        // least 400 x 104 (64 of view).
        platform.files.files[std::string(Buttons) + "values.ini"] =
            "[Main]\nNumOfButtons=2\nToolbarHeight=40\n"
            "[Button-0]\nAction=open\nX=4\nY=4\nnormalImage=b.png\n"
            "[Button-1]\nAction=next\nX=368\nY=4\nnormalImage=b.png\n";
        platform.AddImage(std::string(Buttons) + "b.png", 32, 32);
        WriteSkin("[left]\nWidth=8\n[right]\nWidth=8\n[top]\nHeight=30\n[bottom]\nHeight=8\n");
        WriteSettings("[Placement]\nX=100\nY=100\nWidth=320\nHeight=320\n");
        Start().Show();
    }
    fake::FakeWindow& View() { return dynamic_cast<fake::FakeWindow&>(*main->Image2); }
    // Where the view's last paint drew the picture.
    std::string PictureDrawnTo() {
        auto screen = View().GetScreenTarget();
        View().Events().Paint(*screen);
        for (const std::string& draw : View().screenDraws)
            if (draw.rfind("imagerect C:\\p.png", 0) == 0) return draw.substr(draw.find(" to ") + 4);
        return "none";
    }
};

TEST_F(SmallestWindowTest, ThePictureAreaAndTheWindowThroughOpensAndTurns) {
    struct Case {
        const char* name;
        int width, height;                   // the picture's
        std::vector<std::string> commands;   // run after the open
        Rect window;                         // the main window's
        const char* drawnTo;                 // the picture's place in the view
    } cases[] = {
        {"a small picture in the middle at its size", 24, 24, {}, {100, 100, 400, 104}, "188,20,24,24"},
        {"a large one over the whole view", 600, 300, {}, {100, 100, 600, 340}, "0,0,600,300"},
        {"narrow and tall: the view as high as the picture", 24, 200, {}, {100, 100, 400, 240}, "188,0,24,200"},
        {"a quarter turn keeps the smallest width", 24, 40, {"rotate90right"}, {100, 100, 400, 104}, "180,20,40,24"},
        {"two quarter turns come back", 24, 40, {"rotate90right", "rotate90left"}, {100, 100, 400, 104}, "188,12,24,40"},
        {"a turn of a wide picture gives a high window", 500, 30, {"rotate90left"}, {100, 100, 400, 540}, "185,0,30,500"},
        {"a half turn changes nothing", 24, 40, {"rotate180right"}, {100, 100, 400, 104}, "188,12,24,40"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        platform.AddImage("C:\\p.png", c.width, c.height);
        main->OpenFile("C:\\p.png");
        for (const std::string& command : c.commands) main->RunCommand(command);
        EXPECT_EQ(main->BoundsRect(), c.window);
        EXPECT_EQ(PictureDrawnTo(), c.drawnTo);
    }
}

TEST_F(SmallestWindowTest, DragsAndPlacementsStopAtTheSmallestSize) {
    struct Case {
        const char* name;
        std::function<void(app::TfrmMiddle&)> act;
        Rect window;
    } cases[] = {
        {"a placement asked smaller", [](app::TfrmMiddle& m) { m.PlaceWindows(50, 60, 10, 10); }, {50, 60, 400, 104}},
        {"a right-edge drag", [](app::TfrmMiddle& m) { m.DragResizeTo({100, 100, 120, 320}); }, {100, 100, 400, 320}},
        {"a left-edge drag keeps the right edge",
         [](app::TfrmMiddle& m) {
             m.PlaceWindows(100, 100, 500, 320);
             m.DragResizeTo({450, 100, 150, 320});
         },
         {200, 100, 400, 320}},
        {"a bottom-edge drag", [](app::TfrmMiddle& m) { m.DragResizeTo({100, 100, 400, -5}); }, {100, 100, 400, 104}},
    };
    EXPECT_EQ(main->BoundsRect(), (Rect{100, 100, 400, 320})) << "the saved 320 x 320 widened at the start";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        main->PlaceWindows(100, 100, 400, 320);
        c.act(*main);
        EXPECT_EQ(main->BoundsRect(), c.window);
    }
}

TEST_F(SmallestWindowTest, AResizedWindowKeepsThePicturesShareOfTheView) {
    platform.AddImage("C:\\p.png", 100, 32);
    main->OpenFile("C:\\p.png");  // 100 x 32 in a 400 x 64 view
    main->PlaceWindows(100, 100, 800, 168);
    EXPECT_EQ(PictureDrawnTo(), "300,32,200,64");
}

}  // namespace
}  // namespace zylora::testing
