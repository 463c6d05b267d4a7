// The title window under the user's hands: dragging the whole window by it, rolling it up
// and down, closing by its button, and its inactive look while another program is active.
#include <string>
#include <thread>

#include "tests/e2e/SkinnedAppTest.h"

namespace zylora::e2e {
namespace {

constexpr const char* kCaption = "Zylora Title E2E";
// Wider than the bundled button set reaches, the main window's least width.
constexpr int kX = 300, kY = 200, kWidth = 480, kHeight = 300;
constexpr int kSide = 10, kTop = 30, kBottom = 12;
constexpr Rgb kStrip{0, 160, 0}, kInactiveStrip{120, 0, 160}, kRolledStrip{0, 120, 120};
constexpr Rgb kClose{255, 0, 0}, kRoll{0, 0, 255};

// Close and roll sit at the right end of the title: 16 x 16 at 24 and 48 from it.
constexpr const char* kSkinValues =
    "[Caption]\r\nText=Zylora Title E2E\r\n"
    "Format={text}\r\nFontSize=6\r\nColorA=0\r\n"
    "[left]\r\nWidth=10\r\nInActiveWidth=10\r\n[right]\r\nWidth=10\r\nInActiveWidth=10\r\n"
    "[top]\r\nHeight=30\r\nInActiveHeight=30\r\nRolledUpHeight=30\r\nRolledUpInActiveHeight=30\r\n"
    "[bottom]\r\nHeight=12\r\nInActiveHeight=12\r\n"
    "[Buttons]\r\nCloseAlign=2\r\nCloseX=-24\r\nCloseY=7\r\nRollAlign=2\r\nRollX=-48\r\nRollY=7\r\n";

class Title : public SkinnedAppTest {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(SkinnedAppTest::SetUp());
        const std::string dir = "Skins/Title/";
        app_.WriteFile(dir + "values.ini", kSkinValues);
        for (const auto& [prefix, colour] : {std::pair{"", kStrip}, std::pair{"inactive_", kInactiveStrip},
                                             std::pair{"rolled_", kRolledStrip}})
            for (const char* piece : {"left_top.png", "top.png", "right_top.png"})
                SolidPng(dir + prefix + piece, 10, kTop, colour);
        for (const char* name : {"active_close.png", "mouseover_close.png", "inactive_close.png"})
            SolidPng(dir + name, 16, 16, kClose);
        for (const char* name : {"active_Roll.png", "mouseover_Roll.png", "inactive_Roll.png"})
            SolidPng(dir + name, 16, 16, kRoll);
        app_.WriteFile("zylora.ini", "[Placement]\r\nX=300\r\nY=200\r\nWidth=480\r\nHeight=300\r\n"
                                     "[Skin]\r\nDir=Skins/Title\r\n");
    }
    // Started, and the title drawn: a press before that would fall through it.
    std::optional<TopLevelWindow> StartAndWait() {
        app_.Start();
        auto main = ExpectWindowAt(kCaption, kX, kY, kWidth, kHeight, "the start");
        ExpectColours("title-active", kX - kSide, kY - kTop, kWidth, kTop, {ActiveStrip()});
        return main;
    }
    static Probe ActiveStrip() { return {"active strip", kX + 100, kY - 15, kStrip}; }
    // Clicks apart by more than the double-click time: a double click on the title minimises.
    void ClickAt(int x, int y) {
        x_.MovePointer(x, y);
        std::this_thread::sleep_for(700ms);
        x_.Click(x, y);
    }
};

TEST_F(Title, DragByTheTitleRollUpAndDownAndCloseByItsButton) {
    ASSERT_TRUE(StartAndWait());

    // The first move after the press only anchors the drag; the window follows from there.
    const int fromX = kX + 100, fromY = kY - 15;
    x_.MovePointer(fromX, fromY);
    x_.PressButton(1);
    std::this_thread::sleep_for(300ms);
    x_.MovePointer(fromX + 1, fromY);
    std::this_thread::sleep_for(300ms);
    x_.MovePointer(fromX + 1 + 100, fromY + 60);
    const int x = kX + 100, y = kY + 60;
    const auto moved = ExpectWindowAt(kCaption, x, y, kWidth, kHeight, "a drag of the title by (100, 60)");
    x_.ReleaseButton(1);
    ASSERT_TRUE(moved);
    for (const auto& [what, left, top, width, height] :
         std::vector<std::tuple<std::string, int, int, int, int>>{
             {"title", x - kSide, y - kTop, kWidth + 2 * kSide, kTop},
             {"left", x - kSide, y, kSide, kHeight + kBottom},
             {"right", x + kWidth, y, kSide, kHeight + kBottom},
             {"bottom", x, y + kHeight, kWidth, kBottom}})
        EXPECT_TRUE(PollUntil([&] { return MappedWindowAt(left, top, width, height).has_value(); }, 10s))
            << "the " << what << " window did not move with the main window";
    x_.MovePointer(fromX + 200, fromY + 120);
    EXPECT_FALSE(PollUntil([&] { return !MappedWindowAt(x, y, kWidth, kHeight); }, 1s))
        << "the window still follows the pointer after the release";

    // Roll button: the main window goes, the title stays; a second click brings it back.
    const int rollX = x - kSide + kWidth + 2 * kSide - 48 + 8, buttonY = y - kTop + 7 + 8;
    ClickAt(rollX, buttonY);
    EXPECT_TRUE(x_.WaitForNoMappedWindow(kCaption, 20s)) << "rolling up left the main window shown";
    ExpectColours("title-rolled", x - kSide, y - kTop, kWidth + 2 * kSide, kTop,
                  {{"rolled strip", x + 50, y - kTop + 3, kRolledStrip}, {"roll button", rollX, buttonY, kRoll}});
    ClickAt(rollX, buttonY);
    EXPECT_TRUE(ExpectWindowAt(kCaption, x, y, kWidth, kHeight, "unrolling"));

    // Rolled up again and closed by the close button: the settings keep the unrolled height.
    ClickAt(rollX, buttonY);
    ASSERT_TRUE(x_.WaitForNoMappedWindow(kCaption, 20s));
    ClickAt(x - kSide + kWidth + 2 * kSide - 24 + 8, buttonY);
    ASSERT_TRUE(app_.WaitForExit(30s)) << "the close button did not end the program";
    const auto settings = app_.ReadFile("zylora.ini");
    ASSERT_TRUE(settings);
    EXPECT_EQ(IniValue(*settings, "Placement", "X"), std::to_string(x));
    EXPECT_EQ(IniValue(*settings, "Placement", "Y"), std::to_string(y));
    EXPECT_EQ(IniValue(*settings, "Placement", "Height"), std::to_string(kHeight));
}

TEST_F(Title, AnotherProgramActiveShowsTheInactiveLookUntilTheViewerIsActiveAgain) {
    ASSERT_TRUE(StartAndWait());

    // A second viewer elsewhere becomes the active program. Its window is as wide as its
    // bundled buttons reach: placed narrower, it would only be seen at that size on its way.
    Launcher other;
    other.WriteFile("zylora.ini", "[Placement]\r\nX=900\r\nY=500\r\nWidth=480\r\nHeight=200\r\n");
    other.Start();
    ASSERT_TRUE(PollUntil([&] { return MappedWindowAt(900, 500, 480, 200).has_value(); }, 30s))
        << other.Output();
    ExpectColours("title-inactive", kX - kSide, kY - kTop, kWidth, kTop,
                  {{"inactive strip", kX + 100, kY - 15, kInactiveStrip}});

    ClickAt(kX + 200, kY + 200);
    ExpectColours("title-active-again", kX - kSide, kY - kTop, kWidth, kTop, {ActiveStrip()});
    other.Kill();
}

}  // namespace
}  // namespace zylora::e2e
