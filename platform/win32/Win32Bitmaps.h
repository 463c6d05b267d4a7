// The images and surfaces of this layer: a GDI+ bitmap over pixels of the program's own
// memory, or, when that memory couldn't be had, a bitmap of GDI+'s own. Internal to
// platform/win32.
#pragma once

#include <cmath>
#include <memory>
#include <optional>

#include "imaging/Pixels.h"
#include "platform/win32/Win32Imaging.h"

namespace zylora::platform::win32 {

inline bool Finite(float value) { return std::isfinite(value); }
inline bool Finite(RectF r) { return Finite(r.left) && Finite(r.top) && Finite(r.width) && Finite(r.height); }

// Implemented by both images and surfaces, so BitmapOf serves either.
class BitmapHolder {
public:
    virtual ~BitmapHolder() = default;
    Gdiplus::Bitmap* Bitmap() const { return bitmap_.get(); }
    // The image's own memory, if it has any (not for decoded files).
    const PixelBuffer* Buffer() const { return buffer_.pixels.empty() ? nullptr : &buffer_; }
    // Every pixel is known to be opaque.
    bool Opaque() const { return opaque_; }
    bool Damaged() const { return damaged_; }
    bool Animated() const { return animated_; }
    int Pages() const { return pages_; }
    const imaging::PhotoFacts& Facts() const { return facts_; }

protected:
    explicit BitmapHolder(std::unique_ptr<Gdiplus::Bitmap> bitmap) : bitmap_(std::move(bitmap)) {}
    // The pixels, wrapped by the bitmap.
    void Adopt(DecodedPixels decoded) {
        buffer_ = std::move(decoded.pixels);
        opaque_ = decoded.opaque;
        damaged_ = decoded.damaged;
        animated_ = decoded.animated;
        pages_ = decoded.pages;
        facts_ = std::move(decoded.facts);
        Wrap();
    }
    // Turns or mirrors the pixels of our own memory. GDI+ must not do it: it may swap in
    // memory of its own behind the bitmap, leaving the buffer stale. False, and the pixels as
    // they were, when memory is short.
    bool RotateFlipOwnPixels(RotateFlipType type) {
        bitmap_.reset();  // it points into the buffer, which the turn may replace
        const bool turned = imaging::RotateFlipPixels(buffer_, type);
        Wrap();
        return turned;
    }
    PixelBuffer buffer_;
    std::unique_ptr<Gdiplus::Bitmap> bitmap_;
    bool opaque_ = false;
    bool damaged_ = false;
    bool animated_ = false;
    int pages_ = 1;
    imaging::PhotoFacts facts_;

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

const BitmapHolder* HolderOf(const Image& image);
// The image's own pixels, if it has any.
const PixelBuffer* BufferOf(const Image& image);
// The alpha of a pixel, from the own pixels when there are, else through the bitmap.
std::optional<std::uint8_t> AlphaOf(Gdiplus::Bitmap* bitmap, const PixelBuffer* direct, int width, int height, int x, int y);
// Image::Reduced of these pixels: a 0 x 0 image without pixels of our own (memory was short
// when the picture was decoded); the view then draws from the picture itself.
std::unique_ptr<Image> ReducedCopy(const PixelBuffer* direct, bool opaque, int newWidth, int newHeight);

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
        return ReducedCopy(Buffer(), this->Opaque(), width, height);
    }
    bool Opaque() const override { return BitmapHolder::Opaque(); }
    bool Damaged() const override { return BitmapHolder::Damaged(); }
    bool Animated() const override { return BitmapHolder::Animated(); }
    int Pages() const override { return BitmapHolder::Pages(); }
    imaging::PhotoFacts Facts() const override { return BitmapHolder::Facts(); }
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
    // A picture's memory serves the next picture of its size.
    ~GdiImage() override {
        bitmap_.reset();  // it points into the buffer
        imaging::KeepPictureMemory(std::move(buffer_));
    }
    std::unique_ptr<Image> Reduced(int width, int height) const override {
        if (premade_ && premade_->Width() == width && premade_->Height() == height) return std::move(premade_);
        return BitmapImage::Reduced(width, height);
    }
    bool RotateFlip(RotateFlipType type) override {
        premade_.reset();  // a reduction of the picture as it was
        return BitmapImage::RotateFlip(type);
    }
    std::string Refusal() const override { return refusal_; }
    void SetRefusal(std::string why) { refusal_ = std::move(why); }

private:
    mutable std::unique_ptr<GdiImage> premade_;
    std::string refusal_;
};

}  // namespace zylora::platform::win32
