// Start-up and close of the real zylora.exe: the settings file places the main window
// and picks the skin, and Ctrl+W closes it and writes the settings back.
#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "tests/e2e/SkinnedAppTest.h"

namespace zylora::e2e {
namespace {

// A skin of values only: the frame still has its widths and the caption its text.
constexpr const char* kSkinValues =
    "[Caption]\r\nText=Zylora E2E\r\n"
    "Format={text}\r\n"
    "[left]\r\nWidth=10\r\n"
    "[right]\r\nWidth=10\r\n"
    "[top]\r\nHeight=30\r\n"
    "[bottom]\r\nHeight=10\r\n";
constexpr const char* kCaption = "Zylora E2E";

class Startup : public SkinnedAppTest {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(SkinnedAppTest::SetUp());
        app_.WriteFile("Skins/E2E/values.ini", kSkinValues);
    }

    std::optional<TopLevelWindow> MainWindow(const std::function<bool(const TopLevelWindow&)>& settled) {
        return WaitForMainWindow(kCaption, settled);
    }

    // The settings file the program left behind.
    std::string SavedSettings() {
        const auto bytes = app_.ReadFile("zylora.ini");
        if (!bytes) ADD_FAILURE() << "zylora.ini is gone";
        return bytes.value_or("");
    }
};

TEST_F(Startup, PlacesWindowFromSettingsAndSavesPlacementAndFoldersOnClose) {
    app_.WriteFile("zylora.ini",
                   "[Placement]\r\nX=-50\r\nY=120\r\nWidth=0x140\r\nHeight=200\r\n"
                   "[Skin]\r\nDir=Skins/E2E\r\n");
    app_.Start();

    // 320 wide, or as wide as the toolbar's buttons reach where that is more.
    const int width = std::max(320, NarrowestWindow());
    const auto window = MainWindow([width](const TopLevelWindow& w) {
        return w.x == -50 && w.y == 120 && w.width == width && w.height == 200;
    });
    ASSERT_TRUE(window) << "no mapped window named \"" << kCaption << "\"";
    EXPECT_EQ(window->x, -50);
    EXPECT_EQ(window->y, 120);
    EXPECT_EQ(window->width, width);
    EXPECT_EQ(window->height, 200);

    ASSERT_NO_FATAL_FAILURE(CloseWithCtrlW(*window));
    const std::string saved = SavedSettings();
    const std::vector<std::array<std::string, 3>> expected = {
        {"Placement", "X", "-50"}, {"Placement", "Y", "120"},      {"Placement", "Width", std::to_string(width)},
        {"Placement", "Height", "200"}, {"Skin", "Dir", "Skins/E2E"}, {"Buttons", "Dir", "Buttons/Default"},
    };
    for (const auto& [section, key, value] : expected)
        EXPECT_EQ(IniValue(saved, section, key), std::optional<std::string>(value)) << "[" << section << "] " << key;
}

TEST_F(Startup, SurvivesNonsenseSettingsAndRewritesThem) {
    std::string nonsense =
        "[Placement]\r\nX=99999999999\r\nY=--7\r\nWidth=abc\r\nHeight=\r\n"
        "\x01\x02\xff\xfe\x80 garbage\r\n";
    nonsense += std::string("\0\0[\0=\0\n", 7);
    nonsense += "[Skin\n=no key\n[]\n==\n" + std::string(20000, 'z') + "\n";
    nonsense += "\xc3\x28 not UTF-8=\xa0\xa1\r\n";
    // The skin is the one thing meant, so the window can be found by its caption.
    nonsense += "[Skin]\r\nDir=Skins/E2E\r\n";
    app_.WriteFile("zylora.ini", nonsense);
    app_.Start();

    const int width = std::max(320, NarrowestWindow());
    const auto window = MainWindow([width](const TopLevelWindow& w) { return w.width == width; });
    ASSERT_TRUE(window) << "no mapped window named \"" << kCaption << "\"";
    EXPECT_EQ(window->width, width) << "an unreadable width falls back to 320, widened to the buttons";

    ASSERT_NO_FATAL_FAILURE(CloseWithCtrlW(*window));
    EXPECT_EQ(IniValue(SavedSettings(), "Placement", "Width"), std::optional<std::string>(std::to_string(width)));
}

}  // namespace
}  // namespace zylora::e2e
