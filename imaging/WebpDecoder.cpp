#include "imaging/WebpDecoder.h"

#include <webp/decode.h>
#include <webp/demux.h>

#include <algorithm>
#include <bit>
#include <cstring>
#include <memory>

namespace zylora::imaging {

namespace {

// libwebp's BGRA bytes are the bytes of our ARGB words.
static_assert(std::endian::native == std::endian::little);

std::uint8_t* Bytes(DecodedPixels& out) { return reinterpret_cast<std::uint8_t*>(out.pixels.pixels.data()); }

std::size_t ByteCount(int width, int height) {
    return static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4;
}

// A still picture, straight into our buffer. The incremental decoder is handed the whole file:
// where it ends early or breaks off, the rows decoded by then are what the file holds.
std::optional<DecodedPixels> StillPixels(const std::uint8_t* data, std::size_t size, int width, int height,
                                         bool alpha) {
    std::optional<DecodedPixels> out = PixelsToFill(width, height);
    if (!out) return out;
    using Decoder = std::unique_ptr<WebPIDecoder, decltype(&WebPIDelete)>;
    const Decoder decoder(WebPINewRGB(MODE_BGRA, Bytes(*out), ByteCount(width, height), width * 4), WebPIDelete);
    if (!decoder) return std::nullopt;
    const VP8StatusCode status = WebPIUpdate(decoder.get(), data, size);
    int rows = height;
    if (status != VP8_STATUS_OK) {
        if (!WebPIDecGetRGB(decoder.get(), &rows, nullptr, nullptr, nullptr) || rows <= 0) return std::nullopt;
        rows = std::min(rows, height);
        std::memset(Bytes(*out) + ByteCount(width, rows), 0, ByteCount(width, height - rows));
        out->damaged = true;
    }
    out->opaque = (!alpha && !out->damaged) || AllOpaque(out->pixels.pixels);
    return out;
}

// An animation's first frame, composed on its canvas by the demuxer's decoder.
std::optional<DecodedPixels> FirstFramePixels(const std::uint8_t* data, std::size_t size, const DecodeLimit& limit) {
    WebPAnimDecoderOptions options;
    if (!WebPAnimDecoderOptionsInit(&options)) return std::nullopt;
    options.color_mode = MODE_BGRA;
    const WebPData file{data, size};
    using Decoder = std::unique_ptr<WebPAnimDecoder, decltype(&WebPAnimDecoderDelete)>;
    const Decoder decoder(WebPAnimDecoderNew(&file, &options), WebPAnimDecoderDelete);
    WebPAnimInfo info;
    if (!decoder || !WebPAnimDecoderGetInfo(decoder.get(), &info)) return std::nullopt;
    const int width = static_cast<int>(info.canvas_width), height = static_cast<int>(info.canvas_height);
    std::uint8_t* canvas = nullptr;
    int timestamp = 0;
    if (width <= 0 || height <= 0 || !limit.Allows({width, height}) ||
        !WebPAnimDecoderGetNext(decoder.get(), &canvas, &timestamp))
        return std::nullopt;
    std::optional<DecodedPixels> out = PixelsToFill(width, height);
    if (!out) return out;
    std::memcpy(Bytes(*out), canvas, ByteCount(width, height));
    out->opaque = AllOpaque(out->pixels.pixels);
    return out;
}

}  // namespace

std::optional<DecodedPixels> WebpPixels(std::string_view bytes, const DecodeLimit& limit) {
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
    WebPBitstreamFeatures features;
    if (WebPGetFeatures(data, bytes.size(), &features) != VP8_STATUS_OK) return std::nullopt;
    if (features.has_animation) return FirstFramePixels(data, bytes.size(), limit);
    if (features.width <= 0 || features.height <= 0 || !limit.Allows({features.width, features.height}))
        return std::nullopt;
    return StillPixels(data, bytes.size(), features.width, features.height, features.has_alpha != 0);
}

}  // namespace zylora::imaging
