// Small JPEG XL files made in memory for the tests by libjxl's own encoder (Debian's libjxl-dev).
#pragma once

#include <jxl/encode.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "tests/unit/PictureFiles.h"

namespace zylora::testing {

struct JxlOptions {
    bool lossless = true;
    std::string profile;  // ICC; else sRGB, or Display P3 as the codestream names it
    bool displayP3 = false;
    int orientation = 1;  // the codestream's, 1 to 8
    std::vector<std::pair<const char*, std::string>> boxes;  // in the container ("Exif"...)
};

// A JPEG XL of the frames (one: a still picture; more: an animation, 100 ms each), 8 bits a
// sample with alpha; nothing when the encoder refuses.
inline std::string JxlFile(int width, int height, const std::vector<Rgba>& frames, const JxlOptions& options = {}) {
    JxlEncoder* encoder = JxlEncoderCreate(nullptr);
    JxlBasicInfo info;
    JxlEncoderInitBasicInfo(&info);
    info.xsize = static_cast<std::uint32_t>(width), info.ysize = static_cast<std::uint32_t>(height);
    info.bits_per_sample = 8, info.alpha_bits = 8, info.num_extra_channels = 1;
    info.uses_original_profile = options.lossless;
    info.orientation = static_cast<JxlOrientation>(options.orientation);
    info.have_animation = frames.size() > 1;
    info.animation.tps_numerator = 10, info.animation.tps_denominator = 1;
    bool ok = JxlEncoderSetBasicInfo(encoder, &info) == JXL_ENC_SUCCESS;
    JxlColorEncoding srgb;
    JxlColorEncodingSetToSRGB(&srgb, JXL_FALSE);
    if (options.displayP3) srgb.primaries = JXL_PRIMARIES_P3;
    const auto* icc = reinterpret_cast<const std::uint8_t*>(options.profile.data());
    const std::size_t iccSize = options.profile.size();
    ok = ok && (iccSize == 0 ? JxlEncoderSetColorEncoding(encoder, &srgb)
                             : JxlEncoderSetICCProfile(encoder, icc, iccSize)) == JXL_ENC_SUCCESS;
    for (const auto& [type, content] : options.boxes) {
        ok = ok && JxlEncoderUseBoxes(encoder) == JXL_ENC_SUCCESS;
        const auto* data = reinterpret_cast<const std::uint8_t*>(content.data());
        ok = ok && JxlEncoderAddBox(encoder, type, data, content.size(), JXL_FALSE) == JXL_ENC_SUCCESS;
    }
    JxlEncoderFrameSettings* settings = JxlEncoderFrameSettingsCreate(encoder, nullptr);
    ok = ok && (options.lossless ? JxlEncoderSetFrameLossless(settings, JXL_TRUE)
                                 : JxlEncoderSetFrameDistance(settings, 1.0f)) == JXL_ENC_SUCCESS;
    JxlEncoderFrameSettingsSetOption(settings, JXL_ENC_FRAME_SETTING_EFFORT, 3);
    const JxlPixelFormat format{4, JXL_TYPE_UINT8, JXL_NATIVE_ENDIAN, 0};
    for (const Rgba& frame : frames) {
        JxlFrameHeader header;
        JxlEncoderInitFrameHeader(&header);
        header.duration = 1;
        if (info.have_animation) ok = ok && JxlEncoderSetFrameHeader(settings, &header) == JXL_ENC_SUCCESS;
        ok = ok && JxlEncoderAddImageFrame(settings, &format, frame.data(), frame.size()) == JXL_ENC_SUCCESS;
    }
    JxlEncoderCloseInput(encoder);
    std::string bytes(1 << 16, '\0');
    std::size_t used = 0;
    for (JxlEncoderStatus status = JXL_ENC_NEED_MORE_OUTPUT; ok && status == JXL_ENC_NEED_MORE_OUTPUT;) {
        auto* next = reinterpret_cast<std::uint8_t*>(bytes.data()) + used;
        std::size_t room = bytes.size() - used;
        status = JxlEncoderProcessOutput(encoder, &next, &room);
        used = bytes.size() - room;
        if (status == JXL_ENC_NEED_MORE_OUTPUT) bytes.resize(bytes.size() * 2);
        ok = status != JXL_ENC_ERROR;
    }
    JxlEncoderDestroy(encoder);
    bytes.resize(ok ? used : 0);
    return bytes;
}

}  // namespace zylora::testing
