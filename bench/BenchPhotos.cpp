#include "bench/BenchPhotos.h"

#include "platform/win32/Win32Api.h"

#include <objidl.h>
#include <gdiplus.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "bench/BenchSupport.h"
#include "platform/win32/Win32Text.h"

namespace zylora::bench {

namespace {

bool EncoderFor(const wchar_t* mime, CLSID& clsid) {
    UINT count = 0, bytes = 0;
    Gdiplus::GetImageEncodersSize(&count, &bytes);
    std::vector<unsigned char> buffer(bytes);
    auto* encoders = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
    Gdiplus::GetImageEncoders(count, bytes, encoders);
    for (UINT i = 0; i < count; ++i)
        if (wcscmp(encoders[i].MimeType, mime) == 0) {
            clsid = encoders[i].Clsid;
            return true;
        }
    return false;
}

}  // namespace

bool WritePhoto(const std::string& path, unsigned seed) {
    const int width = 6000, height = 4000;
    Gdiplus::Bitmap bitmap(width, height, PixelFormat24bppRGB);
    Gdiplus::Rect all(0, 0, width, height);
    Gdiplus::BitmapData data{};
    if (bitmap.LockBits(&all, Gdiplus::ImageLockModeWrite, PixelFormat24bppRGB, &data) != Gdiplus::Ok)
        return false;
    for (int y = 0; y < height; ++y) {
        auto* row = static_cast<unsigned char*>(data.Scan0) + static_cast<std::ptrdiff_t>(y) * data.Stride;
        for (int x = 0; x < width; ++x) {
            seed = seed * 1103515245u + 12345u;
            const int noise = static_cast<int>((seed >> 16) & 31) - 16;
            row[3 * x + 0] = static_cast<unsigned char>(std::clamp(60 + y * 150 / height + noise, 0, 255));
            row[3 * x + 1] = static_cast<unsigned char>(std::clamp(90 + ((x / 40 + y / 40) % 2) * 40 + noise, 0, 255));
            row[3 * x + 2] = static_cast<unsigned char>(std::clamp(200 - x * 150 / width + noise, 0, 255));
        }
    }
    bitmap.UnlockBits(&data);
    CLSID jpeg;
    if (!EncoderFor(L"image/jpeg", jpeg)) return false;
    const std::wstring wide = platform::win32::WideFromUtf8(path);
    return bitmap.Save(wide.c_str(), &jpeg, nullptr) == Gdiplus::Ok;
}

double PlainDecode(const std::string& path, int runs) {
    const std::wstring wide = platform::win32::WideFromUtf8(path);
    return Time(runs, [&] {
        Gdiplus::Bitmap bitmap(wide.c_str(), FALSE);
        if (bitmap.GetWidth() != 6000) std::printf("decode failed\n");
    });
}

}  // namespace zylora::bench
