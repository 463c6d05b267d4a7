// A picture named on the command line: the main window takes its size (plus the toolbar),
// the view shows it stretched over the skin's background colour, and the skin's corner
// image sits in the view's lower-right corner; a photo with a colour profile shows its colours.
#include <lcms2.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/e2e/SkinnedAppTest.h"

namespace zylora::e2e {
namespace {

constexpr const char* kCaption = "Zylora Picture E2E";
constexpr int kX = 250, kY = 180;
constexpr int kCorner = 12;

constexpr Rgb kRed{255, 0, 0};
constexpr Rgb kBackground{0, 0, 255};
constexpr Rgb kCornerColour{0, 255, 0};

// No frame images: the frame windows have their sizes and draw nothing.
constexpr const char* kSkinValues =
    "[Caption]\r\nText=Zylora Picture E2E\r\n"
    "Format={text}\r\n"
    "[left]\r\nWidth=10\r\n"
    "[right]\r\nWidth=10\r\n"
    "[top]\r\nHeight=30\r\n"
    "[bottom]\r\nHeight=10\r\n"
    "[bg]\r\nColorR=0\r\nColorG=0\r\nColorB=255\r\n";

class Picture : public SkinnedAppTest {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(SkinnedAppTest::SetUp());
        app_.WriteFile("Skins/Picture/values.ini", kSkinValues);
        SolidPng("Skins/Picture/corner.png", kCorner, kCorner, kCornerColour);
        app_.WriteFile("zylora.ini",
                       "[Placement]\r\nX=250\r\nY=180\r\nWidth=320\r\nHeight=320\r\n"
                       "[Skin]\r\nDir=Skins/Picture\r\n");
        const auto buttons = app_.ReadFile("Buttons/Default/values.ini");
        ASSERT_TRUE(buttons) << "the default button set is not in the runnable folder";
        const auto height = IniValue(*buttons, "Main", "ToolbarHeight");
        ASSERT_TRUE(height) << "the default button set names no toolbar height";
        toolbarHeight_ = std::stoi(*height);
    }

    // A picture whose left half is opaque red and whose right half is fully transparent.
    std::string HalfRedPicture(int width, int height) {
        const std::string relative = "Pictures/half-red.png";
        std::filesystem::create_directories(app_.Dir() / "Pictures");
        Convert({"-size", std::to_string(width) + "x" + std::to_string(height), "xc:none", "-fill", Hex(kRed),
                 "-draw", "rectangle 0,0 " + std::to_string(width / 2 - 1) + "," + std::to_string(height - 1),
                 "PNG32:" + (app_.Dir() / relative).string()});
        return app_.WindowsPath(relative);
    }

    // Starts on the picture and checks the main window settles at the settings' place with
    // the view `viewWidth` x `viewHeight` below the toolbar; then checks the view's pixels.
    void ExpectPictureShown(const std::string& name, const std::string& picture, int viewWidth,
                            int viewHeight) {
        app_.Start({picture});
        const int height = viewHeight + toolbarHeight_;
        const auto main = WaitForMainWindow(kCaption, [&](const TopLevelWindow& w) {
            return w.x == kX && w.y == kY && w.width == viewWidth && w.height == height;
        });
        ASSERT_TRUE(main) << "no mapped window named \"" << kCaption << "\"";
        EXPECT_EQ(main->x, kX);
        EXPECT_EQ(main->y, kY);
        EXPECT_EQ(main->width, viewWidth);
        EXPECT_EQ(main->height, height) << "the picture's height plus the toolbar's " << toolbarHeight_;

        // View coordinates, kept off the view's edges and the picture's middle, where the
        // stretched picture blends.
        const int viewX = kX, viewY = kY + toolbarHeight_;
        std::vector<Probe> probes;
        auto add = [&](const std::string& what, int x, int y, Rgb expected) {
            probes.push_back({what, viewX + x, viewY + y, expected});
        };
        for (int y : {8, viewHeight / 2, viewHeight - 8}) {
            add("opaque left half", 8, y, kRed);
            add("opaque left half", viewWidth / 2 - 8, y, kRed);
        }
        for (int y : {8, viewHeight / 2, viewHeight - kCorner - 4}) {
            add("background through the transparent half", viewWidth / 2 + 8, y, kBackground);
            add("background through the transparent half", viewWidth - 8, y, kBackground);
        }
        add("background left of the corner", viewWidth - kCorner - 2, viewHeight - 6, kBackground);
        add("background above the corner", viewWidth - 6, viewHeight - kCorner - 2, kBackground);
        for (int y : {viewHeight - kCorner, viewHeight - kCorner / 2, viewHeight - 1}) {
            for (int x : {viewWidth - kCorner, viewWidth - kCorner / 2, viewWidth - 1}) {
                add("corner.png", x, y, kCornerColour);
            }
        }
        ExpectColours(name, kX, kY, viewWidth, height, probes);

        ASSERT_NO_FATAL_FAILURE(CloseWithCtrlW(*main));
    }

    int toolbarHeight_ = 0;
};

TEST_F(Picture, WindowTakesThePicturesSizeAndTransparencyShowsTheBackground) {
    // Wider than the bundled button set reaches, the main window's least width.
    ExpectPictureShown("picture", HalfRedPicture(480, 150), 480, 150);
}

TEST_F(Picture, PictureLargerThanTheScreenIsHalvedUntilItFits) {
    // 2400 wide with the frame does not fit 1920; 1200 does.
    ASSERT_GE(x_.ScreenWidth(), 1200 + 20);
    ASSERT_LT(x_.ScreenWidth(), 2400 + 20);
    ASSERT_GE(x_.ScreenHeight(), kY + 500 + toolbarHeight_ + 10);
    ExpectPictureShown("halved-picture", HalfRedPicture(2400, 1000), 1200, 500);
}

// A photo in Adobe RGB, six swatches of saturated and skin colours, shows on screen within a
// colour difference (CIEDE2000) of 2 of ImageMagick's own conversion of it to sRGB.
TEST_F(Picture, AnAdobeRgbPhotoShowsTheColoursImageMagickConvertsItTo) {
    const std::string icc = "/usr/share/color/icc/colord/";
    std::filesystem::create_directories(app_.Dir() / "Pictures");
    const std::string photo = (app_.Dir() / "Pictures/adobe.jpg").string();
    // Swatches 160 wide: the window is no narrower than the bundled button set reaches.
    Convert({"-size", "160x80", "xc:#C82828", "xc:#28C83C", "xc:#2846BE", "+append", "(", "-size", "160x80",
             "xc:#E6BEA0", "xc:#F0DC28", "xc:#8C3CA0", "+append", ")", "-append", "-profile",
             icc + "AdobeRGB1998.icc", "-sampling-factor", "1x1", "-quality", "100", photo});
    Convert({photo, "-profile", icc + "sRGB.icc", "-strip", (app_.Dir() / "Pictures/reference.png").string()});
    const RgbImage reference = ReadPicture("Pictures/reference.png");

    app_.Start({app_.WindowsPath("Pictures/adobe.jpg")});
    const auto main = WaitForMainWindow(kCaption, [&](const TopLevelWindow& w) {
        return w.x == kX && w.y == kY && w.width == 480 && w.height == 160 + toolbarHeight_;
    });
    ASSERT_TRUE(main) << "no mapped window named \"" << kCaption << "\"";
    cmsHPROFILE srgb = cmsCreate_sRGBProfile(), lab = cmsCreateLab4Profile(nullptr);
    cmsHTRANSFORM toLab = cmsCreateTransform(srgb, TYPE_RGB_8, lab, TYPE_Lab_DBL, INTENT_RELATIVE_COLORIMETRIC, 0);
    auto difference = [&](Rgb a, Rgb b) {
        cmsCIELab la, lb;
        cmsDoTransform(toLab, &a, &la, 1);
        cmsDoTransform(toLab, &b, &lb, 1);
        return cmsCIE2000DeltaE(&la, &lb, 1, 1, 1);
    };
    const int viewY = kY + toolbarHeight_;
    RgbImage shot;
    auto worst = [&] {
        shot = x_.Capture(kX, viewY, 480, 160);
        double most = 0;
        for (int y : {40, 120})
            for (int x : {80, 240, 400}) most = std::max(most, difference(shot.At(x, y), reference.At(x, y)));
        return most;
    };
    PollUntil([&] { return worst() <= 2; }, 20s, 100ms);
    for (int y : {40, 120})
        for (int x : {80, 240, 400})
            EXPECT_LE(difference(shot.At(x, y), reference.At(x, y)), 2.0)
                << "swatch at (" << x << ", " << y << "): " << shot.At(x, y) << " for " << reference.At(x, y);
    cmsDeleteTransform(toLab);
    cmsCloseProfile(srgb);
    cmsCloseProfile(lab);
    ASSERT_NO_FATAL_FAILURE(CloseWithCtrlW(*main));
}

}  // namespace
}  // namespace zylora::e2e
