#include "skin/SkinImages.h"

#include <algorithm>

namespace zylora::skin {

void SkinImages::Preload(const std::vector<std::string>& paths) {
    std::vector<std::string> missing;
    for (const std::string& path : paths)
        if (!entries_.count(path) && !PendingBatchOf(path) &&
            std::find(missing.begin(), missing.end(), path) == missing.end())
            missing.push_back(path);
    if (!missing.empty()) pending_.push_back({missing, platform_.DecodeSkinImagesAhead(missing)});
}

SkinImages::Batch* SkinImages::PendingBatchOf(const std::string& path) {
    for (Batch& batch : pending_)
        if (std::find(batch.paths.begin(), batch.paths.end(), path) != batch.paths.end()) return &batch;
    return nullptr;
}

const platform::Image& SkinImages::Get(const std::string& path) {
    if (Batch* batch = PendingBatchOf(path)) {
        std::vector<std::unique_ptr<platform::Image>> images = batch->images->Take();
        for (std::size_t i = 0; i < batch->paths.size() && i < images.size(); ++i)
            if (images[i] && !entries_[batch->paths[i]]) entries_[batch->paths[i]] = std::move(images[i]);
        pending_.erase(pending_.begin() + (batch - pending_.data()));
    }
    std::unique_ptr<platform::Image>& image = entries_[path];
    if (!image) image = platform_.DecodeSkinImage(path);
    return *image;
}

}  // namespace zylora::skin
