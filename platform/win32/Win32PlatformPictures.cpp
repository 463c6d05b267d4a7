#include "platform/win32/Win32PlatformImpl.h"

#include "imaging/ScreenScale.h"
#include "platform/win32/Win32Bitmaps.h"

namespace zylora::platform::win32 {

// Without `lookReady` the full decode starts first, on a thread of its own, so that the
// reduced one on this thread costs the open nothing on a second core. With it, the look is
// made on a thread of its own and the full decode waits to be begun, once the look is in: the
// two would share the processor with the decode's own second thread and the user's, and the
// look, which most of all must come soon, came a half later beside it (a held key's steps
// want only the looks).
std::optional<Platform::PicturePreview> Win32Platform::DecodePreview(const std::string& path,
                                                                     const std::function<Size(Size)>& neededFor,
                                                                     std::function<void()> ready,
                                                                     std::function<void()> lookReady) {
    std::optional<LookMadeAhead> ahead = std::exchange(lookAhead_, std::nullopt);
    if (!gdiplus_.Started()) return std::nullopt;
    if (pictures_->Holds(path)) {
        if (!lookReady) return std::nullopt;
        return HeldPicture(path, std::move(lookReady));
    }
    // A look made ahead was planned from the file's header a step ago: read again, it would
    // only hold up the step (at a busy moment, the read took 20 ms).
    const bool madeAhead = lookReady && ahead && ahead->path == path;
    const std::optional<imaging::PreviewPlan> plan =
        madeAhead ? std::optional(ahead->plan) : PlanPreview(path, PictureLimit, neededFor);
    if (!plan) return std::nullopt;
    PicturePreview preview{nullptr, plan->upright, nullptr, nullptr};
    // One being read ahead just now is taken over by the open.
    auto full = FullDecodeOf(path, lookReady != nullptr, std::move(ready));
    if (lookReady) {
        preview.look = std::make_unique<PendingLook>(
            *background_, madeAhead ? std::move(ahead->task) : LookOf(path, *plan), std::move(lookReady));
    } else if (std::optional<DecodedPixels> pixels = DecodePreviewPixels(path, *plan)) {
        preview.image = ImageOfPixels(std::move(*pixels), std::nullopt);
    }
    preview.full = std::move(full);
    return preview;
}

// A picture read ahead comes whole, as a look would: its arrival from the messages once the
// service has handed it over (it checks first that the file is unchanged), with no look of
// its own. Taken at once instead, the open waited for that check on the user's thread: 8-13
// ms of a held key's step while the next looks kept both cores busy.
Platform::PicturePreview Win32Platform::HeldPicture(const std::string& path, std::function<void()> arrived) {
    auto task = std::make_shared<LookTask>();
    task->pixels.Give(std::nullopt);  // no look: the open takes the whole picture
    auto full = FullDecodeOf(path, false, [task] { task->End(); });
    return PicturePreview{nullptr, Size{}, std::move(full),
                          std::make_unique<PendingLook>(*background_, task, std::move(arrived))};
}

std::unique_ptr<PendingPicture> Win32Platform::FullDecodeOf(const std::string& path, bool later,
                                                            std::function<void()> ready) {
    return std::make_unique<PendingPicture>(
        *pictures_, *background_, [this, path] { return pictures_->Open(path, reducedFor_); }, later,
        [this, path] { return DecodeImageFile(path, PictureLimit, imaging_.get()); }, std::move(ready));
}

// A held key's next picture: its look is made beside the one being made, on the other core.
// One read ahead opens without a look (HeldPicture).
void Win32Platform::LookAhead(const std::string& path, const std::function<Size(Size)>& neededFor) {
    if (lookAhead_ && lookAhead_->path == path) return;
    lookAhead_.reset();
    if (!gdiplus_.Started() || pictures_->Holds(path)) return;
    const std::optional<imaging::PreviewPlan> plan = PlanPreview(path, PictureLimit, neededFor);
    if (!plan) return;
    lookAhead_ = LookMadeAhead{path, *plan, LookOf(path, *plan)};
}

std::shared_ptr<LookTask> Win32Platform::LookOf(const std::string& path, const imaging::PreviewPlan& plan) {
    return StartLook(*background_, [path, plan] { return DecodePreviewPixels(path, plan); });
}

std::unique_ptr<Image> Win32Platform::ImageForDpi(const Image& image, int dpi) {
    const PixelBuffer* pixels = BufferOf(image);
    if (!pixels) return nullptr;
    std::optional<DecodedPixels> scaled = imaging::PixelsForDpi(*pixels, image.Opaque(), dpi);
    if (!scaled) return nullptr;
    return ImageOfPixels(std::move(*scaled), std::nullopt);
}

std::unique_ptr<Image> Win32Platform::DecodeImage(const std::string& path) {
    const auto here = [this, &path] {
        return DecodeImageFile(gdiplus_.Started() ? path : std::string(), PictureLimit, imaging_.get());
    };
    if (!gdiplus_.Started()) return here();
    // One read ahead comes at once, one being read ahead as soon as its decode ends; any other
    // is decoded by the service's foreground thread, as every picture opened is.
    const imaging::JobId job = pictures_->Open(path, reducedFor_);
    std::optional<imaging::JobResult> result = pictures_->Wait(job, PictureWaitLimit);
    if (!result) pictures_->Cancel(job);
    return ImageOfResult(std::move(result), here);
}

std::unique_ptr<Image> Win32Platform::ImageOf(const imaging::PixelBuffer& pixels) {
    std::optional<DecodedPixels> copy = imaging::PixelsToFill(pixels.width, pixels.height);
    if (!copy) return DecodeImageFile(std::string(), PictureLimit, nullptr);
    std::copy(pixels.pixels.begin(), pixels.pixels.end(), copy->pixels.pixels.begin());
    copy->opaque = imaging::AllOpaque(copy->pixels.pixels);
    return ImageOfPixels(std::move(*copy), std::nullopt);
}

}  // namespace zylora::platform::win32
