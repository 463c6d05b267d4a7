#include "skin/SkinImages.h"

namespace zylora::skin {

const platform::Image& SkinImages::Get(const std::string& path) {
    const std::optional<platform::FileStamp> stamp = platform_.Files().StampOf(path);
    Entry& entry = entries_[path];
    if (!entry.image || entry.stamp != stamp) {
        entry.image.reset();
        entry.image = platform_.DecodeSkinImage(path);
        entry.stamp = stamp;
    }
    return *entry.image;
}

}  // namespace zylora::skin
