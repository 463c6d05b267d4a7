#include "bench/ColourBench.h"

#include <lcms2.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "bench/BenchSupport.h"
#include "imaging/ColourManagement.h"
#include "platform/win32/Win32Imaging.h"

namespace zylora::bench {

namespace {

std::string AdobeRgb() {
    cmsCIExyY white;
    cmsWhitePointFromTemp(&white, 6504);
    const cmsCIExyYTRIPLE primaries{{0.64, 0.33, 1}, {0.21, 0.71, 1}, {0.15, 0.06, 1}};
    cmsToneCurve* curve = cmsBuildGamma(nullptr, 563.0 / 256);
    cmsToneCurve* curves[3] = {curve, curve, curve};
    cmsHPROFILE profile = cmsCreateRGBProfile(&white, &primaries, curves);
    cmsUInt32Number size = 0;
    cmsSaveProfileToMem(profile, nullptr, &size);
    std::string bytes(size, '\0');
    cmsSaveProfileToMem(profile, bytes.data(), &size);
    cmsCloseProfile(profile);
    cmsFreeToneCurve(curve);
    return bytes;
}

}  // namespace

bool WriteWithAdobeRgbProfile(const std::string& from, const std::string& to) {
    if (std::ifstream(to, std::ios::binary)) return true;
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(to).parent_path(), error);
    std::ifstream in(from, std::ios::binary);
    const std::string jpeg((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::string profile = AdobeRgb();
    if (jpeg.size() < 2 || profile.empty() || profile.size() > 65000) return false;
    const std::string content = std::string("ICC_PROFILE\0\x01\x01", 14) + profile;
    const auto length = content.size() + 2;
    const std::string segment = std::string("\xFF\xE2", 2) + static_cast<char>(length >> 8) +
                                static_cast<char>(length & 0xFF) + content;
    std::ofstream out(to, std::ios::binary);
    out << jpeg.substr(0, 2) << segment << jpeg.substr(2);
    return static_cast<bool>(out);
}

double ConvertTwentyFourMegapixels() {
    auto conversion = imaging::ColourConversion::Between(AdobeRgb(), imaging::ColourModel::Rgb, "");
    imaging::PixelBuffer pixels{imaging::PixelWords(6000u * 4000u), 6000, 4000};
    for (std::size_t i = 0; i < pixels.pixels.size(); ++i)
        pixels.pixels[i] = 0xFF000000u | static_cast<std::uint32_t>(i * 2654435761u >> 8);
    return Time(3, [&] { imaging::ConvertColours(pixels, *conversion, platform::win32::InHalves); });
}

}  // namespace zylora::bench
