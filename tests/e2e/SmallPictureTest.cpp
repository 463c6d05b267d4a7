// A picture smaller than the toolbar (an icon, a sprite) on the real exe: the window stays as
// wide as the bundled button set, every button shows and answers the pointer, and the picture
// sits in the middle of the view at its own size.
#include <string>

#include "tests/e2e/SkinnedAppTest.h"

namespace zylora::e2e {
namespace {

constexpr const char* kCaption = "Zylora Small E2E";
constexpr int kX = 200, kY = 150;
constexpr Rgb kViewGrey{40, 40, 40};  // the bare skin's background

class SmallPicture : public SkinnedAppTest {};

// A pixel where the button's normal and pointer-over images differ, both opaque there.
std::optional<std::pair<int, int>> TellingPixel(const RgbImage& normalOnBlack, const RgbImage& normalOnWhite,
                                                const RgbImage& hotOnBlack, const RgbImage& hotOnWhite) {
    for (int y = 0; y < normalOnBlack.height; ++y)
        for (int x = 0; x < normalOnBlack.width; ++x)
            if (normalOnBlack.At(x, y) == normalOnWhite.At(x, y) && hotOnBlack.At(x, y) == hotOnWhite.At(x, y) &&
                normalOnBlack.At(x, y) != hotOnBlack.At(x, y))
                return std::pair{x, y};
    return std::nullopt;
}

TEST_F(SmallPicture, EveryToolbarButtonShowsAndAnswersBesideA24PixelPicture) {
    UseBareSkin("Small", kCaption, kX, kY);
    const ButtonSetLayout set = ReadButtonSet("Buttons/Default");
    int reach = 0;
    for (const auto& [action, b] : set.buttons) reach = std::max(reach, b.x + b.width);
    SolidPng("Pictures/a.png", 24, 24, kRed);
    SolidPng("Pictures/b.png", 24, 24, kBlue);
    app_.Start({app_.WindowsPath("Pictures/a.png")});

    const int viewHeight = 64;
    const auto window = ExpectWindowAt(kCaption, kX, kY, reach, set.toolbarHeight + viewHeight, "start");
    ASSERT_TRUE(window);
    const int viewTop = kY + set.toolbarHeight;
    const int middleX = kX + reach / 2, middleY = viewTop + viewHeight / 2;
    ExpectColours("small-picture", kX, kY, reach, set.toolbarHeight + viewHeight,
                  {{"the picture in the middle", middleX, middleY, kRed},
                   {"the picture's left edge", middleX - 12, middleY, kRed},
                   {"left of the picture", middleX - 13, middleY, kViewGrey},
                   {"below the picture", middleX, middleY + 12, kViewGrey}});

    // Each button lit under the pointer: drawn where it is, and its hit test answers.
    for (const auto& [action, b] : set.buttons) {
        SCOPED_TRACE(action);
        const std::string folder = "Buttons/Default/";
        const auto pixel = TellingPixel(ReadPicture(folder + b.normal, "black"), ReadPicture(folder + b.normal, "white"),
                                        ReadPicture(folder + b.mouseover, "black"),
                                        ReadPicture(folder + b.mouseover, "white"));
        ASSERT_TRUE(pixel) << "the normal and pointer-over images look alike";
        const auto [px, py] = *pixel;
        const int x = kX + b.x + px, y = kY + b.y + py;
        x_.MovePointer(kX + b.x + b.width / 2, kY + b.y + b.height / 2);
        ExpectColours("button-" + action + "-lit", kX, kY, reach, set.toolbarHeight,
                      {{action + " lit", x, y, ReadPicture(folder + b.mouseover).At(px, py)}});
    }

    const ToolbarButton& next = set.buttons.at("next");
    x_.Click(kX + next.x + next.width / 2, kY + next.y + next.height / 2);
    ExpectColours("next-picture", kX, kY, reach, set.toolbarHeight + viewHeight,
                  {{"the next picture", middleX, middleY, kBlue}});
    CloseWithCtrlW(*window);
}

}  // namespace
}  // namespace zylora::e2e
