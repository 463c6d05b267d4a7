#include "platform/win32/Win32Clipboard.h"

#include <objidl.h>

#include <cstring>
#include <vector>

#include "platform/win32/Win32Bitmaps.h"
#include "platform/win32/Win32Handles.h"
#include "platform/win32/Win32Text.h"

namespace zylora::platform::win32 {

namespace {

// A block of movable global memory holding the bytes, which the clipboard takes over.
HGLOBAL GlobalCopy(const void* first, std::size_t firstSize, const void* second = nullptr, std::size_t secondSize = 0) {
    HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, firstSize + secondSize);
    if (!block) return nullptr;
    auto* at = static_cast<unsigned char*>(::GlobalLock(block));
    if (!at) {
        ::GlobalFree(block);
        return nullptr;
    }
    std::memcpy(at, first, firstSize);
    if (second) std::memcpy(at + firstSize, second, secondSize);
    ::GlobalUnlock(block);
    return block;
}

// The image's straight ARGB rows: its own memory's, else read through GDI+.
std::vector<std::uint32_t> PixelsOfImage(const Image& image) {
    const int width = image.Width(), height = image.Height();
    std::vector<std::uint32_t> pixels;
    if (width <= 0 || height <= 0) return pixels;
    if (const PixelBuffer* own = BufferOf(image)) return {own->pixels.begin(), own->pixels.end()};
    Gdiplus::Bitmap* bitmap = BitmapOf(image);
    if (!bitmap) return pixels;
    pixels.resize(static_cast<std::size_t>(width) * height);
    Gdiplus::BitmapData data{};
    data.Width = static_cast<UINT>(width);
    data.Height = static_cast<UINT>(height);
    data.Stride = width * 4;
    data.PixelFormat = PixelFormat32bppARGB;
    data.Scan0 = pixels.data();
    Gdiplus::Rect all(0, 0, width, height);
    if (bitmap->LockBits(&all, Gdiplus::ImageLockModeRead | Gdiplus::ImageLockModeUserInputBuf, PixelFormat32bppARGB,
                         &data) != Gdiplus::Ok)
        return {};
    bitmap->UnlockBits(&data);
    return pixels;
}

// The rows bottom up, as a DIB whose height is positive stores them.
std::vector<std::uint32_t> BottomUp(const std::vector<std::uint32_t>& pixels, int width, int height) {
    std::vector<std::uint32_t> rows(pixels.size());
    for (int y = 0; y < height; ++y)
        std::memcpy(&rows[static_cast<std::size_t>(height - 1 - y) * width], &pixels[static_cast<std::size_t>(y) * width],
                    static_cast<std::size_t>(width) * 4);
    return rows;
}

std::optional<CLSID> PngEncoder() {
    UINT count = 0, bytes = 0;
    if (Gdiplus::GetImageEncodersSize(&count, &bytes) != Gdiplus::Ok || bytes == 0) return std::nullopt;
    std::vector<unsigned char> room(bytes);
    auto* encoders = reinterpret_cast<Gdiplus::ImageCodecInfo*>(room.data());
    if (Gdiplus::GetImageEncoders(count, bytes, encoders) != Gdiplus::Ok) return std::nullopt;
    for (UINT i = 0; i < count; ++i)
        if (std::wcscmp(encoders[i].MimeType, L"image/png") == 0) return encoders[i].Clsid;
    return std::nullopt;
}

// The pixels as a PNG file, in a block for the clipboard; nothing when GDI+ couldn't write it.
HGLOBAL PngBlock(std::vector<std::uint32_t>& pixels, int width, int height) {
    const std::optional<CLSID> encoder = PngEncoder();
    if (!encoder) return nullptr;
    Gdiplus::Bitmap bitmap(width, height, width * 4, PixelFormat32bppARGB, reinterpret_cast<BYTE*>(pixels.data()));
    Com<IStream> stream;
    if (bitmap.GetLastStatus() != Gdiplus::Ok || FAILED(::CreateStreamOnHGlobal(nullptr, TRUE, stream.Receive())) ||
        bitmap.Save(stream.Get(), &*encoder, nullptr) != Gdiplus::Ok)
        return nullptr;
    STATSTG stat{};
    if (FAILED(stream->Stat(&stat, STATFLAG_NONAME)) || stat.cbSize.QuadPart > 0x7FFFFFFF) return nullptr;
    std::vector<unsigned char> png(static_cast<std::size_t>(stat.cbSize.QuadPart));
    LARGE_INTEGER start{};
    ULONG read = 0;
    if (FAILED(stream->Seek(start, STREAM_SEEK_SET, nullptr)) ||
        FAILED(stream->Read(png.data(), static_cast<ULONG>(png.size()), &read)) || read != png.size())
        return nullptr;
    return GlobalCopy(png.data(), png.size());
}

// The clipboard, opened for the window; another program may hold it for a moment.
class OpenedClipboard {
public:
    explicit OpenedClipboard(HWND owner) {
        for (int tries = 0; tries < 10 && !(open_ = ::OpenClipboard(owner) != FALSE); ++tries) ::Sleep(10);
        if (open_) ::EmptyClipboard();
    }
    ~OpenedClipboard() {
        if (open_) ::CloseClipboard();
    }
    OpenedClipboard(const OpenedClipboard&) = delete;
    OpenedClipboard& operator=(const OpenedClipboard&) = delete;
    bool Open() const { return open_; }
    // The clipboard owns the block once it took it; one it refused is freed here.
    bool Put(UINT format, HGLOBAL block) {
        if (!block) return false;
        if (::SetClipboardData(format, block)) return true;
        ::GlobalFree(block);
        return false;
    }

private:
    bool open_ = false;
};

}  // namespace

bool PutImageOnClipboard(HWND owner, const Image& image) {
    const int width = image.Width(), height = image.Height();
    std::vector<std::uint32_t> pixels = PixelsOfImage(image);
    if (pixels.empty()) return false;
    const std::vector<std::uint32_t> rows = BottomUp(pixels, width, height);
    const std::size_t size = rows.size() * 4;

    BITMAPINFOHEADER plain{};
    plain.biSize = sizeof plain;
    plain.biWidth = width;
    plain.biHeight = height;
    plain.biPlanes = 1;
    plain.biBitCount = 32;
    plain.biCompression = BI_RGB;
    plain.biSizeImage = static_cast<DWORD>(size);

    // The version 5 header names the alpha's bits, so a reader that looks there keeps them.
    BITMAPV5HEADER withAlpha{};
    withAlpha.bV5Size = sizeof withAlpha;
    withAlpha.bV5Width = width;
    withAlpha.bV5Height = height;
    withAlpha.bV5Planes = 1;
    withAlpha.bV5BitCount = 32;
    withAlpha.bV5Compression = BI_BITFIELDS;
    withAlpha.bV5SizeImage = static_cast<DWORD>(size);
    withAlpha.bV5RedMask = 0x00FF0000;
    withAlpha.bV5GreenMask = 0x0000FF00;
    withAlpha.bV5BlueMask = 0x000000FF;
    withAlpha.bV5AlphaMask = 0xFF000000;
    withAlpha.bV5CSType = 0x73524742;  // LCS_sRGB, whose 'sRGB' the compiler warns of
    withAlpha.bV5Intent = LCS_GM_IMAGES;

    HGLOBAL png = PngBlock(pixels, width, height);
    OpenedClipboard clipboard(owner);
    if (!clipboard.Open()) {
        if (png) ::GlobalFree(png);
        return false;
    }
    const bool dib = clipboard.Put(CF_DIB, GlobalCopy(&plain, sizeof plain, rows.data(), size));
    clipboard.Put(CF_DIBV5, GlobalCopy(&withAlpha, sizeof withAlpha, rows.data(), size));
    const bool pngPut = clipboard.Put(::RegisterClipboardFormatW(L"PNG"), png);
    return dib || pngPut;
}

bool PutTextOnClipboard(HWND owner, const std::string& text) {
    const std::wstring wide = WideFromUtf8(text);
    OpenedClipboard clipboard(owner);
    return clipboard.Open() && clipboard.Put(CF_UNICODETEXT, GlobalCopy(wide.c_str(), (wide.size() + 1) * sizeof(wchar_t)));
}

}  // namespace zylora::platform::win32
