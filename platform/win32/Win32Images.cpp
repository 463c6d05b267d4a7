// The images of this layer: the GDI+ session, bitmaps over our own pixels and their
// reduced copies.
#include "platform/win32/Win32Bitmaps.h"

#include <exception>
#include <functional>

#include "platform/win32/Win32Background.h"

namespace zylora::platform::win32 {

namespace {

struct Half {
    const std::function<void(int, int)>* work;
    int begin, end;
    std::exception_ptr failure;  // what the half threw, for the caller to throw again
};

DWORD WINAPI RunHalf(void* half) {
    auto* h = static_cast<Half*>(half);
    try {
        (*h->work)(h->begin, h->end);
    } catch (...) {
        h->failure = std::current_exception();
    }
    return 0;
}

// Runs work(begin, end) over [0, count) in two halves at once, the second on a thread of its
// own (every machine the program meets has two cores); all on this thread when no thread can
// be had.
}  // namespace

// Either half may throw: the helper's is carried over to this thread, and this thread's half
// waits for the helper's before it goes on unwinding, as the helper writes into what the
// caller owns.
void InHalves(int count, const std::function<void(int, int)>& work) {
    Half second{&work, count / 2, count, nullptr};
    HANDLE thread = count >= 2 ? StartThread(&RunHalf, &second) : nullptr;
    if (!thread) {
        work(0, count);
        return;
    }
    std::exception_ptr failure;
    try {
        work(0, second.begin);
    } catch (...) {
        failure = std::current_exception();
    }
    ::WaitForSingleObject(thread, INFINITE);
    ::CloseHandle(thread);
    if (!failure) failure = second.failure;
    if (failure) std::rethrow_exception(failure);
}

GdiplusSession::GdiplusSession() {
    Gdiplus::GdiplusStartupInput input;
    started_ = Gdiplus::GdiplusStartup(&token_, &input, nullptr) == Gdiplus::Ok;
}

GdiplusSession::~GdiplusSession() {
    if (started_) Gdiplus::GdiplusShutdown(token_);
}

const BitmapHolder* HolderOf(const Image& image) { return dynamic_cast<const BitmapHolder*>(&image); }

const PixelBuffer* BufferOf(const Image& image) {
    const BitmapHolder* holder = HolderOf(image);
    return holder ? holder->Buffer() : nullptr;
}

Gdiplus::Bitmap* BitmapOf(const Image& image) {
    const BitmapHolder* holder = HolderOf(image);
    return holder ? holder->Bitmap() : nullptr;
}

const std::uint32_t* PixelsOf(const Image& image) {
    const PixelBuffer* buffer = BufferOf(image);
    return buffer ? buffer->pixels.data() : nullptr;
}

std::optional<std::uint8_t> AlphaOf(Gdiplus::Bitmap* bitmap, const PixelBuffer* direct, int width,
                                    int height, int x, int y) {
    if (!bitmap || x < 0 || y < 0 || x >= width || y >= height) return std::nullopt;
    if (direct) return static_cast<std::uint8_t>(direct->pixels[static_cast<std::size_t>(y) * direct->width + x] >> 24);
    Gdiplus::Color color;
    if (bitmap->GetPixel(x, y, &color) != Gdiplus::Ok) return std::nullopt;
    return color.GetA();
}

std::unique_ptr<Image> ReducedCopy(const PixelBuffer* direct, bool opaque, int newWidth, int newHeight) {
    std::optional<DecodedPixels> copy;
    if (direct) copy = imaging::ReducePixels(*direct, opaque, {newWidth, newHeight}, InHalves);
    if (!copy) return std::make_unique<GdiImage>(nullptr);
    return std::make_unique<GdiImage>(std::move(*copy));
}

std::unique_ptr<Image> ImageOfPixels(DecodedPixels picture, std::optional<DecodedPixels> reduced) {
    auto premade = reduced ? std::make_unique<GdiImage>(std::move(*reduced)) : nullptr;
    if (premade && premade->Width() == 0) premade.reset();
    return std::make_unique<GdiImage>(std::move(picture), std::move(premade));
}

}  // namespace zylora::platform::win32
