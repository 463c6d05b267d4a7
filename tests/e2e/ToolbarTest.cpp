// The bundled default button set on the real exe, in one session as a person would use it:
// hover, stepping through a folder both ways round, zooming, turning the picture, and
// opening a picture from the open dialog.
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "tests/e2e/SkinnedAppTest.h"

namespace zylora::e2e {
namespace {

constexpr const char* kCaption = "Zylora Toolbar E2E";
constexpr int kX = 200, kY = 150;

class Toolbar : public SkinnedAppTest {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(SkinnedAppTest::SetUp());
        UseBareSkin("Toolbar", kCaption, kX, kY);
        const ButtonSetLayout set = ReadButtonSet("Buttons/Default");
        toolbarHeight_ = set.toolbarHeight;
        buttons_ = set.buttons;
        for (const char* action : {"open", "prev", "next", "zoomin", "zoomout", "rotate90left", "rotate90right"})
            ASSERT_EQ(buttons_.count(action), 1u) << "the default button set has no " << action << " button";

        // Sizes that tell the pictures apart, wider than the buttons reach, a turned too.
        QuartersPng("Pictures/a.png", 520, 440, 260, 220);
        SolidPng("Pictures/b.png", 500, 300, {200, 100, 0});
        SolidPng("Pictures/c.png", 520, 260, {0, 100, 200});  // written anew during the test
    }

    // Where a button's middle is on the screen.
    std::pair<int, int> Centre(const std::string& action) {
        const ToolbarButton& b = buttons_.at(action);
        return {kX + b.x + b.width / 2, kY + b.y + b.height / 2};
    }
    void ClickButton(const std::string& action) {
        const auto [x, y] = Centre(action);
        x_.Click(x, y);
    }
    // The main window once it has the size of the view plus the toolbar, where it was put.
    void ExpectWindow(const std::string& after, int viewWidth, int viewHeight) {
        const auto w = ExpectWindowAt(kCaption, kX, kY, viewWidth, viewHeight + toolbarHeight_, after);
        ASSERT_TRUE(w);
        window_ = *w;
    }
    // The view's four corners, inset by 12 pixels.
    void ExpectCorners(const std::string& name, int width, int height, Rgb topLeft, Rgb topRight,
                       Rgb bottomLeft, Rgb bottomRight) {
        const int top = kY + toolbarHeight_;
        ExpectColours(name, kX, top, width, height,
                      {{name + ": top left", kX + 12, top + 12, topLeft},
                       {name + ": top right", kX + width - 12, top + 12, topRight},
                       {name + ": bottom left", kX + 12, top + height - 12, bottomLeft},
                       {name + ": bottom right", kX + width - 12, top + height - 12, bottomRight}});
    }

    int toolbarHeight_ = 0;
    std::map<std::string, ToolbarButton> buttons_;
    TopLevelWindow window_;
};

TEST_F(Toolbar, HoverStepsZoomTurnsAndTheOpenDialogInOneSession) {
    app_.Start({app_.WindowsPath("Pictures/b.png")});
    ASSERT_NO_FATAL_FAILURE(ExpectWindow("start", 500, 300));

    // Hover: the mouse-over image takes the place of the normal one.
    const ToolbarButton& next = buttons_.at("next");
    const RgbImage normal = ReadPicture("Buttons/Default/" + next.normal);
    const RgbImage hot = ReadPicture("Buttons/Default/" + next.mouseover);
    const int px = 3, py = next.height / 2;  // a pixel where the two differ
    ASSERT_NE(normal.At(px, py), hot.At(px, py));
    const Probe onNext{"next button", kX + next.x + px, kY + next.y + py, normal.At(px, py)};
    ExpectColours("toolbar-normal", kX, kY, 500, toolbarHeight_, {onNext});
    const auto [nextX, nextY] = Centre("next");
    x_.MovePointer(nextX, nextY);
    ExpectColours("toolbar-hover", kX, kY, 500, toolbarHeight_,
                  {{"hovered next button", onNext.x, onNext.y, hot.At(px, py)}});

    // The viewer has rested on b long enough to read c ahead; c is written anew since, and
    // the step shows the new c.
    std::this_thread::sleep_for(1s);
    SolidPng("Pictures/c.png", 540, 250, {0, 100, 200});

    // a, b, c in name order: next wraps from c to a, previous from a to c.
    ClickButton("next");
    ASSERT_NO_FATAL_FAILURE(ExpectWindow("next from b", 540, 250));
    ClickButton("next");
    ASSERT_NO_FATAL_FAILURE(ExpectWindow("next from c", 520, 440));
    ExpectCorners("a", 520, 440, kRed, kLime, kBlue, kYellow);

    ClickButton("zoomin");  // the top-left quarter over the whole view
    ExpectCorners("a-zoomed", 520, 440, kRed, kRed, kRed, kRed);
    ClickButton("zoomout");
    ExpectCorners("a-unzoomed", 520, 440, kRed, kLime, kBlue, kYellow);

    ClickButton("rotate90left");
    // Width and height change places: the view is now 440 + toolbar wide.
    const int turnedWidth = 440 + toolbarHeight_, turnedHeight = 520 - toolbarHeight_;
    ASSERT_NO_FATAL_FAILURE(ExpectWindow("rotate90left", turnedWidth, turnedHeight));
    ExpectCorners("a-left", turnedWidth, turnedHeight, kLime, kYellow, kRed, kBlue);
    ClickButton("rotate90right");
    ASSERT_NO_FATAL_FAILURE(ExpectWindow("rotate90right", 520, 440));
    ExpectCorners("a-back", 520, 440, kRed, kLime, kBlue, kYellow);

    ClickButton("prev");
    ASSERT_NO_FATAL_FAILURE(ExpectWindow("prev from a", 540, 250));
    ClickButton("prev");
    ASSERT_NO_FATAL_FAILURE(ExpectWindow("prev from c", 500, 300));

    // The open dialog: a typed path and Enter open the picture.
    ClickButton("open");
    const auto dialog = x_.WaitForMappedWindow("Open", 30s);
    ASSERT_TRUE(dialog) << "no open dialog";
    x_.Focus(*dialog);
    x_.TypeText(app_.WindowsPath("Pictures/c.png"));
    x_.KeyChord("Return");
    EXPECT_TRUE(x_.WaitForNoMappedWindow("Open", 30s)) << "the dialog stays open";
    ASSERT_NO_FATAL_FAILURE(ExpectWindow("open dialog", 540, 250));

    ASSERT_NO_FATAL_FAILURE(CloseWithCtrlW(window_));
}

}  // namespace
}  // namespace zylora::e2e
