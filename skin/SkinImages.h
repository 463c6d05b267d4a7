// The frame images of the current skin, decoded once and kept while their files stay as
// they were. A resize step repaints all four frame windows, and decoding their images
// afresh at every step would cost more than the rest of it; an image a skin author edits
// (its size or write time changes) is decoded again at the next repaint.
#pragma once

#include <array>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "platform/Platform.h"

namespace zylora::skin {

// The file names of a skin folder, exactly as the viewer asks for them (mixed case included).
namespace files {
constexpr const char* SkinFile = "values.ini";
constexpr const char* Corner = "corner.png";
constexpr const char* ToolbarBackground = "bg.bmp";
// Frame pieces: each is looked up with a look's prefix before its name.
constexpr const char* LeftTop = "left_top.png";
constexpr const char* Top = "top.png";
constexpr const char* RightTop = "right_top.png";
constexpr const char* LeftMiddle = "left_middle.png";
constexpr const char* LeftBottom = "left_bottom.png";
constexpr const char* RightMiddle = "right_middle.png";
constexpr const char* RightBottom = "right_bottom.png";
constexpr const char* Bottom = "bottom.png";
}  // namespace files

// The looks' prefixes, by TitleVariant (active, inactive, rolled up, rolled up inactive); the
// edge windows, hidden while rolled up, have only the first two.
constexpr std::array<const char*, 4> LookPrefixes = {"", "inactive_", "rolled_", "rolled_inactive_"};

// The caption buttons' images (close, min, max, roll): normal, pointer over it, inactive. They
// carry no look prefix: the rolled-up title shows the same images at its own places.
constexpr std::array<std::array<const char*, 3>, 4> CaptionButtonFiles = {{
    {"active_close.png", "mouseover_close.png", "inactive_close.png"},
    {"active_min.png", "mouseover_Min.png", "inactive_min.png"},
    {"active_max.png", "mouseover_Max.png", "inactive_max.png"},
    {"active_Roll.png", "mouseover_Roll.png", "inactive_Roll.png"},
}};

class SkinImages {
public:
    explicit SkinImages(platform::Platform& platform) : platform_(platform) {}

    // The image of the file, as it is now; an empty one when it is missing or no picture.
    // Valid until the next Get of the same path or Clear.
    const platform::Image& Get(const std::string& path);
    // Another skin: nothing kept applies to it.
    void Clear() { entries_.clear(); }

private:
    struct Entry {
        std::optional<platform::FileStamp> stamp;
        std::unique_ptr<platform::Image> image;
    };
    platform::Platform& platform_;
    std::map<std::string, Entry> entries_;
};

}  // namespace zylora::skin
