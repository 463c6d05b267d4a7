// Images and surfaces on GDI+ bitmaps, decoding picture files into them, and drawing them on
// a device context. Internal to platform/win32: later drawing code reaches the bitmap
// through BitmapOf.
#pragma once

#include "platform/win32/Win32Api.h"
// gdiplus.h needs the COM declarations that WIN32_LEAN_AND_MEAN leaves out.
#include <objidl.h>
#include <gdiplus.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "imaging/Decoding.h"
#include "imaging/ImageHeader.h"
#include "imaging/Pixels.h"
#include "platform/Platform.h"

struct IWICImagingFactory;

namespace zylora::platform::win32 {

// The pipeline's buffers and limits, which this layer's decoding, images and threads pass
// around throughout; and the kept picture memory, which a thread falling idle lets go of.
using imaging::DecodedPixels;
using imaging::DecodeLimit;
using imaging::FreeKeptPictureMemory;
using imaging::PictureLimit;
using imaging::PixelBuffer;
using imaging::SkinImageLimit;

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

// The imaging component's factory for one thread's decoding, made once, at its first use:
// making one for each image costs a walk through the registry under Wine, and a start that
// decodes only small skin images in memory never loads the component (2-5 ms under Wine).
// Empty when COM isn't started on the thread; decoding then goes through GDI+ alone. It
// must go before the thread's CoUninitialize.
class ImagingComponent {
public:
    ImagingComponent() = default;
    ~ImagingComponent();
    ImagingComponent(const ImagingComponent&) = delete;
    ImagingComponent& operator=(const ImagingComponent&) = delete;
    IWICImagingFactory* Factory() const;

private:
    mutable std::once_flag made_;
    mutable IWICImagingFactory* factory_ = nullptr;
};

// COM (a multithreaded apartment) and an imaging component for a thread the program starts
// itself, for as long as the object lives on that thread.
class ThreadImaging {
public:
    ThreadImaging();
    ~ThreadImaging();
    ThreadImaging(const ThreadImaging&) = delete;
    ThreadImaging& operator=(const ThreadImaging&) = delete;
    const ImagingComponent& Component() const { return *component_; }

private:
    bool com_ = false;
    std::unique_ptr<ImagingComponent> component_;
};

// A file decoded without its embedded colour profile, by the imaging component when one is
// given and it reads the format, else by GDI+; a 0 x 0 image when the file is missing or
// not a picture.
std::unique_ptr<Image> DecodeImageFile(const std::string& path, const DecodeLimit& limit,
                                       const ImagingComponent* component);

// The page of a file of several pages (a TIFF's), from 0, as the imaging component reads it;
// an empty image for a page that isn't there.
std::unique_ptr<Image> DecodePageFile(const std::string& path, int page, const ImagingComponent* component);

// Images and surfaces keep their pixels in memory of our own (PixelBuffer), so the hot
// paths (clearing, 1:1 copies, copies to the screen) work on the memory directly instead of
// through GDI+'s per-pixel machinery, which Wine runs slowly.

// The same decoding into pixels alone, with no GDI+ object left behind: it may run on any
// thread, and the pixels be made into an image on another. Nothing when the file isn't a
// picture within the limit or memory is short, or once `cancelled` (asked between bands, when
// given) says nobody wants them any more.
std::optional<DecodedPixels> DecodePixels(const std::string& path, const DecodeLimit& limit,
                                         const ImagingComponent* component,
                                         const std::function<bool()>& cancelled = nullptr);
// What a first look at a large JPEG (Platform::DecodePreview) takes; nothing when the file
// isn't a JPEG within the limit, or a reduced decode wouldn't cover what `neededFor` asks for
// the upright size. Any thread.
std::optional<imaging::PreviewPlan> PlanPreview(const std::string& path, const DecodeLimit& limit,
                                                const std::function<Size(Size)>& neededFor);
// The reduced pixels, upright and in the display's colours. Any thread.
std::optional<DecodedPixels> DecodePreviewPixels(const std::string& path, const imaging::PreviewPlan& plan);
// Runs work(begin, end) over [0, count) in two halves at once, the second on a thread of its
// own; all on this thread when no thread can be had. A Parallel for the portable pixel work.
void InHalves(int count, const std::function<void(int, int)>& work);

// The pixels as an image; `reduced` is a reduction of them made ahead of time, which the
// image's Reduced gives when asked for its size.
std::unique_ptr<Image> ImageOfPixels(DecodedPixels picture, std::optional<DecodedPixels> reduced);

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
