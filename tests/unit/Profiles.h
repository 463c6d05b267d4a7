// Colour profiles made for the tests, as the bytes a file would embed.
#pragma once

#include <lcms2.h>

#include <string>

namespace zylora::testing {

// The profile's bytes; the profile is closed.
inline std::string Saved(cmsHPROFILE profile) {
    cmsUInt32Number size = 0;
    cmsSaveProfileToMem(profile, nullptr, &size);
    std::string bytes(size, '\0');
    cmsSaveProfileToMem(profile, bytes.data(), &size);
    cmsCloseProfile(profile);
    return bytes;
}

// A matrix-shaper RGB profile of the primaries, one gamma for all three channels, white D65.
inline std::string RgbProfile(cmsCIExyYTRIPLE primaries, double gamma) {
    cmsCIExyY white;
    cmsWhitePointFromTemp(&white, 6504);
    cmsToneCurve* curve = cmsBuildGamma(nullptr, gamma);
    cmsToneCurve* curves[3] = {curve, curve, curve};
    std::string bytes = Saved(cmsCreateRGBProfile(&white, &primaries, curves));
    cmsFreeToneCurve(curve);
    return bytes;
}

}  // namespace zylora::testing
