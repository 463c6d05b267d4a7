// A photo's facts as the header reader finds them in the Exif of each format, over files
// whose Exif exiftool wrote at build time.
#include <gtest/gtest.h>
#include <lcms2.h>

#include <fstream>
#include <sstream>

#include "imaging/PhotoFacts.h"
#include "tests/unit/Profiles.h"

namespace zylora::testing {
namespace {

std::string FileBytes(const std::string& name) {
    std::ifstream in(std::string(ZYLORA_EXIF_PICTURES) + "/" + name, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

imaging::PhotoFacts FactsOf(const std::string& bytes) {
    return imaging::DeclaredPhotoFacts([&](std::uint64_t offset, std::size_t length) {
        return offset < bytes.size() ? bytes.substr(static_cast<std::size_t>(offset), length) : std::string();
    });
}

TEST(PhotoFactsTest, EachFormatsExifGivesEveryFact) {
    imaging::PhotoFacts full;
    full.taken = "2024-05-17 14:03:22";
    full.camera = "Canon EOS R5";
    full.lens = "RF24-105mm F4 L IS USM";
    full.exposureTime = "1/250 s";
    full.aperture = "f/2.8";
    full.iso = "ISO 200";
    full.focalLength = "35 mm";
    full.position = "48.85837\u00B0 S, 2.29448\u00B0 W";
    for (const auto& [file, format] : {std::pair{"full.jpg", "JPEG"}, std::pair{"full.png", "PNG"},
                                       std::pair{"full.webp", "WebP"}, std::pair{"full.tif", "TIFF"},
                                       std::pair{"full.heic", "HEIC"}, std::pair{"full.avif", "AVIF"}}) {
        imaging::PhotoFacts expected = full;
        expected.format = format;
        EXPECT_EQ(FactsOf(FileBytes(file)), expected) << file;
    }
}

TEST(PhotoFactsTest, WhatTheFileDoesntSayIsLeftEmpty) {
    imaging::PhotoFacts sparse;
    sparse.format = "JPEG";
    sparse.camera = "NIKON D850";          // the maker named once
    sparse.taken = "2023-01-02 03:04:05";  // the digitized date, without an original one
    sparse.exposureTime = "2 s";
    imaging::PhotoFacts plain;
    plain.format = "PNG";
    for (const auto& [file, expected] : {std::pair{"sparse.jpg", sparse}, std::pair{"base.png", plain}})
        EXPECT_EQ(FactsOf(FileBytes(file)), expected) << file;
}

TEST(PhotoFactsTest, AProfileIsNamedByItsDescriptionOfEitherVersion) {
    const auto sRgb = [](double version) {
        cmsHPROFILE profile = cmsCreate_sRGBProfile();
        cmsSetProfileVersion(profile, version);
        return Saved(profile);
    };
    const std::string v4 = sRgb(4.3), v2 = sRgb(2.1);
    const std::vector<std::pair<std::string, std::string>> cases = {
        {v4, "sRGB built-in"},
        {v2, "sRGB built-in"},
        {v4.substr(0, 200), ""},  // its tags cut off
        {"", ""},
    };
    for (const auto& [icc, name] : cases) EXPECT_EQ(imaging::ProfileName(icc), name) << icc.size();
}

}  // namespace
}  // namespace zylora::testing
