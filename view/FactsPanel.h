// The picture's facts, shown on demand over the view's top left: its file, size and format,
// and what its Exif tells of when, with what and where it was taken.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "imaging/PhotoFacts.h"
#include "platform/Platform.h"

namespace zylora::view {

// A file's size as the file manager says it: "512 bytes", "34.5 KB", "2.4 MB".
std::string FileSizeText(std::uint64_t bytes);

// The panel's lines, a fact or a few related ones a line; a fact the file doesn't give has
// no line, and a line none of whose facts are given is left out.
std::vector<std::string> FactsLines(const std::string& name, platform::Size pixels, std::uint64_t fileSize,
                                    const imaging::PhotoFacts& facts);

// Draws the lines on a dark band at the view's top left, no wider than the view; `scale` is
// the screen's (1 at 96 DPI), which the text and the band grow by.
void DrawFactsPanel(platform::Surface& surface, float viewWidth, const std::vector<std::string>& lines,
                    float scale = 1);

}  // namespace zylora::view
