#include "platform/JpegPreview.h"

#include <csetjmp>
#include <cstdio>  // before jpeglib.h, which uses FILE

#include <jpeglib.h>

namespace zylora::platform {

namespace {

// A decoding error returns to the decode's start instead of ending the program, as the
// library's own handler would.
struct Failure {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

[[noreturn]] void Fail(j_common_ptr info) { std::longjmp(reinterpret_cast<Failure*>(info->err)->jump, 1); }
// Warnings (a cut-short file, a corrupt segment) are no reason to stop: the preview shows
// what could be read.
void Ignore(j_common_ptr, int) {}
void Ignore(j_common_ptr) {}

// A preview larger than this is no preview: the screen it is for is smaller by far.
constexpr long long kMostPixels = 1LL << 26;

long long Ceiling(long long value, int divisor) { return (value + divisor - 1) / divisor; }

// Between setjmp and the decoder's calls nothing of C++'s lives in this frame: what the
// decode makes is the caller's, so a jump back leaves it whole (and unwinds nothing).
bool Decode(jpeg_decompress_struct& info, Failure& failure, std::string_view file, int divisor,
            std::optional<DecodedPixels>& out) {
    if (setjmp(failure.jump)) return false;
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(file.data()), static_cast<unsigned long>(file.size()));
    if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK) return false;
    if (info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK) return false;
    info.scale_num = 1;
    info.scale_denom = static_cast<unsigned>(divisor);
    info.out_color_space = JCS_EXT_BGRA;  // the bytes of our ARGB words, little-endian
    info.dct_method = JDCT_IFAST;
    info.do_fancy_upsampling = FALSE;
    jpeg_calc_output_dimensions(&info);
    if (info.output_width == 0 || info.output_height == 0 ||
        static_cast<long long>(info.output_width) * info.output_height > kMostPixels)
        return false;
    out = BlankPixels(static_cast<int>(info.output_width), static_cast<int>(info.output_height));
    if (!out) return false;
    out->opaque = true;
    jpeg_start_decompress(&info);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = reinterpret_cast<JSAMPROW>(out->pixels.pixels.data() +
                                                  static_cast<std::size_t>(info.output_scanline) * info.output_width);
        if (jpeg_read_scanlines(&info, &row, 1) != 1) break;
    }
    jpeg_abort_decompress(&info);  // what is left of the file isn't needed
    return true;
}

}  // namespace

int PreviewDivisor(Size stored, Size needed) {
    for (int divisor : {8, 4, 2})
        if (Ceiling(stored.width, divisor) >= needed.width && Ceiling(stored.height, divisor) >= needed.height)
            return divisor;
    return 1;
}

std::optional<DecodedPixels> DecodeJpegPreview(std::string_view file, int divisor) {
    if (divisor != 2 && divisor != 4 && divisor != 8) return std::nullopt;
    Failure failure{};
    jpeg_decompress_struct info{};
    info.err = jpeg_std_error(&failure.manager);
    failure.manager.error_exit = Fail;
    failure.manager.emit_message = Ignore;
    failure.manager.output_message = Ignore;
    std::optional<DecodedPixels> out;
    const bool decoded = Decode(info, failure, file, divisor, out);
    jpeg_destroy_decompress(&info);
    if (!decoded) return std::nullopt;
    return out;
}

}  // namespace zylora::platform
