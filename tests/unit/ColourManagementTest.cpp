// Converting a picture's colours from its embedded profile: swatches against LittleCMS's own
// conversion in floating point, and profiles that must be ignored.
#include <gtest/gtest.h>
#include <lcms2.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <thread>

#include "imaging/ColourManagement.h"
#include "tests/unit/Profiles.h"

namespace zylora::imaging {
namespace {

using testing::RgbProfile;
using testing::CmykProfile;

const std::string& AdobeRgb() {
    static const std::string p = RgbProfile({{0.64, 0.33, 1}, {0.21, 0.71, 1}, {0.15, 0.06, 1}}, 563.0 / 256);
    return p;
}

const std::string& WideDisplay() {  // a display of about Display P3's gamut
    static const std::string p = RgbProfile({{0.68, 0.32, 1}, {0.265, 0.69, 1}, {0.15, 0.06, 1}}, 2.2);
    return p;
}

// A display whose curve falls: absurd, but a profile may say so. The quick path's tables
// assume a rising curve, so this one is LittleCMS's.
const std::string& FallingDisplay() {
    static const std::string p = [] {
        float falling[256];
        for (int i = 0; i < 256; ++i) falling[i] = 1.0f - static_cast<float>(i) / 255.0f;
        cmsToneCurve* curve = cmsBuildTabulatedToneCurveFloat(nullptr, 256, falling);
        cmsToneCurve* curves[3] = {curve, curve, curve};
        cmsCIExyY white;
        cmsWhitePointFromTemp(&white, 6504);
        const cmsCIExyYTRIPLE primaries{{0.64, 0.33, 1}, {0.30, 0.60, 1}, {0.15, 0.06, 1}};
        std::string bytes = testing::Saved(cmsCreateRGBProfile(&white, &primaries, curves));
        cmsFreeToneCurve(curve);
        return bytes;
    }();
    return p;
}

const std::string& GreyProfile() {
    static const std::string p = testing::GreyProfile(1.8);
    return p;
}

cmsHPROFILE Open(const std::string& profile) {
    return cmsOpenProfileFromMem(profile.data(), static_cast<cmsUInt32Number>(profile.size()));
}

// A display's profile, sRGB when empty.
cmsHPROFILE OpenDisplay(const std::string& display) { return display.empty() ? cmsCreate_sRGBProfile() : Open(display); }

// The colour an 8-bit RGB pixel shows on a display of the profile (sRGB when empty).
cmsCIELab LabOf(std::uint32_t argb, const std::string& display) {
    cmsHPROFILE rgb = OpenDisplay(display);
    cmsHPROFILE lab = cmsCreateLab4Profile(nullptr);
    cmsHTRANSFORM t = cmsCreateTransform(rgb, TYPE_BGRA_8, lab, TYPE_Lab_DBL, INTENT_RELATIVE_COLORIMETRIC, 0);
    cmsCIELab colour{};
    cmsDoTransform(t, &argb, &colour, 1);
    cmsDeleteTransform(t);
    cmsCloseProfile(rgb);
    cmsCloseProfile(lab);
    return colour;
}

// LittleCMS's floating-point conversion of one colour to the display, clipped to its gamut
// and quantised as the display shows it.
std::uint32_t Reference(const std::string& source, cmsUInt32Number format, const double* colour,
                        cmsUInt32Number intent, const std::string& display) {
    cmsHPROFILE from = Open(source);
    cmsHPROFILE to = OpenDisplay(display);
    cmsHTRANSFORM t = cmsCreateTransform(from, format, to, TYPE_RGB_DBL, intent, 0);
    double rgb[3] = {};
    cmsDoTransform(t, colour, rgb, 1);
    cmsDeleteTransform(t);
    cmsCloseProfile(from);
    cmsCloseProfile(to);
    auto byte = [](double v) { return static_cast<std::uint32_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255)); };
    return 0xFF000000u | byte(rgb[0]) << 16 | byte(rgb[1]) << 8 | byte(rgb[2]);
}

struct Swatch {
    std::array<int, 4> values;  // red, green, blue (alpha in the fourth); grey; or C, M, Y, K
};

struct Case {
    const char* name;
    ColourModel model;
    const std::string& profile;
    const std::string& display;
    cmsUInt32Number referenceFormat;
    cmsUInt32Number referenceIntent;
};

TEST(ColourManagementTest, SwatchesConvertWithinADeltaE2000OfOneOfTheColourModule) {
    static const std::string none;
    const Case cases[] = {
        {"Adobe RGB to sRGB", ColourModel::Rgb, AdobeRgb(), none, TYPE_RGB_DBL, INTENT_RELATIVE_COLORIMETRIC},
        {"Adobe RGB to a wide display", ColourModel::Rgb, AdobeRgb(), WideDisplay(), TYPE_RGB_DBL,
         INTENT_RELATIVE_COLORIMETRIC},
        {"grey of gamma 1.8", ColourModel::Grey, GreyProfile(), none, TYPE_GRAY_DBL, INTENT_RELATIVE_COLORIMETRIC},
        {"CMYK by its perceptual table", ColourModel::Cmyk, CmykProfile(), none, TYPE_CMYK_DBL, INTENT_PERCEPTUAL},
    };
    const Swatch swatches[] = {{{200, 40, 40, 255}},  {{30, 160, 60, 255}},  {{40, 60, 190, 128}},
                               {{128, 128, 128, 255}}, {{230, 190, 160, 0}}, {{0, 0, 0, 255}},
                               {{255, 255, 255, 255}}, {{90, 200, 230, 255}}};
    for (const Case& c : cases) {
        auto conversion = ColourConversion::Between(c.profile, c.model, c.display);
        ASSERT_TRUE(conversion) << c.name;
        // One swatch a row, converted in parts of a row each.
        PixelBuffer buffer{{}, 1, static_cast<int>(std::size(swatches))};
        for (const Swatch& s : swatches) {
            const auto [a, b, d, e] = s.values;
            buffer.pixels.push_back(c.model == ColourModel::Cmyk ? static_cast<std::uint32_t>(a | b << 8 | d << 16 | e << 24)
                                    : c.model == ColourModel::Grey
                                        ? static_cast<std::uint32_t>(e << 24 | a << 16 | a << 8 | a)
                                        : static_cast<std::uint32_t>(e << 24 | a << 16 | b << 8 | d));
        }
        ConvertColours(buffer, *conversion, [](int count, const std::function<void(int, int)>& work) {
            for (int i = 0; i < count; ++i) work(i, i + 1);
        });
        for (std::size_t i = 0; i < std::size(swatches); ++i) {
            const auto [a, b, d, e] = swatches[i].values;
            const double rgb[3] = {a / 255.0, b / 255.0, d / 255.0};
            const double grey[1] = {a / 255.0};
            const double cmyk[4] = {a / 2.55, b / 2.55, d / 2.55, e / 2.55};  // inks in per cent
            const double* colour = c.model == ColourModel::Cmyk ? cmyk : c.model == ColourModel::Grey ? grey : rgb;
            const std::uint32_t expected = Reference(c.profile, c.referenceFormat, colour, c.referenceIntent, c.display);
            const std::uint32_t got = buffer.pixels[i];
            cmsCIELab want = LabOf(expected, c.display), have = LabOf(got, c.display);
            EXPECT_LE(cmsCIE2000DeltaE(&want, &have, 1, 1, 1), 1.0)
                << c.name << ", swatch " << i << ": " << std::hex << got << " for " << expected;
            const std::uint32_t alpha = c.model == ColourModel::Cmyk ? 255u : static_cast<std::uint32_t>(e);
            EXPECT_EQ(got >> 24, alpha) << c.name << ", swatch " << i;
        }
    }
}

// Every colour, not only the swatches: the quick path between matrix shapers gives the colour
// module's own 8-bit result to within one step.
TEST(ColourManagementTest, EveryColourConvertsAsTheColourModulesEightBitTransformDoes) {
    static const std::string none;
    for (const std::string* display : {&none, &WideDisplay(), &FallingDisplay()}) {
        auto conversion = ColourConversion::Between(AdobeRgb(), ColourModel::Rgb, *display);
        ASSERT_TRUE(conversion);
        cmsHPROFILE from = Open(AdobeRgb()), to = OpenDisplay(*display);
        cmsHTRANSFORM t = cmsCreateTransform(from, TYPE_BGRA_8, to, TYPE_BGRA_8, INTENT_RELATIVE_COLORIMETRIC, 0);
        // Every fourth level of each channel, with an alpha that varies.
        std::vector<std::uint32_t> pixels, expected;
        for (std::uint32_t r = 0; r < 256; r += 4)
            for (std::uint32_t g = 0; g < 256; g += 4)
                for (std::uint32_t b = 0; b < 256; b += 4) pixels.push_back((r ^ b) << 24 | r << 16 | g << 8 | b);
        expected = pixels;
        cmsDoTransform(t, expected.data(), expected.data(), static_cast<cmsUInt32Number>(expected.size()));
        cmsDeleteTransform(t);
        cmsCloseProfile(from);
        cmsCloseProfile(to);
        conversion->Convert(pixels.data(), pixels.size());
        int worst = 0;
        for (std::size_t i = 0; i < pixels.size(); ++i) {
            for (int shift : {0, 8, 16})
                worst = std::max(worst, std::abs(static_cast<int>(pixels[i] >> shift & 0xFF) -
                                                 static_cast<int>(expected[i] >> shift & 0xFF)));
            ASSERT_EQ(pixels[i] >> 24, expected[i] >> 24) << "alpha stays";
        }
        EXPECT_LE(worst, 1) << (display->empty() ? "to sRGB" : display == &WideDisplay() ? "to the wide display" : "to the falling one");
    }
}

TEST(ColourManagementTest, ADamagedOrMismatchedProfileIsIgnored) {
    const std::string& adobe = AdobeRgb();
    const std::pair<std::string, ColourModel> ignored[] = {
        {"", ColourModel::Rgb},
        {"not a colour profile at all, just words", ColourModel::Rgb},
        {adobe.substr(0, 200), ColourModel::Rgb},   // cut short
        {adobe.substr(0, 128) + std::string(adobe.size() - 128, '\xFF'), ColourModel::Rgb},  // its tags garbled
        {GreyProfile(), ColourModel::Rgb},          // a grey profile in a colour picture
        {adobe, ColourModel::Cmyk},
        {CmykProfile(), ColourModel::Grey},
    };
    for (const auto& [profile, model] : ignored)
        EXPECT_FALSE(ColourConversion::Between(profile, model, "")) << profile.size() << " bytes";

    // A display profile that can't be read converts to sRGB instead.
    auto toBroken = ColourConversion::Between(adobe, ColourModel::Rgb, "garbage");
    auto toSrgb = ColourConversion::Between(adobe, ColourModel::Rgb, "");
    ASSERT_TRUE(toBroken && toSrgb);
    std::uint32_t a = 0xFF20C040, b = a;
    toBroken->Convert(&a, 1);
    toSrgb->Convert(&b, 1);
    EXPECT_EQ(a, b);
    EXPECT_NE(a, 0xFF20C040u) << "Adobe RGB green is not sRGB green";
}

// Rows converted as they are decoded come out as the rows converted once all are in, with
// the two parts running at once or one after the other; a failing decode stops both.
TEST(ColourManagementTest, RowsConvertedAsTheyAreDecodedMatchTheWholeConvertedAfter) {
    auto conversion = ColourConversion::Between(AdobeRgb(), ColourModel::Rgb, "");
    ASSERT_TRUE(conversion);
    const Parallel atOnce = [](int count, const std::function<void(int, int)>& work) {
        std::thread second(work, count / 2, count);
        work(0, count / 2);
        second.join();
    };
    // As when no second thread could be had: the parts one after the other.
    const Parallel inOrder = [](int count, const std::function<void(int, int)>& work) {
        work(0, count / 2);
        work(count / 2, count);
    };
    PixelBuffer expected{imaging::PixelWords(37 * 23), 37, 23};
    for (std::size_t i = 0; i < expected.pixels.size(); ++i)
        expected.pixels[i] = 0xFF000000u | static_cast<std::uint32_t>(i * 2654435761u >> 8);
    const PixelBuffer stored = expected;
    ConvertColours(expected, *conversion);
    for (const Parallel& parallel : {atOnce, inOrder, Parallel()}) {
        PixelBuffer buffer{imaging::PixelWords(stored.pixels.size()), 37, 23};
        int calls = 0;
        const bool done = DecodeAndConvert(buffer, 5, [&](int top, int count) {
            ++calls;
            std::copy_n(stored.pixels.begin() + top * 37, count * 37, buffer.pixels.begin() + top * 37);
            return true;
        }, conversion.get(), parallel);
        EXPECT_TRUE(done);
        EXPECT_EQ(calls, 5);  // 23 rows in bands of 5
        EXPECT_EQ(buffer.pixels, expected.pixels);

        calls = 0;
        EXPECT_FALSE(DecodeAndConvert(buffer, 5, [&](int, int) { return ++calls < 3; }, conversion.get(), parallel));
        EXPECT_EQ(calls, 3) << "the decode stops at its failure";
    }
    // Without a conversion too, the memory written ahead of the decoder (several pages a
    // band) keeps every row decoded.
    for (const Parallel& parallel : {atOnce, inOrder}) {
        PixelBuffer wide{imaging::PixelWords(1500 * 40), 1500, 40};
        EXPECT_TRUE(DecodeAndConvert(wide, 8, [&](int top, int count) {
            for (std::size_t i = top * 1500u; i < (top + count) * 1500u; ++i) wide.pixels[i] = 0xFF000000u | static_cast<std::uint32_t>(i);
            return true;
        }, nullptr, parallel));
        for (std::size_t i = 0; i < wide.pixels.size(); ++i)
            ASSERT_EQ(wide.pixels[i], 0xFF000000u | static_cast<std::uint32_t>(i)) << i;
    }
}

}  // namespace
}  // namespace zylora::imaging
