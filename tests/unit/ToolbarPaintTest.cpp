// The toolbar's drawing: background cache and buttons in their states.
#include "tests/unit/Harness.h"
#include "toolbar/ZylButton.h"

namespace zylora::testing {
namespace {

class ToolbarPaintTest : public ViewerTest {
protected:
    static constexpr const char* Buttons = "C:\\Zylora\\Buttons/Default\\";
    void SetUp() override {
        platform.files.files[std::string(Buttons) + "values.ini"] =
            "[Main]\nNumOfButtons=2\nToolbarHeight=40\n"
            "[Button-0]\nAction=open\nX=4\nY=4\nnormalImage=open.png\nmouseoverImage=open_hot.png\n"
            "[Button-1]\nAction=next\nX=30\nY=2\nWidth=16\nHeight=20\nnormalImage=next.png\n";
        platform.AddImage(std::string(Buttons) + "bg.bmp", 80, 40);
        Start().Show();
    }
    fake::FakeWindow& Bar() { return dynamic_cast<fake::FakeWindow&>(*main->Toolbar); }
    const std::vector<std::string>& Paint() {
        auto screen = Bar().GetScreenTarget();
        EXPECT_TRUE(Bar().Events().Paint(*screen));
        return Bar().screenDraws;
    }
    std::string Image(const std::string& name) { return std::string(Buttons) + name; }
};

TEST_F(ToolbarPaintTest, BackgroundSpansTheWidthAndButtonsSitOnIt) {
    EXPECT_TRUE(Bar().Events().EraseBackground());
    const auto& draws = Paint();
    ASSERT_EQ(draws.size(), 4u);
    EXPECT_EQ(draws[1], "image surface 0,0,320,40");  // the cache, drawn unscaled
    EXPECT_EQ(draws[2], "image " + Image("open.png") + " 4,4,32,32");
    EXPECT_EQ(draws[3], "image " + Image("next.png") + " 30,2,16,20");
    const auto& cache = dynamic_cast<const fake::FakeImage&>(*main->ToolbarBackgroundCache);
    EXPECT_EQ(cache.draws, (std::vector<std::string>{"texture " + Image("bg.bmp") + " scale 4,1 area 0,0,320,40"}));
}

TEST_F(ToolbarPaintTest, TheCacheIsRebuiltOnlyWhenTheSizeChanges) {
    Paint();
    const platform::Image* first = main->ToolbarBackgroundCache.get();
    Paint();
    EXPECT_EQ(main->ToolbarBackgroundCache.get(), first);
    main->PlaceWindows(0, 0, 160, 200);
    Paint();
    ASSERT_NE(main->ToolbarBackgroundCache, nullptr);
    EXPECT_EQ(main->ToolbarBackgroundCache->Width(), 160);
    main->LoadButtonSet();  // a new background drops the cache
    EXPECT_EQ(main->ToolbarBackgroundCache, nullptr);
}

TEST_F(ToolbarPaintTest, WithoutABackgroundImageThePaintStillWorks) {
    platform.images.clear();
    platform.files.files.erase(Image("bg.bmp"));
    main->LoadButtonSet();
    const auto& draws = Paint();
    EXPECT_EQ(draws.size(), 4u);
    EXPECT_TRUE(dynamic_cast<const fake::FakeImage&>(*main->ToolbarBackgroundCache).draws.empty());
}

TEST_F(ToolbarPaintTest, ARedrawComposesOneButtonOverItsPieceOfTheBackground) {
    Paint();
    toolbar::TZylButton& open = *main->ButtonList[0];
    open.Hovered = true;
    auto screen = Bar().GetScreenTarget();
    open.Redraw(*screen);
    EXPECT_EQ(Bar().screenDraws,
              (std::vector<std::string>{"imagerect surface from 4,4,32,32 to 0,0,32,32",
                                        "image " + Image("open_hot.png") + " 0,0,32,32"}));
    EXPECT_EQ(platform.log.back(), "draw surface on panel 32x32 at 4,4");
}

}  // namespace
}  // namespace zylora::testing
