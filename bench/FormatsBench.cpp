#include "bench/FormatsBench.h"

#include <webp/decode.h>

#include <cstdio>
#include <functional>
#include <vector>

#include "bench/BenchSupport.h"
#include "imaging/AvifDecoder.h"
#include "imaging/HeicDecoder.h"
#include "imaging/JxlDecoder.h"
#include "platform/win32/Win32HeifLibrary.h"

namespace zylora::bench {

namespace {

struct Format {
    const char* row;
    const char* file;
    const char* baselineName;
    // The library's own decode of the file's bytes, read from the disk as the open reads them.
    std::function<bool(const std::string& bytes)> plain;
};

// A phone's photo shows its reduced copy while its full pixels take seconds: the open's
// first look, against the plain decode of the whole.
void ReportFirstLook(platform::Platform& platform, const std::string& path, double plainDecode) {
    std::vector<double> look;
    bool shown = true;
    for (int i = 0; i < 5; ++i) {
        look.push_back(Time(1, [&] {
            std::optional<platform::Platform::PicturePreview> preview =
                platform.DecodePreview(path, [](platform::Size size) { return size; }, [] {});
            shown = preview && preview->image && shown;
        }));
    }
    if (!shown) std::printf("| %-46s | no reduced copy was shown |\n", "first look at a 12 MP HEIC");
    Report("first look at a 12 MP HEIC", Median(look), "libheif's decode", plainDecode, "<= 0.3 x");
}

}  // namespace

void ReportFormats(platform::Platform& platform, const std::string& folder) {
    const Format formats[] = {
        {"open of a 12 MP WebP", "photo.webp", "libwebp's decode",
         [](const std::string& bytes) {
             int w = 0, h = 0;
             std::uint8_t* pixels =
                 WebPDecodeBGRA(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), &w, &h);
             WebPFree(pixels);
             return pixels != nullptr;
         }},
        {"open of a 12 MP AVIF", "photo.avif", "dav1d's decode, our reader",
         [](const std::string& bytes) { return imaging::AvifPixels(bytes, imaging::PictureLimit).has_value(); }},
        {"open of a 12 MP HEIC", "photo.heic", "libheif's decode",
         [](const std::string& bytes) {
             return imaging::HeicPixels(platform::win32::HeifLibrary(), bytes, imaging::PictureLimit).has_value();
         }},
        {"open of a 12 MP JPEG XL", "photo.jxl", "libjxl's decode",
         [](const std::string& bytes) { return imaging::JxlPixels(bytes, imaging::PictureLimit).has_value(); }},
    };
    for (const Format& f : formats) {
        const std::string path = folder + "formats\\" + f.file;
        if (!platform.Files().FileExists(path)) {
            std::printf("| %-46s | no %s: scripts/bench.sh makes it |\n", f.row, f.file);
            continue;
        }
        // Alternated, so that a busy moment of the machine weighs on both alike.
        std::vector<double> plain, own;
        bool decoded = true;
        for (int i = 0; i < 5; ++i) {
            plain.push_back(Time(1, [&] {
                const std::optional<std::string> bytes = platform.Files().ReadFile(path);
                decoded = bytes && f.plain(*bytes) && decoded;
            }));
            own.push_back(Time(1, [&] {
                decoded = platform.DecodeImage(path)->Width() > 0 && decoded;
            }));
        }
        if (!decoded) std::printf("| %-46s | a decode failed |\n", f.row);
        Report(f.row, Median(own), f.baselineName, Median(plain), "<= 1.1 x");
        if (std::string(f.file) == "photo.heic") ReportFirstLook(platform, path, Median(plain));
    }
}

}  // namespace zylora::bench
