#include "imaging/AvifDecoder.h"

#include <dav1d/dav1d.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cstring>
#include <vector>

#include "imaging/AvifContainer.h"

namespace zylora::imaging {

namespace {

class Decoder {
public:
    explicit Decoder(const DecodeLimit& limit) {
        Dav1dSettings settings;
        dav1d_default_settings(&settings);
        // One picture in, one out; only the highest layer; a frame beyond the limit refused
        // by the decoder itself, whatever the container declared.
        settings.max_frame_delay = 1;
        settings.all_layers = 0;
        settings.frame_size_limit = static_cast<unsigned>(std::min<long long>(limit.pixels, UINT_MAX));
        settings.logger.callback = nullptr;
        if (dav1d_open(&context_, &settings) < 0) context_ = nullptr;
    }
    ~Decoder() {
        if (context_) dav1d_close(&context_);
    }
    Decoder(const Decoder&) = delete;
    Decoder& operator=(const Decoder&) = delete;

    // The picture of one AV1 item, unreferenced by the caller.
    bool Decode(const std::string& coded, Dav1dPicture& picture) {
        Dav1dData data{};
        std::uint8_t* room = context_ ? dav1d_data_create(&data, coded.size()) : nullptr;
        if (!room) return false;
        std::memcpy(room, coded.data(), coded.size());
        bool got = false;
        for (int step = 0; step < 64 && !got; ++step) {
            if (data.sz > 0) {
                const int sent = dav1d_send_data(context_, &data);
                if (sent < 0 && sent != DAV1D_ERR(EAGAIN)) break;
            }
            const int result = dav1d_get_picture(context_, &picture);
            got = result == 0;
            if (result < 0 && result != DAV1D_ERR(EAGAIN)) break;
        }
        dav1d_data_unref(&data);
        return got;
    }

private:
    Dav1dContext* context_ = nullptr;
};

struct Picture {
    Dav1dPicture p{};
    ~Picture() { dav1d_picture_unref(&p); }
};

// The Kr and Kb of a matrix (ISO/IEC 23091-2); an unspecified one is BT.601's, as libavif
// takes it. The chromaticity-derived ones are taken by their primaries.
std::pair<double, double> LumaWeights(int matrix, int primaries) {
    switch (matrix == 12 || matrix == 13 ? (primaries == 9 ? 9 : primaries == 12 ? 12 : primaries == 1 ? 1 : 6)
                                         : matrix) {
        case 1: return {0.2126, 0.0722};
        case 4: return {0.30, 0.11};
        case 7: return {0.212, 0.087};
        case 9:
        case 10: return {0.2627, 0.0593};
        case 12: return {0.2290, 0.0793};  // Display P3
        default: return {0.299, 0.114};
    }
}

// Each channel as the sum of three lookups (by Y, U and V), in 8-bit units times 65536: the
// matrix, the range and the depth done once for all the samples of a picture.
struct Tables {
    int depth = 0;
    bool fullRange = false;
    std::array<std::vector<int>, 9> table;  // R by Y, U, V; then G; then B
};

void FillTables(Tables& t, int depth, bool fullRange, int matrix, int primaries) {
    t.depth = depth;
    t.fullRange = fullRange;
    const int count = 1 << depth;
    const double max = count - 1, scale = 1 << (depth - 8), half = count / 2;
    const auto [kr, kb] = LumaWeights(matrix, primaries);
    const double kg = 1 - kr - kb;
    for (std::vector<int>& table : t.table) table.assign(static_cast<std::size_t>(count), 0);
    const auto set = [&](int channel, int by, int value, double amount) {
        t.table[static_cast<std::size_t>(channel * 3 + by)][static_cast<std::size_t>(value)] =
            static_cast<int>(amount * 255 * 65536);
    };
    for (int v = 0; v < count; ++v) {
        const double luma = fullRange ? v / max : (v - 16 * scale) / (219 * scale);
        const double chroma = fullRange ? (v - half) / max : (v - 128 * scale) / (224 * scale);
        if (matrix == 0) {  // the planes are G, B and R themselves
            set(0, 2, v, luma), set(1, 0, v, luma), set(2, 1, v, luma);
        } else if (matrix == 8) {  // YCgCo
            for (int channel = 0; channel < 3; ++channel) set(channel, 0, v, luma);
            set(0, 1, v, -chroma), set(0, 2, v, chroma), set(1, 1, v, chroma), set(2, 1, v, -chroma),
                set(2, 2, v, -chroma);
        } else {
            for (int channel = 0; channel < 3; ++channel) set(channel, 0, v, luma);
            set(0, 2, v, (2 - 2 * kr) * chroma);
            set(1, 1, v, -2 * kb * (1 - kb) / kg * chroma), set(1, 2, v, -2 * kr * (1 - kr) / kg * chroma);
            set(2, 1, v, (2 - 2 * kb) * chroma);
        }
    }
}

std::uint32_t Channel(int sum) { return static_cast<std::uint32_t>(std::clamp((sum + 32768) >> 16, 0, 255)); }

// The picture's samples in the rectangle of `out` at (left, top), clipped to it.
template <typename Sample>
void ConvertColour(const Dav1dPicture& p, const Tables& t, PixelBuffer& out, int left, int top) {
    const int width = std::min(p.p.w, out.width - left), height = std::min(p.p.h, out.height - top);
    const bool grey = p.p.layout == DAV1D_PIXEL_LAYOUT_I400;
    const int sx = p.p.layout == DAV1D_PIXEL_LAYOUT_I420 || p.p.layout == DAV1D_PIXEL_LAYOUT_I422 ? 1 : 0;
    const int sy = p.p.layout == DAV1D_PIXEL_LAYOUT_I420 ? 1 : 0;
    const unsigned mask = (1u << t.depth) - 1, neutral = 1u << (t.depth - 1);
    std::array<const int*, 9> at{};
    for (std::size_t i = 0; i < at.size(); ++i) at[i] = t.table[i].data();
    const auto row = [&](int plane, int y) {
        return reinterpret_cast<const Sample*>(static_cast<const std::uint8_t*>(p.data[plane]) +
                                               static_cast<std::ptrdiff_t>(y) * p.stride[plane > 0 ? 1 : 0]);
    };
    for (int y = 0; y < height; ++y) {
        const Sample* luma = row(0, y);
        const Sample* u = grey ? nullptr : row(1, y >> sy);
        const Sample* v = grey ? nullptr : row(2, y >> sy);
        std::uint32_t* to = out.pixels.data() + static_cast<std::size_t>(top + y) * out.width + left;
        for (int x = 0; x < width; ++x) {
            const unsigned l = luma[x] & mask, cb = grey ? neutral : u[x >> sx] & mask,
                           cr = grey ? neutral : v[x >> sx] & mask;
            to[x] = 0xFF000000u | Channel(at[0][l] + at[1][cb] + at[2][cr]) << 16 |
                    Channel(at[3][l] + at[4][cb] + at[5][cr]) << 8 | Channel(at[6][l] + at[7][cb] + at[8][cr]);
        }
    }
}

// The alpha picture's luma as the alpha of `out` in the rectangle at (left, top).
template <typename Sample>
void ConvertAlpha(const Dav1dPicture& p, PixelBuffer& out, int left, int top) {
    const int width = std::min(p.p.w, out.width - left), height = std::min(p.p.h, out.height - top);
    const int max = (1 << p.p.bpc) - 1, scale = 1 << (p.p.bpc - 8);
    const bool full = p.seq_hdr->color_range != 0;
    for (int y = 0; y < height; ++y) {
        const auto* from = reinterpret_cast<const Sample*>(static_cast<const std::uint8_t*>(p.data[0]) +
                                                           static_cast<std::ptrdiff_t>(y) * p.stride[0]);
        std::uint32_t* to = out.pixels.data() + static_cast<std::size_t>(top + y) * out.width + left;
        for (int x = 0; x < width; ++x) {
            const int v = std::min<int>(from[x], max);
            const int a =
                full ? (v * 255 + max / 2) / max : std::clamp((v - 16 * scale) * 255 / (219 * scale), 0, 255);
            to[x] = (to[x] & 0x00FFFFFFu) | static_cast<std::uint32_t>(a) << 24;
        }
    }
}

void Unpremultiply(PixelWords& pixels) {
    for (std::uint32_t& pixel : pixels) {
        const std::uint32_t a = pixel >> 24;
        if (a == 255) continue;
        if (a == 0) {
            pixel = 0;
            continue;
        }
        const auto c = [&](int shift) {
            return std::min<std::uint32_t>(255, ((pixel >> shift & 255) * 255 + a / 2) / a);
        };
        pixel = a << 24 | c(16) << 16 | c(8) << 8 | c(0);
    }
}

// Decodes each tile of the coded picture and hands it to `place` at its position; a tile that
// fails to decode is made transparent and the picture marked damaged. False when the tiles
// don't cover the picture or none decodes.
template <typename Place>
bool DecodeTiles(const AvifCoded& coded, Decoder& decoder, DecodedPixels& out, Place place) {
    int tileWidth = 0, tileHeight = 0;
    std::vector<std::size_t> failed;
    for (std::size_t i = 0; i < coded.tiles.size(); ++i) {
        Picture picture;
        if (!decoder.Decode(coded.tiles[i], picture.p) ||
            (picture.p.p.bpc != 8 && picture.p.p.bpc != 10 && picture.p.p.bpc != 12)) {
            failed.push_back(i);
            continue;
        }
        // Every tile of a grid has the first's size, and together they cover the picture.
        if (tileWidth == 0) {
            tileWidth = picture.p.p.w, tileHeight = picture.p.p.h;
            if (static_cast<long long>(tileWidth) * coded.columns < coded.size.width ||
                static_cast<long long>(tileHeight) * coded.rows < coded.size.height)
                return false;
        }
        if (picture.p.p.w != tileWidth || picture.p.p.h != tileHeight) return false;
        const long long left = static_cast<long long>(i % coded.columns) * tileWidth;
        const long long top = static_cast<long long>(i / coded.columns) * tileHeight;
        if (left < coded.size.width && top < coded.size.height)
            place(picture.p, static_cast<int>(left), static_cast<int>(top));
    }
    if (tileWidth == 0) return false;
    const auto width = static_cast<long long>(out.pixels.width), height = static_cast<long long>(out.pixels.height);
    for (const std::size_t i : failed) {
        const long long left = std::min(static_cast<long long>(i % coded.columns) * tileWidth, width);
        const long long top = static_cast<long long>(i / coded.columns) * tileHeight;
        const long long right = std::min(left + tileWidth, width);
        for (long long y = top; y < std::min(top + tileHeight, height); ++y)
            std::fill(out.pixels.pixels.begin() + static_cast<std::ptrdiff_t>(y * width + left),
                      out.pixels.pixels.begin() + static_cast<std::ptrdiff_t>(y * width + right), 0u);
        out.damaged = true;
    }
    return true;
}

}  // namespace

std::optional<DecodedPixels> AvifPixels(std::string_view bytes, const DecodeLimit& limit, HeifPicture which) {
    const ByteReader read = [&](std::uint64_t offset, std::size_t length) {
        if (offset >= bytes.size()) return std::string();
        return std::string(bytes.substr(static_cast<std::size_t>(offset), length));
    };
    // The size is checked before the items' data is copied.
    const std::optional<AvifLayout> header = ReadAvifLayout(read, false, which);
    if (!header || !limit.Allows(header->size)) return std::nullopt;
    const std::optional<AvifLayout> layout = ReadAvifLayout(read, true, which);
    if (!layout) return std::nullopt;
    const Size size = layout->colour->size;
    std::optional<DecodedPixels> out = PixelsToFill(size.width, size.height);
    if (!out) return out;
    Decoder decoder(limit);
    Tables tables;
    const int primaries = layout->coding ? layout->coding->primaries : 2;
    const bool covered = DecodeTiles(*layout->colour, decoder, *out, [&](const Dav1dPicture& p, int x, int y) {
        // The colour box's matrix, else the AV1 sequence header's; the range the samples are
        // coded in is the sequence header's.
        const int matrix = p.p.layout == DAV1D_PIXEL_LAYOUT_I400 ? 6
                           : layout->coding                      ? layout->coding->matrix
                                                                 : static_cast<int>(p.seq_hdr->mtrx);
        const bool full = p.seq_hdr->color_range != 0;
        if (tables.depth != p.p.bpc || tables.fullRange != full)
            FillTables(tables, p.p.bpc, full, matrix, primaries);
        if (p.p.bpc == 8)
            ConvertColour<std::uint8_t>(p, tables, out->pixels, x, y);
        else
            ConvertColour<std::uint16_t>(p, tables, out->pixels, x, y);
    });
    if (!covered) return std::nullopt;
    out->opaque = !out->damaged;
    if (layout->alpha && layout->alpha->size.width == size.width && layout->alpha->size.height == size.height) {
        // An alpha of which no tile decodes leaves the colours opaque.
        const auto placeAlpha = [&](const Dav1dPicture& p, int x, int y) {
            if (p.p.bpc == 8)
                ConvertAlpha<std::uint8_t>(p, out->pixels, x, y);
            else
                ConvertAlpha<std::uint16_t>(p, out->pixels, x, y);
        };
        out->damaged = !DecodeTiles(*layout->alpha, decoder, *out, placeAlpha) || out->damaged;
        if (layout->premultiplied) Unpremultiply(out->pixels.pixels);
        out->opaque = AllOpaque(out->pixels.pixels);
    }
    return out;
}

}  // namespace zylora::imaging
