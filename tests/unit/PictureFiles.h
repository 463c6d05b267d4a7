// Small files of the formats the program decodes itself, made in memory for the tests: WebP by
// libwebp's own encoder and muxer, AVIF by libavif's encoder, the others byte by byte.
#pragma once

#include <avif/avif.h>
#include <webp/encode.h>
#include <webp/mux.h>

#include <cstdint>
#include <string>
#include <vector>

namespace zylora::testing {

// Pixels as RGBA bytes, row after row.
using Rgba = std::vector<std::uint8_t>;

inline std::string Taken(WebPData& data) {
    std::string bytes(reinterpret_cast<const char*>(data.bytes), data.size);
    WebPDataClear(&data);
    return bytes;
}

inline std::string Number(std::uint32_t value, int bytes, bool big) {
    std::string s;
    for (int i = 0; i < bytes; ++i) s += static_cast<char>(value >> (8 * (big ? bytes - 1 - i : i)));
    return s;
}

// A still WebP, lossless or lossy (quality 90).
inline std::string WebpFile(int width, int height, const Rgba& rgba, bool lossless) {
    std::uint8_t* out = nullptr;
    const std::size_t size = lossless ? WebPEncodeLosslessRGBA(rgba.data(), width, height, width * 4, &out)
                                      : WebPEncodeRGBA(rgba.data(), width, height, width * 4, 90, &out);
    WebPData data{out, size};
    return Taken(data);
}

// The WebP with chunks ("ICCP", "EXIF") added by the muxer, which makes it an extended one.
inline std::string WithWebpChunks(const std::string& webp,
                                  const std::vector<std::pair<const char*, std::string>>& chunks) {
    WebPMux* mux = WebPMuxNew();
    const auto data = [](const std::string& s) {
        return WebPData{reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
    };
    const WebPData image = data(webp);
    WebPMuxSetImage(mux, &image, 1);
    for (const auto& [name, content] : chunks) {
        const WebPData chunk = data(content);
        WebPMuxSetChunk(mux, name, &chunk, 1);
    }
    WebPData out{};
    WebPMuxAssemble(mux, &out);
    WebPMuxDelete(mux);
    return Taken(out);
}

// A lossless animation of the frames, 100 ms each.
inline std::string AnimatedWebpFile(int width, int height, const std::vector<Rgba>& frames) {
    WebPAnimEncoder* encoder = WebPAnimEncoderNew(width, height, nullptr);
    WebPConfig config;
    WebPConfigInit(&config);
    config.lossless = 1;
    int time = 0;
    for (const Rgba& frame : frames) {
        WebPPicture picture;
        WebPPictureInit(&picture);
        picture.use_argb = 1, picture.width = width, picture.height = height;
        WebPPictureImportRGBA(&picture, frame.data(), width * 4);
        WebPAnimEncoderAdd(encoder, &picture, time += 100, &config);
        WebPPictureFree(&picture);
    }
    WebPAnimEncoderAdd(encoder, nullptr, time + 100, nullptr);
    WebPData out{};
    WebPAnimEncoderAssemble(encoder, &out);
    WebPAnimEncoderDelete(encoder);
    return Taken(out);
}

// How an AVIF is coded: depth, chroma, its turn and mirror (none below 0), its profile, as a
// grid of that many cells side by side, each the whole of the pixels, and the primaries its
// nclx box names.
struct AvifCoding {
    int depth = 8;
    avifPixelFormat chroma = AVIF_PIXEL_FORMAT_YUV420;
    int turns = -1, mirror = -1;
    std::string profile;
    int cells = 0;
    avifColorPrimaries primaries = AVIF_COLOR_PRIMARIES_BT709;
};

// An AVIF of the pixels, by libavif's encoder at its fastest and near lossless.
inline std::string AvifFile(int width, int height, const Rgba& rgba, const AvifCoding& coding = {}) {
    avifImage* image = avifImageCreate(width, height, static_cast<std::uint32_t>(coding.depth), coding.chroma);
    image->colorPrimaries = coding.primaries;
    avifRGBImage rgb;
    avifRGBImageSetDefaults(&rgb, image);
    rgb.depth = 8, rgb.format = AVIF_RGB_FORMAT_RGBA, rgb.rowBytes = static_cast<std::uint32_t>(width) * 4;
    rgb.pixels = const_cast<std::uint8_t*>(rgba.data());
    avifImageRGBToYUV(image, &rgb);
    if (coding.turns >= 0) image->transformFlags |= AVIF_TRANSFORM_IROT;
    if (coding.mirror >= 0) image->transformFlags |= AVIF_TRANSFORM_IMIR;
    image->irot.angle = static_cast<std::uint8_t>(coding.turns & 3);
    image->imir.mode = static_cast<std::uint8_t>(coding.mirror & 1);
    const auto* profile = reinterpret_cast<const std::uint8_t*>(coding.profile.data());
    if (!coding.profile.empty()) avifImageSetProfileICC(image, profile, coding.profile.size());
    avifEncoder* encoder = avifEncoderCreate();
    encoder->speed = AVIF_SPEED_FASTEST;
    encoder->minQuantizer = encoder->maxQuantizer = encoder->minQuantizerAlpha = encoder->maxQuantizerAlpha = 4;
    avifRWData out = AVIF_DATA_EMPTY;
    if (coding.cells > 0) {
        const std::vector<const avifImage*> cells(static_cast<std::size_t>(coding.cells), image);
        avifEncoderAddImageGrid(encoder, static_cast<std::uint32_t>(coding.cells), 1, cells.data(),
                                AVIF_ADD_IMAGE_FLAG_SINGLE);
        avifEncoderFinish(encoder, &out);
    } else {
        avifEncoderWrite(encoder, image, &out);
    }
    std::string bytes(reinterpret_cast<const char*>(out.data), out.size);
    avifRWDataFree(&out);
    avifEncoderDestroy(encoder);
    avifImageDestroy(image);
    return bytes;
}

// An uncompressed 32-bit TGA, its rows from the top (descriptor bit 5).
inline std::string TgaFile(int width, int height, const Rgba& rgba) {
    std::string bytes = std::string("\0\0\x02", 3) + std::string(9, '\0') + Number(width, 2, false) +
                        Number(height, 2, false) + "\x20\x28";
    for (std::size_t i = 0; i < rgba.size(); i += 4)
        bytes += {static_cast<char>(rgba[i + 2]), static_cast<char>(rgba[i + 1]), static_cast<char>(rgba[i]),
                  static_cast<char>(rgba[i + 3])};
    return bytes;
}

// An 8-bit RGB PSD whose composite is the pixels (alpha dropped), uncompressed: the header,
// three empty sections, then the channels one plane after another.
inline std::string PsdFile(int width, int height, const Rgba& rgba) {
    std::string bytes = "8BPS" + Number(1, 2, true) + std::string(6, '\0') + Number(3, 2, true) +
                        Number(height, 4, true) + Number(width, 4, true) + Number(8, 2, true) + Number(3, 2, true);
    bytes += std::string(14, '\0');
    for (std::size_t channel = 0; channel < 3; ++channel)
        for (std::size_t i = channel; i < rgba.size(); i += 4) bytes += static_cast<char>(rgba[i]);
    return bytes;
}

// A QOI of four-channel pixels, each written whole, then the end marker.
inline std::string QoiFile(int width, int height, const Rgba& rgba) {
    std::string bytes = "qoif" + Number(width, 4, true) + Number(height, 4, true) + std::string("\x04\0", 2);
    for (std::size_t i = 0; i < rgba.size(); i += 4)
        bytes += '\xFF' + std::string(rgba.begin() + i, rgba.begin() + i + 4);
    return bytes + std::string(7, '\0') + "\x01";
}

}  // namespace zylora::testing
