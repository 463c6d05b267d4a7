#include "platform/win32/Win32Imaging.h"

#include <algorithm>

#include "platform/win32/Win32Text.h"

namespace zylora::platform::win32 {

namespace {

// Bigger surfaces are refused rather than left to exhaust a 32-bit address space: one side
// is limited like a window, and the pixels to 1 GiB.
constexpr int MaxSurfaceSide = 32767;
constexpr long long MaxSurfacePixels = 16384LL * 16384LL;

// Implemented by both images and surfaces, so BitmapOf serves either.
class BitmapHolder {
public:
    virtual ~BitmapHolder() = default;
    Gdiplus::Bitmap* Bitmap() const { return bitmap_.get(); }

protected:
    explicit BitmapHolder(std::unique_ptr<Gdiplus::Bitmap> bitmap) : bitmap_(std::move(bitmap)) {}
    std::unique_ptr<Gdiplus::Bitmap> bitmap_;
};

std::optional<std::uint8_t> AlphaOf(Gdiplus::Bitmap* bitmap, int width, int height, int x, int y) {
    if (!bitmap || x < 0 || y < 0 || x >= width || y >= height) return std::nullopt;
    Gdiplus::Color color;
    if (bitmap->GetPixel(x, y, &color) != Gdiplus::Ok) return std::nullopt;
    return color.GetA();
}

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

    void DrawImage(const Image& image, Rect d) override {
        Gdiplus::Bitmap* source = BitmapOf(image);
        // GDI+ can't draw a bitmap onto itself.
        if (!bitmap_ || !source || source == bitmap_.get()) return;
        Gdiplus::Graphics graphics(bitmap_.get());
        graphics.DrawImage(source, Gdiplus::Rect(d.left, d.top, d.width, d.height));
    }

    void Clear(Argb color) override {
        if (!bitmap_) return;
        Gdiplus::Graphics graphics(bitmap_.get());
        graphics.Clear(Gdiplus::Color(color));
    }

private:
    int width_;
    int height_;
};

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

std::unique_ptr<Image> DecodeImageFile(const std::string& path) {
    const std::wstring widePath = WideFromAnsi(path);
    std::unique_ptr<Gdiplus::Bitmap> bitmap;
    if (!widePath.empty()) {
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
