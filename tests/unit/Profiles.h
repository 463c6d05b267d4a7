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

// A grey profile of the gamma, white D50.
inline std::string GreyProfile(double gamma) {
    cmsToneCurve* curve = cmsBuildGamma(nullptr, gamma);
    std::string bytes = Saved(cmsCreateGrayProfile(cmsD50_xyY(), curve));
    cmsFreeToneCurve(curve);
    return bytes;
}

// A table-based CMYK profile with only the perceptual table, as printers' profiles are made:
// inks taken naively as the complements of sRGB. Version 2, whose table type takes a grid
// without curves around it.
inline const std::string& CmykProfile() {
    static const std::string p = [] {
        cmsHPROFILE srgb = cmsCreate_sRGBProfile(), lab = cmsCreateLab4Profile(nullptr);
        cmsHTRANSFORM toLab = cmsCreateTransform(srgb, TYPE_RGB_DBL, lab, TYPE_Lab_DBL, INTENT_PERCEPTUAL, 0);
        cmsHPROFILE cmyk = cmsCreateProfilePlaceholder(nullptr);
        cmsSetProfileVersion(cmyk, 2.1);
        cmsSetDeviceClass(cmyk, cmsSigOutputClass);
        cmsSetColorSpace(cmyk, cmsSigCmykData);
        cmsSetPCS(cmyk, cmsSigLabData);
        cmsWriteTag(cmyk, cmsSigMediaWhitePointTag, cmsD50_XYZ());
        cmsPipeline* lut = cmsPipelineAlloc(nullptr, 4, 3);
        cmsStage* grid = cmsStageAllocCLut16bit(nullptr, 9, 4, 3, nullptr);
        auto sample = [](const cmsUInt16Number in[], cmsUInt16Number out[], void* cargo) -> cmsInt32Number {
            const double k = 1 - in[3] / 65535.0;
            const double rgb[3] = {(1 - in[0] / 65535.0) * k, (1 - in[1] / 65535.0) * k, (1 - in[2] / 65535.0) * k};
            cmsCIELab colour;
            cmsDoTransform(cargo, rgb, &colour, 1);
            cmsFloat2LabEncodedV2(out, &colour);
            return TRUE;
        };
        cmsStageSampleCLut16bit(grid, sample, toLab, 0);
        cmsPipelineInsertStage(lut, cmsAT_BEGIN, grid);
        cmsWriteTag(cmyk, cmsSigAToB0Tag, lut);
        cmsPipelineFree(lut);
        cmsDeleteTransform(toLab);
        cmsCloseProfile(srgb);
        cmsCloseProfile(lab);
        return Saved(cmyk);
    }();
    return p;
}

}  // namespace zylora::testing
