// The skin checker's system on Linux: files through the C++ library, images through
// stb_image (PNG, BMP, JPEG, GIF), fonts through fontconfig.
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cstring>

#include "imaging/ImageHeader.h"
#include "imaging/Pixels.h"
#include "imaging/Resample.h"
#include "imaging/StbPixels.h"
#include "platform/SkinSystem.h"
#include "platform/posix/PosixFileSystem.h"

namespace zylora::platform {

namespace {

// Straight ARGB pixels in rows without padding, as the Win32 images hold them.
class PixelImage : public Image {
public:
    PixelImage(int width, int height, imaging::PixelWords pixels)
        : width_(width), height_(height), pixels_(std::move(pixels)) {}
    PixelImage() = default;

    int Width() const override { return width_; }
    int Height() const override { return height_; }
    std::optional<std::uint8_t> AlphaAt(int x, int y) const override {
        if (x < 0 || y < 0 || x >= width_ || y >= height_) return std::nullopt;
        return static_cast<std::uint8_t>(pixels_[static_cast<std::size_t>(y) * width_ + x] >> 24);
    }
    std::unique_ptr<Image> Reduced(int width, int height) const override {
        if (width_ <= 0 || height_ <= 0) return std::make_unique<PixelImage>();
        width = std::clamp(width, 1, width_);
        height = std::clamp(height, 1, height_);
        imaging::PixelWords pixels(static_cast<std::size_t>(width) * height, 0);
        imaging::DrawResampled({pixels_.data(), width_, height_}, false,
                               {0, 0, static_cast<float>(width_), static_cast<float>(height_)},
                               {pixels.data(), width, height},
                               {0, 0, static_cast<float>(width), static_cast<float>(height)});
        return std::make_unique<PixelImage>(width, height, std::move(pixels));
    }
    bool RotateFlip(RotateFlipType type) override {
        imaging::PixelBuffer buffer{std::move(pixels_), width_, height_};
        const bool turned = imaging::RotateFlipPixels(buffer, type);
        pixels_ = std::move(buffer.pixels);
        width_ = buffer.width;
        height_ = buffer.height;
        return turned;
    }

private:
    int width_ = 0;
    int height_ = 0;
    imaging::PixelWords pixels_;
};

class PosixSkinSystem : public SkinSystem {
public:
    PosixSkinSystem() : fonts_(FcInitLoadConfigAndFonts()) {
        // Here the viewer runs under Wine, which brings fonts of its own beside the system's.
        if (fonts_) FcConfigAppFontAddDir(fonts_, reinterpret_cast<const FcChar8*>("/usr/share/wine/fonts"));
    }
    ~PosixSkinSystem() override {
        if (fonts_) FcConfigDestroy(fonts_);
    }
    PosixSkinSystem(const PosixSkinSystem&) = delete;
    PosixSkinSystem& operator=(const PosixSkinSystem&) = delete;

    FileSystem& Files() override { return files_; }

    std::unique_ptr<Image> DecodeSkinImage(const std::string& path) override {
        const std::optional<std::string> bytes = files_.ReadFile(path);
        std::optional<imaging::DecodedPixels> decoded =
            bytes ? imaging::StbPixels(*bytes, imaging::SkinImageLimit) : std::nullopt;
        if (!decoded) return std::make_unique<PixelImage>();
        imaging::PixelBuffer& pixels = decoded->pixels;
        return std::make_unique<PixelImage>(pixels.width, pixels.height, std::move(pixels.pixels));
    }

    bool HasFontFamily(const std::string& family) override {
        if (!fonts_ || family.empty()) return false;
        FcPattern* pattern = FcPatternCreate();
        FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
        FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, nullptr);
        FcFontSet* found = FcFontList(fonts_, pattern, objects);
        const bool has = found && found->nfont > 0;
        if (found) FcFontSetDestroy(found);
        FcObjectSetDestroy(objects);
        FcPatternDestroy(pattern);
        return has;
    }

private:
    posix::PosixFileSystem files_;
    FcConfig* fonts_;
};

}  // namespace

std::unique_ptr<SkinSystem> CreateSkinSystem() { return std::make_unique<PosixSkinSystem>(); }

std::vector<std::string> ProgramArguments(int argc, char** argv) {
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i) arguments.emplace_back(argv[i]);
    return arguments;
}

}  // namespace zylora::platform
