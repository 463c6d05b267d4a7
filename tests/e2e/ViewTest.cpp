// The pointer and the wheel on the view of the real exe, in one session: a wheel notch
// magnifies, a drag pans, a selection dragged backwards crops, and the corner grip resizes.
#include <string>
#include <thread>

#include "tests/e2e/SkinnedAppTest.h"

namespace zylora::e2e {
namespace {

constexpr const char* kCaption = "Zylora View E2E";
constexpr int kX = 220, kY = 160;
constexpr int kCorner = 12;

constexpr Rgb kCornerColour{255, 0, 255};
constexpr Rgb kBackground{40, 40, 40};  // the skin's

constexpr const char* kSkinValues =
    "[Caption]\r\nText=Zylora View E2E\r\n"
    "Format={text}\r\n"
    "[left]\r\nWidth=10\r\n[right]\r\nWidth=10\r\n[top]\r\nHeight=30\r\n[bottom]\r\nHeight=10\r\n"
    "[bg]\r\nColorR=40\r\nColorG=40\r\nColorB=40\r\n";

class View : public SkinnedAppTest {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(SkinnedAppTest::SetUp());
        app_.WriteFile("Skins/View/values.ini", kSkinValues);
        SolidPng("Skins/View/corner.png", kCorner, kCorner, kCornerColour);
        app_.WriteFile("zylora.ini", "[Placement]\r\nX=220\r\nY=160\r\n[Skin]\r\nDir=Skins/View\r\n");
        const ButtonSetLayout set = ReadButtonSet("Buttons/Default");
        toolbarHeight_ = set.toolbarHeight;
        ASSERT_EQ(set.buttons.count("selectmode"), 1u) << "the default button set has no selectmode button";
        const ToolbarButton& select = set.buttons.at("selectmode");
        selectButton_ = {kX + select.x + select.width / 2, kY + select.y + select.height / 2};
        // Four quarters of unequal size meeting at (120, 100); wider than the bundled button set
        // reaches, the main window's least width.
        QuartersPng("Pictures/quarters.png", 480, 300, 120, 100);
    }

    int ViewTop() const { return kY + toolbarHeight_; }
    // A colour expected at a point of the view.
    Probe At(const std::string& what, int x, int y, Rgb expected) const {
        return {what, kX + x, ViewTop() + y, expected};
    }
    // A drag at a hand's pace: the program reads the cursor's place when it handles the press
    // and at each step, not where the pointer was when the event was sent.
    void Drag(int fromX, int fromY, int toX, int toY) {
        x_.MovePointer(kX + fromX, ViewTop() + fromY);
        x_.PressButton();
        std::this_thread::sleep_for(300ms);
        for (int step = 1; step <= 10; ++step) {
            x_.MovePointer(kX + fromX + (toX - fromX) * step / 10, ViewTop() + fromY + (toY - fromY) * step / 10);
            std::this_thread::sleep_for(30ms);
        }
        x_.ReleaseButton();
    }

    int toolbarHeight_ = 0;
    std::pair<int, int> selectButton_;
};

TEST_F(View, WheelPanCropAndGripInOneSession) {
    app_.Start({app_.WindowsPath("Pictures/quarters.png")});
    auto window = ExpectWindowAt(kCaption, kX, kY, 480, 300 + toolbarHeight_, "at start");
    ASSERT_TRUE(window);
    x_.Focus(*window);
    ExpectColours("whole", kX, ViewTop(), 480, 300, {At("yellow quarter", 200, 150, kYellow)});

    // A notch away from the user: zoom 2 shows the top-left quarter of the picture.
    x_.MovePointer(kX + 200, ViewTop() + 150);
    x_.Wheel(+1);
    ExpectColours("zoom-2", kX, ViewTop(), 480, 300,
                  {At("red, magnified", 200, 150, kRed), At("lime, magnified", 300, 50, kLime)});

    // Move mode: the picture follows the pointer 50 screen pixels up and left, so the view
    // shows the picture from (50, 50) on, twice as large.
    Drag(150, 150, 100, 100);
    ExpectColours("panned", kX, ViewTop(), 480, 300,
                  {At("red", 100, 50, kRed), At("lime", 200, 50, kLime), At("blue", 100, 150, kBlue),
                   At("yellow", 200, 150, kYellow)});

    // Back to the whole picture; one pan step pulls the offsets back inside it.
    x_.Wheel(-1);
    Drag(150, 150, 151, 150);
    ExpectColours("whole-again", kX, ViewTop(), 480, 300, {At("yellow quarter", 200, 150, kYellow)});

    // Select mode: a selection dragged backwards crops to (50, 30, 150, 120).
    x_.Click(selectButton_.first, selectButton_.second);
    Drag(200, 150, 50, 30);
    // The window no narrower than the buttons reach; the cropped picture in the middle of the
    // view at its own size, the grip in the view's corner.
    const int width = NarrowestWindow(), left = (width - 150) / 2;
    window = ExpectWindowAt(kCaption, kX, kY, width, 120 + toolbarHeight_, "after the crop");
    ASSERT_TRUE(window);
    ExpectColours("cropped", kX, ViewTop(), width, 120,
                  {At("background", left - 2, 60, kBackground), At("red", left + 10, 10, kRed),
                   At("lime", left + 140, 10, kLime), At("blue", left + 10, 110, kBlue),
                   At("yellow", left + 120, 100, kYellow), At("background", left + 152, 60, kBackground),
                   At("grip", width - 1, 119, kCornerColour)});

    // The grip: the window grows by the pointer's movement and keeps its left and top.
    Drag(width - kCorner / 2, 120 - kCorner / 2, width - kCorner / 2 + 100, 120 - kCorner / 2 + 60);
    window = ExpectWindowAt(kCaption, kX, kY, width + 100, 180 + toolbarHeight_, "after the grip drag");
    ASSERT_TRUE(window);

    ASSERT_NO_FATAL_FAILURE(CloseWithCtrlW(*window));
}

}  // namespace
}  // namespace zylora::e2e
