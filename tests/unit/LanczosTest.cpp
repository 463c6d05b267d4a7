// The downscale filter against ImageMagick's own Lanczos on a zone plate, whose rings reach
// the finest detail a picture can hold: where a box filter shows moiré, this must not.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "imaging/Lanczos.h"

namespace zylora::testing {
namespace {

namespace fs = std::filesystem;
using imaging::PixelBuffer;

// Grey rings whose frequency rises to the finest a picture holds at its edges.
PixelBuffer ZonePlate(int side) {
    PixelBuffer plate{imaging::PixelWords(static_cast<std::size_t>(side) * side), side, side};
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            const double dx = x - side / 2.0, dy = y - side / 2.0;
            const double v = 127.5 + 127.5 * std::cos(3.14159265358979 * (dx * dx + dy * dy) / side);
            const auto g = static_cast<std::uint32_t>(std::lround(v));
            plate.pixels[static_cast<std::size_t>(y) * side + x] = 0xFF000000u | g << 16 | g << 8 | g;
        }
    return plate;
}

void WritePpm(const fs::path& path, const PixelBuffer& p) {
    std::ofstream out(path, std::ios::binary);
    out << "P6\n" << p.width << " " << p.height << "\n255\n";
    for (std::uint32_t px : p.pixels) out.put(static_cast<char>(px >> 16)).put(static_cast<char>(px >> 8)).put(static_cast<char>(px));
}

PixelBuffer ReadPpm(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    int width = 0, height = 0, max = 0;
    in >> magic >> width >> height >> max;
    in.get();
    PixelBuffer p{{}, width, height};
    for (int i = 0; i < width * height; ++i) {
        const int r = in.get(), g = in.get(), b = in.get();
        p.pixels.push_back(0xFF000000u | static_cast<std::uint32_t>(r) << 16 | static_cast<std::uint32_t>(g) << 8 |
                           static_cast<std::uint32_t>(b));
    }
    return p;
}

double Psnr(const PixelBuffer& a, const PixelBuffer& b) {
    double sum = 0;
    for (std::size_t i = 0; i < a.pixels.size(); ++i)
        for (int shift : {16, 8, 0}) {
            const double d = static_cast<double>((a.pixels[i] >> shift) & 0xFF) - static_cast<double>((b.pixels[i] >> shift) & 0xFF);
            sum += d * d;
        }
    const double mse = sum / (3.0 * static_cast<double>(a.pixels.size()));
    return mse == 0 ? 99 : 10 * std::log10(255.0 * 255.0 / mse);
}

TEST(LanczosTest, AZonePlateReducedMatchesImageMagicksLanczos) {
    const fs::path folder = fs::temp_directory_path() / "zylora-lanczos-test";
    fs::create_directories(folder);
    const PixelBuffer plate = ZonePlate(512);
    WritePpm(folder / "plate.ppm", plate);
    for (const int side : {128, 189, 64}) {  // a quarter, 0.37 and an eighth of it
        SCOPED_TRACE(side);
        const fs::path reference = folder / ("plate-" + std::to_string(side) + ".ppm");
        const std::string command = "convert '" + (folder / "plate.ppm").string() + "' -filter Lanczos -resize " +
                                    std::to_string(side) + "x" + std::to_string(side) + "! '" + reference.string() + "'";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
        const auto ours = imaging::ResizeLanczos(plate, true, {side, side});
        ASSERT_TRUE(ours);
        const PixelBuffer theirs = ReadPpm(reference);
        ASSERT_EQ(theirs.pixels.size(), ours->pixels.pixels.size());
        const double direct = Psnr(ours->pixels, theirs);
        EXPECT_GE(direct, 32.0);
        // What the view shows once it rests: the exact scale made from the copy at half.
        const auto half = imaging::ReducePixels(plate, true, {256, 256});
        const double viaHalf = Psnr(imaging::ResizeLanczos(half->pixels, true, {side, side})->pixels, theirs);
        EXPECT_GE(viaHalf, 32.0);
        // The figures for the bench's table (scripts/bench.sh collects these lines).
        std::printf("| zone plate reduced to %.2f, PSNR against ImageMagick | %.1f dB | from the half copy %.1f dB | >= 32 dB |\n",
                    side / 512.0, direct, viaHalf);
    }
    fs::remove_all(folder);
}

}  // namespace
}  // namespace zylora::testing
