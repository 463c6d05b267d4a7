#include "imaging/ColourManagement.h"

#include <lcms2.h>

#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <mutex>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace zylora::imaging {

namespace {

struct ProfileCloser {
    void operator()(void* profile) const {
        if (profile) cmsCloseProfile(profile);
    }
};
using Profile = std::unique_ptr<void, ProfileCloser>;

Profile OpenProfile(const std::string& bytes) {
    if (bytes.empty() || bytes.size() > 0x7FFFFFFF) return nullptr;
    return Profile(cmsOpenProfileFromMem(bytes.data(), static_cast<cmsUInt32Number>(bytes.size())));
}

// A grey picture's pixels are read by their first byte (blue, equal to green and red) and
// the other three skipped, so that the grey converts in place into the same pixels.
constexpr cmsUInt32Number kGreyInArgb =
    COLORSPACE_SH(PT_GRAY) | CHANNELS_SH(1) | EXTRA_SH(3) | BYTES_SH(1);

}  // namespace

// Between two matrix-shaper profiles (Adobe RGB, sRGB, Display P3 and most cameras' and
// displays') the conversion is a curve per channel into linear light, one 3 x 3 matrix and a
// curve per channel back: done here with tables, several times quicker than LittleCMS's
// general 8-bit path (a 24 MP photo's conversion took 220 ms of a core), with the same
// result to within a step of the 8 bits.
class MatrixShaper {
public:
    static std::unique_ptr<MatrixShaper> Between(cmsHPROFILE source, cmsHPROFILE target) {
        if (!cmsIsMatrixShaper(source) || !cmsIsMatrixShaper(target) || cmsGetColorSpace(source) != cmsSigRgbData ||
            cmsGetColorSpace(target) != cmsSigRgbData)
            return nullptr;
        double from[3][3], to[3][3], back[3][3];
        if (!Colorants(source, from) || !Colorants(target, to) || !Inverse(to, back)) return nullptr;
        auto shaper = std::make_unique<MatrixShaper>();
        const cmsTagSignature curves[3] = {cmsSigRedTRCTag, cmsSigGreenTRCTag, cmsSigBlueTRCTag};
        for (int c = 0; c < 3; ++c) {
            const auto* in = static_cast<const cmsToneCurve*>(cmsReadTag(source, curves[c]));
            const auto* out = static_cast<const cmsToneCurve*>(cmsReadTag(target, curves[c]));
            if (!in || !out || !shaper->EncodeBy(out, shaper->encoded_[c])) return nullptr;
            for (int i = 0; i < 256; ++i) shaper->linear_[c][i] = cmsEvalToneCurveFloat(in, static_cast<float>(i) / 255.0f);
            for (int j = 0; j < 3; ++j) {
                double sum = 0;
                for (int k = 0; k < 3; ++k) sum += back[c][k] * from[k][j];
                shaper->matrix_[c][j] = static_cast<float>(sum);
            }
        }
        return shaper;
    }

    void Convert(std::uint32_t* pixels, std::size_t count) const {
        std::size_t i = 0;
#if defined(__SSE2__)
        // Four pixels at a time through the matrix; the tables are read one value at a time.
        const __m128 zero = _mm_setzero_ps(), top = _mm_set1_ps(static_cast<float>(Steps));
        __m128 m[3][3];
        for (int c = 0; c < 3; ++c)
            for (int j = 0; j < 3; ++j) m[c][j] = _mm_set1_ps(matrix_[c][j] * Steps);
        for (; i + 4 <= count; i += 4) {
            std::uint32_t* p = pixels + i;
            const __m128 r = _mm_setr_ps(linear_[0][p[0] >> 16 & 0xFF], linear_[0][p[1] >> 16 & 0xFF],
                                         linear_[0][p[2] >> 16 & 0xFF], linear_[0][p[3] >> 16 & 0xFF]);
            const __m128 g = _mm_setr_ps(linear_[1][p[0] >> 8 & 0xFF], linear_[1][p[1] >> 8 & 0xFF],
                                         linear_[1][p[2] >> 8 & 0xFF], linear_[1][p[3] >> 8 & 0xFF]);
            const __m128 b = _mm_setr_ps(linear_[2][p[0] & 0xFF], linear_[2][p[1] & 0xFF], linear_[2][p[2] & 0xFF],
                                         linear_[2][p[3] & 0xFF]);
            alignas(16) std::int32_t at[3][4];
            for (int c = 0; c < 3; ++c) {
                const __m128 v = _mm_add_ps(_mm_add_ps(_mm_mul_ps(m[c][0], r), _mm_mul_ps(m[c][1], g)),
                                            _mm_mul_ps(m[c][2], b));
                _mm_store_si128(reinterpret_cast<__m128i*>(at[c]), _mm_cvtps_epi32(_mm_min_ps(_mm_max_ps(v, zero), top)));
            }
            for (int k = 0; k < 4; ++k)
                p[k] = (p[k] & 0xFF000000u) | static_cast<std::uint32_t>(encoded_[0][at[0][k]]) << 16 |
                       static_cast<std::uint32_t>(encoded_[1][at[1][k]]) << 8 | encoded_[2][at[2][k]];
        }
#endif
        for (; i < count; ++i) {
            const std::uint32_t p = pixels[i];
            const float r = linear_[0][p >> 16 & 0xFF], g = linear_[1][p >> 8 & 0xFF], b = linear_[2][p & 0xFF];
            std::uint32_t out = p & 0xFF000000u;
            for (int c = 0; c < 3; ++c) {
                const float v = matrix_[c][0] * r + matrix_[c][1] * g + matrix_[c][2] * b;
                const int at = v <= 0 ? 0 : v >= 1 ? Steps : static_cast<int>(v * Steps + 0.5f);
                out |= static_cast<std::uint32_t>(encoded_[c][at]) << (16 - 8 * c);
            }
            pixels[i] = out;
        }
    }

private:
    // Linear light in steps fine enough that the steepest curve's darkest step (sRGB's, 12.92
    // times) stays under one of the 8 bits.
    static constexpr int Steps = 1 << 14;

    // Each step of linear light gets the code whose rounding interval holds it. The target's
    // curve is run forwards at the 255 bounds between codes, rather than reversed and run at
    // every step: a reversed curve is evaluated by search, and the 3 x 16,385 searches took
    // 11 ms, at every open of a picture with a profile. A curve that falls anywhere is left
    // to LittleCMS.
    static bool EncodeBy(const cmsToneCurve* curve, std::uint8_t* encoded) {
        float bound[255];
        for (int v = 0; v < 255; ++v) {
            bound[v] = cmsEvalToneCurveFloat(curve, (static_cast<float>(v) + 0.5f) / 255.0f);
            if (!std::isfinite(bound[v]) || (v > 0 && bound[v] < bound[v - 1])) return false;
        }
        int v = 0;
        for (int k = 0; k <= Steps; ++k) {
            const float light = static_cast<float>(k) / Steps;
            while (v < 255 && light >= bound[v]) ++v;
            encoded[k] = static_cast<std::uint8_t>(v);
        }
        return true;
    }

    // The columns of the profile's matrix: its red, green and blue colorants in the PCS.
    static bool Colorants(cmsHPROFILE profile, double m[3][3]) {
        const cmsTagSignature tags[3] = {cmsSigRedColorantTag, cmsSigGreenColorantTag, cmsSigBlueColorantTag};
        for (int c = 0; c < 3; ++c) {
            const auto* xyz = static_cast<const cmsCIEXYZ*>(cmsReadTag(profile, tags[c]));
            if (!xyz) return false;
            m[0][c] = xyz->X, m[1][c] = xyz->Y, m[2][c] = xyz->Z;
        }
        return true;
    }

    static bool Inverse(const double m[3][3], double out[3][3]) {
        const double det = m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
                           m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
                           m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
        if (!std::isfinite(det) || std::abs(det) < 1e-9) return false;
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c) {
                // The cofactor of (c, r), divided by the determinant.
                const int r1 = (c + 1) % 3, r2 = (c + 2) % 3, c1 = (r + 1) % 3, c2 = (r + 2) % 3;
                out[r][c] = (m[r1][c1] * m[r2][c2] - m[r1][c2] * m[r2][c1]) / det;
            }
        return true;
    }

    float linear_[3][256] = {};
    float matrix_[3][3] = {};
    std::uint8_t encoded_[3][Steps + 1] = {};
};

std::unique_ptr<ColourConversion> ColourConversion::Between(const std::string& embedded, ColourModel model,
                                                            const std::string& target) {
    Profile source = OpenProfile(embedded);
    if (!source) return nullptr;
    const cmsColorSpaceSignature expected = model == ColourModel::Grey   ? cmsSigGrayData
                                            : model == ColourModel::Cmyk ? cmsSigCmykData
                                                                         : cmsSigRgbData;
    if (cmsGetColorSpace(source.get()) != expected) return nullptr;
    Profile display = OpenProfile(target);
    if (!display || cmsGetColorSpace(display.get()) != cmsSigRgbData) display.reset(cmsCreate_sRGBProfile());
    if (!display) return nullptr;
    const cmsUInt32Number intent =
        cmsIsIntentSupported(source.get(), INTENT_RELATIVE_COLORIMETRIC, LCMS_USED_AS_INPUT)
            ? INTENT_RELATIVE_COLORIMETRIC
            : cmsGetHeaderRenderingIntent(source.get());
    // Relative colorimetric between two matrix shapers: the matrix and the curves are all, and
    // LittleCMS's transform isn't made.
    std::unique_ptr<MatrixShaper> shaper = model == ColourModel::Rgb && intent == INTENT_RELATIVE_COLORIMETRIC
                                               ? MatrixShaper::Between(source.get(), display.get())
                                               : nullptr;
    cmsHTRANSFORM transform = nullptr;
    if (!shaper) {
        const cmsUInt32Number in = model == ColourModel::Grey   ? kGreyInArgb
                                   : model == ColourModel::Cmyk ? TYPE_CMYK_8
                                                                : TYPE_BGRA_8;
        transform = cmsCreateTransform(source.get(), in, display.get(), TYPE_BGRA_8, intent, 0);
        if (!transform) return nullptr;
    }
    std::unique_ptr<ColourConversion> conversion(new ColourConversion(transform, model));
    conversion->shaper_ = std::move(shaper);
    return conversion;
}

ColourConversion::ColourConversion(void* transform, ColourModel model) : transform_(transform), model_(model) {}

ColourConversion::~ColourConversion() {
    if (transform_) cmsDeleteTransform(transform_);
}

void ColourConversion::Convert(std::uint32_t* pixels, std::size_t count) const {
    if (shaper_) {
        shaper_->Convert(pixels, count);
        return;
    }
    // Rows of at most a million pixels: the count LittleCMS takes is 32 bits.
    for (std::size_t done = 0; done < count;) {
        const auto part = static_cast<cmsUInt32Number>(std::min<std::size_t>(count - done, 1u << 20));
        cmsDoTransform(transform_, pixels + done, pixels + done, part);
        done += part;
    }
    // The black ink was where alpha goes, and a CMYK picture has no transparency.
    if (model_ == ColourModel::Cmyk)
        for (std::size_t i = 0; i < count; ++i) pixels[i] |= 0xFF000000u;
}

void ConvertColours(PixelBuffer& buffer, const ColourConversion& conversion, const Parallel& parallel) {
    const int rows = buffer.height;
    const auto width = static_cast<std::size_t>(buffer.width);
    std::uint32_t* pixels = buffer.pixels.data();
    auto convert = [&](int begin, int end) {
        conversion.Convert(pixels + static_cast<std::size_t>(begin) * width,
                           static_cast<std::size_t>(end - begin) * width);
    };
    if (parallel)
        parallel(rows, convert);
    else
        convert(0, rows);
}

bool DecodeAndConvert(PixelBuffer& buffer, int band, const std::function<bool(int top, int count)>& decodeRows,
                      const ColourConversion* conversion, const Parallel& parallel) {
    const int rows = buffer.height;
    band = std::max(1, band);
    const int bands = (rows + band - 1) / band;
    const std::size_t bandPixels = static_cast<std::size_t>(band) * static_cast<std::size_t>(buffer.width);
    std::mutex mutex;
    std::condition_variable changed;
    int ready = 0, next = 0;  // bands decoded; the next band to convert
    int decoding = -1;        // the band being decoded, or the last one
    int touching = -1;        // the band whose memory is being touched
    bool failed = false;
    // Takes the next band to convert once it is decoded, until none is left or the decode
    // failed; without `wait`, only while the next band is decoded already.
    auto convertBands = [&](bool wait) {
        for (;;) {
            int b = 0;
            {
                std::unique_lock<std::mutex> lock(mutex);
                if (next >= bands || failed || (!wait && ready <= next)) return;
                b = next++;
                changed.wait(lock, [&] { return ready > b || failed; });
                if (failed) return;
            }
            const int top = b * band, count = std::min(band, rows - top);
            conversion->Convert(buffer.pixels.data() + static_cast<std::size_t>(top) * buffer.width,
                                static_cast<std::size_t>(count) * buffer.width);
        }
    };
    // Memory the system has just handed out costs a page fault at its first write (under
    // Wine a good sixth of a photo's decode): the second part writes to each page of the
    // bands the decoder hasn't reached yet, so that it finds them in. It stops where the
    // decoder has caught up; the decoder never writes to a band being touched.
    // A band decoded is converted before the next is touched: the conversion must not fall
    // behind the decoder.
    auto touchBands = [&] {
        constexpr std::size_t wordsPerPage = 4096 / sizeof(std::uint32_t);
        for (int b = 0; b < bands; ++b) {
            if (conversion) convertBands(false);
            {
                std::lock_guard<std::mutex> lock(mutex);
                if (failed || b <= decoding) continue;
                touching = b;
            }
            const std::size_t begin = static_cast<std::size_t>(b) * bandPixels;
            const std::size_t end = std::min(buffer.pixels.size(), begin + bandPixels);
            for (std::size_t i = begin; i < end; i += wordsPerPage) buffer.pixels[i] = 0;
            {
                std::lock_guard<std::mutex> lock(mutex);
                touching = -1;
            }
            changed.notify_all();
        }
    };
    auto decodeBands = [&] {
        for (int b = 0; b < bands; ++b) {
            {
                std::unique_lock<std::mutex> lock(mutex);
                changed.wait(lock, [&] { return touching != b; });
                decoding = b;
            }
            const bool ok = decodeRows(b * band, std::min(band, rows - b * band));
            {
                std::lock_guard<std::mutex> lock(mutex);
                failed = !ok;
                ready = b + 1;
            }
            changed.notify_all();
            if (!ok) return;
        }
    };
    // One band and nothing to convert: there is no memory ahead of the decoder to touch, and
    // a second thread would only cost its start.
    if (!conversion && bands < 2) {
        decodeBands();
        return !failed;
    }
    // Part 0 decodes, then helps convert; part 1 touches the memory ahead of it, then converts.
    auto work = [&](int begin, int) {
        if (begin == 0) {
            decodeBands();
        } else {
            touchBands();
        }
        if (conversion) convertBands(true);
    };
    if (parallel)
        parallel(2, work);
    else
        work(0, 2);
    return !failed;
}

std::string ProfileOfPrimaries(int primaries) {
    struct Named {
        int number;
        cmsCIExyY white, red, green, blue;
    };
    constexpr cmsCIExyY d65{0.3127, 0.3290, 1}, c{0.310, 0.316, 1}, dci{0.314, 0.351, 1};
    static constexpr Named named[] = {
        {4, c, {0.67, 0.33, 1}, {0.21, 0.71, 1}, {0.14, 0.08, 1}},
        {5, d65, {0.64, 0.33, 1}, {0.29, 0.60, 1}, {0.15, 0.06, 1}},
        {6, d65, {0.630, 0.340, 1}, {0.310, 0.595, 1}, {0.155, 0.070, 1}},
        {7, d65, {0.630, 0.340, 1}, {0.310, 0.595, 1}, {0.155, 0.070, 1}},
        {9, d65, {0.708, 0.292, 1}, {0.170, 0.797, 1}, {0.131, 0.046, 1}},
        {11, dci, {0.680, 0.320, 1}, {0.265, 0.690, 1}, {0.150, 0.060, 1}},
        {12, d65, {0.680, 0.320, 1}, {0.265, 0.690, 1}, {0.150, 0.060, 1}},
    };
    const auto found =
        std::find_if(std::begin(named), std::end(named), [&](const Named& n) { return n.number == primaries; });
    if (found == std::end(named)) return {};
    const cmsCIExyYTRIPLE triple{found->red, found->green, found->blue};
    const double srgb[5] = {2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045};
    cmsToneCurve* curve = cmsBuildParametricToneCurve(nullptr, 4, srgb);
    cmsToneCurve* curves[3] = {curve, curve, curve};
    cmsHPROFILE profile = curve ? cmsCreateRGBProfile(&found->white, &triple, curves) : nullptr;
    std::string bytes;
    cmsUInt32Number size = 0;
    if (profile && cmsSaveProfileToMem(profile, nullptr, &size) && size > 0) {
        bytes.resize(size);
        if (!cmsSaveProfileToMem(profile, bytes.data(), &size)) bytes.clear();
    }
    if (profile) cmsCloseProfile(profile);
    if (curve) cmsFreeToneCurve(curve);
    return bytes;
}

}  // namespace zylora::imaging
