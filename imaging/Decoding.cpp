#include "imaging/Decoding.h"

#include <algorithm>
#include <string>
#include <utility>

#include "imaging/AvifDecoder.h"
#include "imaging/HeicDecoder.h"
#include "imaging/JpegPreview.h"
#include "imaging/OwnFormats.h"
#include "imaging/StbPixels.h"

namespace zylora::imaging {

namespace {

// A small PNG or plain BMP read whole; one with a colour profile goes to the system's
// decoder, which reads the profile.
std::optional<DecodedPixels> SmallFilePixels(const HeaderFacts& facts, const DecodeLimit& limit) {
    if (facts.whole.empty() || !facts.profile.empty() || !(IsPlainPng(facts.whole) || IsPlainBmp(facts.whole)))
        return std::nullopt;
    return StbPixels(facts.whole, limit);
}

// libjpeg-turbo's pixels of a JPEG, converted by its profile as the system's decoder's are:
// a grey picture's by a grey profile, a colour one's by an RGB profile, inks by a CMYK profile.
// Inks no profile converts are no colours to show: nothing then.
std::optional<DecodedPixels> JpegInDisplayColours(
    const std::function<std::optional<DecodedPixels>(ColourModel*)>& decode, const std::string& profile,
    const Display& display) {
    ColourModel model = ColourModel::Rgb;
    std::optional<DecodedPixels> pixels = decode(profile.empty() ? nullptr : &model);
    if (pixels && !ShowInDisplayColours(pixels->pixels, profile, model, display) && model == ColourModel::Cmyk)
        return std::nullopt;
    return pixels;
}

// A HEIF file's reduced copy, upright and in the display's colours: an AVIF's by its own turn
// and colours (else its picture's), a HEIC's as libheif turns it, with its profile.
std::optional<DecodedPixels> ThumbnailPixels(std::string_view file, const PreviewPlan& plan, const Display& display,
                                             const HeifLoader& heif) {
    const ByteReader read = [&](std::uint64_t offset, std::size_t length) {
        return offset >= file.size() ? std::string() : std::string(file.substr(static_cast<std::size_t>(offset), length));
    };
    std::optional<DecodedPixels> pixels;
    std::string profile;
    int orientation = 0;
    if (const std::optional<AvifLayout> avif = ReadAvifLayout(read, false, HeifPicture::Thumbnail)) {
        pixels = AvifPixels(file, PictureLimit, HeifPicture::Thumbnail);
        profile = avif->profile.empty() && avif->coding ? ProfileOfPrimaries(avif->coding->primaries) : avif->profile;
        orientation = avif->orientation;
    } else if (const HeifLibrary* library = heif ? heif() : nullptr) {
        pixels = HeicPixels(library, file, PictureLimit, HeifPicture::Thumbnail);
    }
    if (!pixels) return pixels;
    if (!pixels->profile.empty()) profile = std::exchange(pixels->profile, {});
    ShowInDisplayColours(pixels->pixels, profile.empty() ? plan.profile : profile, ColourModel::Rgb, display);
    OrientPixels(pixels->pixels, orientation);
    return pixels;
}

}  // namespace

bool ShowInDisplayColours(PixelBuffer& pixels, const std::string& profile, ColourModel model, const Display& display) {
    if (profile.empty()) return false;
    const std::unique_ptr<ColourConversion> conversion = ColourConversion::Between(profile, model, display.profile);
    if (conversion) ConvertColours(pixels, *conversion, display.parallel);
    return conversion != nullptr;
}

std::optional<DecodedPixels> DecodeInTurn(const HeaderFacts& facts, const DecodeLimit& limit,
                                          const SystemDecoders& system, const Display& display) {
    std::optional<DecodedPixels> own = SmallFilePixels(facts, limit);
    if (!own) own = OwnFormatPixels(facts, limit, system.readFile, system.heif);
    // Those hold the colours as the file does, as the last resort does: the profile is the
    // one the decoder read (a HEIC's), else the header's. The system's decoder and
    // libjpeg-turbo's path convert them themselves.
    const bool asStored = own.has_value();
    // A JPEG is libjpeg-turbo's first: with its x86 routines it decodes a photo in well under
    // the system decoder's time, and gives what a damaged file holds. The system's decoder
    // takes what it refuses (a 12-bit file, inks without a profile).
    if (!own && facts.jpeg && system.readFile) {
        if (const std::optional<std::string> file = system.readFile())
            own = DecodeWholeJpeg(*file, limit,
                                  {[&](ColourModel model) {
                                       return facts.profile.empty()
                                                  ? nullptr
                                                  : ColourConversion::Between(facts.profile, model, display.profile);
                                   },
                                   display.parallel, system.cancelled});
    }
    if (!own && system.decode && !(system.cancelled && system.cancelled())) own = system.decode();
    const bool converted = own.has_value() && !asStored;
    if (!own && system.lastResort) own = system.lastResort();
    if (!own) return own;
    // A decoder that reads the profile itself (from compressed data the header can't) gives it.
    const std::string profile = std::exchange(own->profile, {});
    if (!converted)
        ShowInDisplayColours(own->pixels, profile.empty() ? facts.profile : profile, ColourModel::Rgb, display);
    OrientPixels(own->pixels, facts.orientation);
    own->animated = facts.animated;
    own->facts = facts.photo;
    own->facts.profile = ProfileName(profile.empty() ? facts.profile : profile);
    return own;
}

std::string WhyNotShown(const HeaderFacts& facts, bool heicDecoder) {
    if (facts.jpeg && facts.jpegPrecision > 8)
        return "it is a " + std::to_string(facts.jpegPrecision) + "-bit JPEG, and only 8-bit ones are read";
    if (facts.own == OwnFormat::Heic && !heicDecoder) return "the HEIC decoder is missing";
    return {};
}

bool DecodeThreeByteRows(PixelBuffer& buffer,
                         const std::function<bool(int top, int count, std::uint8_t* into)>& copyRows,
                         const ColourConversion* conversion, const Parallel& parallel) {
    if (buffer.width <= 0 || buffer.height <= 0) return false;
    const auto width = static_cast<std::size_t>(buffer.width);
    // Bands of about 4 MB of three-byte rows.
    const std::size_t rows =
        std::min<std::size_t>(static_cast<std::size_t>(buffer.height), (1u << 22) / (width * 3 + 4));
    const int band = static_cast<int>(std::max<std::size_t>(1, rows));
    const auto decodeRows = [&](int top, int count) {
        const std::size_t pixels = width * static_cast<std::size_t>(count);
        std::uint32_t* room = buffer.pixels.data() + static_cast<std::size_t>(top) * width;
        auto* narrow = reinterpret_cast<std::uint8_t*>(room) + pixels;
        if (!copyRows(top, count, narrow)) return false;
        WidenBgr(narrow, room, pixels);
        return true;
    };
    return DecodeAndConvert(buffer, band, decodeRows, conversion, parallel);
}

std::optional<PreviewPlan> PlanPreview(const HeaderFacts& facts, const std::function<Size(Size)>& neededFor) {
    if (facts.thumbnailOf && (facts.own == OwnFormat::Avif || facts.own == OwnFormat::Heic)) {
        PreviewPlan plan{1, 0, facts.profile, *facts.thumbnailOf, true, facts.photo};
        plan.facts.profile = ProfileName(facts.profile);
        return plan;
    }
    if (!facts.jpeg || !facts.size) return std::nullopt;
    // A photo of a megapixel or less decodes whole in a few milliseconds: a look first would
    // only put a step before it (and at a start, a second fitting of the window).
    const Size stored = *facts.size;
    if (1LL * stored.width * stored.height <= 1'000'000) return std::nullopt;
    // The size needed is the upright picture's; the decoder scales the picture as stored.
    const bool across = facts.orientation >= 5 && facts.orientation <= 8;
    PreviewPlan plan{1, facts.orientation, facts.profile, across ? Size{stored.height, stored.width} : stored,
                     false, facts.photo};
    plan.facts.profile = ProfileName(facts.profile);
    Size needed = neededFor(plan.upright);
    if (across) std::swap(needed.width, needed.height);
    plan.divisor = PreviewDivisor(stored, needed);
    if (plan.divisor < 2) return std::nullopt;
    return plan;
}

std::optional<DecodedPixels> PreviewPixels(std::string_view file, const PreviewPlan& plan, const Display& display,
                                           const HeifLoader& heif) {
    if (plan.thumbnail) {
        std::optional<DecodedPixels> look = ThumbnailPixels(file, plan, display, heif);
        if (look) look->facts = plan.facts;
        return look;
    }
    std::optional<DecodedPixels> preview = JpegInDisplayColours(
        [&](ColourModel* model) { return DecodeJpegPreview(file, plan.divisor, model); }, plan.profile, display);
    if (preview) {
        OrientPixels(preview->pixels, plan.orientation);
        preview->facts = plan.facts;
    }
    return preview;
}

}  // namespace zylora::imaging
