#include "imaging/JpegPreview.h"

#include <csetjmp>
#include <cstdio>  // before jpeglib.h, which uses FILE

#include <jpeglib.h>
#include <jerror.h>

namespace zylora::imaging {

namespace {

// A decoding error returns to the decode's start instead of ending the program, as the
// library's own handler would. Warnings (a cut-short file, a corrupt segment) are no reason
// to stop: what could be read is shown, and those that mean part of the picture is missing
// are noted.
struct Failure {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
    bool ranOut = false;  // the file ended before its end marker
    bool lost = false;    // coded data was missing or corrupt
};

[[noreturn]] void Fail(j_common_ptr info) { std::longjmp(reinterpret_cast<Failure*>(info->err)->jump, 1); }
void Note(j_common_ptr info, int level) {
    if (level >= 0) return;  // trace messages
    auto* failure = reinterpret_cast<Failure*>(info->err);
    switch (info->err->msg_code) {
    case JWRN_JPEG_EOF: failure->ranOut = true; break;
    case JWRN_HIT_MARKER:
    case JWRN_HUFF_BAD_CODE:
    case JWRN_MUST_RESYNC: failure->lost = true; break;
    default: break;
    }
}
void Ignore(j_common_ptr) {}

// A preview larger than this is no preview: the screen it is for is smaller by far.
constexpr long long kMostPreviewPixels = 1LL << 26;

long long Ceiling(long long value, int divisor) { return (value + divisor - 1) / divisor; }

// A progressive file that ended early left coefficients without their last refinement, or
// without any: the picture is coarser or paler than it should be. Only to be asked once the
// whole file has been read.
bool RefinementsMissing(const jpeg_decompress_struct& info) {
    if (!info.progressive_mode || !info.coef_bits) return false;
    for (int c = 0; c < info.num_components; ++c)
        for (int k = 0; k < DCTSIZE2; ++k)
            if (info.coef_bits[c][k] != 0) return true;
    return false;
}

struct Request {
    int divisor;
    bool fine;  // the library's accurate transform and smooth upsampling, for the full picture
    long long mostPixels;
    ColourModel* model;  // told the pixels' model; null: a CMYK file is refused
};

// Adobe's CMYK JPEGs (Photoshop's, and nearly every other) store the inks inverted: 255 for
// none. The system's decoder gives them with ink as 255, which is what a profile converts.
void InvertInks(std::uint32_t* row, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) row[i] = ~row[i];
}

// Between setjmp and the decoder's calls nothing of C++'s lives in this frame: what the
// decode makes is the caller's, so a jump back leaves it whole (and unwinds nothing).
// Without a jump, true; after one, true if any rows were read by then (they are kept, the
// rest transparent).
bool Decode(jpeg_decompress_struct& info, Failure& failure, std::string_view file, const Request& request,
            std::optional<DecodedPixels>& out) {
    if (setjmp(failure.jump)) {
        if (!out || info.output_scanline == 0) return false;
        out->opaque = false;
        failure.lost = true;
        return true;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(file.data()), static_cast<unsigned long>(file.size()));
    if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK) return false;
    const bool inks = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    if (inks && !request.model) return false;
    if (request.model)
        *request.model = inks ? ColourModel::Cmyk : info.jpeg_color_space == JCS_GRAYSCALE ? ColourModel::Grey
                                                                                           : ColourModel::Rgb;
    info.scale_num = 1;
    info.scale_denom = static_cast<unsigned>(request.divisor);
    // The bytes of our ARGB words, little-endian (a grey in all three), or the four inks.
    info.out_color_space = inks ? JCS_CMYK : JCS_EXT_BGRA;
    const bool inverted = inks && info.saw_Adobe_marker;
    info.dct_method = request.fine ? JDCT_ISLOW : JDCT_IFAST;
    info.do_fancy_upsampling = request.fine ? TRUE : FALSE;
    jpeg_calc_output_dimensions(&info);
    if (info.output_width == 0 || info.output_height == 0 ||
        static_cast<long long>(info.output_width) * info.output_height > request.mostPixels)
        return false;
    // Rows never read stay transparent, where a decoding error breaks off.
    out = BlankPixels(static_cast<int>(info.output_width), static_cast<int>(info.output_height));
    if (!out) return false;
    out->opaque = true;
    jpeg_start_decompress(&info);
    // A file cut short reads on as if its end had come, so every row is written.
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = reinterpret_cast<JSAMPROW>(out->pixels.pixels.data() +
                                                  static_cast<std::size_t>(info.output_scanline) * info.output_width);
        if (jpeg_read_scanlines(&info, &row, 1) != 1) break;
        if (inverted) InvertInks(reinterpret_cast<std::uint32_t*>(row), info.output_width);
    }
    if (failure.ranOut && RefinementsMissing(info)) failure.lost = true;
    jpeg_abort_decompress(&info);  // what is left of the file isn't needed
    return true;
}

std::optional<DecodedPixels> DecodeJpeg(std::string_view file, const Request& request) {
    Failure failure{};
    jpeg_decompress_struct info{};
    info.err = jpeg_std_error(&failure.manager);
    failure.manager.error_exit = Fail;
    failure.manager.emit_message = Note;
    failure.manager.output_message = Ignore;
    std::optional<DecodedPixels> out;
    const bool decoded = Decode(info, failure, file, request, out);
    jpeg_destroy_decompress(&info);
    if (!decoded) return std::nullopt;
    out->damaged = failure.lost;
    return out;
}

}  // namespace

int PreviewDivisor(Size stored, Size needed) {
    for (int divisor : {8, 4, 2})
        if (Ceiling(stored.width, divisor) >= needed.width && Ceiling(stored.height, divisor) >= needed.height)
            return divisor;
    return 1;
}

std::optional<DecodedPixels> DecodeJpegPreview(std::string_view file, int divisor, ColourModel* model) {
    if (divisor != 2 && divisor != 4 && divisor != 8) return std::nullopt;
    return DecodeJpeg(file, {divisor, false, kMostPreviewPixels, model});
}

std::optional<DecodedPixels> DecodeWholeJpeg(std::string_view file, const DecodeLimit& limit, ColourModel* model) {
    std::optional<DecodedPixels> whole = DecodeJpeg(file, {1, true, limit.pixels, model});
    if (whole && !limit.Allows({whole->pixels.width, whole->pixels.height})) return std::nullopt;
    return whole;
}

}  // namespace zylora::imaging
