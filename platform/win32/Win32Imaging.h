// Images and surfaces on GDI+ bitmaps, and drawing them on a device context. Internal to
// platform/win32: later drawing code reaches the bitmap through BitmapOf.
#pragma once

#include "platform/win32/Win32Api.h"
// gdiplus.h needs the COM declarations that WIN32_LEAN_AND_MEAN leaves out.
#include <objidl.h>
#include <gdiplus.h>

#include <cstdint>
#include <memory>
#include <string>

#include "platform/ImageHeader.h"
#include "platform/Platform.h"

namespace zylora::platform::win32 {

// GdiplusStartup for the life of the object. Every GDI+ object (image, surface, Graphics)
// must be gone before this one dies: GdiplusShutdown frees what they point to.
class GdiplusSession {
public:
    GdiplusSession();
    ~GdiplusSession();
    GdiplusSession(const GdiplusSession&) = delete;
    GdiplusSession& operator=(const GdiplusSession&) = delete;
    bool Started() const { return started_; }

private:
    ULONG_PTR token_ = 0;
    bool started_ = false;
};

// The bitmap behind an image or surface of this layer; null for an empty one or for an
// image of another implementation.
Gdiplus::Bitmap* BitmapOf(const Image& image);

// The image's pixels in memory of the program's own, rows of Width() straight ARGB pixels
// without padding; null when it has none.
const std::uint32_t* PixelsOf(const Image& image);

// A file decoded with GDI+, without its embedded colour profile; a 0 x 0 image when the
// file is missing or not a picture.
std::unique_ptr<Image> DecodeImageFile(const std::string& path, const DecodeLimit& limit);

// A transparent 32-bit ARGB surface; empty (no pixels, but keeping the size asked for,
// clamped to 0) when a side is 0 or below or the pixels can't be had.
std::unique_ptr<Surface> NewSurface(int width, int height);

// Drawing on a device context the target does not own (a paint DC, or one held by a
// derived class).
class DcTarget : public ScreenTarget {
public:
    explicit DcTarget(HDC dc) : dc_(dc) {}
    void DrawSurface(const Surface& surface, Point at) override;

private:
    HDC dc_;
};

}  // namespace zylora::platform::win32
