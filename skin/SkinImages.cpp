#include "skin/SkinImages.h"

#include <algorithm>

namespace zylora::skin {

void SkinImages::Preload(const std::vector<std::string>& paths) {
    std::vector<std::string> missing;
    for (const std::string& path : paths)
        if (!entries_.count(path) && std::find(missing.begin(), missing.end(), path) == missing.end())
            missing.push_back(path);
    std::vector<std::unique_ptr<platform::Image>> images = platform_.DecodeSkinImages(missing);
    for (std::size_t i = 0; i < missing.size() && i < images.size(); ++i)
        if (images[i]) entries_[missing[i]] = std::move(images[i]);
}

const platform::Image& SkinImages::Get(const std::string& path) {
    std::unique_ptr<platform::Image>& image = entries_[path];
    if (!image) image = platform_.DecodeSkinImage(path);
    return *image;
}

}  // namespace zylora::skin
