#include "imaging/Pixels.h"

#include "imaging/Lanczos.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <mutex>
#include <new>

#if defined(__GNUC__) && (defined(__i386__) || defined(__x86_64__))
#include <tmmintrin.h>
#endif

namespace zylora::imaging {

namespace {

constexpr std::size_t SmallestRecycledPixels = (1u << 20) / sizeof(std::uint32_t);
constexpr std::size_t RecycledBuffers = 2;

// Surfaces come and go on the user-interface thread, but pixels may die on any thread.
std::mutex recycledLock;
std::vector<PixelWords> recycled;  // oldest first

// The memory holding pixels of the size, transparent if `clear`; memory too small is
// replaced by new memory with room for `room` pixels. Nothing if memory is short.
std::optional<DecodedPixels> PixelsIn(PixelWords memory, int width, int height, std::size_t room, bool clear = true) {
    const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    try {
        if (memory.capacity() < count) {
            memory = {};
            memory.reserve(std::max(count, room));
        }
        if (clear)
            memory.assign(count, 0u);
        else
            memory.resize(count);
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
    DecodedPixels blank;
    blank.pixels = {std::move(memory), width, height};
    return blank;
}

constexpr std::size_t SmallestKeptPixels = (16u << 20) / sizeof(std::uint32_t);

// Let go of on the user-interface thread, taken by decodes on others.
std::mutex keptLock;
PixelWords kept;

// The kept memory if `count` pixels fill four fifths of it or more. A picture of 16 MB or
// more that doesn't shows that the pictures' size has changed: the memory goes.
PixelWords KeptMemoryFor(std::size_t count) {
    PixelWords taken, stale;  // the stale memory is freed on return, outside the lock
    const std::lock_guard<std::mutex> hold(keptLock);
    if (kept.capacity() >= count && count >= kept.capacity() / 5 * 4)
        taken.swap(kept);
    else if (count >= SmallestKeptPixels)
        stale.swap(kept);
    return taken;
}

}  // namespace

std::optional<DecodedPixels> BlankPixels(int width, int height) { return PixelsIn({}, width, height, 0); }

std::optional<DecodedPixels> PixelsToFill(int width, int height) {
    const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    return PixelsIn(KeptMemoryFor(count), width, height, 0, false);
}

void KeepPictureMemory(PixelBuffer&& buffer) {
    PixelWords memory = std::move(buffer.pixels);
    buffer = {};
    if (memory.capacity() < SmallestKeptPixels) return;
    const std::lock_guard<std::mutex> hold(keptLock);
    if (memory.capacity() > kept.capacity()) kept.swap(memory);  // the smaller freed outside the lock
}

void FreeKeptPictureMemory() {
    PixelWords memory;
    const std::lock_guard<std::mutex> hold(keptLock);
    memory.swap(kept);
}

std::optional<DecodedPixels> RecycledBlankPixels(int width, int height) {
    const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    PixelWords memory;
    {
        const std::lock_guard<std::mutex> hold(recycledLock);
        auto best = recycled.end();
        for (auto it = recycled.begin(); it != recycled.end(); ++it)
            if (it->capacity() >= count && (best == recycled.end() || it->capacity() < best->capacity())) best = it;
        if (best != recycled.end()) {
            memory = std::move(*best);
            recycled.erase(best);
        }
    }
    return PixelsIn(std::move(memory), width, height, count + count / 8);
}

void RecyclePixels(PixelBuffer&& buffer) {
    PixelWords memory = std::move(buffer.pixels);
    buffer = {};
    if (memory.capacity() < SmallestRecycledPixels) return;
    PixelWords dropped;  // freed outside the lock
    const std::lock_guard<std::mutex> hold(recycledLock);
    recycled.push_back(std::move(memory));
    if (recycled.size() > RecycledBuffers) {
        dropped = std::move(recycled.front());
        recycled.erase(recycled.begin());
    }
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
    // Where the pixel at (x, y) goes: nx = ax + bx x + cx y across, ny = ay + by x + cy y down.
    std::ptrdiff_t ax = 0, bx = 1, cx = 0, ay = 0, by = 0, cy = 1;
    if (turns == 1) ax = h - 1, bx = 0, cx = -1, ay = 0, by = 1, cy = 0;
    if (turns == 2) ax = w - 1, bx = -1, cx = 0, ay = h - 1, by = 0, cy = -1;
    if (turns == 3) ax = 0, bx = 0, cx = 1, ay = w - 1, by = -1, cy = 0;
    if (mirror) ax = turned.width - 1 - ax, bx = -bx, cx = -cx;
    const std::ptrdiff_t across = turned.width;
    const std::ptrdiff_t start = ay * across + ax, stepX = by * across + bx, stepY = cy * across + cx;
    // In squares of 64 x 64: a quarter turn writes each row of the square down a column, and
    // a square's columns stay in the cache, where whole rows' would not (a 24 MP turn went
    // several times faster).
    constexpr int Square = 64;
    const std::uint32_t* from = buffer.pixels.data();
    std::uint32_t* to = turned.pixels.data();
    for (int y0 = 0; y0 < h; y0 += Square) {
        const int y1 = std::min(h, y0 + Square);
        for (int x0 = 0; x0 < w; x0 += Square) {
            const int x1 = std::min(w, x0 + Square);
            for (int y = y0; y < y1; ++y) {
                const std::uint32_t* source = from + static_cast<std::ptrdiff_t>(y) * w + x0;
                std::ptrdiff_t at = start + y * stepY + x0 * stepX;
                for (int x = x0; x < x1; ++x, at += stepX) to[at] = *source++;
            }
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

namespace {

#if defined(__GNUC__) && (defined(__i386__) || defined(__x86_64__))
// Sixteen pixels from three loads, each four pixels' twelve bytes shuffled into place. A
// group's bytes are all loaded before its pixels are stored, as the in-place widening needs.
__attribute__((target("ssse3"))) std::size_t WidenBgrSixteens(const std::uint8_t* from, std::uint32_t* to,
                                                                std::size_t count) {
    const __m128i spread = _mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
    const __m128i opaque = _mm_set1_epi32(static_cast<int>(0xFF000000u));
    std::size_t i = 0;
    for (; i + 16 <= count; i += 16, from += 48) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + 16));
        const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + 32));
        const __m128i fours[] = {a, _mm_alignr_epi8(b, a, 12), _mm_alignr_epi8(c, b, 8), _mm_srli_si128(c, 4)};
        for (int k = 0; k < 4; ++k)
            _mm_storeu_si128(reinterpret_cast<__m128i*>(to + i + 4 * k),
                             _mm_or_si128(_mm_shuffle_epi8(fours[k], spread), opaque));
    }
    return i;
}

bool HasSsse3() {
    static const bool has = __builtin_cpu_supports("ssse3");
    return has;
}
#else
std::size_t WidenBgrSixteens(const std::uint8_t*, std::uint32_t*, std::size_t) { return 0; }
bool HasSsse3() { return false; }
#endif

}  // namespace

void WidenBgr(const std::uint8_t* from, std::uint32_t* to, std::size_t count) {
    // A photo's every pixel comes through here: with one byte at a time this took 40 ms of a
    // 24 MP decode. Where the processor can shuffle bytes, sixteen pixels go at a time; the
    // rest go four at a time from three little-endian words. Each group's bytes are read
    // before its pixels are written, which lets the rows widen within their own room.
    static_assert(std::endian::native == std::endian::little);
    std::size_t i = HasSsse3() ? WidenBgrSixteens(from, to, count) : 0;
    from += 3 * i;
    constexpr std::uint32_t opaque = 0xFF000000u;
    for (; i + 4 <= count; i += 4, from += 12) {
        std::uint32_t words[3];
        std::memcpy(words, from, sizeof words);
        to[i] = words[0] | opaque;
        to[i + 1] = words[0] >> 24 | words[1] << 8 | opaque;
        to[i + 2] = words[1] >> 16 | words[2] << 16 | opaque;
        to[i + 3] = words[2] >> 8 | opaque;
    }
    for (; i < count; ++i, from += 3)
        to[i] = opaque | std::uint32_t{from[2]} << 16 | std::uint32_t{from[1]} << 8 | from[0];
}

bool AllOpaque(const PixelWords& pixels) {
    return std::all_of(pixels.begin(), pixels.end(), [](std::uint32_t p) { return (p >> 24) == 0xFF; });
}

std::optional<DecodedPixels> ReducePixels(const PixelBuffer& from, bool opaque, Size size, const Parallel& parallel) {
    if (from.width <= 0 || from.height <= 0) return std::nullopt;
    return ResizeLanczos(from, opaque, {std::clamp(size.width, 1, from.width), std::clamp(size.height, 1, from.height)},
                         parallel);
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

bool DrawStretched(ConstPixelGrid from, bool opaque, RectF s, PixelGrid to, RectF d, bool quick) {
    bool coveredAll = false;
    if (CopyOneToOne(from, opaque, s, to, d, coveredAll)) return coveredAll;
    (quick ? DrawNearest : DrawResampled)(from, opaque, s, to, d);
    return opaque && s.left >= 0 && s.top >= 0 && s.left + s.width <= static_cast<float>(from.width) &&
           s.top + s.height <= static_cast<float>(from.height) && d.left <= 0 && d.top <= 0 &&
           d.left + d.width >= static_cast<float>(to.width) && d.top + d.height >= static_cast<float>(to.height);
}

}  // namespace zylora::imaging
