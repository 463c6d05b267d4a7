// The way from a file to its pixels, the system's decoders played by functions: the decoder a
// file reaches, the colours converted once, the turn upright; the scale of a first look at a
// photo stored turned; a small file kept whole only as long as it was.
#include <gtest/gtest.h>
#include <lcms2.h>
#include <stb_image_write.h>

#include "imaging/Decoding.h"
#include "imaging/JpegPreview.h"
#include "imaging/StbPixels.h"
#include "tests/unit/JpegFiles.h"
#include "tests/unit/Profiles.h"

namespace zylora::imaging {
namespace {

// stb_image_write's PNG or JPEG of 2 x 1 opaque pixels, brown then steel blue.
std::string Written(bool png) {
    const unsigned char rgb[] = {128, 96, 64, 64, 96, 128};
    std::string bytes;
    auto append = [](void* to, void* data, int size) {
        static_cast<std::string*>(to)->append(static_cast<char*>(data), static_cast<std::size_t>(size));
    };
    png ? stbi_write_png_to_func(append, &bytes, 2, 1, 3, rgb, 6)
        : stbi_write_jpg_to_func(append, &bytes, 2, 1, 3, rgb, 100);
    return bytes;
}

TEST(DecodingTest, EachFileReachesItsDecoderAndComesOutConvertedOnceAndUpright) {
    // A profile of primaries far from sRGB's, which changes every colour converted by it.
    const cmsCIExyYTRIPLE primaries{{0.70, 0.29, 1}, {0.17, 0.79, 1}, {0.13, 0.05, 1}};
    const std::string wide = testing::RgbProfile(primaries, 2.2);

    const DecodedPixels stored{{PixelWords{0xFF806040u, 0xFF406080u}, 1, 2}, true};  // what the system gives
    struct Case {
        HeaderFacts facts;  // each stored turned (orientation 6)
        bool systemReads, fileReads, lastReads;
        std::string expected;  // the decoder that gives the pixels
        bool converted;
    } cases[] = {
        {{{}, 6, "", false, Written(true)}, true, true, true, "stb", false},  // a small plain PNG
        {{{}, 6, wide, false, Written(true)}, true, true, true, "system", false},
        {{{}, 6, wide, true, ""}, true, true, true, "libjpeg", true},    // a JPEG: libjpeg-turbo first
        {{{}, 6, wide, true, ""}, true, false, true, "system", false},   // one it can't have
        {{{}, 6, wide, false, ""}, false, true, true, "last", true},
        {{{}, 6, "", true, ""}, false, false, false, "", false},
    };
    for (const Case& c : cases) {
        std::string used = "stb";
        const auto gives = [&](bool reads, const char* name) -> std::optional<DecodedPixels> {
            if (reads) used = name;
            return reads ? std::optional(stored) : std::nullopt;
        };
        const SystemDecoders decoders{
            [&] { return gives(c.systemReads, "system"); },
            [&] { return gives(c.fileReads, "libjpeg") ? Written(false) : std::optional<std::string>(); },
            [&] { return gives(c.lastReads, "last"); }};
        const std::optional<DecodedPixels> own = DecodeInTurn(c.facts, PictureLimit, decoders, {"", nullptr});
        ASSERT_EQ(own.has_value(), !c.expected.empty()) << c.expected;
        if (!own) continue;
        EXPECT_EQ(used, c.expected);
        // Turned a quarter clockwise: a 2 x 1 file's first pixel stays first, the system's
        // lower one comes first.
        const bool fromSystem = used == "system" || used == "last";
        ASSERT_EQ(own->pixels.width, fromSystem ? 2 : 1) << used;
        const std::optional<DecodedPixels> file =
            used == "libjpeg" ? DecodeWholeJpeg(Written(false), PictureLimit) : StbPixels(Written(true), PictureLimit);
        const std::uint32_t asStored = fromSystem ? stored.pixels.pixels[1] : file->pixels.pixels[0];
        EXPECT_EQ(own->pixels.pixels[0] != asStored, c.converted) << used;
    }
}

// A decode nobody wants any more stops within the JPEG's rows and asks no other decoder.
TEST(DecodingTest, ADecodeNobodyWantsGivesNothing) {
    // Two bands of rows of about 4 MB each.
    const std::string file = testing::JpegFile(2048, 1024, JCS_RGB, [](int, int, unsigned char* p) { p[0] = 200; });
    int asked = 0, systemAsked = 0;
    const auto afterRows = [&] { return ++asked > 1; };  // wanted for its first band only
    const SystemDecoders decoders{[&] {
                                      ++systemAsked;
                                      return std::optional<DecodedPixels>();
                                  },
                                  [&] { return std::optional(file); }, nullptr, nullptr, afterRows};
    EXPECT_FALSE(DecodeInTurn({Size{2048, 1024}, 0, "", true, ""}, PictureLimit, decoders, {"", nullptr}));
    EXPECT_EQ(asked, 3) << "at each band, and once before the system's decoder";
    EXPECT_EQ(systemAsked, 0);
    EXPECT_TRUE(DecodeWholeJpeg(file, PictureLimit, {nullptr, nullptr, [] { return false; }})) << "wanted throughout";
}

TEST(DecodingTest, APreviewOfAPhotoStoredTurnedIsScaledForItsUprightSize) {
    // 750 x 1000 upright is 1000 x 750 of the 4000 x 3000 stored turned: a quarter covers it;
    // stored upright, only a half does.
    Size asked;
    const auto needed = [&](Size upright) {
        asked = upright;
        return Size{750, 1000};
    };
    HeaderFacts facts{Size{4000, 3000}, 6, "", true, ""};
    EXPECT_EQ(PlanPreview(facts, needed)->divisor, 4);
    EXPECT_EQ(asked, (Size{3000, 4000}));
    facts.orientation = 1;
    EXPECT_EQ(PlanPreview(facts, needed)->divisor, 2);
    EXPECT_FALSE(PlanPreview(facts, [](Size) { return Size{4000, 3000}; })) << "only the full size will do";
    facts.size = Size{1000, 1000};
    EXPECT_FALSE(PlanPreview(facts, needed)) << "a megapixel decodes whole at once";
}

// LittleCMS's own 8-bit conversion of one pixel from the profile to sRGB, as ARGB.
std::uint32_t InSrgb(const std::string& profile, cmsUInt32Number format, const unsigned char* values,
                     cmsUInt32Number intent) {
    cmsHPROFILE from = cmsOpenProfileFromMem(profile.data(), static_cast<cmsUInt32Number>(profile.size()));
    cmsHPROFILE srgb = cmsCreate_sRGBProfile();
    cmsHTRANSFORM t = cmsCreateTransform(from, format, srgb, TYPE_BGRA_8, intent, 0);
    std::uint32_t argb = 0xFF000000u;
    cmsDoTransform(t, values, &argb, 1);
    cmsDeleteTransform(t);
    cmsCloseProfile(from);
    cmsCloseProfile(srgb);
    return argb | 0xFF000000u;
}

// A first look at a JPEG shows the tones its full picture shows, in each colour space the
// full decode converts: grey (a gamma-1.0 grey profile, where grey 87 is sRGB's 158), colour,
// and CMYK inks (stored inverted, as Adobe's files keep them).
TEST(DecodingTest, APreviewIsConvertedByTheProfileAsTheFullPictureIs) {
    const cmsCIExyYTRIPLE primaries{{0.70, 0.29, 1}, {0.17, 0.79, 1}, {0.13, 0.05, 1}};
    const struct Case {
        const char* name;
        J_COLOR_SPACE space;
        std::string profile;
        std::vector<unsigned char> stored;  // as the picture means them (ink as 255)
        cmsUInt32Number format, intent;
    } cases[] = {
        {"grey", JCS_GRAYSCALE, testing::GreyProfile(1.0), {87}, TYPE_GRAY_8, INTENT_RELATIVE_COLORIMETRIC},
        {"colour", JCS_RGB, testing::RgbProfile(primaries, 2.2), {200, 120, 40}, TYPE_RGB_8,
         INTENT_RELATIVE_COLORIMETRIC},
        {"CMYK", JCS_CMYK, testing::CmykProfile(), {40, 100, 160, 20}, TYPE_CMYK_8, INTENT_PERCEPTUAL},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string file = testing::JpegFile(64, 64, c.space, [&](int, int, unsigned char* p) {
            for (std::size_t i = 0; i < c.stored.size(); ++i)
                p[i] = c.space == JCS_CMYK ? static_cast<unsigned char>(255 - c.stored[i]) : c.stored[i];
        });
        const std::uint32_t expected = InSrgb(c.profile, c.format, c.stored.data(), c.intent);
        const std::optional<DecodedPixels> preview = PreviewPixels(file, {4, 0, c.profile, {64, 64}}, {"", nullptr});
        const SystemDecoders libjpegOnly{nullptr, [&] { return std::optional(file); }, nullptr};
        const std::optional<DecodedPixels> full =
            DecodeInTurn({Size{64, 64}, 0, c.profile, true, ""}, PictureLimit, libjpegOnly, {"", nullptr});
        ASSERT_TRUE(preview && full);
        EXPECT_EQ(preview->pixels.width, 16);
        for (const std::uint32_t shown : {preview->pixels.pixels[100], full->pixels.pixels[1000]})
            for (int shift : {24, 16, 8, 0})
                EXPECT_NEAR(static_cast<int>(shown >> shift & 0xFF), static_cast<int>(expected >> shift & 0xFF), 2)
                    << std::hex << shown << " for " << expected;
    }
}

TEST(DecodingTest, ASmallFileIsKeptWholeUnlessItGrewSinceItsSizeWasTaken) {
    const std::string png = Written(true);
    const ByteReader read = [&](std::uint64_t at, std::size_t length) {
        return at < png.size() ? png.substr(static_cast<std::size_t>(at), length) : std::string();
    };
    EXPECT_EQ(ReadHeaderFacts(read, png.size(), PictureLimit)->whole, png);
    EXPECT_EQ(ReadHeaderFacts(read, png.size(), PictureLimit)->size, (Size{2, 1}));
    EXPECT_TRUE(ReadHeaderFacts(read, png.size() - 1, PictureLimit)->whole.empty());
    EXPECT_FALSE(ReadHeaderFacts(read, png.size(), {1, 1})) << "beyond the limit";
}

}  // namespace
}  // namespace zylora::imaging
