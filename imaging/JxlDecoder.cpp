#include "imaging/JxlDecoder.h"

#include <jxl/decode.h>
#include <jxl/thread_parallel_runner.h>

#include <bit>
#include <memory>
#include <new>
#include <utility>

#include "imaging/JxlHeader.h"

namespace zylora::imaging {

namespace {

using Decoder = std::unique_ptr<JxlDecoder, decltype(&JxlDecoderDestroy)>;
using Runner = std::unique_ptr<void, decltype(&JxlThreadParallelRunnerDestroy)>;

// Below this many pixels a decode takes less than starting the threads would.
constexpr long long ThreadedPixels = 1 << 20;

// libjxl writes red, green, blue, alpha bytes; our ARGB words are blue, green, red, alpha ones.
static_assert(std::endian::native == std::endian::little);
void SwapRedAndBlue(PixelWords& pixels) {
    for (std::uint32_t& p : pixels) p = (p & 0xFF00FF00u) | (p >> 16 & 0xFFu) | (p & 0xFFu) << 16;
}

// The image's colours as libjxl hands them out, and their profile. A lossy image is stored in
// the codec's own space and is given in its original profile where that is a profile of its own;
// a space the codestream only names (Display P3...) libjxl gives without a profile, so such an
// image is asked for in sRGB, the colours a picture without a profile is shown in.
std::string OutputProfile(JxlDecoder* decoder, const JxlBasicInfo& info) {
    if (!info.uses_original_profile &&
        JxlDecoderGetColorAsEncodedProfile(decoder, nullptr, JXL_COLOR_PROFILE_TARGET_ORIGINAL, nullptr) ==
            JXL_DEC_SUCCESS) {
        JxlColorEncoding srgb{};
        srgb.color_space = info.num_color_channels == 1 ? JXL_COLOR_SPACE_GRAY : JXL_COLOR_SPACE_RGB;
        srgb.white_point = JXL_WHITE_POINT_D65;
        srgb.primaries = JXL_PRIMARIES_SRGB;
        srgb.transfer_function = JXL_TRANSFER_FUNCTION_SRGB;
        srgb.rendering_intent = JXL_RENDERING_INTENT_RELATIVE;
        JxlDecoderSetPreferredColorProfile(decoder, &srgb);
    }
    // Colours that are sRGB's need no profile: converting them by one would cost a pass over
    // every pixel for nothing (40 ms of a 12 MP picture's open).
    JxlColorEncoding given{};
    if (JxlDecoderGetColorAsEncodedProfile(decoder, nullptr, JXL_COLOR_PROFILE_TARGET_DATA, &given) ==
            JXL_DEC_SUCCESS &&
        given.color_space == JXL_COLOR_SPACE_RGB && given.white_point == JXL_WHITE_POINT_D65 &&
        given.primaries == JXL_PRIMARIES_SRGB && given.transfer_function == JXL_TRANSFER_FUNCTION_SRGB)
        return {};
    std::size_t size = 0;
    if (JxlDecoderGetICCProfileSize(decoder, nullptr, JXL_COLOR_PROFILE_TARGET_DATA, &size) != JXL_DEC_SUCCESS)
        return {};
    std::string profile(size, '\0');
    if (JxlDecoderGetColorAsICCProfile(decoder, nullptr, JXL_COLOR_PROFILE_TARGET_DATA,
                                       reinterpret_cast<std::uint8_t*>(profile.data()), size) != JXL_DEC_SUCCESS)
        return {};
    return profile;
}

std::optional<DecodedPixels> Decode(std::string_view bytes, const DecodeLimit& limit, Size declared) {
    const Decoder decoder(JxlDecoderCreate(nullptr), JxlDecoderDestroy);
    if (!decoder) return std::nullopt;
    Runner runner(nullptr, JxlThreadParallelRunnerDestroy);
    if (static_cast<long long>(declared.width) * declared.height >= ThreadedPixels) {
        runner.reset(JxlThreadParallelRunnerCreate(nullptr, JxlThreadParallelRunnerDefaultNumWorkerThreads()));
        if (runner &&
            JxlDecoderSetParallelRunner(decoder.get(), JxlThreadParallelRunner, runner.get()) != JXL_DEC_SUCCESS)
            return std::nullopt;
    }
    // Turned upright by libjxl itself (its default), so the pipeline finds no orientation to apply.
    if (JxlDecoderSubscribeEvents(decoder.get(), JXL_DEC_BASIC_INFO | JXL_DEC_COLOR_ENCODING | JXL_DEC_FULL_IMAGE) !=
            JXL_DEC_SUCCESS ||
        JxlDecoderSetKeepOrientation(decoder.get(), JXL_FALSE) != JXL_DEC_SUCCESS ||
        JxlDecoderSetInput(decoder.get(), reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()) !=
            JXL_DEC_SUCCESS)
        return std::nullopt;
    // The input is left open: a file cut short then asks for more, rather than failing, and what
    // it holds can be shown.
    const JxlPixelFormat format{4, JXL_TYPE_UINT8, JXL_NATIVE_ENDIAN, 0};
    JxlBasicInfo info{};
    std::string profile;
    std::optional<DecodedPixels> out;
    // Each event comes once; a decoder that neither asks for more nor ends is not waited on.
    for (int event = 0; event < 16; ++event) {
        switch (JxlDecoderProcessInput(decoder.get())) {
            case JXL_DEC_BASIC_INFO: {
                if (JxlDecoderGetBasicInfo(decoder.get(), &info) != JXL_DEC_SUCCESS) return std::nullopt;
                // The size shown: turned a quarter where the orientation says so.
                const bool across = info.orientation >= JXL_ORIENT_TRANSPOSE;
                const Size size{static_cast<int>(across ? info.ysize : info.xsize),
                                static_cast<int>(across ? info.xsize : info.ysize)};
                if (size.width <= 0 || size.height <= 0 || !limit.Allows(size)) return std::nullopt;
                out = PixelsToFill(size.width, size.height);
                if (!out) return std::nullopt;
                break;
            }
            case JXL_DEC_COLOR_ENCODING: profile = OutputProfile(decoder.get(), info); break;
            case JXL_DEC_NEED_IMAGE_OUT_BUFFER: {
                std::size_t need = 0;
                const std::size_t room = out ? out->pixels.pixels.size() * 4 : 0;
                if (JxlDecoderImageOutBufferSize(decoder.get(), &format, &need) != JXL_DEC_SUCCESS || need != room ||
                    JxlDecoderSetImageOutBuffer(decoder.get(), &format, out->pixels.pixels.data(), room) !=
                        JXL_DEC_SUCCESS)
                    return std::nullopt;
                break;
            }
            case JXL_DEC_FULL_IMAGE:  // the first frame; an animation's others aren't shown
                if (!out) return std::nullopt;
                SwapRedAndBlue(out->pixels.pixels);
                out->opaque = info.alpha_bits == 0 || AllOpaque(out->pixels.pixels);
                out->profile = std::move(profile);
                return out;
            case JXL_DEC_NEED_MORE_INPUT:  // cut short: what is decoded so far, where any is
                if (!out || JxlDecoderFlushImage(decoder.get()) != JXL_DEC_SUCCESS) return std::nullopt;
                SwapRedAndBlue(out->pixels.pixels);
                out->opaque = AllOpaque(out->pixels.pixels);
                out->damaged = true;
                out->profile = std::move(profile);
                return out;
            default: return std::nullopt;  // an error, or the end without a frame
        }
    }
    return std::nullopt;
}

}  // namespace

std::optional<DecodedPixels> JxlPixels(std::string_view bytes, const DecodeLimit& limit) {
    const ByteReader read = [&](std::uint64_t offset, std::size_t length) {
        if (offset >= bytes.size()) return std::string();
        return std::string(bytes.substr(static_cast<std::size_t>(offset), length));
    };
    const std::optional<Size> declared = JxlDeclaredSize(read);
    if (!declared || !limit.Allows(*declared)) return std::nullopt;
    try {
        return Decode(bytes, limit, *declared);
    } catch (const std::bad_alloc&) {  // libjxl's vectors, for a picture larger than the memory left
        return std::nullopt;
    }
}

}  // namespace zylora::imaging
