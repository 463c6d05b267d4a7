#include "platform/ColourManagement.h"

#include <lcms2.h>

#include <algorithm>
#include <condition_variable>
#include <mutex>

namespace zylora::platform {

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
    const cmsUInt32Number in = model == ColourModel::Grey   ? kGreyInArgb
                               : model == ColourModel::Cmyk ? TYPE_CMYK_8
                                                            : TYPE_BGRA_8;
    cmsHTRANSFORM transform = cmsCreateTransform(source.get(), in, display.get(), TYPE_BGRA_8, intent, 0);
    if (!transform) return nullptr;
    return std::unique_ptr<ColourConversion>(new ColourConversion(transform, model));
}

ColourConversion::~ColourConversion() { cmsDeleteTransform(transform_); }

void ColourConversion::Convert(std::uint32_t* pixels, std::size_t count) const {
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

}  // namespace zylora::platform
