// Skins and button sets that try to break the viewer, a few starts of the real exe: each
// must start, show its window, close on Ctrl+W and write its settings.
#include <chrono>
#include <string>

#include "tests/e2e/SkinnedAppTest.h"

namespace zylora::e2e {
namespace {

struct HostileCase {
    std::string name;
    std::string skin;     // values.ini of the skin, or "" for a folder in its place
    std::string buttons;  // values.ini of the button set, or "" for a folder in its place
};

class HostileSkin : public SkinnedAppTest {
protected:
    std::optional<TopLevelWindow> MappedWindowAtSoon(int x, int y, int width, int height) {
        std::optional<TopLevelWindow> found;
        PollUntil([&] { return (found = MappedWindowAt(x, y, width, height)).has_value(); }, 30s);
        return found;
    }
};

TEST_F(HostileSkin, AbsurdSkinsAndButtonSetsNeitherFreezeNorBreakTheViewer) {
    // Huge and broken images, shared by the cases.
    std::filesystem::create_directories(app_.Dir() / "Buttons/Huge");
    Convert({"-size", "8000x8000", "xc:red", "PNG32:" + (app_.Dir() / "Buttons/Huge/big.png").string()});
    app_.WriteFile("Skins/Broken/left_top.png", "");
    app_.WriteFile("Skins/Broken/top.png", "\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\x01");
    app_.WriteFile("Buttons/Broken/b.png", "\x89PNG\r\n\x1a\n");
    const std::vector<HostileCase> cases = {
        {"huge",
         "[left]\r\nWidth=100000\r\n[right]\r\nWidth=100000\r\n[top]\r\nHeight=100000\r\n"
         "[bottom]\r\nHeight=32767\r\n",
         "[Main]\r\nNumOfButtons=3\r\nToolbarHeight=100000\r\n[Button-0]\r\nnormalImage=big.png\r\n"
         "[Button-1]\r\nnormalImage=big.png\r\nselectedImage=big.png\r\n[Button-2]\r\nnormalImage=big.png\r\n"},
        {"broken",
         "[left]\r\nWidth=-50\r\n[top]\r\nHeight=-2147483648\r\n[bottom]\r\nHeight=12\r\n"
         "[Caption]\r\nFontName=\r\nFontSize=100000\r\nWidth=-99999\r\n[Buttons]\r\nCloseAlign=-7\r\n",
         "[Main]\r\nNumOfButtons=2147483647\r\nToolbarHeight=-40\r\n[Button-0]\r\nnormalImage=b.png\r\n"
         "Width=-5\r\nHeight=100000\r\n"},
        {"folders", "", ""},
    };
    for (const HostileCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string skin = c.name == "huge" ? "Huge" : c.name == "broken" ? "Broken" : "Folders";
        const std::string buttons = skin;
        for (const auto& [folder, text] : {std::pair{"Skins/" + skin, c.skin}, std::pair{"Buttons/" + buttons, c.buttons}}) {
            if (text.empty())
                std::filesystem::create_directories(app_.Dir() / folder / "values.ini");
            else
                app_.WriteFile(folder + "/values.ini", text);
        }
        app_.WriteFile("zylora.ini", "[Placement]\r\nX=200\r\nY=150\r\nWidth=1000\r\nHeight=600\r\n[Skin]\r\nDir=Skins/" +
                                         skin + "\r\n[Buttons]\r\nDir=Buttons/" + buttons + "\r\n");
        const auto started = std::chrono::steady_clock::now();
        app_.Start();
        const auto main = MappedWindowAtSoon(200, 150, 1000, 600);
        ASSERT_TRUE(main) << app_.Output();
        EXPECT_LT(std::chrono::steady_clock::now() - started, 10s) << "slow to show its window";
        CloseWithCtrlW(*main);
        const auto settings = app_.ReadFile("zylora.ini");
        ASSERT_TRUE(settings);
        EXPECT_EQ(IniValue(*settings, "Skin", "Dir"), "Skins/" + skin);
        EXPECT_EQ(IniValue(*settings, "Placement", "Width"), "1000");
        app_.Kill();
    }
}

}  // namespace
}  // namespace zylora::e2e
