// JPEG files written by libjpeg-turbo for the tests.
#pragma once

#include <cstdio>  // before jpeglib.h, which uses FILE
#include <cstdlib>
#include <jpeglib.h>

#include <functional>
#include <string>
#include <vector>

namespace zylora::testing {

// A JPEG of the size in the colour space (grey, RGB, or CMYK, which libjpeg marks as Adobe's),
// at quality 95, the components of each pixel written by `pixel(x, y, into)`; progressive in
// libjpeg's ten scans, or baseline.
inline std::string JpegFile(int width, int height, J_COLOR_SPACE space,
                            const std::function<void(int x, int y, unsigned char* into)>& pixel,
                            bool progressive = false) {
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* bytes = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &bytes, &size);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = space == JCS_GRAYSCALE ? 1 : space == JCS_CMYK ? 4 : 3;
    info.in_color_space = space;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 95, TRUE);
    if (progressive) jpeg_simple_progression(&info);
    jpeg_start_compress(&info, TRUE);
    std::vector<unsigned char> row(static_cast<std::size_t>(width) * info.input_components);
    while (info.next_scanline < info.image_height) {
        for (int x = 0; x < width; ++x)
            pixel(x, static_cast<int>(info.next_scanline), &row[static_cast<std::size_t>(x) * info.input_components]);
        JSAMPROW rows[] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::string file(reinterpret_cast<const char*>(bytes), size);
    std::free(bytes);
    return file;
}

}  // namespace zylora::testing
