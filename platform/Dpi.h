// Sizes of skins and button sets are pixels of a 96-DPI screen; a screen of more dots per
// inch gets them multiplied by its scale (120 DPI is 125 %, 192 DPI 200 %). Pictures are never
// scaled so: one picture pixel is one screen pixel.
#pragma once

#include <cstdint>
#include <string>

namespace zylora::platform {

constexpr int BaseDpi = 96;

// The value at the screen's scale, rounded half away from zero, kept inside int.
constexpr int ScaledToDpi(long long value, int dpi) {
    if (dpi == BaseDpi || dpi <= 0) return static_cast<int>(value < INT32_MIN ? INT32_MIN : value > INT32_MAX ? INT32_MAX : value);
    const long long times = value * dpi;
    const long long scaled = (times >= 0 ? times + BaseDpi / 2 : times - BaseDpi / 2) / BaseDpi;
    return scaled > INT32_MAX ? INT32_MAX : scaled < INT32_MIN ? INT32_MIN : static_cast<int>(scaled);
}

// The scale's suffix of an image drawn for it ("@2x", "@1.5x", "@1.25x"); empty at 96 DPI and
// for a scale that two decimals don't write exactly.
inline std::string DpiSuffix(int dpi) {
    if (dpi <= 0 || dpi == BaseDpi || (dpi * 100) % BaseDpi != 0) return {};
    const int hundredths = dpi * 100 / BaseDpi;
    std::string text = "@" + std::to_string(hundredths / 100);
    if (const int rest = hundredths % 100; rest != 0) {
        text += "." + std::to_string(rest / 10);
        if (rest % 10 != 0) text += std::to_string(rest % 10);
    }
    return text + "x";
}

// The file name with the suffix before its extension: "top.png" at 192 DPI is "top@2x.png".
inline std::string WithDpiSuffix(const std::string& path, int dpi) {
    const std::string suffix = DpiSuffix(dpi);
    if (suffix.empty()) return path;
    const std::size_t slash = path.find_last_of("\\/");
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return path + suffix;
    return path.substr(0, dot) + suffix + path.substr(dot);
}

}  // namespace zylora::platform
