// The way every picture goes from its file to the pixels the program shows, whichever decoder
// reads it: the order the decoders are tried in, the conversion to the display's colours and
// the turn upright by the orientation tag, before anything else sees the pixels. The system's
// decoders come in as functions, so the order and the finishing are the same on every system.
// Any thread may use them.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "imaging/ColourManagement.h"
#include "imaging/HeifLibrary.h"
#include "imaging/ImageHeader.h"
#include "imaging/Pixels.h"

namespace zylora::imaging {

// Where the pixels go: the display's colour profile (empty for sRGB) and the threads the
// pixel work may use.
struct Display {
    std::string profile;
    Parallel parallel;
};

// The pixels converted from the picture's profile (of the model's colour space) to the
// display's; left as they are without a profile or with one that can't be used (false).
bool ShowInDisplayColours(PixelBuffer& pixels, const std::string& profile, ColourModel model, const Display& display);

// What the system brings to a decode. Each gives nothing when it can't.
struct SystemDecoders {
    // Its decoder into memory of our own, the colours already the display's.
    std::function<std::optional<DecodedPixels>()> decode;
    // The file's bytes, for libjpeg-turbo and the program's own decoders.
    std::function<std::optional<std::string>()> readFile;
    // Its last resort, for every other format it reads; the colours as the file holds them.
    std::function<std::optional<DecodedPixels>()> lastResort;
    // libheif, for HEIC files, loaded at the first one (imaging/HeifLibrary.h).
    HeifLoader heif;
    // True once nobody wants the picture any more: a long decode stops early and gives nothing.
    std::function<bool()> cancelled;
};

// The picture's pixels, from the first of these that reads it: stb_image for a small PNG or
// plain BMP read whole without a colour profile (microseconds, where the system's decoder
// costs a millisecond or more under Wine); the program's own decoders of the formats the
// system may not read (WebP, AVIF, HEIC, JPEG XL, TGA, PSD, QOI: imaging/OwnFormats.h);
// libjpeg-turbo for a JPEG, which gives what a damaged one holds (cut short, or without its
// end marker); the system's decoder; the system's last resort. In the display's colours, then
// upright.
// Without memory for the turn they stay as stored.
std::optional<DecodedPixels> DecodeInTurn(const HeaderFacts& facts, const DecodeLimit& limit,
                                          const SystemDecoders& system, const Display& display);

// Why no decoder shows a file of these facts, in a few words for the user (the view names the
// file before them);
// empty when nothing is known (the file is damaged beyond reading, or of a format no decoder
// reads). A JPEG of 12 bits a sample is one: neither the system's decoders nor libjpeg-turbo's
// 8-bit build read it. A HEIC file without the library to decode it (`heicDecoder` false) is
// another.
std::string WhyNotShown(const HeaderFacts& facts, bool heicDecoder);

// Fills the buffer from rows of three-byte pixels (blue, green, red, as Windows stores a
// photo's rows) that `copyRows(top, count, into)` writes, a band at a time: several times
// faster than a general converter. Each band's rows come into the end of the band's own room
// and widen in place, and the colours are converted band by band as they come
// (DecodeAndConvert). False when a copy fails.
bool DecodeThreeByteRows(PixelBuffer& buffer,
                         const std::function<bool(int top, int count, std::uint8_t* into)>& copyRows,
                         const ColourConversion* conversion, const Parallel& parallel);

// What a first look at a large JPEG takes: the scale to decode at, and how to turn and
// convert the result as the full decode does. Or a HEIF file's reduced copy of its picture
// (`thumbnail`), which shows, stretched, through the long decode of a phone's photo.
struct PreviewPlan {
    int divisor = 1;
    int orientation = 0;
    std::string profile;
    Size upright;  // the whole picture's size
    bool thumbnail = false;
    PhotoFacts facts;  // which the preview shows with it until the full pixels come
};
// Nothing when the file is neither a HEIF file with a reduced copy nor a JPEG of a declared
// size, or a JPEG's reduced decode wouldn't cover what `neededFor` asks for the upright size.
std::optional<PreviewPlan> PlanPreview(const HeaderFacts& facts, const std::function<Size(Size)>& neededFor);
// The reduced pixels of the file, upright and in the display's colours, converted as the full
// decode converts them (a grey, colour or CMYK profile); nothing for a CMYK file without a
// CMYK profile, whose inks only the full decode shows. A HEIC's reduced copy needs the library
// `heif` loads.
std::optional<DecodedPixels> PreviewPixels(std::string_view file, const PreviewPlan& plan, const Display& display,
                                           const HeifLoader& heif = nullptr);

}  // namespace zylora::imaging
