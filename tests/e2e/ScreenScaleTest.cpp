// The real exe on a screen of 192 DPI (Wine's LogPixels, in a prefix of the test's own): the
// skin's frame and the button set twice their sizes, a one-pixel line of the skin two pixels
// wide and crisp, and the picture at one screen pixel per picture pixel.
#include <string>

#include "tests/e2e/SkinnedAppTest.h"

namespace zylora::e2e {
namespace {

constexpr const char* kCaption = "Zylora Scale E2E";
constexpr int kX = 100, kY = 100;
constexpr Rgb kEdge{100, 100, 100}, kLine{255, 255, 255};

class ScreenScale : public SkinnedAppTest {};

TEST_F(ScreenScale, At192DpiTheFrameAndToolbarAreTwiceTheirSizeAndThePictureOneToOne) {
    app_.UseOwnPrefix(192);
    UseBareSkin("Scaled", kCaption, kX, kY);
    // The left edge: grey with a white line one pixel wide, 3 pixels in.
    Convert({"-size", "10x4", "xc:" + Hex(kEdge), "-fill", Hex(kLine), "-draw", "line 3,0 3,3",
             "PNG32:" + (app_.Dir() / "Skins/Scaled/left_middle.png").string()});
    SolidPng("Skins/Scaled/left_bottom.png", 10, 10, kEdge);
    QuartersPng("Pictures/q.png", 1200, 700, 600, 350);
    const ButtonSetLayout set = ReadButtonSet("Buttons/Default");
    app_.Start({app_.WindowsPath("Pictures/q.png")});

    // Sides 10, top 30, bottom 10 and the toolbar doubled; the picture's own size.
    const int toolbar = 2 * set.toolbarHeight;
    const auto main = ExpectWindowAt(kCaption, kX, kY, 1200, 700 + toolbar, "start at 192 DPI");
    ASSERT_TRUE(main);
    struct Frame {
        const char* what;
        int x, y, width, height;
    } frames[] = {{"title", kX - 20, kY - 60, 1240, 60},
                  {"left", kX - 20, kY, 20, 700 + toolbar + 20},
                  {"right", kX + 1200, kY, 20, 700 + toolbar + 20},
                  {"bottom", kX, kY + 700 + toolbar, 1200, 20}};
    for (const Frame& f : frames)
        EXPECT_TRUE(PollUntil([&] { return MappedWindowAt(f.x, f.y, f.width, f.height).has_value(); }, 20s))
            << "no " << f.what << " window at " << f.x << ", " << f.y << " (" << f.width << " x " << f.height << ")";

    const int viewTop = kY + toolbar, lineY = kY + 200;
    const ToolbarButton& open = set.buttons.at("open");
    // An opaque pixel of its image (the same over black and over white).
    const RgbImage openImage = ReadPicture("Buttons/Default/" + open.normal, "black");
    const RgbImage onWhite = ReadPicture("Buttons/Default/" + open.normal, "white");
    int px = 0, py = 0;
    for (int i = 0; i < openImage.width * openImage.height; ++i) {
        px = (openImage.width / 2 + i) % openImage.width;
        py = (openImage.height / 2 + i / openImage.width) % openImage.height;
        if (openImage.At(px, py) == onWhite.At(px, py)) break;
    }
    ExpectColours("scaled-192", kX - 20, kY - 60, 1240, 700 + toolbar + 80,
                  {{"left of the line", kX - 20 + 5, lineY, kEdge},
                   {"the line", kX - 20 + 6, lineY, kLine},
                   {"the line's second column", kX - 20 + 7, lineY, kLine},
                   {"right of the line", kX - 20 + 8, lineY, kEdge},
                   {"the open button's middle", kX + 2 * (open.x + px), kY + 2 * (open.y + py), openImage.At(px, py)},
                   {"its pixel's second column", kX + 2 * (open.x + px) + 1, kY + 2 * (open.y + py) + 1,
                    openImage.At(px, py)},
                   {"the picture's red corner", kX + 599, viewTop + 349, kRed},
                   {"its lime corner", kX + 600, viewTop + 349, kLime},
                   {"its blue corner", kX + 599, viewTop + 350, kBlue},
                   {"its yellow corner", kX + 600, viewTop + 350, kYellow}});
    CloseWithCtrlW(*main);
}

}  // namespace
}  // namespace zylora::e2e
