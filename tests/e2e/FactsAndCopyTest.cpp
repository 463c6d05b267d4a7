// What a user does with a photo every day, on the real exe in one session: the title names
// the picture; I lays the facts over the view's top left and takes them away again; Ctrl+C
// offers the picture to other programs (Wine hands the formats to the X clipboard),
// Ctrl+Shift+C its path; F11 fills the screen and gives the window back; F5 steps by itself.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/e2e/SkinnedAppTest.h"

namespace zylora::e2e {
namespace {

constexpr const char* kCaption = "Zylora Facts E2E";
constexpr int kX = 200, kY = 150;

// What a command prints, or "" when it can't run.
std::string Output(const std::string& command) {
    std::string text;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[512];
        for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) text.append(buffer, n);
        pclose(pipe);
    }
    return text;
}

class FactsAndCopy : public SkinnedAppTest {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(SkinnedAppTest::SetUp());
        UseBareSkin("Facts", kCaption, kX, kY, /*titleNamesPicture=*/true);
        app_.WriteFile("zylora.ini", app_.ReadFile("zylora.ini").value_or("") + "[Slideshow]\r\nInterval=1\r\n");
        toolbarHeight_ = ReadButtonSet("Buttons/Default").toolbarHeight;
        std::filesystem::create_directories(app_.Dir() / "Pictures");
        const std::string photo = (app_.Dir() / "Pictures/photo.jpg").string();
        Convert({"-size", "480x360", "xc:white", "-quality", "100", photo});
        Convert({"-size", "480x360", "xc:gray", (app_.Dir() / "Pictures/sunset.png").string()});
        ASSERT_EQ(std::system(("exiftool -q -overwrite_original -Make=Canon '-Model=Canon EOS R5' "
                               "'-DateTimeOriginal=2024:05:17 14:03:22' -ExposureTime=1/250 -FNumber=2.8 '" +
                               photo + "'")
                                  .c_str()),
                  0);
    }
    // The top left of the view: dark where the panel lies, white where the picture shows.
    bool PanelShown() { return x_.Pixel(kX + 3, kY + toolbarHeight_ + 2).r < 120; }
    // The X clipboard's offer, one target a line.
    static std::string Targets() { return Output("xclip -o -selection clipboard -t TARGETS 2>/dev/null"); }
    int toolbarHeight_ = 0;
};

TEST_F(FactsAndCopy, TitleFactsCopyFullScreenAndSlideshow) {
    app_.Start({app_.WindowsPath("Pictures/photo.jpg")});
    const std::string title = std::string("photo.jpg - ") + kCaption;
    const auto window = ExpectWindowAt(title, kX, kY, 480, 360 + toolbarHeight_, "the title names the picture");
    ASSERT_TRUE(window);
    ExpectColours("before the facts", kX, kY + toolbarHeight_, 480, 360,
                  {{"view's top left", kX + 3, kY + toolbarHeight_ + 2, {255, 255, 255}}});

    x_.Focus(*window);
    x_.KeyChord("i");
    EXPECT_TRUE(PollUntil([&] { return PanelShown(); }, 20s)) << "no facts panel";
    EXPECT_EQ(x_.Pixel(kX + 470, kY + toolbarHeight_ + 350), (Rgb{255, 255, 255})) << "the panel covers the view";
    x_.KeyChord("i");
    EXPECT_TRUE(PollUntil([&] { return !PanelShown(); }, 20s)) << "the panel stayed";

    x_.KeyChord("ctrl+c");
    std::string offered;
    EXPECT_TRUE(PollUntil(
        [&] {
            offered = Targets();
            return offered.find("image/png") != std::string::npos;
        },
        20s))
        << offered;
    EXPECT_NE(offered.find("image/bmp"), std::string::npos) << offered;

    x_.KeyChord("ctrl+shift+c");
    std::string text;
    EXPECT_TRUE(PollUntil(
        [&] {
            text = Output("xclip -o -selection clipboard 2>/dev/null");
            return text.find("photo.jpg") != std::string::npos;
        },
        20s))
        << text;
    EXPECT_EQ(text, app_.WindowsPath("Pictures/photo.jpg"));

    x_.KeyChord("F11");
    EXPECT_TRUE(PollUntil(
        [&] {
            const auto w = x_.FindMappedWindow(title);
            return w && w->x == 0 && w->y == 0 && w->width == x_.ScreenWidth() && w->height == x_.ScreenHeight();
        },
        20s))
        << "full screen";
    EXPECT_TRUE(PollUntil([&] { return x_.Pixel(5, 5) == Rgb{0, 0, 0}; }, 20s)) << "black around the picture";
    x_.KeyChord("F11");
    EXPECT_TRUE(ExpectWindowAt(title, kX, kY, 480, 360 + toolbarHeight_, "back from full screen"));

    x_.KeyChord("F5");
    const auto next = x_.WaitForMappedWindow(std::string("sunset.png - ") + kCaption, 20s);
    EXPECT_TRUE(next) << "the slideshow stepped";
    x_.KeyChord("F5");
    ASSERT_NO_FATAL_FAILURE(CloseWithCtrlW(next ? *next : *window));
}

}  // namespace
}  // namespace zylora::e2e
