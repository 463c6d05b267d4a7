#include "imaging/Decoding.h"

#include <algorithm>
#include <utility>

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

}  // namespace

void ShowInDisplayColours(PixelBuffer& pixels, const std::string& profile, ColourModel model, const Display& display) {
    if (profile.empty()) return;
    if (const std::unique_ptr<ColourConversion> conversion = ColourConversion::Between(profile, model, display.profile))
        ConvertColours(pixels, *conversion, display.parallel);
}

std::optional<DecodedPixels> DecodeInTurn(const HeaderFacts& facts, const DecodeLimit& limit,
                                          const SystemDecoders& system, const Display& display) {
    std::optional<DecodedPixels> own = SmallFilePixels(facts, limit);
    if (!own) own = OwnFormatPixels(facts, limit, system.readFile);
    // The system's decoder converts the colours itself; every other decoder's hold the
    // colours as the file does, and the profile is the header's.
    bool converted = false;
    if (!own && system.decode) converted = (own = system.decode()).has_value();
    if (!own && facts.jpeg && system.readFile) {
        const std::optional<std::string> file = system.readFile();
        if (file) own = DecodeWholeJpeg(*file, limit);
    }
    if (!own && system.lastResort) own = system.lastResort();
    if (!own) return own;
    if (!converted) ShowInDisplayColours(own->pixels, facts.profile, ColourModel::Rgb, display);
    OrientPixels(own->pixels, facts.orientation);
    return own;
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
    if (!facts.jpeg || !facts.size) return std::nullopt;
    // The size needed is the upright picture's; the decoder scales the picture as stored.
    const bool across = facts.orientation >= 5 && facts.orientation <= 8;
    const Size stored = *facts.size;
    PreviewPlan plan{1, facts.orientation, facts.profile, across ? Size{stored.height, stored.width} : stored};
    Size needed = neededFor(plan.upright);
    if (across) std::swap(needed.width, needed.height);
    plan.divisor = PreviewDivisor(stored, needed);
    if (plan.divisor < 2) return std::nullopt;
    return plan;
}

std::optional<DecodedPixels> PreviewPixels(std::string_view file, const PreviewPlan& plan, const Display& display) {
    std::optional<DecodedPixels> preview = DecodeJpegPreview(file, plan.divisor);
    if (!preview) return std::nullopt;
    OrientPixels(preview->pixels, plan.orientation);
    ShowInDisplayColours(preview->pixels, plan.profile, ColourModel::Rgb, display);
    return preview;
}

}  // namespace zylora::imaging
