#include "platform/Pixels.h"

#include <algorithm>
#include <cmath>
#include <new>

namespace zylora::platform {

std::optional<DecodedPixels> BlankPixels(int width, int height) {
    DecodedPixels blank;
    try {
        blank.pixels.pixels.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0u);
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
    blank.pixels.width = width;
    blank.pixels.height = height;
    return blank;
}

bool RotateFlipPixels(PixelBuffer& buffer, RotateFlipType type) {
    const int code = static_cast<int>(type);
    const int turns = code & 3;  // clockwise quarter turns, then the mirror
    const bool mirror = (code & 4) != 0;
    const int w = buffer.width, h = buffer.height;
    PixelBuffer turned;
    turned.width = turns % 2 ? h : w;
    turned.height = turns % 2 ? w : h;
    try {
        turned.pixels.resize(buffer.pixels.size());
    } catch (const std::bad_alloc&) {
        return false;
    }
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            int nx = x, ny = y;
            if (turns == 1) nx = h - 1 - y, ny = x;
            if (turns == 2) nx = w - 1 - x, ny = h - 1 - y;
            if (turns == 3) nx = y, ny = w - 1 - x;
            if (mirror) nx = turned.width - 1 - nx;
            turned.pixels[static_cast<std::size_t>(ny) * turned.width + nx] =
                buffer.pixels[static_cast<std::size_t>(y) * w + x];
        }
    }
    buffer = std::move(turned);
    return true;
}

std::optional<RotateFlipType> UprightTurn(int orientation) {
    // What undoes each stored orientation: 2 mirrored, 3 upside down, 4 mirrored top to
    // bottom, 5 mirrored along the diagonal, 6 turned left (a turn right stands it up),
    // 7 mirrored along the other diagonal, 8 turned right.
    constexpr RotateFlipType Upright[] = {RotateFlipType::RotateNoneFlipX,   RotateFlipType::Rotate180FlipNone,
                                          RotateFlipType::Rotate180FlipX,    RotateFlipType::Rotate90FlipX,
                                          RotateFlipType::Rotate90FlipNone,  RotateFlipType::Rotate270FlipX,
                                          RotateFlipType::Rotate270FlipNone};
    if (orientation < 2 || orientation > 8) return std::nullopt;
    return Upright[orientation - 2];
}

bool OrientPixels(PixelBuffer& buffer, int orientation) {
    const std::optional<RotateFlipType> turn = UprightTurn(orientation);
    return !turn || RotateFlipPixels(buffer, *turn);
}

void WidenBgr(const std::uint8_t* from, std::uint32_t* to, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i, from += 3)
        to[i] = 0xFF000000u | std::uint32_t{from[2]} << 16 | std::uint32_t{from[1]} << 8 | from[0];
}

bool AllOpaque(const std::vector<std::uint32_t>& pixels) {
    return std::all_of(pixels.begin(), pixels.end(), [](std::uint32_t p) { return (p >> 24) == 0xFF; });
}

namespace {

// The source columns of each copy column: [first[x], first[x + 1]).
std::vector<int> FirstColumns(int width, int newWidth) {
    std::vector<int> first(static_cast<std::size_t>(newWidth) + 1);
    for (int x = 0; x <= newWidth; ++x)
        first[static_cast<std::size_t>(x)] = static_cast<int>(static_cast<long long>(x) * width / newWidth);
    return first;
}

int FirstRow(int y, int height, int newHeight) {
    return static_cast<int>(static_cast<long long>(y) * height / newHeight);
}

// An opaque picture: every alpha is 255, so the weighting by alpha drops out (it gives the
// very same rounding) and a block's sums fit 32 bits.
void ReduceOpaqueRows(const PixelBuffer& from, PixelBuffer& copy, const std::vector<int>& firstColumn, int yBegin,
                      int yEnd) {
    const int width = from.width, height = from.height, newWidth = copy.width, newHeight = copy.height;
    std::vector<std::uint32_t> sums(static_cast<std::size_t>(newWidth) * 3);
    for (int y = yBegin; y < yEnd; ++y) {
        const int top = FirstRow(y, height, newHeight), bottom = FirstRow(y + 1, height, newHeight);
        std::fill(sums.begin(), sums.end(), 0u);
        for (int row = top; row < bottom; ++row) {
            const std::uint32_t* pixels = from.pixels.data() + static_cast<std::ptrdiff_t>(row) * width;
            std::uint32_t* sum = sums.data();
            for (int x = 0; x < newWidth; ++x, sum += 3) {
                std::uint32_t r = 0, g = 0, b = 0;
                for (int sx = firstColumn[static_cast<std::size_t>(x)], end = firstColumn[static_cast<std::size_t>(x) + 1];
                     sx < end; ++sx) {
                    const std::uint32_t p = pixels[sx];
                    r += (p >> 16) & 0xFF;
                    g += (p >> 8) & 0xFF;
                    b += p & 0xFF;
                }
                sum[0] += r;
                sum[1] += g;
                sum[2] += b;
            }
        }
        std::uint32_t* out = copy.pixels.data() + static_cast<std::ptrdiff_t>(y) * newWidth;
        for (int x = 0; x < newWidth; ++x) {
            const std::uint32_t count = static_cast<std::uint32_t>(bottom - top) *
                                        static_cast<std::uint32_t>(firstColumn[static_cast<std::size_t>(x) + 1] -
                                                                   firstColumn[static_cast<std::size_t>(x)]);
            const std::uint32_t* sum = &sums[static_cast<std::size_t>(x) * 3];
            auto channel = [&](int i) { return (sum[i] + count / 2) / count; };
            out[x] = count == 0 ? 0u : 0xFF000000u | channel(0) << 16 | channel(1) << 8 | channel(2);
        }
    }
}

// Any picture: the colours weighted by alpha. True when every pixel made is opaque.
bool ReduceRows(const PixelBuffer& from, PixelBuffer& copy, const std::vector<int>& firstColumn) {
    const int width = from.width, height = from.height, newWidth = copy.width, newHeight = copy.height;
    std::vector<std::uint64_t> sums(static_cast<std::size_t>(newWidth) * 4);
    bool opaque = true;
    for (int y = 0; y < newHeight; ++y) {
        const int top = FirstRow(y, height, newHeight), bottom = FirstRow(y + 1, height, newHeight);
        std::fill(sums.begin(), sums.end(), 0);
        for (int row = top; row < bottom; ++row) {
            const std::uint32_t* pixels = from.pixels.data() + static_cast<std::ptrdiff_t>(row) * width;
            for (int x = 0; x < newWidth; ++x) {
                std::uint64_t* sum = &sums[static_cast<std::size_t>(x) * 4];
                for (int sx = firstColumn[static_cast<std::size_t>(x)];
                     sx < firstColumn[static_cast<std::size_t>(x) + 1]; ++sx) {
                    const std::uint32_t p = pixels[sx];
                    const std::uint32_t a = p >> 24;
                    sum[0] += a;
                    sum[1] += a * ((p >> 16) & 0xFF);
                    sum[2] += a * ((p >> 8) & 0xFF);
                    sum[3] += a * (p & 0xFF);
                }
            }
        }
        std::uint32_t* out = copy.pixels.data() + static_cast<std::ptrdiff_t>(y) * newWidth;
        for (int x = 0; x < newWidth; ++x) {
            const std::uint64_t* sum = &sums[static_cast<std::size_t>(x) * 4];
            const std::uint64_t count = static_cast<std::uint64_t>(bottom - top) *
                                        static_cast<std::uint64_t>(firstColumn[static_cast<std::size_t>(x) + 1] -
                                                                   firstColumn[static_cast<std::size_t>(x)]);
            if (count == 0 || sum[0] == 0) {
                out[x] = 0;
                opaque = false;
                continue;
            }
            const auto alpha = static_cast<std::uint32_t>((sum[0] + count / 2) / count);
            auto channel = [&](int i) { return static_cast<std::uint32_t>((sum[i] + sum[0] / 2) / sum[0]); };
            out[x] = alpha << 24 | channel(1) << 16 | channel(2) << 8 | channel(3);
            opaque = opaque && alpha == 255;
        }
    }
    return opaque;
}

}  // namespace

std::optional<DecodedPixels> ReducePixels(const PixelBuffer& from, bool opaque, Size size, const Parallel& parallel) {
    const int width = from.width, height = from.height;
    if (width <= 0 || height <= 0) return std::nullopt;
    const int newWidth = std::clamp(size.width, 1, width), newHeight = std::clamp(size.height, 1, height);
    std::optional<DecodedPixels> copy = BlankPixels(newWidth, newHeight);
    if (!copy) return copy;
    const std::vector<int> firstColumn = FirstColumns(width, newWidth);
    // A block's sums stay within 32 bits up to 16 million pixels a block.
    const long long block = (static_cast<long long>(width) / newWidth + 1) * (static_cast<long long>(height) / newHeight + 1);
    if (opaque && block < (1LL << 24)) {
        // Rows of the copy are independent.
        auto rows = [&](int begin, int end) { ReduceOpaqueRows(from, copy->pixels, firstColumn, begin, end); };
        if (parallel)
            parallel(newHeight, rows);
        else
            rows(0, newHeight);
        copy->opaque = true;
        return copy;
    }
    copy->opaque = ReduceRows(from, copy->pixels, firstColumn);
    return copy;
}

bool CopyOneToOne(ConstPixelGrid from, bool opaque, RectF s, PixelGrid to, RectF d, bool& coveredAll) {
    coveredAll = false;
    auto whole = [](float value) { return std::fabs(value - std::round(value)) < 1e-3f; };
    if (!whole(s.left) || !whole(s.top) || !whole(d.left) || !whole(d.top) ||
        std::fabs(s.width - d.width) > 1e-3f || std::fabs(s.height - d.height) > 1e-3f || !whole(s.width) ||
        !whole(s.height))
        return false;
    // Source and destination clipped together to the picture and to the destination.
    long long sx = std::lround(s.left), sy = std::lround(s.top);
    long long dx = std::lround(d.left), dy = std::lround(d.top);
    long long w = std::lround(s.width), h = std::lround(s.height);
    auto clip = [](long long& src, long long& dst, long long& extent, long long srcLimit, long long dstLimit) {
        const long long skip = std::max({0LL, -src, -dst});
        src += skip;
        dst += skip;
        extent -= skip;
        extent = std::min({extent, srcLimit - src, dstLimit - dst});
    };
    clip(sx, dx, w, from.width, to.width);
    clip(sy, dy, h, from.height, to.height);
    if (w <= 0 || h <= 0) return true;
    for (long long row = 0; row < h; ++row) {
        const std::uint32_t* source = from.pixels + (sy + row) * from.width + sx;
        std::uint32_t* target = to.pixels + (dy + row) * to.width + dx;
        if (opaque) {
            std::copy(source, source + w, target);
            continue;
        }
        for (long long x = 0; x < w; ++x) target[x] = Over(source[x], target[x]);
    }
    coveredAll = opaque && dx == 0 && dy == 0 && w == to.width && h == to.height;
    return true;
}

}  // namespace zylora::platform
