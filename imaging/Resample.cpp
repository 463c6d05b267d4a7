#include "imaging/Resample.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace zylora::imaging {

namespace {

// a + (b - a) * w / 256 on all four channels at once, rounded: red and blue in one
// multiplication, alpha and green in the other, each channel with 16 bits of room.
inline std::uint32_t Lerp(std::uint32_t a, std::uint32_t b, std::uint32_t w) {
    const std::uint32_t v = 256 - w;
    const std::uint32_t rb = (((a & 0xFF00FFu) * v + (b & 0xFF00FFu) * w + 0x800080u) >> 8) & 0xFF00FFu;
    const std::uint32_t ag = (((a >> 8) & 0xFF00FFu) * v + ((b >> 8) & 0xFF00FFu) * w + 0x800080u) & 0xFF00FF00u;
    return rb | ag;
}

// A premultiplied pixel over a straight-alpha one.
inline std::uint32_t PremultipliedOver(std::uint32_t s, std::uint32_t d) {
    const std::uint32_t sa = s >> 24;
    if (sa == 0) return d;
    if (sa == 255) return s;  // what the sums below give, without their three divisions
    const std::uint32_t keep = (d >> 24) * (255 - sa);  // the destination's share, times 255
    const std::uint32_t a255 = sa * 255 + keep;
    auto channel = [&](int shift) {
        const std::uint32_t sc = (s >> shift) & 0xFFu, dc = (d >> shift) & 0xFFu;
        return std::min<std::uint32_t>(255, (sc * 255 * 255 + dc * keep + a255 / 2) / a255) << shift;
    };
    return ((a255 + 127) / 255) << 24 | channel(16) | channel(8) | channel(0);
}

#if defined(__SSE2__)
// Lerp of four pixels at once, each channel widened to 16 bits; the weights of pixels 0 and 1
// in `wLow`, of 2 and 3 in `wHigh`, each repeated for the four channels.
inline __m128i Lerp4(__m128i a, __m128i b, __m128i wLow, __m128i wHigh) {
    const __m128i zero = _mm_setzero_si128(), full = _mm_set1_epi16(256), half = _mm_set1_epi16(128);
    auto mix = [&](__m128i x, __m128i y, __m128i w) {
        // At most 255 * 256 + 128: the sums stay inside 16 unsigned bits.
        const __m128i sum = _mm_add_epi16(_mm_add_epi16(_mm_mullo_epi16(x, _mm_sub_epi16(full, w)),
                                                        _mm_mullo_epi16(y, w)), half);
        return _mm_srli_epi16(sum, 8);
    };
    return _mm_packus_epi16(mix(_mm_unpacklo_epi8(a, zero), _mm_unpacklo_epi8(b, zero), wLow),
                            mix(_mm_unpackhi_epi8(a, zero), _mm_unpackhi_epi8(b, zero), wHigh));
}
#endif

// out[i] = Lerp(a[i], b[i], w) for the row.
void LerpRows(const std::uint32_t* a, const std::uint32_t* b, std::uint32_t w, std::uint32_t* out, int n) {
    int i = 0;
#if defined(__SSE2__)
    const __m128i weight = _mm_set1_epi16(static_cast<short>(w));
    for (; i + 4 <= n; i += 4) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + i));
        const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + i));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), Lerp4(x, y, weight, weight));
    }
#endif
    for (; i < n; ++i) out[i] = Lerp(a[i], b[i], w);
}

// out[i] = PremultipliedOver(Lerp(a[i], b[i], w), out[i]) for the row. Most pixels of a
// translucent picture (a frame's pieces) are opaque: four such come out as they are.
void LerpRowsOver(const std::uint32_t* a, const std::uint32_t* b, std::uint32_t w, std::uint32_t* out, int n) {
    int i = 0;
#if defined(__SSE2__)
    const __m128i weight = _mm_set1_epi16(static_cast<short>(w));
    const __m128i alpha = _mm_set1_epi32(static_cast<int>(0xFF000000u));
    for (; i + 4 <= n; i += 4) {
        const __m128i mixed = Lerp4(_mm_loadu_si128(reinterpret_cast<const __m128i*>(a + i)),
                                    _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + i)), weight, weight);
        if (_mm_movemask_epi8(_mm_cmpeq_epi32(_mm_and_si128(mixed, alpha), alpha)) == 0xFFFF) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), mixed);
            continue;
        }
        alignas(16) std::uint32_t four[4];
        _mm_store_si128(reinterpret_cast<__m128i*>(four), mixed);
        for (int k = 0; k < 4; ++k) out[i + k] = PremultipliedOver(four[k], out[i + k]);
    }
#endif
    for (; i < n; ++i) out[i] = PremultipliedOver(Lerp(a[i], b[i], w), out[i]);
}

// The columns of one destination row: first[i] and second[i] of the source line mixed by
// weight[i]; wide holds each weight four times over, for the four channels.
void MixColumns(const std::uint32_t* line, const int* first, const int* second, const std::uint32_t* weight,
                const std::uint16_t* wide, std::uint32_t* out, int n) {
    int i = 0;
#if defined(__SSE2__)
    for (; i + 4 <= n; i += 4) {
        const __m128i x = _mm_set_epi32(static_cast<int>(line[first[i + 3]]), static_cast<int>(line[first[i + 2]]),
                                        static_cast<int>(line[first[i + 1]]), static_cast<int>(line[first[i]]));
        const __m128i y = _mm_set_epi32(static_cast<int>(line[second[i + 3]]), static_cast<int>(line[second[i + 2]]),
                                        static_cast<int>(line[second[i + 1]]), static_cast<int>(line[second[i]]));
        const __m128i wLow = _mm_loadu_si128(reinterpret_cast<const __m128i*>(wide + 4 * i));
        const __m128i wHigh = _mm_loadu_si128(reinterpret_cast<const __m128i*>(wide + 4 * i + 8));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), Lerp4(x, y, wLow, wHigh));
    }
#else
    (void)wide;
#endif
    for (; i < n; ++i) out[i] = Lerp(line[first[i]], line[second[i]], weight[i]);
}

// The first destination pixel whose centre lies at or after the edge.
int FirstCentreFrom(double edge) { return static_cast<int>(std::ceil(edge - 0.5)); }

}  // namespace


std::uint32_t Premultiplied(std::uint32_t p) {
    const std::uint32_t a = p >> 24;
    if (a == 255) return p;
    auto channel = [&](int shift) { return ((((p >> shift) & 0xFFu) * a + 127) / 255) << shift; };
    return a << 24 | channel(16) | channel(8) | channel(0);
}

std::uint32_t Over(std::uint32_t src, std::uint32_t dst) {
    const std::uint32_t sa = src >> 24;
    if (sa == 255) return src;
    if (sa == 0) return dst;
    const std::uint32_t da = dst >> 24;
    const std::uint32_t keep = da * (255 - sa) / 255;  // destination's share, 0..255
    const std::uint32_t a = sa + keep;
    auto channel = [&](int shift) {
        const std::uint32_t sc = (src >> shift) & 0xFF, dc = (dst >> shift) & 0xFF;
        return ((sc * sa + dc * keep + a / 2) / a) << shift;
    };
    return a << 24 | channel(16) | channel(8) | channel(0);
}

namespace {

bool Finite(RectF r) {
    return std::isfinite(r.left) && std::isfinite(r.top) && std::isfinite(r.width) && std::isfinite(r.height);
}

// Where the destination pixels along one axis sample the source: for each, the two
// neighbouring source pixels and the weight of the second, in 256ths.
struct Axis {
    std::vector<int> first, second;
    std::vector<std::uint32_t> weight;
};

// Destination pixel p samples at start + (p + 0.5) * step - 0.5 (pixel centres onto pixel
// centres). With a period the source repeats (a tiled texture); without, the samples stay
// within [low, high].
Axis MapAxis(int from, int to, double start, double step, int low, int high, int period) {
    Axis axis;
    const std::size_t count = static_cast<std::size_t>(to - from);
    axis.first.resize(count);
    axis.second.resize(count);
    axis.weight.resize(count);
    auto place = [&](long long i) {
        if (period <= 0) return static_cast<int>(std::clamp<long long>(i, low, high));
        const long long m = i % period;
        return static_cast<int>(m < 0 ? m + period : m);
    };
    for (std::size_t k = 0; k < count; ++k) {
        const double u = start + (from + static_cast<double>(k) + 0.5) * step - 0.5;
        const double fu = std::floor(u);
        const long long c = static_cast<long long>(fu);
        axis.first[k] = place(c);
        axis.second[k] = place(c + 1);
        axis.weight[k] = static_cast<std::uint32_t>(std::lround((u - fu) * 256));
    }
    return axis;
}

// Draws onto the destination block from (x0, y0), one pixel per entry of the axes.
void Compose(ConstPixelGrid from, bool opaque, const Axis& columns, const Axis& rows, PixelGrid to, int x0,
             int y0) {
    const int n = static_cast<int>(columns.first.size());
    std::vector<std::uint16_t> wide(columns.weight.size() * 4);
    for (std::size_t i = 0; i < columns.weight.size(); ++i)
        std::fill_n(wide.begin() + static_cast<std::ptrdiff_t>(4 * i), 4,
                    static_cast<std::uint16_t>(columns.weight[i]));
    const auto [lowX, highX] = std::minmax_element(columns.first.begin(), columns.first.end());
    const int usedFrom = std::min(*lowX, *std::min_element(columns.second.begin(), columns.second.end()));
    const int usedTo = std::max(*highX, *std::max_element(columns.second.begin(), columns.second.end()));

    // Source rows mixed across, the two the current destination row needs, kept while the
    // next row needs them too (a magnified view uses each source row many times).
    std::vector<std::uint32_t> mixed[2] = {std::vector<std::uint32_t>(static_cast<std::size_t>(n)),
                                           std::vector<std::uint32_t>(static_cast<std::size_t>(n))};
    int mixedRow[2] = {-1, -1};
    std::vector<std::uint32_t> premultiplied(opaque ? 0 : static_cast<std::size_t>(from.width));
    auto rowFor = [&](int sourceRow, int keep) -> const std::vector<std::uint32_t>& {
        for (int k = 0; k < 2; ++k)
            if (mixedRow[k] == sourceRow) return mixed[k];
        const int k = mixedRow[0] == keep ? 1 : 0;  // never the other row of this pair
        const std::uint32_t* line = from.pixels + static_cast<std::ptrdiff_t>(sourceRow) * from.width;
        if (!opaque) {
            for (int x = usedFrom; x <= usedTo; ++x) premultiplied[static_cast<std::size_t>(x)] = Premultiplied(line[x]);
            line = premultiplied.data();
        }
        MixColumns(line, columns.first.data(), columns.second.data(), columns.weight.data(), wide.data(),
                   mixed[k].data(), n);
        mixedRow[k] = sourceRow;
        return mixed[k];
    };

    for (std::size_t r = 0; r < rows.first.size(); ++r) {
        const std::vector<std::uint32_t>& a = rowFor(rows.first[r], rows.second[r]);
        const std::vector<std::uint32_t>& b = rowFor(rows.second[r], rows.first[r]);
        std::uint32_t* out = to.pixels + (static_cast<std::ptrdiff_t>(y0) + static_cast<std::ptrdiff_t>(r)) * to.width + x0;
        const std::uint32_t w = rows.weight[r];
        if (opaque)
            LerpRows(a.data(), b.data(), w, out, n);
        else
            LerpRowsOver(a.data(), b.data(), w, out, n);
    }
}

// Where the destination pixels of a stretch sample the source, and the block they cover.
struct StretchPlan {
    Axis columns, rows;
    int x0 = 0, y0 = 0;
};

// Only the part of the source inside the picture is drawn, at the place of the destination
// it maps to; nothing when no destination pixel's centre falls inside that part.
std::optional<StretchPlan> PlanStretch(ConstPixelGrid from, RectF s, PixelGrid to, RectF d) {
    if (!from.pixels || !to.pixels || !Finite(s) || !Finite(d) || s.width <= 0 || s.height <= 0 ||
        d.width <= 0 || d.height <= 0)
        return std::nullopt;
    // The part of the source inside the picture, and the pixels that may be sampled.
    const double left = std::max<double>(s.left, 0), right = std::min<double>(s.left + double(s.width), from.width);
    const double top = std::max<double>(s.top, 0), bottom = std::min<double>(s.top + double(s.height), from.height);
    if (right <= left || bottom <= top) return std::nullopt;
    const int lowX = static_cast<int>(left), highX = std::min(from.width - 1, static_cast<int>(std::ceil(right)) - 1);
    const int lowY = static_cast<int>(top), highY = std::min(from.height - 1, static_cast<int>(std::ceil(bottom)) - 1);

    // Destination pixels per source pixel, and the destination pixels that part covers.
    const double kx = double(d.width) / s.width, ky = double(d.height) / s.height;
    const int x0 = std::max(0, FirstCentreFrom(d.left + (left - s.left) * kx));
    const int x1 = std::min(to.width, FirstCentreFrom(d.left + (right - s.left) * kx));
    const int y0 = std::max(0, FirstCentreFrom(d.top + (top - s.top) * ky));
    const int y1 = std::min(to.height, FirstCentreFrom(d.top + (bottom - s.top) * ky));
    if (x1 <= x0 || y1 <= y0) return std::nullopt;
    return StretchPlan{MapAxis(x0, x1, s.left - d.left / kx, 1 / kx, lowX, highX, 0),
                       MapAxis(y0, y1, s.top - d.top / ky, 1 / ky, lowY, highY, 0), x0, y0};
}

// The nearer of the two source pixels a destination pixel lies between.
int Nearer(const Axis& axis, std::size_t k) { return axis.weight[k] >= 128 ? axis.second[k] : axis.first[k]; }

}  // namespace

void DrawResampled(ConstPixelGrid from, bool opaque, RectF s, PixelGrid to, RectF d) {
    if (std::optional<StretchPlan> plan = PlanStretch(from, s, to, d))
        Compose(from, opaque, plan->columns, plan->rows, to, plan->x0, plan->y0);
}

void DrawNearest(ConstPixelGrid from, bool opaque, RectF s, PixelGrid to, RectF d) {
    const std::optional<StretchPlan> plan = PlanStretch(from, s, to, d);
    if (!plan) return;
    std::vector<int> columns(plan->columns.first.size());
    for (std::size_t k = 0; k < columns.size(); ++k) columns[k] = Nearer(plan->columns, k);
    for (std::size_t r = 0; r < plan->rows.first.size(); ++r) {
        const std::uint32_t* line = from.pixels + static_cast<std::ptrdiff_t>(Nearer(plan->rows, r)) * from.width;
        std::uint32_t* out =
            to.pixels + (static_cast<std::ptrdiff_t>(plan->y0) + static_cast<std::ptrdiff_t>(r)) * to.width + plan->x0;
        if (opaque) {
            for (std::size_t i = 0; i < columns.size(); ++i) out[i] = line[columns[i]];
        } else {
            for (std::size_t i = 0; i < columns.size(); ++i) out[i] = Over(line[columns[i]], out[i]);
        }
    }
}

void FillTiled(ConstPixelGrid texture, bool opaque, float scaleX, float scaleY, RectF area, PixelGrid to) {
    if (!texture.pixels || !to.pixels || texture.width <= 0 || texture.height <= 0 || !Finite(area) ||
        !std::isfinite(scaleX) || !std::isfinite(scaleY) || scaleX <= 0 || scaleY <= 0)
        return;
    const int x0 = std::max(0, FirstCentreFrom(area.left));
    const int x1 = std::min(to.width, FirstCentreFrom(double(area.left) + area.width));
    const int y0 = std::max(0, FirstCentreFrom(area.top));
    const int y1 = std::min(to.height, FirstCentreFrom(double(area.top) + area.height));
    if (x1 <= x0 || y1 <= y0) return;
    Compose(texture, opaque, MapAxis(x0, x1, 0, 1.0 / scaleX, 0, 0, texture.width),
            MapAxis(y0, y1, 0, 1.0 / scaleY, 0, 0, texture.height), to, x0, y0);
}

}  // namespace zylora::imaging
