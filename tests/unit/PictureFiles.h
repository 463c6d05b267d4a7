// Small files of the formats the program decodes itself, made in memory for the tests: WebP by
// libwebp's own encoder and muxer, TGA by stb_image_write, PSD and QOI byte by byte.
#pragma once

#include <stb_image_write.h>
#include <webp/encode.h>
#include <webp/mux.h>

#include <cstdint>
#include <string>
#include <vector>

namespace zylora::testing {

// Pixels as RGBA bytes, row after row.
using Rgba = std::vector<std::uint8_t>;

inline std::string BigEndian(std::uint32_t value, int bytes) {
    std::string s;
    for (int i = bytes - 1; i >= 0; --i) s += static_cast<char>(value >> (8 * i));
    return s;
}

// A still WebP of the pixels, lossless or lossy (quality 90).
inline std::string WebpFile(int width, int height, const Rgba& rgba, bool lossless) {
    std::uint8_t* out = nullptr;
    const std::size_t size = lossless ? WebPEncodeLosslessRGBA(rgba.data(), width, height, width * 4, &out)
                                      : WebPEncodeRGBA(rgba.data(), width, height, width * 4, 90, &out);
    std::string bytes(reinterpret_cast<const char*>(out), size);
    WebPFree(out);
    return bytes;
}

// The WebP with chunks ("ICCP", "EXIF") added by the muxer, which makes it an extended one.
inline std::string WithWebpChunks(const std::string& webp, const std::vector<std::pair<const char*, std::string>>& chunks) {
    WebPMux* mux = WebPMuxNew();
    const WebPData image{reinterpret_cast<const std::uint8_t*>(webp.data()), webp.size()};
    WebPMuxSetImage(mux, &image, 1);
    for (const auto& [name, content] : chunks) {
        const WebPData data{reinterpret_cast<const std::uint8_t*>(content.data()), content.size()};
        WebPMuxSetChunk(mux, name, &data, 1);
    }
    WebPData out;
    WebPDataInit(&out);
    WebPMuxAssemble(mux, &out);
    std::string bytes(reinterpret_cast<const char*>(out.bytes), out.size);
    WebPDataClear(&out);
    WebPMuxDelete(mux);
    return bytes;
}

// A lossless animation of the frames, 100 ms each.
inline std::string AnimatedWebpFile(int width, int height, const std::vector<Rgba>& frames) {
    WebPAnimEncoderOptions options;
    WebPAnimEncoderOptionsInit(&options);
    WebPAnimEncoder* encoder = WebPAnimEncoderNew(width, height, &options);
    WebPConfig config;
    WebPConfigInit(&config);
    config.lossless = 1;
    int time = 0;
    for (const Rgba& frame : frames) {
        WebPPicture picture;
        WebPPictureInit(&picture);
        picture.use_argb = 1;
        picture.width = width;
        picture.height = height;
        WebPPictureImportRGBA(&picture, frame.data(), width * 4);
        WebPAnimEncoderAdd(encoder, &picture, time, &config);
        WebPPictureFree(&picture);
        time += 100;
    }
    WebPAnimEncoderAdd(encoder, nullptr, time, nullptr);
    WebPData out;
    WebPDataInit(&out);
    WebPAnimEncoderAssemble(encoder, &out);
    std::string bytes(reinterpret_cast<const char*>(out.bytes), out.size);
    WebPDataClear(&out);
    WebPAnimEncoderDelete(encoder);
    return bytes;
}

// A run-length coded 32-bit TGA.
inline std::string TgaFile(int width, int height, const Rgba& rgba) {
    std::string bytes;
    stbi_write_tga_to_func(
        [](void* to, void* data, int size) {
            static_cast<std::string*>(to)->append(static_cast<const char*>(data), static_cast<std::size_t>(size));
        },
        &bytes, width, height, 4, rgba.data());
    return bytes;
}

// An 8-bit RGB PSD whose composite is the pixels (alpha dropped), uncompressed: the header,
// three empty sections, then the channels one plane after another.
inline std::string PsdFile(int width, int height, const Rgba& rgba) {
    std::string bytes = "8BPS" + BigEndian(1, 2) + std::string(6, '\0') + BigEndian(3, 2) + BigEndian(height, 4) +
                        BigEndian(width, 4) + BigEndian(8, 2) + BigEndian(3, 2);
    bytes += std::string(12, '\0') + BigEndian(0, 2);
    for (std::size_t channel = 0; channel < 3; ++channel)
        for (std::size_t i = channel; i < rgba.size(); i += 4) bytes += static_cast<char>(rgba[i]);
    return bytes;
}

// A QOI of four-channel pixels, each written whole, then the end marker.
inline std::string QoiFile(int width, int height, const Rgba& rgba) {
    std::string bytes = "qoif" + BigEndian(width, 4) + BigEndian(height, 4) + "\x04" + std::string(1, '\0');
    for (std::size_t i = 0; i < rgba.size(); i += 4) bytes += '\xFF' + std::string(rgba.begin() + i, rgba.begin() + i + 4);
    return bytes + std::string(7, '\0') + "\x01";
}

}  // namespace zylora::testing
