#include "imaging/StbPixels.h"

#include <climits>

// The decoder's code is compiled here, private to this file, for the formats the viewer
// reads; the files come as bytes.
#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_STATIC
#define STBI_NO_STDIO
#define STBI_ONLY_PNG
#define STBI_ONLY_BMP
#define STBI_ONLY_JPEG
#define STBI_ONLY_GIF
#define STBI_ONLY_TGA
#define STBI_ONLY_PSD
#include <stb_image.h>

namespace zylora::imaging {

bool IsPlainPng(std::string_view bytes) {
    if (bytes.substr(0, 8) != std::string_view("\x89PNG\r\n\x1A\n", 8)) return false;
    // The chunks: a 4-byte big-endian length, the type, the data and a 4-byte check.
    for (std::size_t at = 8; at + 8 <= bytes.size();) {
        std::uint32_t length = 0;
        for (std::size_t i = 0; i < 4; ++i) length = length << 8 | static_cast<unsigned char>(bytes[at + i]);
        const std::string_view type = bytes.substr(at + 4, 4);
        if (type == "iCCP") return false;
        if (type == "IDAT" || length > bytes.size()) return true;
        at += 12 + static_cast<std::size_t>(length);
    }
    return true;
}

bool IsPlainBmp(std::string_view bytes) {
    if (bytes.size() < 34 || bytes.substr(0, 2) != "BM") return false;
    auto little = [&](std::size_t at, int count) {
        std::uint32_t value = 0;
        for (int i = count - 1; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
        return value;
    };
    const std::uint32_t header = little(14, 4), bits = little(28, 2), compression = little(30, 4);
    return header >= 40 && compression == 0 && (bits == 1 || bits == 4 || bits == 8 || bits == 24);
}

std::optional<DecodedPixels> StbPixels(std::string_view bytes, const DecodeLimit& limit) {
    if (bytes.size() > static_cast<std::size_t>(INT_MAX)) return std::nullopt;
    // Refused before decoding, as the system's decoder is: a file whose header names none of
    // the viewer's formats, or a small file declaring an enormous picture.
    const std::optional<Size> declared = DeclaredImageSize([&](std::uint64_t offset, std::size_t length) {
        return offset >= bytes.size() ? std::string() : std::string(bytes.substr(static_cast<std::size_t>(offset), length));
    });
    if (!declared || !limit.Allows(*declared)) return std::nullopt;
    int width = 0, height = 0, channels = 0;
    stbi_uc* rgba = stbi_load_from_memory(reinterpret_cast<const stbi_uc*>(bytes.data()), static_cast<int>(bytes.size()),
                                          &width, &height, &channels, 4);
    if (!rgba) return std::nullopt;
    std::optional<DecodedPixels> out;
    if (width > 0 && height > 0 && limit.Allows({width, height})) out = PixelsToFill(width, height);
    if (out) {
        std::uint32_t* to = out->pixels.pixels.data();
        const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
        for (std::size_t i = 0; i < count; ++i) {
            const stbi_uc* p = rgba + i * 4;
            to[i] = platform::MakeArgb(p[3], p[0], p[1], p[2]);
        }
        out->opaque = AllOpaque(out->pixels.pixels);
    }
    stbi_image_free(rgba);
    return out;
}

}  // namespace zylora::imaging
