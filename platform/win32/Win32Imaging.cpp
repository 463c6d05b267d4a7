#include "platform/win32/Win32Imaging.h"

#include <wincodec.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <new>
#include <vector>

#include "platform/ImageHeader.h"
#include "platform/Resample.h"
#include "platform/win32/Win32Handles.h"
#include "platform/win32/Win32Text.h"

namespace zylora::platform::win32 {

namespace {

// Bigger surfaces are refused rather than left to exhaust a 32-bit address space: one side
// is limited like a window, and the pixels to 1 GiB.
constexpr int MaxSurfaceSide = 32767;
constexpr long long MaxSurfacePixels = 16384LL * 16384LL;

bool Finite(float value) { return std::isfinite(value); }
bool Finite(RectF r) { return Finite(r.left) && Finite(r.top) && Finite(r.width) && Finite(r.height); }
Gdiplus::RectF ToGdiplus(RectF r) { return {r.left, r.top, r.width, r.height}; }

std::optional<std::uint8_t> AlphaOf(Gdiplus::Bitmap* bitmap, const PixelBuffer* direct, int width,
                                    int height, int x, int y);

std::optional<DecodedPixels> ReducedPixels(Gdiplus::Bitmap* bitmap, const PixelBuffer* direct, bool opaqueSource,
                                           int width, int height, int newWidth, int newHeight);
std::unique_ptr<Image> ReducedCopy(Gdiplus::Bitmap* bitmap, const PixelBuffer* direct, bool opaque, int width,
                                   int height, int newWidth, int newHeight);

// Implemented by both images and surfaces, so BitmapOf serves either.
class BitmapHolder {
public:
    virtual ~BitmapHolder() = default;
    Gdiplus::Bitmap* Bitmap() const { return bitmap_.get(); }
    // The image's own memory, if it has any (not for decoded files).
    const PixelBuffer* Buffer() const { return buffer_.pixels.empty() ? nullptr : &buffer_; }
    // Every pixel is known to be opaque.
    bool Opaque() const { return opaque_; }

protected:
    explicit BitmapHolder(std::unique_ptr<Gdiplus::Bitmap> bitmap) : bitmap_(std::move(bitmap)) {}
    // The pixels, wrapped by the bitmap.
    void Adopt(DecodedPixels decoded) {
        buffer_ = std::move(decoded.pixels);
        opaque_ = decoded.opaque;
        Wrap();
    }
    // Pixels of the size, transparent, wrapped by the bitmap; none if memory is short.
    void Allocate(int width, int height) {
        try {
            buffer_.pixels.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0u);
        } catch (const std::bad_alloc&) {
            return;
        }
        buffer_.width = width;
        buffer_.height = height;
        Wrap();
    }
    // Turns or mirrors the pixels of our own memory. GDI+ must not do it: it may swap in
    // memory of its own behind the bitmap, leaving the buffer stale. False, and the pixels as
    // they were, when memory is short.
    bool RotateFlipOwnPixels(RotateFlipType type) {
        const int code = static_cast<int>(type);
        const int turns = code & 3;  // clockwise quarter turns, then the mirror
        const bool mirror = (code & 4) != 0;
        const int w = buffer_.width, h = buffer_.height;
        PixelBuffer turned;
        turned.width = turns % 2 ? h : w;
        turned.height = turns % 2 ? w : h;
        try {
            turned.pixels.resize(buffer_.pixels.size());
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
                    buffer_.pixels[static_cast<std::size_t>(y) * w + x];
            }
        }
        bitmap_.reset();  // it points into the old buffer
        buffer_ = std::move(turned);
        Wrap();
        return true;
    }
    PixelBuffer buffer_;
    std::unique_ptr<Gdiplus::Bitmap> bitmap_;
    bool opaque_ = false;

private:
    void Wrap() {
        bitmap_.reset(new Gdiplus::Bitmap(buffer_.width, buffer_.height, buffer_.width * 4,
                                          PixelFormat32bppARGB,
                                          reinterpret_cast<BYTE*>(buffer_.pixels.data())));
        if (bitmap_->GetLastStatus() != Gdiplus::Ok) {
            bitmap_.reset();
            buffer_ = PixelBuffer{};
        }
    }
};

const BitmapHolder* HolderOf(const Image& image) { return dynamic_cast<const BitmapHolder*>(&image); }
// The image's own pixels, if it has any.
const PixelBuffer* BufferOf(const Image& image) {
    const BitmapHolder* holder = HolderOf(image);
    return holder ? holder->Buffer() : nullptr;
}

// What images and surfaces share: a size, and pixels read through the bitmap.
template <typename Base>
class BitmapImage : public Base, public BitmapHolder {
public:
    int Width() const override { return width_; }
    int Height() const override { return height_; }
    std::optional<std::uint8_t> AlphaAt(int x, int y) const override {
        return AlphaOf(Bitmap(), Buffer(), width_, height_, x, y);
    }
    std::unique_ptr<Image> Reduced(int width, int height) const override {
        return ReducedCopy(Bitmap(), Buffer(), this->Opaque(), width_, height_, width, height);
    }
    bool Opaque() const override { return BitmapHolder::Opaque(); }
    bool RotateFlip(RotateFlipType type) override {
        if (!bitmap_) return false;
        if (Buffer() ? !RotateFlipOwnPixels(type)
                     : bitmap_->RotateFlip(static_cast<Gdiplus::RotateFlipType>(type)) != Gdiplus::Ok)
            return false;
        if (!bitmap_) return false;
        width_ = static_cast<int>(bitmap_->GetWidth());
        height_ = static_cast<int>(bitmap_->GetHeight());
        return true;
    }

protected:
    BitmapImage(std::unique_ptr<Gdiplus::Bitmap> bitmap, int width, int height)
        : BitmapHolder(std::move(bitmap)), width_(width), height_(height) {}
    int width_;
    int height_;
};

class GdiImage : public BitmapImage<Image> {
public:
    explicit GdiImage(std::unique_ptr<Gdiplus::Bitmap> bitmap) : BitmapImage(std::move(bitmap), 0, 0) {
        if (bitmap_) {
            width_ = static_cast<int>(bitmap_->GetWidth());
            height_ = static_cast<int>(bitmap_->GetHeight());
        }
    }
    // Pixels of our own; `premade` is a reduction made ahead of time, which Reduced gives
    // (once) when asked for its size instead of making it again.
    explicit GdiImage(DecodedPixels decoded, std::unique_ptr<GdiImage> premade = nullptr)
        : BitmapImage(nullptr, 0, 0) {
        Adopt(std::move(decoded));
        if (bitmap_) {
            width_ = buffer_.width;
            height_ = buffer_.height;
            premade_ = std::move(premade);
        }
    }
    std::unique_ptr<Image> Reduced(int width, int height) const override {
        if (premade_ && premade_->Width() == width && premade_->Height() == height) return std::move(premade_);
        return BitmapImage::Reduced(width, height);
    }
    bool RotateFlip(RotateFlipType type) override {
        premade_.reset();  // a reduction of the picture as it was
        return BitmapImage::RotateFlip(type);
    }

private:
    mutable std::unique_ptr<GdiImage> premade_;
};

class GdiSurface : public BitmapImage<Surface> {
public:
    // Without pixels when a side is 0 or below.
    GdiSurface(int width, int height, bool allocate) : BitmapImage(nullptr, width, height) {
        if (allocate) Allocate(width, height);
    }
    bool HasPixels() const override { return bitmap_ != nullptr; }

    void DrawImage(const Image& image, Rect d) override {
        Gdiplus::Bitmap* source = Source(image);
        if (!source) return;
        // The whole image: with pixels of our own on both sides, the own paths draw it.
        if (BufferOf(image) && !buffer_.pixels.empty()) {
            DrawImageRect(image, {0, 0, static_cast<float>(image.Width()), static_cast<float>(image.Height())},
                          {static_cast<float>(d.left), static_cast<float>(d.top), static_cast<float>(d.width),
                           static_cast<float>(d.height)});
            return;
        }
        Gdiplus::Graphics graphics(bitmap_.get());
        Prepare(graphics);
        graphics.DrawImage(source, Gdiplus::Rect(d.left, d.top, d.width, d.height));
    }

    void Clear(Argb color) override {
        if (!bitmap_) return;
        std::fill(buffer_.pixels.begin(), buffer_.pixels.end(), color);
        opaque_ = (color >> 24) == 0xFF;
    }

    void FillTexture(const Image& image, float scaleX, float scaleY, RectF area) override {
        Gdiplus::Bitmap* source = Source(image);
        // A zero or broken scale has no inverse: the brush could not map a pixel back.
        if (!source || !Finite(scaleX) || !Finite(scaleY) || scaleX == 0 || scaleY == 0 ||
            !Finite(area))
            return;
        if (const PixelBuffer* texture = BufferOf(image); texture && !buffer_.pixels.empty() && scaleX > 0 && scaleY > 0) {
            FillTiled({texture->pixels.data(), texture->width, texture->height}, HolderOf(image)->Opaque(), scaleX,
                      scaleY, area, {buffer_.pixels.data(), width_, height_});
            return;
        }
        Gdiplus::TextureBrush brush(source, Gdiplus::WrapModeTile);
        brush.ScaleTransform(scaleX, scaleY, Gdiplus::MatrixOrderPrepend);
        Gdiplus::Graphics graphics(bitmap_.get());
        Prepare(graphics);
        graphics.FillRectangle(&brush, ToGdiplus(area));
    }

    void SetPixelOffset(PixelOffset mode) override { pixelOffset_ = mode; }
    void SetAntiAlias(bool on) override { antiAlias_ = on; }

    void FillText(const std::string& text, const TextStyle& style, RectF layout,
                  Argb color) override {
        const std::wstring wide = WideFromUtf8(text);
        if (!bitmap_ || wide.empty() || !Finite(style.emSize) || style.emSize <= 0 || !Finite(layout))
            return;
        const std::wstring familyName = WideFromUtf8(style.fontFamily);
        Gdiplus::FontFamily named(familyName.c_str());
        Gdiplus::FontFamily installed;
        const Gdiplus::FontFamily* family = FamilyOrFallback(named, installed);
        if (!family) return;
        Gdiplus::StringFormat format;
        format.SetAlignment(Alignment(style.horAlign));
        format.SetLineAlignment(Alignment(style.verAlign));
        Gdiplus::GraphicsPath path(Gdiplus::FillModeAlternate);
        // The style bits are GDI+'s own: bold, italic, underline, strikeout.
        path.AddString(wide.c_str(), static_cast<INT>(wide.size()), family, style.style & 15,
                       style.emSize, ToGdiplus(layout), &format);
        Gdiplus::SolidBrush brush{Gdiplus::Color(color)};
        Gdiplus::Graphics graphics(bitmap_.get());
        Prepare(graphics);
        graphics.FillPath(&brush, &path);
    }

    void DrawImageRect(const Image& image, RectF s, RectF d) override {
        Gdiplus::Bitmap* source = Source(image);
        if (!source || !Finite(s) || !Finite(d) || s.width <= 0 || s.height <= 0 || d.width <= 0 ||
            d.height <= 0)
            return;
        // Only the part of the source inside the image is drawn, at the place of the
        // destination it maps to; GDI+ alone would smear the edge pixels over the rest.
        const float left = std::max(s.left, 0.0f);
        const float top = std::max(s.top, 0.0f);
        const float right = std::min(s.left + s.width, static_cast<float>(image.Width()));
        const float bottom = std::min(s.top + s.height, static_cast<float>(image.Height()));
        if (right <= left || bottom <= top) return;
        if (CopyOneToOne(image, s, d)) return;
        // Pixels of our own on both sides: resampled here, many times faster than GDI+.
        if (const PixelBuffer* from = BufferOf(image); from && !buffer_.pixels.empty()) {
            const bool opaqueSource = HolderOf(image)->Opaque();
            DrawResampled({from->pixels.data(), from->width, from->height}, opaqueSource, s,
                          {buffer_.pixels.data(), width_, height_}, d);
            // The source wholly inside the image and the destination over the whole surface:
            // every pixel was written, from opaque ones.
            if (opaqueSource && left == s.left && top == s.top && right == s.left + s.width &&
                bottom == s.top + s.height && d.left <= 0 && d.top <= 0 &&
                d.left + d.width >= static_cast<float>(width_) && d.top + d.height >= static_cast<float>(height_))
                opaque_ = true;
            return;
        }
        const float kx = d.width / s.width;
        const float ky = d.height / s.height;
        const Gdiplus::RectF target(d.left + (left - s.left) * kx, d.top + (top - s.top) * ky,
                                    (right - left) * kx, (bottom - top) * ky);
        Gdiplus::Graphics graphics(bitmap_.get());
        Prepare(graphics);
        graphics.DrawImage(source, target, left, top, right - left, bottom - top, Gdiplus::UnitPixel);
    }

    void FillRectsEvenOdd(const std::vector<RectF>& rects, Argb color) override {
        Gdiplus::GraphicsPath path(Gdiplus::FillModeAlternate);
        if (!bitmap_ || !AddRects(path, rects)) return;
        Gdiplus::SolidBrush brush{Gdiplus::Color(color)};
        Gdiplus::Graphics graphics(bitmap_.get());
        Prepare(graphics);
        graphics.FillPath(&brush, &path);
    }

    void OutlineRects(const std::vector<RectF>& rects, Argb color, float width) override {
        Gdiplus::GraphicsPath path(Gdiplus::FillModeAlternate);
        if (!bitmap_ || !Finite(width) || width < 0 || !AddRects(path, rects)) return;
        Gdiplus::Pen pen(Gdiplus::Color(color), width);
        Gdiplus::Graphics graphics(bitmap_.get());
        Prepare(graphics);
        graphics.DrawPath(&pen, &path);
    }

private:
    static bool Whole(float value) { return std::fabs(value - std::round(value)) < 1e-3f; }

    // A source drawn at its own size onto whole pixels needs no resampling: its pixels are
    // blended in directly. The common case of a picture shown at a power-of-two reduction
    // (which fitting it to the screen gives), and of every pan step at that zoom.
    bool CopyOneToOne(const Image& image, RectF s, RectF d) {
        if (!Whole(s.left) || !Whole(s.top) || !Whole(d.left) || !Whole(d.top) ||
            std::fabs(s.width - d.width) > 1e-3f || std::fabs(s.height - d.height) > 1e-3f ||
            !Whole(s.width) || !Whole(s.height))
            return false;
        // Source and destination clipped together to the image and to this surface.
        long long sx = std::lround(s.left), sy = std::lround(s.top);
        long long dx = std::lround(d.left), dy = std::lround(d.top);
        long long w = std::lround(s.width), h = std::lround(s.height);
        auto clip = [](long long& src, long long& dst, long long& extent, long long srcLimit,
                       long long dstLimit) {
            const long long skip = std::max({0LL, -src, -dst});
            src += skip;
            dst += skip;
            extent -= skip;
            extent = std::min({extent, srcLimit - src, dstLimit - dst});
        };
        clip(sx, dx, w, image.Width(), width_);
        clip(sy, dy, h, image.Height(), height_);
        if (w <= 0 || h <= 0) return true;

        const BitmapHolder* holder = HolderOf(image);
        const PixelBuffer* direct = holder ? holder->Buffer() : nullptr;
        Gdiplus::BitmapData locked{};
        Gdiplus::Rect region(static_cast<INT>(sx), static_cast<INT>(sy), static_cast<INT>(w),
                             static_cast<INT>(h));
        Gdiplus::Bitmap* source = Source(image);
        if (!direct && (!source || source->LockBits(&region, Gdiplus::ImageLockModeRead,
                                                    PixelFormat32bppARGB, &locked) != Gdiplus::Ok))
            return false;
        const bool opaqueSource = holder && holder->Opaque();
        for (long long row = 0; row < h; ++row) {
            const std::uint32_t* from =
                direct ? direct->pixels.data() + (sy + row) * direct->width + sx
                       : reinterpret_cast<const std::uint32_t*>(static_cast<const BYTE*>(locked.Scan0) +
                                                                row * locked.Stride);
            std::uint32_t* to = buffer_.pixels.data() + (dy + row) * width_ + dx;
            if (opaqueSource) {
                std::copy(from, from + w, to);
                continue;
            }
            for (long long x = 0; x < w; ++x) to[x] = Over(from[x], to[x]);
        }
        if (!direct) source->UnlockBits(&locked);
        // Every pixel now opaque: the surface can go to a screen without blending. Nothing
        // drawn over it later can make a pixel less opaque.
        if (opaqueSource && dx == 0 && dy == 0 && w == width_ && h == height_) opaque_ = true;
        return true;
    }

    // The bitmap to draw from, or null when there's nothing to draw: an empty image or
    // surface, or this surface itself (GDI+ can't draw a bitmap onto itself).
    Gdiplus::Bitmap* Source(const Image& image) const {
        Gdiplus::Bitmap* source = BitmapOf(image);
        return bitmap_ && source && source != bitmap_.get() ? source : nullptr;
    }

    void Prepare(Gdiplus::Graphics& graphics) const {
        graphics.SetPixelOffsetMode(pixelOffset_ == PixelOffset::Half ? Gdiplus::PixelOffsetModeHalf
                                                                      : Gdiplus::PixelOffsetModeDefault);
        graphics.SetSmoothingMode(antiAlias_ ? Gdiplus::SmoothingModeAntiAlias
                                             : Gdiplus::SmoothingModeNone);
    }

    // A skin naming a font the system lacks still gets its caption: in the generic sans
    // serif, or (a bare Wine has none) in any font there is.
    static const Gdiplus::FontFamily* FamilyOrFallback(const Gdiplus::FontFamily& named,
                                                       Gdiplus::FontFamily& installed) {
        if (named.IsAvailable()) return &named;
        const Gdiplus::FontFamily* generic = Gdiplus::FontFamily::GenericSansSerif();
        if (generic && generic->IsAvailable()) return generic;
        Gdiplus::InstalledFontCollection fonts;
        INT found = 0;
        if (fonts.GetFamilyCount() > 0 && fonts.GetFamilies(1, &installed, &found) == Gdiplus::Ok &&
            found == 1 && installed.IsAvailable())
            return &installed;
        return nullptr;
    }

    static Gdiplus::StringAlignment Alignment(int value) {
        if (value == 1) return Gdiplus::StringAlignmentCenter;
        if (value == 2) return Gdiplus::StringAlignmentFar;
        return Gdiplus::StringAlignmentNear;
    }

    static bool AddRects(Gdiplus::GraphicsPath& path, const std::vector<RectF>& rects) {
        bool any = false;
        for (const RectF& r : rects) {
            if (!Finite(r)) continue;
            path.AddRectangle(ToGdiplus(r));
            any = true;
        }
        return any;
    }

    PixelOffset pixelOffset_ = PixelOffset::Default;
    bool antiAlias_ = false;
};

std::optional<std::uint8_t> AlphaOf(Gdiplus::Bitmap* bitmap, const PixelBuffer* direct, int width,
                                    int height, int x, int y) {
    if (!bitmap || x < 0 || y < 0 || x >= width || y >= height) return std::nullopt;
    if (direct) return static_cast<std::uint8_t>(direct->pixels[static_cast<std::size_t>(y) * direct->width + x] >> 24);
    Gdiplus::Color color;
    if (bitmap->GetPixel(x, y, &color) != Gdiplus::Ok) return std::nullopt;
    return color.GetA();
}

// An opaque picture of our own pixels: every alpha is 255, so the weighting by alpha drops
// out (it gives the very same rounding) and a block's sums fit 32 bits.
void ReduceOpaque(const PixelBuffer& from, PixelBuffer& copy, const std::vector<int>& firstColumn, int height,
                  int yBegin, int yEnd) {
    const int width = from.width, newWidth = copy.width, newHeight = copy.height;
    std::vector<std::uint32_t> sums(static_cast<std::size_t>(newWidth) * 3);
    for (int y = yBegin; y < yEnd; ++y) {
        const int top = static_cast<int>(static_cast<long long>(y) * height / newHeight);
        const int bottom = static_cast<int>(static_cast<long long>(y + 1) * height / newHeight);
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

struct Half {
    const std::function<void(int, int)>* work;
    int begin, end;
};

DWORD WINAPI RunHalf(void* half) {
    const auto* h = static_cast<const Half*>(half);
    (*h->work)(h->begin, h->end);
    return 0;
}

// Runs work(begin, end) over [0, count) in two halves at once, the second on a thread of its
// own (every machine the program meets has two cores); all on this thread when no thread can
// be had.
void InHalves(int count, const std::function<void(int, int)>& work) {
    Half second{&work, count / 2, count};
    HANDLE thread = count >= 2 ? ::CreateThread(nullptr, 0, &RunHalf, &second, 0, nullptr) : nullptr;
    work(0, thread ? second.begin : count);
    if (!thread) return;
    ::WaitForSingleObject(thread, INFINITE);
    ::CloseHandle(thread);
}

std::unique_ptr<Image> ReducedCopy(Gdiplus::Bitmap* bitmap, const PixelBuffer* direct, bool opaqueSource, int width,
                                   int height, int newWidth, int newHeight) {
    std::optional<DecodedPixels> copy = ReducedPixels(bitmap, direct, opaqueSource, width, height, newWidth, newHeight);
    if (!copy) return std::make_unique<GdiImage>(nullptr);
    return std::make_unique<GdiImage>(std::move(*copy));
}

// Transparent pixels of the size; nothing if memory is short.
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

// Without the bitmap when the pixels are direct: then no GDI+ call is made, and any thread
// may make the copy.
std::optional<DecodedPixels> ReducedPixels(Gdiplus::Bitmap* bitmap, const PixelBuffer* direct, bool opaqueSource,
                                           int width, int height, int newWidth, int newHeight) {
    if ((!bitmap && !direct) || width <= 0 || height <= 0) return std::nullopt;
    newWidth = std::clamp(newWidth, 1, width);
    newHeight = std::clamp(newHeight, 1, height);
    std::optional<DecodedPixels> copy = BlankPixels(newWidth, newHeight);
    if (!copy) return copy;

    // Each copy pixel is the average of the block of source pixels it covers (a box filter,
    // weighted by alpha so that transparent pixels lend no colour), read a band of source
    // rows at a time so a huge picture is never converted whole.
    std::vector<std::uint64_t> sums(static_cast<std::size_t>(newWidth) * 4);
    std::vector<int> firstColumn(static_cast<std::size_t>(newWidth) + 1);
    for (int x = 0; x <= newWidth; ++x)
        firstColumn[static_cast<std::size_t>(x)] =
            static_cast<int>(static_cast<long long>(x) * width / newWidth);
    // A block's sums stay within 32 bits up to 16 million pixels a block.
    const long long block = (static_cast<long long>(width) / newWidth + 1) * (static_cast<long long>(height) / newHeight + 1);
    if (direct && opaqueSource && block < (1LL << 24)) {
        // Rows of the copy are independent: two threads halve the wait.
        InHalves(newHeight, [&](int begin, int end) { ReduceOpaque(*direct, copy->pixels, firstColumn, height, begin, end); });
        copy->opaque = true;
        return copy;
    }
    bool opaque = true;
    for (int y = 0; y < newHeight; ++y) {
        const int top = static_cast<int>(static_cast<long long>(y) * height / newHeight);
        const int bottom = static_cast<int>(static_cast<long long>(y + 1) * height / newHeight);
        Gdiplus::Rect band(0, top, width, bottom - top);
        Gdiplus::BitmapData data{};
        if (direct) {
            data.Scan0 = const_cast<std::uint32_t*>(direct->pixels.data() + static_cast<std::ptrdiff_t>(top) * width);
            data.Stride = width * 4;
        } else if (bitmap->LockBits(&band, Gdiplus::ImageLockModeRead, PixelFormat32bppARGB, &data) !=
                   Gdiplus::Ok) {
            return std::nullopt;
        }
        std::fill(sums.begin(), sums.end(), 0);
        for (int row = 0; row < bottom - top; ++row) {
            const auto* pixels = reinterpret_cast<const std::uint32_t*>(static_cast<const BYTE*>(data.Scan0) +
                                                                        static_cast<std::ptrdiff_t>(row) * data.Stride);
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
        if (!direct) bitmap->UnlockBits(&data);
        std::uint32_t* out = copy->pixels.pixels.data() + static_cast<std::ptrdiff_t>(y) * newWidth;
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
    copy->opaque = opaque;
    return copy;
}

}  // namespace

GdiplusSession::GdiplusSession() {
    Gdiplus::GdiplusStartupInput input;
    started_ = Gdiplus::GdiplusStartup(&token_, &input, nullptr) == Gdiplus::Ok;
}

GdiplusSession::~GdiplusSession() {
    if (started_) Gdiplus::GdiplusShutdown(token_);
}

Gdiplus::Bitmap* BitmapOf(const Image& image) {
    const auto* holder = dynamic_cast<const BitmapHolder*>(&image);
    return holder ? holder->Bitmap() : nullptr;
}

const std::uint32_t* PixelsOf(const Image& image) {
    const PixelBuffer* buffer = BufferOf(image);
    return buffer ? buffer->pixels.data() : nullptr;
}

namespace {

// Only a file on a disk is handed to the library: a device ("CON", "COM1"), a pipe or a
// folder named like a picture could block it or make it read for ever. A decompression bomb
// (a small file declaring an enormous picture) is refused before the library tries to
// allocate and decode it.
bool MayDecode(const std::string& path, const DecodeLimit& limit) {
    KernelHandle file(::CreateFileW(WideFromUtf8(path).c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid() || ::GetFileType(file.Get()) != FILE_TYPE_DISK) return false;
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(file.Get(), &info) || (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    const ByteReader read = [&file](std::uint64_t offset, std::size_t length) {
        std::string bytes(std::min<std::size_t>(length, 1 << 20), '\0');
        LARGE_INTEGER at{};
        at.QuadPart = static_cast<LONGLONG>(offset);
        DWORD got = 0;
        if (!::SetFilePointerEx(file.Get(), at, nullptr, FILE_BEGIN) ||
            !::ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr))
            got = 0;
        bytes.resize(got);
        return bytes;
    };
    const std::optional<Size> size = DeclaredImageSize(read);
    return !size || limit.Allows(*size);
}

}  // namespace

namespace {

bool IsOneOf(const GUID& format, std::initializer_list<GUID> formats) {
    return std::any_of(formats.begin(), formats.end(), [&](const GUID& f) { return IsEqualGUID(format, f); });
}

// The file decoded by the imaging component straight into memory of our own: one copy of
// the pixels fewer than through a GDI+ bitmap, which GDI+ itself fills from the same codecs.
// Only the still formats whose first frame is the whole picture; nothing when the component
// can't read the file, and GDI+ tries it (it also reads GIF's logical screen and the
// metafile formats).
std::optional<DecodedPixels> ComponentPixels(const std::wstring& path, const DecodeLimit& limit,
                                             const ImagingComponent* component) {
    IWICImagingFactory* factory = component ? component->Factory() : nullptr;
    Com<IWICBitmapDecoder> decoder;
    Com<IWICBitmapFrameDecode> frame;
    Com<IWICFormatConverter> converter;
    GUID container{};
    UINT width = 0, height = 0;
    WICPixelFormatGUID format{};
    if (!factory ||
        FAILED(factory->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ,
                                                  WICDecodeMetadataCacheOnDemand, decoder.Receive())) ||
        FAILED(decoder->GetContainerFormat(&container)) ||
        !IsOneOf(container, {GUID_ContainerFormatJpeg, GUID_ContainerFormatPng, GUID_ContainerFormatBmp,
                             GUID_ContainerFormatTiff}) ||
        FAILED(decoder->GetFrame(0, frame.Receive())) || FAILED(frame->GetSize(&width, &height)) ||
        FAILED(frame->GetPixelFormat(&format)) || width == 0 || height == 0 ||
        !limit.Allows({static_cast<int>(width), static_cast<int>(height)}))
        return std::nullopt;
    std::optional<DecodedPixels> own = BlankPixels(static_cast<int>(width), static_cast<int>(height));
    if (!own) return own;
    auto* out = reinterpret_cast<BYTE*>(own->pixels.pixels.data());
    // A photo's three bytes a pixel are widened here, a band of rows at a time: several
    // times faster than the component's general converter.
    if (IsEqualGUID(format, GUID_WICPixelFormat24bppBGR)) {
        const UINT band = std::max(1u, std::min(height, (1u << 22) / (width * 3 + 4)));
        std::vector<BYTE> rows;
        try {
            rows.resize(static_cast<std::size_t>(width) * 3 * band + 1);
        } catch (const std::bad_alloc&) {
            return std::nullopt;
        }
        for (UINT top = 0; top < height; top += band) {
            const UINT count = std::min(band, height - top);
            const WICRect rect{0, static_cast<INT>(top), static_cast<INT>(width), static_cast<INT>(count)};
            if (FAILED(frame->CopyPixels(&rect, width * 3, width * 3 * count, rows.data()))) return std::nullopt;
            std::uint32_t* to = own->pixels.pixels.data() + static_cast<std::size_t>(top) * width;
            const BYTE* from = rows.data();
            for (std::size_t i = 0, n = static_cast<std::size_t>(width) * count; i < n; ++i, from += 3)
                to[i] = 0xFF000000u | std::uint32_t{from[2]} << 16 | std::uint32_t{from[1]} << 8 | from[0];
        }
    } else if (FAILED(factory->CreateFormatConverter(converter.Receive())) ||
               FAILED(converter->Initialize(frame.Get(), GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone,
                                            nullptr, 0.0, WICBitmapPaletteTypeCustom)) ||
               FAILED(converter->CopyPixels(nullptr, width * 4, width * height * 4, out))) {
        return std::nullopt;
    }
    // Formats without alpha are opaque; any other is looked at.
    own->opaque = IsOneOf(format, {GUID_WICPixelFormat24bppBGR, GUID_WICPixelFormat24bppRGB,
                                   GUID_WICPixelFormat32bppBGR, GUID_WICPixelFormat48bppRGB,
                                   GUID_WICPixelFormat8bppGray, GUID_WICPixelFormat16bppGray,
                                   GUID_WICPixelFormat32bppCMYK}) ||
                  std::all_of(own->pixels.pixels.begin(), own->pixels.pixels.end(),
                              [](std::uint32_t p) { return (p >> 24) == 0xFF; });
    return own;
}

// The file decoded by GDI+ within the limit; null when it isn't a picture or is too large.
std::unique_ptr<Gdiplus::Bitmap> DecodedBitmap(const std::wstring& path, const DecodeLimit& limit) {
    std::unique_ptr<Gdiplus::Bitmap> bitmap(new Gdiplus::Bitmap(path.c_str(), /*useEmbeddedColorManagement=*/FALSE));
    // A format whose header we don't read is held to the limit once decoded.
    if (bitmap->GetLastStatus() != Gdiplus::Ok || bitmap->GetWidth() == 0 || bitmap->GetHeight() == 0 ||
        !limit.Allows({static_cast<int>(bitmap->GetWidth()), static_cast<int>(bitmap->GetHeight())}))
        return nullptr;
    return bitmap;
}

// The bitmap's pixels once into memory of our own, in the layout every drawing path reads
// directly; nothing when that memory can't be had.
std::optional<DecodedPixels> OwnPixels(Gdiplus::Bitmap& bitmap) {
    const int width = static_cast<int>(bitmap.GetWidth()), height = static_cast<int>(bitmap.GetHeight());
    std::optional<DecodedPixels> own = BlankPixels(width, height);
    if (!own) return own;
    Gdiplus::Rect all(0, 0, width, height);
    Gdiplus::BitmapData data{};
    data.Width = static_cast<UINT>(width);
    data.Height = static_cast<UINT>(height);
    data.Stride = width * 4;
    data.PixelFormat = PixelFormat32bppARGB;
    data.Scan0 = own->pixels.pixels.data();
    if (bitmap.LockBits(&all, Gdiplus::ImageLockModeRead | Gdiplus::ImageLockModeUserInputBuf, PixelFormat32bppARGB,
                        &data) != Gdiplus::Ok)
        return std::nullopt;
    bitmap.UnlockBits(&data);
    // Formats without alpha or palette are opaque; any other is looked at.
    const Gdiplus::PixelFormat format = bitmap.GetPixelFormat();
    own->opaque = (!Gdiplus::IsAlphaPixelFormat(format) && !Gdiplus::IsIndexedPixelFormat(format)) ||
                  std::all_of(own->pixels.pixels.begin(), own->pixels.pixels.end(),
                              [](std::uint32_t p) { return (p >> 24) == 0xFF; });
    return own;
}

}  // namespace

ImagingComponent::ImagingComponent() {
    if (FAILED(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                  reinterpret_cast<void**>(&factory_))))
        factory_ = nullptr;
}

ImagingComponent::~ImagingComponent() {
    if (factory_) factory_->Release();
}

ThreadImaging::ThreadImaging() : com_(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_MULTITHREADED))) {
    component_ = std::make_unique<ImagingComponent>();
}

ThreadImaging::~ThreadImaging() {
    component_.reset();  // before COM ends on this thread
    if (com_) ::CoUninitialize();
}

std::unique_ptr<Image> DecodeImageFile(const std::string& path, const DecodeLimit& limit,
                                       const ImagingComponent* component) {
    const std::wstring widePath = WideFromUtf8(path);
    if (widePath.empty() || !MayDecode(path, limit)) return std::make_unique<GdiImage>(nullptr);
    if (std::optional<DecodedPixels> own = ComponentPixels(widePath, limit, component))
        return std::make_unique<GdiImage>(std::move(*own));
    std::unique_ptr<Gdiplus::Bitmap> bitmap = DecodedBitmap(widePath, limit);
    if (!bitmap) return std::make_unique<GdiImage>(nullptr);
    if (std::optional<DecodedPixels> own = OwnPixels(*bitmap)) return std::make_unique<GdiImage>(std::move(*own));
    // The decoder's bitmap stays only when memory of our own can't be had.
    return std::make_unique<GdiImage>(std::move(bitmap));
}

std::optional<DecodedPixels> DecodePixels(const std::string& path, const DecodeLimit& limit,
                                         const ImagingComponent* component) {
    const std::wstring widePath = WideFromUtf8(path);
    if (widePath.empty() || !MayDecode(path, limit)) return std::nullopt;
    if (std::optional<DecodedPixels> own = ComponentPixels(widePath, limit, component)) return own;
    std::unique_ptr<Gdiplus::Bitmap> bitmap = DecodedBitmap(widePath, limit);
    return bitmap ? OwnPixels(*bitmap) : std::nullopt;
}

std::vector<std::optional<DecodedPixels>> DecodeAllPixels(const std::vector<std::string>& paths,
                                                          const DecodeLimit& limit,
                                                          const ImagingComponent* component) {
    std::vector<std::optional<DecodedPixels>> out(paths.size());
    InHalves(static_cast<int>(paths.size()), [&](int begin, int end) {
        // The second half runs on a thread of its own, which needs COM and a factory of its own.
        std::optional<ThreadImaging> own;
        if (begin > 0) own.emplace();
        for (int i = begin; i < end; ++i)
            out[static_cast<std::size_t>(i)] =
                DecodePixels(paths[static_cast<std::size_t>(i)], limit, own ? &own->Component() : component);
    });
    return out;
}

std::optional<DecodedPixels> ReducePixels(const DecodedPixels& from, Size size) {
    return ReducedPixels(nullptr, &from.pixels, from.opaque, from.pixels.width, from.pixels.height, size.width,
                         size.height);
}

std::unique_ptr<Image> ImageOfPixels(DecodedPixels picture, std::optional<DecodedPixels> reduced) {
    auto premade = reduced ? std::make_unique<GdiImage>(std::move(*reduced)) : nullptr;
    if (premade && premade->Width() == 0) premade.reset();
    return std::make_unique<GdiImage>(std::move(picture), std::move(premade));
}

std::unique_ptr<Surface> NewSurface(int width, int height) {
    width = std::max(0, width);
    height = std::max(0, height);
    const bool allocate = width > 0 && height > 0 && width <= MaxSurfaceSide &&
                          height <= MaxSurfaceSide &&
                          static_cast<long long>(width) * height <= MaxSurfacePixels;
    return std::make_unique<GdiSurface>(width, height, allocate);
}

void DcTarget::DrawSurface(const Surface& surface, Point at) {
    Gdiplus::Bitmap* bitmap = BitmapOf(surface);
    if (!dc_ || !bitmap) return;
    const int width = surface.Width();
    const int height = surface.Height();
    // An opaque surface needs no blending: its rows go to the device as they are.
    const BitmapHolder* holder = HolderOf(surface);
    if (const PixelBuffer* buffer = holder ? holder->Buffer() : nullptr; buffer && holder->Opaque()) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = buffer->width;
        info.bmiHeader.biHeight = -buffer->height;  // top-down rows
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        ::SetDIBitsToDevice(dc_, at.x, at.y, static_cast<DWORD>(buffer->width),
                            static_cast<DWORD>(buffer->height), 0, 0, 0,
                            static_cast<UINT>(buffer->height), buffer->pixels.data(), &info,
                            DIB_RGB_COLORS);
        return;
    }
    Gdiplus::Graphics graphics(dc_);
    // Source and destination rectangles of one size in pixels: drawn 1:1 whatever the
    // bitmap's resolution says.
    graphics.DrawImage(bitmap, Gdiplus::Rect(at.x, at.y, width, height), 0, 0, width, height,
                       Gdiplus::UnitPixel);
}

}  // namespace zylora::platform::win32
