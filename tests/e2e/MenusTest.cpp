// The three menus of the real exe in one session: a skin chosen on the title, a button set
// chosen on the toolbar, the shell's menu on the picture, and the choices in the settings.
#include <filesystem>
#include <string>
#include <thread>

#include "tests/e2e/SkinnedAppTest.h"

namespace zylora::e2e {
namespace {

namespace fs = std::filesystem;

constexpr int kX = 300, kY = 200;

class Menus : public SkinnedAppTest {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(SkinnedAppTest::SetUp());
        // The start's skin and button set live outside the menus' folders, so each menu
        // offers exactly one entry: the bundled other one.
        fs::create_directories(app_.Dir() / "Start");
        fs::rename(app_.Dir() / "Skins/Default", app_.Dir() / "Start/Skin");
        fs::rename(app_.Dir() / "Buttons/Default", app_.Dir() / "Start/Buttons");
        ASSERT_TRUE(fs::is_directory(app_.Dir() / "Skins/Aurora"));
        ASSERT_TRUE(fs::is_directory(app_.Dir() / "Buttons/Slate"));
        app_.WriteFile("zylora.ini", "[Placement]\r\nX=300\r\nY=200\r\n"
                                     "[Skin]\r\nDir=Start\\Skin\r\n[Buttons]\r\nDir=Start\\Buttons\r\n");
        // Wider than either bundled button set reaches: the window's least width.
        QuartersPng("Pictures/quarters.png", 480, 300, 120, 100);
        toolbarHeight_ = ReadButtonSet("Start/Buttons").toolbarHeight;
    }
    // Pixels of the region that differ between two captures of it.
    static int Changed(const RgbImage& a, const RgbImage& b) {
        int changed = 0;
        for (std::size_t i = 0; i < a.pixels.size() && i < b.pixels.size(); ++i) changed += a.pixels[i] != b.pixels[i];
        return changed;
    }
    // Right click, then the menu's only entry by the keyboard.
    void ChooseTheOnlyEntryAt(int x, int y) {
        x_.MovePointer(x, y);
        std::this_thread::sleep_for(300ms);
        x_.Click(x, y, 3);
        std::this_thread::sleep_for(800ms);
        x_.KeyChord("Down");
        x_.KeyChord("Return");
    }
    std::size_t OverrideRedirectCount() const {
        std::size_t n = 0;
        for (const TopLevelWindow& w : x_.TopLevelWindows()) n += w.mapped && w.overrideRedirect;
        return n;
    }
    int toolbarHeight_ = 0;
};

TEST_F(Menus, SkinAndButtonSetChosenFromTheirMenusAndTheShellMenuOnThePicture) {
    app_.Start({app_.WindowsPath("Pictures/quarters.png")});
    ASSERT_TRUE(ExpectWindowAt("quarters.png - Zylora", kX, kY, 480, 300 + toolbarHeight_, "the start"));
    std::this_thread::sleep_for(1s);
    const int titleY = kY - 20, toolbarY = kY + toolbarHeight_ / 2;
    const RgbImage title = x_.Capture(kX + 150, titleY, 100, 12);
    const RgbImage toolbar = x_.Capture(kX + 300, toolbarY - 5, 90, 10);

    ChooseTheOnlyEntryAt(kX + 200, kY - 16);
    ASSERT_TRUE(x_.WaitForMappedWindow("Skin Info", 20s)) << "no skin info after choosing a skin";
    EXPECT_GT(Changed(title, x_.Capture(kX + 150, titleY, 100, 12)), 600) << "the title kept its old look";
    x_.KeyChord("Return");
    EXPECT_TRUE(x_.WaitForNoMappedWindow("Skin Info", 20s));

    ChooseTheOnlyEntryAt(kX + 395, toolbarY);
    EXPECT_TRUE(PollUntil([&] { return Changed(toolbar, x_.Capture(kX + 300, toolbarY - 5, 90, 10)) > 450; }, 10s))
        << "the toolbar kept the old button set's look";

    // The shell's menu for the picture opens at the pointer and goes with Escape; the
    // picture is still there.
    const std::size_t before = OverrideRedirectCount();
    x_.MovePointer(kX + 300, kY + 250);
    std::this_thread::sleep_for(300ms);
    x_.Click(kX + 300, kY + 250, 3);
    EXPECT_TRUE(PollUntil([&] { return OverrideRedirectCount() > before; }, 20s)) << "no shell menu";
    x_.KeyChord("Escape");
    EXPECT_TRUE(PollUntil([&] { return OverrideRedirectCount() == before; }, 20s)) << "the menu stayed";

    // The main window kept its size; the application's own window bears the same name.
    const auto main = MappedWindowAt(kX, kY, 480, 300 + toolbarHeight_);
    ASSERT_TRUE(main);
    const int viewTop = main->y + main->height - 300;
    ExpectColours("menus-picture", main->x, viewTop, 480, 300,
                  {{"picture's lower right", main->x + 300, viewTop + 250, kYellow}});
    CloseWithCtrlW(*main);
    const auto settings = app_.ReadFile("zylora.ini");
    ASSERT_TRUE(settings);
    EXPECT_EQ(IniValue(*settings, "Skin", "Dir"), "Skins\\Aurora");
    EXPECT_EQ(IniValue(*settings, "Buttons", "Dir"), "Buttons\\Slate");
}

}  // namespace
}  // namespace zylora::e2e
