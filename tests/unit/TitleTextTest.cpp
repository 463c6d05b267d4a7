// The main window's text names the picture as the skin lays it out, and the title draws it
// whole or ending in an ellipsis.
#include <algorithm>

#include "app/Title.h"
#include "platform/Text.h"
#include "tests/unit/Harness.h"

namespace zylora::testing {
namespace {

TEST(TitleTextTest, TheLayoutsFieldsAreFilledOnce) {
    const app::TitleFields photo{"IMG_0042.jpg", "Zylora", 2, 31, 1200, 700, 50};
    const struct {
        const char* format;
        app::TitleFields fields;
        const char* title;
    } cases[] = {
        {"{name} - {text}", photo, "IMG_0042.jpg - Zylora"},
        {"{name} ({index}/{count}) {width} x {height} {zoom}", photo, "IMG_0042.jpg (2/31) 1200 x 700 50%"},
        {"{index}/{count} {name}", {"a.png", "Zylora", 0, 0, 5, 5, 100}, "/ a.png"},  // the folder not read yet
        {"{name} - {text}", {"{zoom} {text}.png", "Zylora", 1, 1, 1, 1, 100}, "{zoom} {text}.png - Zylora"},
        {"{nme} {{name}} {", photo, "{nme} {IMG_0042.jpg} {"},
    };
    for (const auto& c : cases) EXPECT_EQ(app::FormatTitle(c.format, c.fields), c.title) << c.format;
    EXPECT_EQ(app::UnknownTitleFields("{name} {nme} {Zoom}{{text}"), (std::vector<std::string>{"nme", "Zoom"}));
}

TEST(TitleTextTest, ATextTooLongForItsRoomEndsInAnEllipsisAfterWholeCharacters) {
    // Each character is 10 wide.
    const auto measure = [](const std::string& text) {
        return 10.0f * static_cast<float>(std::count_if(text.begin(), text.end(), [](char c) { return (c & 0xC0) != 0x80; }));
    };
    const struct {
        const char* text;
        float width;
        const char* shown;
    } cases[] = {
        {"holiday.jpg", 110, "holiday.jpg"},
        {"holiday.jpg", 109, "holiday.j\xE2\x80\xA6"},  // "holiday.jp…" would be 110
        {"\xC3\xA9t\xC3\xA9 2024.jpg", 50, "\xC3\xA9t\xC3\xA9\xE2\x80\xA6"},  // no space before the ellipsis
        {"a.jpg - Zylora", 80, "a.jpg\xE2\x80\xA6"},  // nor a separator's dash
        {"summer", 5, "\xE2\x80\xA6"},
    };
    for (const auto& c : cases) EXPECT_EQ(platform::EllipsisToFit(c.text, c.width, measure), c.shown) << c.text;
}

class TitleTextViewerTest : public ViewerTest {
protected:
    void SetUp() override {
        for (const char* name : {"a.png", "IMG_0042.jpg", "z.png"}) platform.AddImage(std::string("C:\\Pics\\") + name, 120, 80);
    }
    std::string Drawn() {
        main->TopFrame->PaintTitle(300, 30);
        for (const std::string& d : FormOf(*main->TopFrame).presentations.back().draws)
            if (d.rfind("text '", 0) == 0) return d.substr(6, d.find("' font") - 6);
        return "";
    }
    void Paint() {
        MainForm();
        auto screen = main->Image2->GetScreenTarget();
        main->View().Paint(*screen);
    }
};

TEST_F(TitleTextViewerTest, TheTitleNamesThePictureWhereTheSkinSaysAndFollowsTheSteps) {
    WriteSkin("[Caption]\nText=Holiday\nFormat={index}/{count} {name} {zoom}\nX=0\nWidth=100\nFontSize=10\n");
    Start();
    EXPECT_EQ(MainForm().caption, "Holiday") << "no picture: the skin's text alone";
    main->OpenFile("C:\\Pics\\IMG_0042.jpg");
    platform.RunBackground();  // the folder, read for the title's place in it
    Paint();
    EXPECT_EQ(MainForm().caption, "2/3 IMG_0042.jpg 100%");
    main->StepInFolder(true);
    Paint();
    EXPECT_EQ(MainForm().caption, "3/3 z.png 100%");
    main->RunCommand("zoomin");
    Paint();
    EXPECT_EQ(MainForm().caption, "3/3 z.png 200%");
    // 300 wide, 5 a character: 60 characters fit.
    EXPECT_EQ(Drawn(), "3/3 z.png 200%");
    main->Form().SetCaption(std::string(70, 'x'));
    EXPECT_EQ(Drawn(), std::string(59, 'x') + "\xE2\x80\xA6");
}

// The title drawn with the window's first frame already names the picture: the first paint
// of the view draws it no second time (a start pays for every drawing).
TEST_F(TitleTextViewerTest, ThePictureOpenedAtTheStartIsNamedByTheFirstTitleDrawn) {
    platform.arguments = {"C:\\Pics\\a.png"};
    Start().Show();
    const std::size_t drawn = FormOf(*main->TopFrame).presentations.size();
    Paint();
    EXPECT_EQ(MainForm().caption, "a.png - Zylora");
    EXPECT_EQ(FormOf(*main->TopFrame).presentations.size(), drawn);
}

}  // namespace
}  // namespace zylora::testing
