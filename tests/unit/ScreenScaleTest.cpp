// The skin and the button set at the screen's scale; the picture at one screen pixel per
// picture pixel at every scale.
#include <algorithm>

#include "imaging/ScreenScale.h"
#include "tests/unit/Harness.h"
#include "toolbar/ZylButton.h"

namespace zylora::testing {
namespace {

using platform::Rect;

class ScreenScaleTest : public ViewerTest {
protected:
    static constexpr const char* Buttons = "C:\\Zylora\\Buttons/Default\\";
    void StartAt(int dpi) {
        platform.dpi = dpi;
        WriteSkin("[left]\nWidth=8\n[right]\nWidth=8\nResizeBorder1=-1\nResizeBorder2=8\nResizeBorder3=24\n"
                  "[top]\nHeight=32\n[bottom]\nHeight=8\n[Caption]\nFontName=Tahoma\nFontSize=13\n"
                  "[Buttons]\nCloseAlign=2\nCloseX=-30\nCloseY=8\n");
        platform.AddImage(std::string(SkinPath) + "active_close.png", 20, 16);
        platform.AddImage(std::string(SkinPath) + "corner.png", 12, 12);
        platform.files.files[std::string(Buttons) + "values.ini"] =
            "[Main]\nNumOfButtons=1\nToolbarHeight=40\n[Button-0]\nAction=open\nX=4\nY=4\nnormalImage=b.png\n";
        platform.AddImage(std::string(Buttons) + "b.png", 32, 32);
        platform.AddImage("C:\\p.png", 200, 200);
        Start().Show();
        main->OpenFile("C:\\p.png");
    }
    fake::FakeWindow& View() { return dynamic_cast<fake::FakeWindow&>(*main->Image2); }
    std::string ViewDraw(const std::string& start) {
        auto screen = View().GetScreenTarget();
        View().Events().Paint(*screen);
        for (const std::string& draw : View().screenDraws)
            if (draw.rfind(start, 0) == 0) return draw;
        return "none";
    }
    bool TitleDrew(const std::string& part) {
        const auto& draws = FormOf(*main->TopFrame).presentations.back().draws;
        return std::any_of(draws.begin(), draws.end(), [&](const std::string& d) { return d.find(part) != std::string::npos; });
    }
};

TEST_F(ScreenScaleTest, EverySkinAndButtonSizeFollowsTheScaleAndThePictureDoesNot) {
    struct Case {
        int dpi;
        int edge, title, toolbar;
        Rect button;
        const char* font;
        Rect close;  // in the title, whose width is the picture's and two edges
        int band;    // the right edge's band ends here
        int corner;
        const char* imageSuffix;
    } cases[] = {
        {96, 8, 32, 40, {4, 4, 32, 32}, "size 13 ", {186, 8, 20, 16}, 8, 12, ""},
        {120, 10, 40, 50, {5, 5, 40, 40}, "size 16.25 ", {182, 10, 25, 20}, 10, 15, " at 120"},
        {144, 12, 48, 60, {6, 6, 48, 48}, "size 19.5 ", {179, 12, 30, 24}, 12, 18, " at 144"},
        {192, 16, 64, 80, {8, 8, 64, 64}, "size 26 ", {172, 16, 40, 32}, 16, 24, " at 192"},
        {288, 24, 96, 120, {12, 12, 96, 96}, "size 39 ", {158, 24, 60, 48}, 24, 36, " at 288"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.dpi);
        StartAt(c.dpi);
        EXPECT_EQ(main->GetLeftWidth(), c.edge);
        EXPECT_EQ(main->GetBottomHeight(), c.edge);
        EXPECT_EQ(main->GetTopHeight(), c.title);
        EXPECT_EQ(main->ToolbarHeight(), c.toolbar);
        const toolbar::TZylButton& button = *main->ButtonList.front();
        EXPECT_EQ((Rect{button.X, button.Y, button.Width, button.Height}), c.button);
        EXPECT_EQ(button.CurrentImage().Width(), c.button.width) << "drawn and hit at its drawn size";
        EXPECT_TRUE(TitleDrew(c.font));
        const Rect& r = c.close;
        EXPECT_TRUE(TitleDrew("active_close.png" + std::string(c.imageSuffix) + " " + std::to_string(r.left) + "," +
                              std::to_string(r.top) + "," + std::to_string(r.width) + "," + std::to_string(r.height)));
        EXPECT_EQ(main->RightFrame->ResizeBorder2, c.band);
        ASSERT_TRUE(main->CornerImage);
        EXPECT_EQ(main->CornerImage->Width(), c.corner);
        // One screen pixel per picture pixel.
        EXPECT_EQ(main->BoundsRect().width, 200);
        EXPECT_EQ(main->BoundsRect().height, 200 + c.toolbar);
        EXPECT_EQ(ViewDraw("imagerect C:\\p.png"), "imagerect C:\\p.png from 0,0,200,200 to 0,0,200,200");
        Stop();
    }
}

TEST_F(ScreenScaleTest, AnImageDrawnForTheScaleIsUsedAsItIsAndOtherwiseTheBaseIsScaled) {
    struct Case {
        int dpi;
        std::vector<std::string> drawnFor;  // suffixes of the files beside "corner.png"
        std::string decodedFrom;
    } cases[] = {
        {96, {"@2x"}, "corner.png"},
        {192, {"@2x"}, "corner@2x.png"},
        {192, {"@1.5x"}, "corner.png at 192"},
        {144, {"@2x", "@1.5x"}, "corner@1.5x.png"},
        {120, {"@1.25x"}, "corner@1.25x.png"},
        {288, {"@2x"}, "corner.png at 288"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.dpi);
        for (const std::string& suffix : c.drawnFor) platform.AddImage(std::string(SkinPath) + "corner" + suffix + ".png", 50, 50);
        StartAt(c.dpi);
        EXPECT_EQ(dynamic_cast<const fake::FakeImage&>(*main->CornerImage).path, SkinPath + c.decodedFrom);
        Stop();
        for (const std::string& suffix : c.drawnFor) platform.files.files.erase(std::string(SkinPath) + "corner" + suffix + ".png");
    }
}

TEST_F(ScreenScaleTest, AMoveToAScreenOfAnotherScaleRedrawsTheFrameAroundTheSamePicture) {
    StartAt(96);
    MainForm().Events().ScreenDpiChanged(192);
    EXPECT_EQ(main->GetTopHeight(), 64);
    EXPECT_EQ(main->BoundsRect(), (Rect{100, 100, 200, 280}));
    EXPECT_EQ(FormOf(*main->TopFrame).bounds, (Rect{84, 36, 232, 64}));
    EXPECT_EQ(ViewDraw("imagerect C:\\p.png"), "imagerect C:\\p.png from 0,0,200,200 to 0,0,200,200");
}

TEST(ScreenScalePixelsTest, WholeMultiplesRepeatPixelsAndOtherScalesResample) {
    // A 3 x 2 image: a one-pixel white line down its middle on black.
    imaging::PixelBuffer from;
    from.width = 3;
    from.height = 2;
    for (int i = 0; i < 6; ++i) from.pixels.push_back(i % 3 == 1 ? 0xFFFFFFFFu : 0xFF000000u);
    struct Case {
        int dpi;
        platform::Size size;
        std::vector<std::uint32_t> firstRow;  // empty: not exact (filtered)
    } cases[] = {
        {96, {3, 2}, {0xFF000000u, 0xFFFFFFFFu, 0xFF000000u}},
        {192, {6, 4}, {0xFF000000u, 0xFF000000u, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFF000000u, 0xFF000000u}},
        {288, {9, 6}, {0xFF000000u, 0xFF000000u, 0xFF000000u, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFF000000u,
                       0xFF000000u, 0xFF000000u}},
        {144, {5, 3}, {}},
        {120, {4, 3}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.dpi);
        const std::optional<imaging::DecodedPixels> scaled = imaging::PixelsForDpi(from, true, c.dpi);
        ASSERT_TRUE(scaled);
        EXPECT_EQ((platform::Size{scaled->pixels.width, scaled->pixels.height}), c.size);
        if (c.firstRow.empty()) continue;
        const std::vector<std::uint32_t> first(scaled->pixels.pixels.begin(), scaled->pixels.pixels.begin() + c.size.width);
        EXPECT_EQ(first, c.firstRow);
        const std::vector<std::uint32_t> last(scaled->pixels.pixels.end() - c.size.width, scaled->pixels.pixels.end());
        EXPECT_EQ(last, c.firstRow) << "every row repeated";
    }
    EXPECT_FALSE(imaging::PixelsForDpi({}, true, 192)) << "an empty image";
}

}  // namespace
}  // namespace zylora::testing
