// Surfaces of this layer: drawing on our own pixels where we can and through GDI+ where it
// must (text, paths), and copying them to a device context.
#include "platform/win32/Win32Bitmaps.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "imaging/Resample.h"
#include "platform/win32/Win32Text.h"

namespace zylora::platform::win32 {

namespace {

// Bigger surfaces are refused rather than left to exhaust a 32-bit address space: one side
// is limited like a window, and the pixels to 1 GiB.
constexpr int MaxSurfaceSide = 32767;
constexpr long long MaxSurfacePixels = 16384LL * 16384LL;

Gdiplus::RectF ToGdiplus(RectF r) { return {r.left, r.top, r.width, r.height}; }

class GdiSurface : public BitmapImage<Surface> {
public:
    // Without pixels when a side is 0 or below.
    GdiSurface(int width, int height, bool allocate) : BitmapImage(nullptr, width, height) {
        if (!allocate) return;
        if (std::optional<DecodedPixels> blank = imaging::RecycledBlankPixels(width, height)) Adopt(std::move(*blank));
    }
    // A window-sized surface is made anew at every step of a resize: its memory serves the next.
    ~GdiSurface() override {
        bitmap_.reset();  // it points into the buffer
        imaging::RecyclePixels(std::move(buffer_));
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
            imaging::FillTiled({texture->pixels.data(), texture->width, texture->height}, HolderOf(image)->Opaque(),
                               scaleX, scaleY, area, {buffer_.pixels.data(), width_, height_});
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
        Gdiplus::GraphicsPath path(Gdiplus::FillModeAlternate);
        if (!bitmap_ || !TextPath(text, style, layout, 0, path)) return;
        Gdiplus::SolidBrush brush{Gdiplus::Color(color)};
        Gdiplus::Graphics graphics(bitmap_.get());
        Prepare(graphics);
        const std::unique_ptr<Gdiplus::GraphicsPath> filled = WithoutEmptyFigures(path);
        graphics.FillPath(&brush, filled ? filled.get() : &path);
    }

    float TextWidth(const std::string& text, const TextStyle& style) override {
        // The room the layout takes (each letter's advance), which FillText's layout must give
        // it whole: the ink alone ends short of the last letter's side bearing.
        const std::wstring wide = WideFromUtf8(text);
        if (!bitmap_ || wide.empty() || !Finite(style.emSize) || style.emSize <= 0) return 0;
        const std::wstring familyName = WideFromUtf8(style.fontFamily);
        Gdiplus::FontFamily named(familyName.c_str());
        Gdiplus::FontFamily installed;
        const Gdiplus::FontFamily* family = FamilyOrFallback(named, installed);
        if (!family) return 0;
        const Gdiplus::Font font(family, style.emSize, style.style & 15, Gdiplus::UnitPixel);
        Gdiplus::StringFormat format(Gdiplus::StringFormatFlagsNoWrap);
        Gdiplus::Graphics graphics(bitmap_.get());
        Gdiplus::RectF box;
        if (graphics.MeasureString(wide.c_str(), static_cast<INT>(wide.size()), &font, Gdiplus::PointF(0, 0), &format,
                                   &box) != Gdiplus::Ok)
            return 0;
        return box.X + box.Width;
    }

    void DrawImageRect(const Image& image, RectF s, RectF d) override { DrawStretched(image, s, d, false); }
    void DrawImageRectQuickly(const Image& image, RectF s, RectF d) override { DrawStretched(image, s, d, true); }

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
    // The text as GDI+ adds it to a path: the style's font (or the fallback family) in the
    // layout rectangle. False for no text or no font.
    static bool TextPath(const std::string& text, const TextStyle& style, RectF layout, INT flags,
                         Gdiplus::GraphicsPath& path) {
        const std::wstring wide = WideFromUtf8(text);
        if (wide.empty() || !Finite(style.emSize) || style.emSize <= 0 || !Finite(layout)) return false;
        const std::wstring familyName = WideFromUtf8(style.fontFamily);
        Gdiplus::FontFamily named(familyName.c_str());
        Gdiplus::FontFamily installed;
        const Gdiplus::FontFamily* family = FamilyOrFallback(named, installed);
        if (!family) return false;
        Gdiplus::StringFormat format(flags);
        format.SetAlignment(Alignment(style.horAlign));
        format.SetLineAlignment(Alignment(style.verAlign));
        // The style bits are GDI+'s own: bold, italic, underline, strikeout.
        path.AddString(wide.c_str(), static_cast<INT>(wide.size()), family, style.style & 15, style.emSize,
                       ToGdiplus(layout), &format);
        return true;
    }

    // The source rectangle stretched into the destination: bilinear, or with the nearest
    // source pixel when `quick`.
    void DrawStretched(const Image& image, RectF s, RectF d, bool quick) {
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
        // Pixels of our own on both sides: drawn by the pipeline, many times faster than GDI+.
        // Nothing drawn over the surface later can make a pixel less opaque.
        if (const PixelBuffer* from = BufferOf(image); from && !buffer_.pixels.empty()) {
            if (imaging::DrawStretched({from->pixels.data(), from->width, from->height}, HolderOf(image)->Opaque(), s,
                                       {buffer_.pixels.data(), width_, height_}, d, quick))
                opaque_ = true;
            return;
        }
        const float kx = d.width / s.width;
        const float ky = d.height / s.height;
        const Gdiplus::RectF target(d.left + (left - s.left) * kx, d.top + (top - s.top) * ky,
                                    (right - left) * kx, (bottom - top) * ky);
        Gdiplus::Graphics graphics(bitmap_.get());
        Prepare(graphics);
        if (quick) graphics.SetInterpolationMode(Gdiplus::InterpolationModeNearestNeighbor);
        graphics.DrawImage(source, target, left, top, right - left, bottom - top, Gdiplus::UnitPixel);
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

    // Wine outlines some glyphs (the "u" before an "r") with an extra figure of a single
    // point, and its fill then drops every figure after it: the rest of the text. Figures of
    // fewer than three points enclose nothing and are left out. Null when there are none.
    static std::unique_ptr<Gdiplus::GraphicsPath> WithoutEmptyFigures(const Gdiplus::GraphicsPath& path) {
        Gdiplus::PathData data;
        if (path.GetPathData(&data) != Gdiplus::Ok || data.Count <= 0) return nullptr;
        const auto starts = [&](INT i) { return (data.Types[i] & Gdiplus::PathPointTypePathTypeMask) == Gdiplus::PathPointTypeStart; };
        std::vector<Gdiplus::PointF> points;
        std::vector<BYTE> types;
        bool dropped = false;
        for (INT begin = 0; begin < data.Count;) {
            INT end = begin + 1;
            while (end < data.Count && !starts(end)) ++end;
            if (end - begin >= 3) {
                points.insert(points.end(), data.Points + begin, data.Points + end);
                types.insert(types.end(), data.Types + begin, data.Types + end);
            } else {
                dropped = true;
            }
            begin = end;
        }
        if (!dropped) return nullptr;
        return std::make_unique<Gdiplus::GraphicsPath>(points.data(), types.data(), static_cast<INT>(points.size()),
                                                       Gdiplus::FillModeAlternate);
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

}  // namespace

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
