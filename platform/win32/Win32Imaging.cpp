#include "platform/win32/Win32Imaging.h"

#include <algorithm>
#include <cmath>

#include "platform/ImageHeader.h"
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

std::optional<std::uint8_t> AlphaOf(Gdiplus::Bitmap* bitmap, int width, int height, int x, int y) {
    if (!bitmap || x < 0 || y < 0 || x >= width || y >= height) return std::nullopt;
    Gdiplus::Color color;
    if (bitmap->GetPixel(x, y, &color) != Gdiplus::Ok) return std::nullopt;
    return color.GetA();
}

std::unique_ptr<Image> ReducedCopy(Gdiplus::Bitmap* bitmap, int width, int height, int newWidth,
                                   int newHeight);

// Implemented by both images and surfaces, so BitmapOf serves either.
class BitmapHolder {
public:
    virtual ~BitmapHolder() = default;
    Gdiplus::Bitmap* Bitmap() const { return bitmap_.get(); }

protected:
    explicit BitmapHolder(std::unique_ptr<Gdiplus::Bitmap> bitmap) : bitmap_(std::move(bitmap)) {}
    std::unique_ptr<Gdiplus::Bitmap> bitmap_;
};

class GdiImage : public Image, public BitmapHolder {
public:
    explicit GdiImage(std::unique_ptr<Gdiplus::Bitmap> bitmap) : BitmapHolder(std::move(bitmap)) {
        if (bitmap_) {
            width_ = static_cast<int>(bitmap_->GetWidth());
            height_ = static_cast<int>(bitmap_->GetHeight());
        }
    }
    int Width() const override { return width_; }
    int Height() const override { return height_; }
    std::optional<std::uint8_t> AlphaAt(int x, int y) const override {
        return AlphaOf(Bitmap(), width_, height_, x, y);
    }
    std::unique_ptr<Image> Reduced(int width, int height) const override {
        return ReducedCopy(Bitmap(), width_, height_, width, height);
    }

private:
    int width_ = 0;
    int height_ = 0;
};

class GdiSurface : public Surface, public BitmapHolder {
public:
    GdiSurface(int width, int height, std::unique_ptr<Gdiplus::Bitmap> bitmap)
        : BitmapHolder(std::move(bitmap)), width_(width), height_(height) {}
    int Width() const override { return width_; }
    int Height() const override { return height_; }
    std::optional<std::uint8_t> AlphaAt(int x, int y) const override {
        return AlphaOf(Bitmap(), width_, height_, x, y);
    }
    std::unique_ptr<Image> Reduced(int width, int height) const override {
        return ReducedCopy(Bitmap(), width_, height_, width, height);
    }

    void DrawImage(const Image& image, Rect d) override {
        Gdiplus::Bitmap* source = Source(image);
        if (!source) return;
        Gdiplus::Graphics graphics(bitmap_.get());
        Prepare(graphics);
        graphics.DrawImage(source, Gdiplus::Rect(d.left, d.top, d.width, d.height));
    }

    void Clear(Argb color) override {
        if (!bitmap_) return;
        Gdiplus::Graphics graphics(bitmap_.get());
        graphics.Clear(Gdiplus::Color(color));
    }

    void FillTexture(const Image& image, float scaleX, float scaleY, RectF area) override {
        Gdiplus::Bitmap* source = Source(image);
        // A zero or broken scale has no inverse: the brush could not map a pixel back.
        if (!source || !Finite(scaleX) || !Finite(scaleY) || scaleX == 0 || scaleY == 0 ||
            !Finite(area))
            return;
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
        const std::wstring wide = WideFromAnsi(text);
        if (!bitmap_ || wide.empty() || !Finite(style.emSize) || style.emSize <= 0 || !Finite(layout))
            return;
        const std::wstring familyName = WideFromAnsi(style.fontFamily);
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

    int width_;
    int height_;
    PixelOffset pixelOffset_ = PixelOffset::Default;
    bool antiAlias_ = false;
};

std::unique_ptr<Image> ReducedCopy(Gdiplus::Bitmap* bitmap, int width, int height, int newWidth,
                                   int newHeight) {
    if (!bitmap || width <= 0 || height <= 0) return std::make_unique<GdiImage>(nullptr);
    newWidth = std::clamp(newWidth, 1, width);
    newHeight = std::clamp(newHeight, 1, height);
    std::unique_ptr<Gdiplus::Bitmap> copy(new Gdiplus::Bitmap(newWidth, newHeight, PixelFormat32bppARGB));
    if (!copy || copy->GetLastStatus() != Gdiplus::Ok) return std::make_unique<GdiImage>(nullptr);
    {
        Gdiplus::Graphics graphics(copy.get());
        // Every source pixel counts towards the copy, and the edges don't fade: the copy
        // stands in for the picture itself.
        graphics.SetCompositingMode(Gdiplus::CompositingModeSourceCopy);
        graphics.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBilinear);
        graphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
        Gdiplus::ImageAttributes attributes;
        attributes.SetWrapMode(Gdiplus::WrapModeTileFlipXY);
        graphics.DrawImage(bitmap, Gdiplus::Rect(0, 0, newWidth, newHeight), 0, 0, width, height,
                           Gdiplus::UnitPixel, &attributes);
    }
    return std::make_unique<GdiImage>(std::move(copy));
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

namespace {

// A decompression bomb (a small file declaring an enormous picture) is refused before the
// library tries to allocate and decode it.
bool DeclaresTooManyPixels(const std::string& path) {
    KernelHandle file(::CreateFileA(path.c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) return false;
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
    return size && static_cast<long long>(size->width) * size->height > MaxDecodedPixels;
}

}  // namespace

std::unique_ptr<Image> DecodeImageFile(const std::string& path) {
    const std::wstring widePath = WideFromAnsi(path);
    std::unique_ptr<Gdiplus::Bitmap> bitmap;
    if (!widePath.empty() && !DeclaresTooManyPixels(path)) {
        bitmap.reset(new Gdiplus::Bitmap(widePath.c_str(), /*useEmbeddedColorManagement=*/FALSE));
        if (!bitmap || bitmap->GetLastStatus() != Gdiplus::Ok || bitmap->GetWidth() == 0 ||
            bitmap->GetHeight() == 0)
            bitmap.reset();
    }
    return std::make_unique<GdiImage>(std::move(bitmap));
}

std::unique_ptr<Surface> NewSurface(int width, int height) {
    width = std::max(0, width);
    height = std::max(0, height);
    std::unique_ptr<Gdiplus::Bitmap> bitmap;
    if (width > 0 && height > 0 && width <= MaxSurfaceSide && height <= MaxSurfaceSide &&
        static_cast<long long>(width) * height <= MaxSurfacePixels) {
        bitmap.reset(new Gdiplus::Bitmap(width, height, PixelFormat32bppARGB));
        if (!bitmap || bitmap->GetLastStatus() != Gdiplus::Ok) {
            bitmap.reset();
        } else {
            // Not every GDI+ promises zeroed pixels; a new surface must be transparent.
            Gdiplus::Graphics graphics(bitmap.get());
            graphics.Clear(Gdiplus::Color(0, 0, 0, 0));
        }
    }
    return std::make_unique<GdiSurface>(width, height, std::move(bitmap));
}

void DcTarget::DrawSurface(const Surface& surface, Point at) {
    Gdiplus::Bitmap* bitmap = BitmapOf(surface);
    if (!dc_ || !bitmap) return;
    const int width = surface.Width();
    const int height = surface.Height();
    Gdiplus::Graphics graphics(dc_);
    // Source and destination rectangles of one size in pixels: drawn 1:1 whatever the
    // bitmap's resolution says.
    graphics.DrawImage(bitmap, Gdiplus::Rect(at.x, at.y, width, height), 0, 0, width, height,
                       Gdiplus::UnitPixel);
}

}  // namespace zylora::platform::win32
