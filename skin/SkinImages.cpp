#include "skin/SkinImages.h"

#include <algorithm>

#include "platform/Dpi.h"

namespace zylora::skin {

std::string SkinImages::FileFor(const std::string& path) const {
    if (dpi_ == platform::BaseDpi) return path;
    const std::string drawn = platform::WithDpiSuffix(path, dpi_);
    return drawn != path && platform_.Files().FileExists(drawn) ? drawn : path;
}

std::unique_ptr<platform::Image> SkinImages::AtScale(const std::string& path, const std::string& file,
                                                     std::unique_ptr<platform::Image> image) const {
    if (!image || dpi_ == platform::BaseDpi || file != path || image->Width() <= 0 || image->Height() <= 0)
        return image;
    std::unique_ptr<platform::Image> scaled = platform_.ImageForDpi(*image, dpi_);
    return scaled ? std::move(scaled) : std::move(image);
}

std::unique_ptr<platform::Image> SkinImages::Decode(const std::string& path) const {
    const std::string file = FileFor(path);
    return AtScale(path, file, platform_.DecodeSkinImage(file));
}

void SkinImages::Preload(const std::vector<std::string>& paths) {
    Batch batch;
    for (const std::string& path : paths)
        if (!entries_.count(path) && !PendingBatchOf(path) &&
            std::find(batch.paths.begin(), batch.paths.end(), path) == batch.paths.end()) {
            batch.paths.push_back(path);
            batch.files.push_back(FileFor(path));
        }
    if (batch.paths.empty()) return;
    batch.images = platform_.DecodeSkinImagesAhead(batch.files);
    pending_.push_back(std::move(batch));
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
            if (images[i] && !entries_[batch->paths[i]])
                entries_[batch->paths[i]] = AtScale(batch->paths[i], batch->files[i], std::move(images[i]));
        pending_.erase(pending_.begin() + (batch - pending_.data()));
    }
    std::unique_ptr<platform::Image>& image = entries_[path];
    if (!image) image = Decode(path);
    return *image;
}

}  // namespace zylora::skin
