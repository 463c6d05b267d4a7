// The images of the current skin (or button set), each decoded at its first use and kept
// until another one (or the same one again) is chosen. A resize step repaints all four frame
// windows: decoding their images afresh at every step, or even asking the file system whether
// each file changed, would cost more than the rest of it. A look not yet shown (inactive,
// rolled up, pointer-over) costs the start nothing.
//
// On a screen of more than 96 DPI each image is taken at the screen's scale: a file drawn for
// it ("top@2x.png" beside "top.png", platform/Dpi.h) as it is, else the 96-DPI file scaled
// (imaging/ScreenScale.h). The images are looked up by their 96-DPI paths all the same.
#pragma once

#include <array>
#include <map>
#include <memory>
#include <string>
#include <vector>

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

    // The screen's dots per inch the images are taken for; another one drops what is kept.
    void SetDpi(int dpi) {
        if (dpi != dpi_) Clear();
        dpi_ = dpi;
    }
    int Dpi() const { return dpi_; }
    // The file an image is decoded from at the scale: the one drawn for it where there is one.
    std::string FileFor(const std::string& path) const;
    // The image of the file at the scale, owned by the caller (not kept): for the images held
    // from one load to the next.
    std::unique_ptr<platform::Image> Decode(const std::string& path) const;

    // The image of the file as it was at its first Get since the last Clear; an empty one
    // when it was missing or no picture. Valid until Clear.
    const platform::Image& Get(const std::string& path);
    // Starts decoding the files not held yet on another thread, as Get would decode them:
    // the pieces the first frame shows decode while the windows are made; a Get of one of
    // them waits for them.
    void Preload(const std::vector<std::string>& paths);
    // Another skin: nothing kept applies to it, nor what is still decoding.
    void Clear() {
        pending_.clear();
        entries_.clear();
    }

private:
    // The image decoded from the file for the path, scaled unless drawn for the scale.
    std::unique_ptr<platform::Image> AtScale(const std::string& path, const std::string& file,
                                             std::unique_ptr<platform::Image> image) const;
    struct Batch {
        std::vector<std::string> paths;
        std::vector<std::string> files;  // decoded for them
        std::unique_ptr<platform::Platform::PendingSkinImages> images;
    };
    Batch* PendingBatchOf(const std::string& path);

    platform::Platform& platform_;
    std::map<std::string, std::unique_ptr<platform::Image>> entries_;
    std::vector<Batch> pending_;
    int dpi_ = 96;
};

}  // namespace zylora::skin
