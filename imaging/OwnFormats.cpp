#include "imaging/OwnFormats.h"

#include <climits>
#include <cstdlib>
#include <memory>

#include "imaging/AvifDecoder.h"
#include "imaging/HeicDecoder.h"
#include "imaging/JxlDecoder.h"
#include "imaging/StbPixels.h"
#include "imaging/WebpDecoder.h"

// The reference decoder, compiled here (Debian's libqoi-dev); the files come as bytes.
#define QOI_IMPLEMENTATION
#define QOI_NO_STDIO
#include <qoi.h>

namespace zylora::imaging {

std::optional<DecodedPixels> QoiPixels(std::string_view bytes, const DecodeLimit& limit) {
    if (bytes.size() > static_cast<std::size_t>(INT_MAX)) return std::nullopt;
    // Its header, read before the decoder allocates the picture.
    const ByteReader read = [&](std::uint64_t offset, std::size_t length) {
        return offset >= bytes.size() ? std::string() : std::string(bytes.substr(static_cast<std::size_t>(offset), length));
    };
    const std::optional<Size> declared = DeclaredImageSize(read);
    if (DeclaredOwnFormat(read(0, 32)) != OwnFormat::Qoi || !declared || !limit.Allows(*declared)) return std::nullopt;
    qoi_desc description{};
    void* decoded = qoi_decode(bytes.data(), static_cast<int>(bytes.size()), &description, 4);
    const std::unique_ptr<unsigned char, decltype(&std::free)> rgba(static_cast<unsigned char*>(decoded), std::free);
    if (!rgba || description.width != static_cast<unsigned>(declared->width) ||
        description.height != static_cast<unsigned>(declared->height))
        return std::nullopt;
    std::optional<DecodedPixels> out = PixelsToFill(declared->width, declared->height);
    if (!out) return out;
    const std::size_t count = out->pixels.pixels.size();
    for (std::size_t i = 0; i < count; ++i) {
        const unsigned char* p = rgba.get() + i * 4;
        out->pixels.pixels[i] = platform::MakeArgb(p[3], p[0], p[1], p[2]);
    }
    out->opaque = AllOpaque(out->pixels.pixels);
    return out;
}

std::optional<DecodedPixels> OwnFormatPixels(const HeaderFacts& facts, const DecodeLimit& limit,
                                            const std::function<std::optional<std::string>()>& readFile,
                                            const HeifLoader& heif) {
    if (facts.own == OwnFormat::None) return std::nullopt;
    // Without its library a HEIC file isn't worth reading.
    const HeifLibrary* heifLibrary = facts.own == OwnFormat::Heic && heif ? heif() : nullptr;
    if (facts.own == OwnFormat::Heic && !heifLibrary) return std::nullopt;
    std::string read;
    if (facts.whole.empty() && readFile) read = readFile().value_or(std::string());
    const std::string& bytes = facts.whole.empty() ? read : facts.whole;
    switch (facts.own) {
        case OwnFormat::Webp: return WebpPixels(bytes, limit);
        case OwnFormat::Avif: return AvifPixels(bytes, limit);
        case OwnFormat::Qoi: return QoiPixels(bytes, limit);
        case OwnFormat::Jxl: return JxlPixels(bytes, limit);
        case OwnFormat::Tga:
        case OwnFormat::Psd: return StbPixels(bytes, limit);
        case OwnFormat::Heic: return HeicPixels(heifLibrary, bytes, limit);
        case OwnFormat::None: break;
    }
    return std::nullopt;
}

}  // namespace zylora::imaging
