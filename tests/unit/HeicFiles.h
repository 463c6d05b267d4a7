// Small HEIC files made in memory for the tests by libheif's own encoder (x265), and the
// decoder's table filled from the library the tests link, as platform/win32 fills it from the
// DLL.
#pragma once

#include <libheif/heif.h>

#include <memory>
#include <string>

#include "imaging/HeifLibrary.h"
#include "tests/unit/PictureFiles.h"

namespace zylora::testing {

inline const imaging::HeifLibrary* LinkedHeif() {
    static const imaging::HeifLibrary library = [] {
        imaging::HeifLibrary functions;
#define ZYLORA_HEIF_LINKED(name) functions.name = &::name;
        ZYLORA_HEIF_FUNCTIONS(ZYLORA_HEIF_LINKED)
#undef ZYLORA_HEIF_LINKED
        return functions;
    }();
    return &library;
}

struct HeicOptions {
    std::string profile;                                        // an ICC profile given the image
    heif_orientation orientation = heif_orientation_normal;     // written as irot and imir
    std::string exif;                                           // an Exif block (a TIFF structure)
    bool alpha = false;
    int thumbnail = 0;  // a reduced copy within a square of this side, 0 for none
};

// The RGBA pixels at quality 95, with what the options ask for.
inline std::string HeicFile(int width, int height, const Rgba& rgba, const HeicOptions& options = {}) {
    const std::unique_ptr<heif_context, decltype(&heif_context_free)> context(heif_context_alloc(), heif_context_free);
    heif_image* raw = nullptr;
    heif_image_create(width, height, heif_colorspace_RGB,
                      options.alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB, &raw);
    const std::unique_ptr<heif_image, decltype(&heif_image_release)> image(raw, heif_image_release);
    const int channels = options.alpha ? 4 : 3;
    heif_image_add_plane(raw, heif_channel_interleaved, width, height, 8);
    int stride = 0;
    std::uint8_t* plane = heif_image_get_plane(raw, heif_channel_interleaved, &stride);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < channels; ++c)
                plane[y * stride + x * channels + c] = rgba[static_cast<std::size_t>((y * width + x) * 4 + c)];
    if (!options.profile.empty())
        heif_image_set_raw_color_profile(raw, "prof", options.profile.data(), options.profile.size());
    heif_encoder* encoder = nullptr;
    heif_context_get_encoder_for_format(context.get(), heif_compression_HEVC, &encoder);
    heif_encoder_set_lossy_quality(encoder, 95);
    heif_encoding_options* encoding = heif_encoding_options_alloc();
    encoding->image_orientation = options.orientation;
    heif_image_handle* handle = nullptr;
    heif_context_encode_image(context.get(), raw, encoder, encoding, &handle);
    if (options.thumbnail > 0) {
        heif_image_handle* thumbnail = nullptr;
        heif_context_encode_thumbnail(context.get(), raw, handle, encoder, encoding, options.thumbnail, &thumbnail);
        heif_image_handle_release(thumbnail);
    }
    heif_encoding_options_free(encoding);
    heif_encoder_release(encoder);
    if (!options.exif.empty())
        heif_context_add_exif_metadata(context.get(), handle, options.exif.data(),
                                       static_cast<int>(options.exif.size()));
    heif_image_handle_release(handle);
    std::string bytes;
    heif_writer writer{1, [](heif_context*, const void* data, std::size_t size, void* into) {
                           static_cast<std::string*>(into)->append(static_cast<const char*>(data), size);
                           return heif_error{heif_error_Ok, heif_suberror_Unspecified, "ok"};
                       }};
    heif_context_write(context.get(), &writer, &bytes);
    return bytes;
}

}  // namespace zylora::testing
