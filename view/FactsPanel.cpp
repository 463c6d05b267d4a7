#include "view/FactsPanel.h"

#include <algorithm>
#include <cstdio>
#include <initializer_list>

#include "platform/Text.h"

namespace zylora::view {

namespace {

// The non-empty parts, joined.
std::string Joined(std::initializer_list<std::string> parts, const std::string& between) {
    std::string line;
    for (const std::string& part : parts) {
        if (part.empty()) continue;
        if (!line.empty()) line += between;
        line += part;
    }
    return line;
}

}  // namespace

std::string FileSizeText(std::uint64_t bytes) {
    if (bytes < 1024) return std::to_string(bytes) + " bytes";
    static constexpr const char* units[] = {"KB", "MB", "GB", "TB"};
    double value = static_cast<double>(bytes) / 1024;
    int unit = 0;
    while (value >= 1024 && unit < 3) {
        value /= 1024;
        ++unit;
    }
    char text[32];
    // Three figures are enough to tell one file from another.
    std::snprintf(text, sizeof text, value < 100 ? "%.1f %s" : "%.0f %s", value, units[unit]);
    return text;
}

std::vector<std::string> FactsLines(const std::string& name, platform::Size pixels, std::uint64_t fileSize,
                                    const imaging::PhotoFacts& facts) {
    const std::string size =
        pixels.width > 0 && pixels.height > 0 ? std::to_string(pixels.width) + " x " + std::to_string(pixels.height) : "";
    std::vector<std::string> lines = {
        name,
        Joined({size, fileSize > 0 ? FileSizeText(fileSize) : "", facts.format}, ", "),
        facts.taken.empty() ? "" : "Taken " + facts.taken,
        facts.camera,
        facts.lens,
        Joined({facts.exposureTime, facts.aperture, facts.iso, facts.focalLength}, ", "),
        facts.profile.empty() ? "" : "Colours " + facts.profile,
        facts.position,
    };
    lines.erase(std::remove(lines.begin(), lines.end(), std::string()), lines.end());
    return lines;
}

void DrawFactsPanel(platform::Surface& surface, float viewWidth, const std::vector<std::string>& lines, float scale) {
    const float line = 16 * scale, margin = 6 * scale;
    const platform::TextStyle style{"Tahoma", 0, 12 * scale, 0, 1};
    const auto measure = [&](const std::string& text) { return surface.TextWidth(text, style); };
    float longest = 0;
    for (const std::string& text : lines) longest = std::max(longest, measure(text));
    const float width = std::min(viewWidth, longest + 2 * margin);
    const float height = line * static_cast<float>(lines.size()) + margin;
    surface.FillRectsEvenOdd({{0, 0, width, height}}, platform::MakeArgb(180, 0, 0, 0));
    // A line wider than the view (a long file name) ends in an ellipsis.
    for (std::size_t i = 0; i < lines.size(); ++i)
        surface.FillText(platform::EllipsisToFit(lines[i], width - 2 * margin, measure), style,
                         {margin, margin / 2 + line * static_cast<float>(i), width - 2 * margin, line},
                         platform::MakeArgb(255, 255, 255, 255));
}

}  // namespace zylora::view
