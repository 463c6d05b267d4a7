// The functions of libheif the HEIC decoder calls, as a table. libheif and libde265 are LGPL:
// on Windows they are DLLs beside the program, loaded at the first HEIC opened and filled in
// here by platform/win32 (a user may replace them, and a start pays nothing for them); the
// native tests fill it from the library they link. No name of the library is linked by the
// pipeline itself.
#pragma once

#include <libheif/heif.h>

#include <functional>

namespace zylora::imaging {

// Each function once, for the table's fields and for whoever fills them by name.
#define ZYLORA_HEIF_FUNCTIONS(F)                                                                                  \
    F(heif_context_alloc)                                                                                         \
    F(heif_context_free)                                                                                          \
    F(heif_context_read_from_memory_without_copy)                                                                 \
    F(heif_context_set_maximum_image_size_limit)                                                                  \
    F(heif_context_get_primary_image_handle)                                                                      \
    F(heif_image_handle_release)                                                                                  \
    F(heif_image_handle_get_width)                                                                                \
    F(heif_image_handle_get_height)                                                                               \
    F(heif_image_handle_get_number_of_thumbnails)                                                                 \
    F(heif_image_handle_get_list_of_thumbnail_IDs)                                                                \
    F(heif_image_handle_get_thumbnail)                                                                            \
    F(heif_image_handle_has_alpha_channel)                                                                        \
    F(heif_image_handle_get_raw_color_profile_size)                                                               \
    F(heif_image_handle_get_raw_color_profile)                                                                    \
    F(heif_decode_image)                                                                                          \
    F(heif_image_release)                                                                                         \
    F(heif_image_get_width)                                                                                       \
    F(heif_image_get_height)                                                                                      \
    F(heif_image_get_plane_readonly)

struct HeifLibrary {
#define ZYLORA_HEIF_FIELD(name) decltype(&::name) name = nullptr;
    ZYLORA_HEIF_FUNCTIONS(ZYLORA_HEIF_FIELD)
#undef ZYLORA_HEIF_FIELD
};

// The library, loaded at its first call; null when it can't be (its DLL is missing or isn't
// one), which a HEIC file's note then tells.
using HeifLoader = std::function<const HeifLibrary*()>;

}  // namespace zylora::imaging
