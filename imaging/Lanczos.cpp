#include "imaging/Lanczos.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <new>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace zylora::imaging {

namespace {

constexpr double Lobes = 3;
constexpr double Pi = 3.14159265358979323846;

double Sinc(double x) { return x == 0 ? 1.0 : std::sin(Pi * x) / (Pi * x); }

double Lanczos(double x) { return std::fabs(x) < Lobes ? Sinc(x) * Sinc(x / Lobes) : 0.0; }

// The source pixels one output pixel of an axis mixes, and their weights (summing to 1).
struct Taps {
    std::vector<int> first, count;
    std::vector<float> weights;  // `count[i]` of them for output i, one after the other
    std::vector<std::size_t> at;  // where output i's weights start
};

// As ImageMagick places them: output pixel centres mapped onto the source, the filter
// widened by the reduction so that every source pixel counts.
Taps AxisTaps(int from, int to) {
    Taps taps;
    const double scale = static_cast<double>(to) / from;
    const double shrink = std::min(scale, 1.0);
    const double support = Lobes / shrink;
    for (int i = 0; i < to; ++i) {
        const double centre = (i + 0.5) / scale;
        const int start = std::max(0, static_cast<int>(std::floor(centre - support + 0.5)));
        const int stop = std::min(from, static_cast<int>(std::floor(centre + support + 0.5)));
        taps.first.push_back(start);
        taps.count.push_back(std::max(0, stop - start));
        taps.at.push_back(taps.weights.size());
        double sum = 0;
        for (int j = start; j < stop; ++j) sum += Lanczos((j + 0.5 - centre) * shrink);
        for (int j = start; j < stop; ++j)
            taps.weights.push_back(static_cast<float>(Lanczos((j + 0.5 - centre) * shrink) / (sum != 0 ? sum : 1)));
    }
    return taps;
}

struct Premultiplied {
    float a, r, g, b;
};

// The sum of `count` pixels `stride` apart, each times its weight.
inline Premultiplied Mix(const Premultiplied* p, std::ptrdiff_t stride, const float* w, int count) {
#if defined(__SSE2__)
    __m128 sum = _mm_setzero_ps();
    for (int k = 0; k < count; ++k, p += stride)
        sum = _mm_add_ps(sum, _mm_mul_ps(_mm_set1_ps(w[k]), _mm_loadu_ps(&p->a)));
    Premultiplied out;
    _mm_storeu_ps(&out.a, sum);
    return out;
#else
    Premultiplied out{0, 0, 0, 0};
    for (int k = 0; k < count; ++k, p += stride) {
        out.a += w[k] * p->a;
        out.r += w[k] * p->r;
        out.g += w[k] * p->g;
        out.b += w[k] * p->b;
    }
    return out;
#endif
}

// to[x] += weight * from[x] for the row.
inline void AddScaled(Premultiplied* to, const Premultiplied* from, float weight, int count) {
    float* t = &to->a;
    const float* f = &from->a;
    const int n = count * 4;
#if defined(__SSE2__)
    const __m128 w = _mm_set1_ps(weight);
    int i = 0;
    for (; i + 4 <= n; i += 4) _mm_storeu_ps(t + i, _mm_add_ps(_mm_loadu_ps(t + i), _mm_mul_ps(w, _mm_loadu_ps(f + i))));
    for (; i < n; ++i) t[i] += weight * f[i];
#else
    for (int i = 0; i < n; ++i) t[i] += weight * f[i];
#endif
}

// Rows [yBegin, yEnd) of the output, a band at a time: the source rows a band needs are
// resampled across first, then down.
void ResizeRows(const PixelBuffer& from, bool opaque, const Taps& across, const Taps& down, PixelBuffer& to,
                int yBegin, int yEnd) {
    constexpr int Band = 64;
    std::vector<Premultiplied> rows, line(static_cast<std::size_t>(from.width)), mixed(static_cast<std::size_t>(to.width));
    for (int band = yBegin; band < yEnd; band += Band) {
        const int bandEnd = std::min(yEnd, band + Band);
        int top = from.height, bottom = 0;
        for (int y = band; y < bandEnd; ++y) {
            top = std::min(top, down.first[static_cast<std::size_t>(y)]);
            bottom = std::max(bottom, down.first[static_cast<std::size_t>(y)] + down.count[static_cast<std::size_t>(y)]);
        }
        if (bottom <= top) continue;
        // Every element is written before it is read: grown when needed, never cleared.
        const std::size_t needed = static_cast<std::size_t>(to.width) * static_cast<std::size_t>(bottom - top);
        if (rows.size() < needed) rows.resize(needed);
        for (int sy = top; sy < bottom; ++sy) {
            // The row's channels once as floats, premultiplied: each source pixel is read by
            // several output pixels.
            const std::uint32_t* source = from.pixels.data() + static_cast<std::ptrdiff_t>(sy) * from.width;
            for (int x = 0; x < from.width; ++x) {
                const std::uint32_t p = source[x];
                const float alpha = opaque ? 1.0f : static_cast<float>(p >> 24) / 255.0f;
                line[static_cast<std::size_t>(x)] = {alpha, alpha * static_cast<float>((p >> 16) & 0xFF),
                                                     alpha * static_cast<float>((p >> 8) & 0xFF),
                                                     alpha * static_cast<float>(p & 0xFF)};
            }
            Premultiplied* out = rows.data() + static_cast<std::ptrdiff_t>(sy - top) * to.width;
            for (int x = 0; x < to.width; ++x) {
                const auto xi = static_cast<std::size_t>(x);
                out[x] = Mix(line.data() + across.first[xi], 1, across.weights.data() + across.at[xi], across.count[xi]);
            }
        }
        for (int y = band; y < bandEnd; ++y) {
            const auto yi = static_cast<std::size_t>(y);
            const float* w = down.weights.data() + down.at[yi];
            std::uint32_t* out = to.pixels.data() + static_cast<std::ptrdiff_t>(y) * to.width;
            // Row by row of the taps, each a pass along the whole row: the memory is read in order.
            std::fill(mixed.begin(), mixed.end(), Premultiplied{0, 0, 0, 0});
            for (int k = 0; k < down.count[yi]; ++k)
                AddScaled(mixed.data(), rows.data() + static_cast<std::ptrdiff_t>(down.first[yi] - top + k) * to.width,
                          w[k], to.width);
            for (int x = 0; x < to.width; ++x) {
                const auto [a, r, g, b] = mixed[static_cast<std::size_t>(x)];
                const float alpha = std::clamp(a, 0.0f, 1.0f);
                if (alpha <= 0) {
                    out[x] = 0;
                    continue;
                }
                // Rounded by adding a half: the values are never negative here.
                auto channel = [&](float c) { return static_cast<std::uint32_t>(std::clamp(c / a, 0.0f, 255.0f) + 0.5f); };
                out[x] = static_cast<std::uint32_t>(alpha * 255.0f + 0.5f) << 24 | channel(r) << 16 |
                         channel(g) << 8 | channel(b);
            }
        }
    }
}

// Averages of k x k blocks (the last ones cut short at the edges), colours weighted by alpha:
// exact for the box's own scale, and a fraction of the cost of a wide filter over them all.
// A row of sums at a time, added to row by row of the source: the memory is read in order.
void BoxByFactor(const PixelBuffer& from, bool opaque, int k, int yBegin, int yEnd, PixelBuffer& to) {
    // Opaque: no weighting by alpha, and a block's sums fit 32 bits (k is at most a few
    // thousand). Blocks at the right and bottom edges are cut short.
    const int w = to.width, fullColumns = from.width / k;
    std::vector<std::uint32_t> sums(static_cast<std::size_t>(w) * 4);
    for (int y = yBegin; y < yEnd; ++y) {
        std::fill(sums.begin(), sums.end(), 0u);
        const int rowEnd = std::min(from.height, (y + 1) * k);
        for (int sy = y * k; sy < rowEnd; ++sy) {
            const std::uint32_t* p = from.pixels.data() + static_cast<std::ptrdiff_t>(sy) * from.width;
            std::uint32_t* sum = sums.data();
            for (int x = 0; x < w; ++x, sum += 4) {
                const int end = x < fullColumns ? (x + 1) * k : from.width;
                std::uint32_t a = 0, r = 0, g = 0, b = 0;
                for (int sx = x * k; sx < end; ++sx) {
                    const std::uint32_t px = p[sx];
                    if (opaque) {
                        r += (px >> 16) & 0xFF;
                        g += (px >> 8) & 0xFF;
                        b += px & 0xFF;
                    } else {
                        // Weighted by alpha a row at a time: 255 * 255 * k fits 32 bits.
                        const std::uint32_t alpha = px >> 24;
                        a += alpha;
                        r += alpha * ((px >> 16) & 0xFF);
                        g += alpha * ((px >> 8) & 0xFF);
                        b += alpha * (px & 0xFF);
                    }
                }
                sum[0] += opaque ? static_cast<std::uint32_t>(end - x * k) : a;
                sum[1] += opaque ? r : (r + 127) / 255;
                sum[2] += opaque ? g : (g + 127) / 255;
                sum[3] += opaque ? b : (b + 127) / 255;
            }
        }
        std::uint32_t* out = to.pixels.data() + static_cast<std::ptrdiff_t>(y) * w;
        const std::uint32_t rows = static_cast<std::uint32_t>(rowEnd - y * k);
        for (int x = 0; x < w; ++x) {
            const std::uint32_t* sum = &sums[static_cast<std::size_t>(x) * 4];
            const std::uint32_t n = rows * static_cast<std::uint32_t>((x < fullColumns ? (x + 1) * k : from.width) - x * k);
            if (sum[0] == 0 || n == 0) {
                out[x] = 0;
                continue;
            }
            // Opaque sums count pixels; the others alpha / 255, their colours likewise.
            const std::uint32_t weight = opaque ? sum[0] : (sum[0] + 127) / 255;
            const std::uint32_t alpha = opaque ? 255 : (sum[0] + n / 2) / n;
            auto channel = [&](std::uint32_t c) { return weight ? std::min(255u, (c + weight / 2) / weight) : 0u; };
            out[x] = alpha << 24 | channel(sum[1]) << 16 | channel(sum[2]) << 8 | channel(sum[3]);
        }
    }
}

}  // namespace

std::optional<DecodedPixels> ResizeLanczos(const PixelBuffer& from, bool opaque, Size size, const Parallel& parallel) {
    if (from.width <= 0 || from.height <= 0 || size.width <= 0 || size.height <= 0) return std::nullopt;
    // A large reduction averages blocks down to about twice the size first, and filters
    // only the rest: a quarter of the work for a photo shown at a quarter, and no moiré the
    // filter would have kept out.
    if (const int k = std::min(from.width / size.width, from.height / size.height) / 2; k >= 2) {
        std::optional<DecodedPixels> boxed = BlankPixels((from.width + k - 1) / k, (from.height + k - 1) / k);
        if (!boxed) return boxed;
        // As below: a part without memory for its row of sums makes the whole fail.
        std::atomic<bool> failed{false};
        auto rows = [&](int begin, int end) {
            try {
                BoxByFactor(from, opaque, k, begin, end, boxed->pixels);
            } catch (const std::bad_alloc&) {
                failed = true;
            }
        };
        if (parallel)
            parallel(boxed->pixels.height, rows);
        else
            rows(0, boxed->pixels.height);
        if (failed) return std::nullopt;
        return ResizeLanczos(boxed->pixels, opaque, size, parallel);
    }
    std::optional<DecodedPixels> copy = BlankPixels(size.width, size.height);
    if (!copy) return copy;
    // Nothing thrown may leave a row's thread: a part without memory makes the whole fail.
    std::atomic<bool> failed{false};
    try {
        const Taps across = AxisTaps(from.width, size.width), down = AxisTaps(from.height, size.height);
        auto rows = [&](int begin, int end) {
            try {
                ResizeRows(from, opaque, across, down, copy->pixels, begin, end);
            } catch (const std::bad_alloc&) {
                failed = true;
            }
        };
        if (parallel)
            parallel(size.height, rows);
        else
            rows(0, size.height);
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
    if (failed) return std::nullopt;
    copy->opaque = opaque || AllOpaque(copy->pixels.pixels);
    return copy;
}

}  // namespace zylora::imaging
