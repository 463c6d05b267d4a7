// The frame images of the current skin, decoded once and kept while their files stay as
// they were. A resize step repaints all four frame windows, and decoding their images
// afresh at every step would cost more than the rest of it; an image a skin author edits
// (its size or write time changes) is decoded again at the next repaint.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>

#include "platform/Platform.h"

namespace zylora::skin {

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
