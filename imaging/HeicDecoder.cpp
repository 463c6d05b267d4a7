#include "imaging/HeicDecoder.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace zylora::imaging {

namespace {

// libheif's objects, freed by the library's own functions.
template <typename T>
using Owned = std::unique_ptr<T, std::function<void(T*)>>;

bool Ok(heif_error error) { return error.code == heif_error_Ok; }

// The largest of the primary picture's reduced copies; null when it has none.
heif_image_handle* LargestThumbnail(const HeifLibrary& heif, const heif_image_handle* primary) {
    const int count = heif.heif_image_handle_get_number_of_thumbnails(primary);
    if (count <= 0 || count > 64) return nullptr;
    std::vector<heif_item_id> ids(static_cast<std::size_t>(count));
    const int listed = heif.heif_image_handle_get_list_of_thumbnail_IDs(primary, ids.data(), count);
    heif_image_handle* best = nullptr;
    long long bestArea = 0;
    for (int i = 0; i < std::min(listed, count); ++i) {
        heif_image_handle* thumbnail = nullptr;
        if (!Ok(heif.heif_image_handle_get_thumbnail(primary, ids[static_cast<std::size_t>(i)], &thumbnail))) continue;
        const long long area = 1LL * heif.heif_image_handle_get_width(thumbnail) * heif.heif_image_handle_get_height(thumbnail);
        if (area > bestArea) std::swap(best, thumbnail), bestArea = area;
        if (thumbnail) heif.heif_image_handle_release(thumbnail);
    }
    return best;
}

}  // namespace

std::optional<DecodedPixels> HeicPixels(const HeifLibrary* library, std::string_view bytes, const DecodeLimit& limit,
                                        HeifPicture which) {
    if (!library || bytes.empty()) return std::nullopt;
    const HeifLibrary& heif = *library;
    const Owned<heif_context> context(heif.heif_context_alloc(), heif.heif_context_free);
    if (!context) return std::nullopt;
    // The library's bound on a side (32768 unless told), ours where that is smaller, before it
    // allocates anything of a picture; it refuses a side as large as the bound.
    heif.heif_context_set_maximum_image_size_limit(context.get(), std::min(limit.side, 32767) + 1);
    heif_image_handle* primary = nullptr;
    if (!Ok(heif.heif_context_read_from_memory_without_copy(context.get(), bytes.data(), bytes.size(), nullptr)) ||
        !Ok(heif.heif_context_get_primary_image_handle(context.get(), &primary)))
        return std::nullopt;
    const Owned<heif_image_handle> primaryHandle(primary, heif.heif_image_handle_release);
    if (which == HeifPicture::Thumbnail) primary = LargestThumbnail(heif, primary);
    if (!primary) return std::nullopt;
    const Owned<heif_image_handle> handle(which == HeifPicture::Thumbnail ? primary : nullptr,
                                          heif.heif_image_handle_release);
    // Its size as shown, the turn applied: the header's ispe told the size as stored.
    const Size size{heif.heif_image_handle_get_width(primary), heif.heif_image_handle_get_height(primary)};
    if (size.width <= 0 || size.height <= 0 || !limit.Allows(size)) return std::nullopt;
    const bool alpha = heif.heif_image_handle_has_alpha_channel(primary) != 0;
    // Default options: the turn and the mirror applied, 10 and 12 bits brought down to 8.
    heif_image* decoded = nullptr;
    if (!Ok(heif.heif_decode_image(primary, &decoded, heif_colorspace_RGB, heif_chroma_interleaved_RGBA, nullptr)))
        return std::nullopt;
    const Owned<heif_image> image(decoded, heif.heif_image_release);
    int stride = 0;
    const std::uint8_t* rgba = heif.heif_image_get_plane_readonly(decoded, heif_channel_interleaved, &stride);
    if (!rgba || heif.heif_image_get_width(decoded, heif_channel_interleaved) != size.width ||
        heif.heif_image_get_height(decoded, heif_channel_interleaved) != size.height || stride < size.width * 4)
        return std::nullopt;
    std::optional<DecodedPixels> out = PixelsToFill(size.width, size.height);
    if (!out) return out;
    std::uint32_t* to = out->pixels.pixels.data();
    for (int y = 0; y < size.height; ++y) {
        const std::uint8_t* row = rgba + static_cast<std::ptrdiff_t>(y) * stride;
        for (int x = 0; x < size.width; ++x, row += 4) *to++ = platform::MakeArgb(row[3], row[0], row[1], row[2]);
    }
    out->opaque = !alpha || AllOpaque(out->pixels.pixels);
    // An ICC profile the file gives the image (a tiled one's from its first tile); a reduced
    // copy without one has its picture's colours.
    for (heif_image_handle* from : {primary, primaryHandle.get()}) {
        const std::size_t profileSize = heif.heif_image_handle_get_raw_color_profile_size(from);
        if (profileSize == 0 || profileSize > (16u << 20)) continue;
        out->profile.assign(profileSize, '\0');
        if (!Ok(heif.heif_image_handle_get_raw_color_profile(from, out->profile.data()))) out->profile.clear();
        break;
    }
    return out;
}

}  // namespace zylora::imaging
