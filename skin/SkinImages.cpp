#include "skin/SkinImages.h"

namespace zylora::skin {

const platform::Image& SkinImages::Get(const std::string& path) {
    std::unique_ptr<platform::Image>& image = entries_[path];
    if (!image) image = platform_.DecodeSkinImage(path);
    return *image;
}

}  // namespace zylora::skin
