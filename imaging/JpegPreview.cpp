#include "imaging/JpegPreview.h"

#include <algorithm>
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
    const WholeJpegWork* work = nullptr;  // the conversion and the stop of a whole picture's decode
};

// Adobe's CMYK JPEGs (Photoshop's, and nearly every other) store the inks inverted: 255 for
// none. The system's decoder gives them with ink as 255, which is what a profile converts.
void InvertInks(std::uint32_t* row, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) row[i] = ~row[i];
}

// Each step of the decode that calls into the library has its own return point: an error
// there jumps back to it and the step says false. Nothing of C++'s lives between a setjmp and
// the library's calls, so a jump back unwinds nothing; and the rows may be read on another
// thread than the header was, each step setting its point on its own thread's stack.
bool ReadHeader(jpeg_decompress_struct& info, Failure& failure, std::string_view file, const Request& request,
                ColourModel& model, bool& inverted) {
    if (setjmp(failure.jump)) return false;
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(file.data()), static_cast<unsigned long>(file.size()));
    if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK) return false;
    const bool inks = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    model = inks ? ColourModel::Cmyk : info.jpeg_color_space == JCS_GRAYSCALE ? ColourModel::Grey : ColourModel::Rgb;
    info.scale_num = 1;
    info.scale_denom = static_cast<unsigned>(request.divisor);
    // The bytes of our ARGB words, little-endian (a grey in all three), or the four inks.
    info.out_color_space = inks ? JCS_CMYK : JCS_EXT_BGRA;
    inverted = inks && info.saw_Adobe_marker;
    info.dct_method = request.fine ? JDCT_ISLOW : JDCT_IFAST;
    info.do_fancy_upsampling = request.fine ? TRUE : FALSE;
    jpeg_calc_output_dimensions(&info);
    return info.output_width > 0 && info.output_height > 0 &&
           static_cast<long long>(info.output_width) * info.output_height <= request.mostPixels;
}

bool StartRows(jpeg_decompress_struct& info, Failure& failure) {
    if (setjmp(failure.jump)) return false;
    jpeg_start_decompress(&info);
    return true;
}

// The next `count` rows into `into`; false when the data broke off on the way. A file cut
// short reads on as if its end had come, so every row is written.
bool ReadRows(jpeg_decompress_struct& info, Failure& failure, std::uint32_t* into, int count, bool inverted) {
    if (setjmp(failure.jump)) return false;
    for (int n = 0; n < count; ++n) {
        JSAMPROW row = reinterpret_cast<JSAMPROW>(into + static_cast<std::size_t>(n) * info.output_width);
        if (jpeg_read_scanlines(&info, &row, 1) != 1) return false;
        if (inverted) InvertInks(reinterpret_cast<std::uint32_t*>(row), info.output_width);
    }
    return true;
}

// The rows in bands, each band's colours converted beside the decode of the next. Rows after
// a break in the data stay transparent; a decode nobody wants any more gives nothing.
std::optional<DecodedPixels> DecodeRows(jpeg_decompress_struct& info, Failure& failure, const Request& request,
                                        bool inverted, const ColourConversion* conversion) {
    const int width = static_cast<int>(info.output_width), height = static_cast<int>(info.output_height);
    std::optional<DecodedPixels> out = PixelsToFill(width, height);
    if (!out) return out;
    out->opaque = true;
    if (!StartRows(info, failure)) return std::nullopt;
    const WholeJpegWork* work = request.work;
    bool broken = false;
    const auto decodeRows = [&](int top, int count) {
        if (work && work->cancelled && work->cancelled()) return false;
        std::uint32_t* into = out->pixels.pixels.data() + static_cast<std::size_t>(top) * width;
        if (!broken && !ReadRows(info, failure, into, count, inverted)) {
            broken = true;
            failure.lost = true;
        }
        if (broken) {
            const int written = std::clamp(static_cast<int>(info.output_scanline) - top, 0, count);
            std::fill(into + static_cast<std::size_t>(written) * width, into + static_cast<std::size_t>(count) * width,
                      0u);
            out->opaque = false;
        }
        return true;
    };
    // Bands of about 4 MB; a reduced decode is one.
    const int band = request.divisor > 1 ? height : std::max(1, (1 << 22) / (width * 4));
    if (!DecodeAndConvert(out->pixels, band, decodeRows, conversion, work ? work->parallel : nullptr))
        return std::nullopt;
    if (broken && info.output_scanline == 0) return std::nullopt;  // not a row of it could be read
    if (failure.ranOut && RefinementsMissing(info)) failure.lost = true;
    return out;
}

std::optional<DecodedPixels> DecodeJpeg(std::string_view file, const Request& request) {
    Failure failure{};
    jpeg_decompress_struct info{};
    info.err = jpeg_std_error(&failure.manager);
    failure.manager.error_exit = Fail;
    failure.manager.emit_message = Note;
    failure.manager.output_message = Ignore;
    ColourModel model = ColourModel::Rgb;
    bool inverted = false;
    std::optional<DecodedPixels> out;
    if (ReadHeader(info, failure, file, request, model, inverted)) {
        std::unique_ptr<ColourConversion> conversion;
        if (request.work && request.work->conversionFor) conversion = request.work->conversionFor(model);
        if (request.model) *request.model = model;
        // Inks no profile converts are no colours to show.
        const bool inksShown = request.work ? conversion != nullptr : request.model != nullptr;
        if (model != ColourModel::Cmyk || inksShown) out = DecodeRows(info, failure, request, inverted, conversion.get());
    }
    jpeg_abort_decompress(&info);  // what is left of the file isn't needed
    jpeg_destroy_decompress(&info);
    if (out) out->damaged = failure.lost;
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

std::optional<DecodedPixels> DecodeWholeJpeg(std::string_view file, const DecodeLimit& limit,
                                             const WholeJpegWork& work) {
    std::optional<DecodedPixels> whole = DecodeJpeg(file, {1, true, limit.pixels, nullptr, &work});
    if (whole && !limit.Allows({whole->pixels.width, whole->pixels.height})) return std::nullopt;
    return whole;
}

}  // namespace zylora::imaging
