// The skin checker's system on Linux: files through the C++ library, images through
// stb_image (PNG, BMP, JPEG, GIF), fonts through fontconfig.
#include <fontconfig/fontconfig.h>
#include <stb_image.h>

#include <algorithm>
#include <cstring>

#include "platform/ImageHeader.h"
#include "platform/Pixels.h"
#include "platform/Resample.h"
#include "platform/SkinSystem.h"
#include "platform/posix/PosixFileSystem.h"

namespace zylora::platform {

namespace {

// Straight ARGB pixels in rows without padding, as the Win32 images hold them.
class PixelImage : public Image {
public:
    PixelImage(int width, int height, PixelWords pixels)
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
        PixelWords pixels(static_cast<std::size_t>(width) * height, 0);
        DrawResampled({pixels_.data(), width_, height_}, false,
                      {0, 0, static_cast<float>(width_), static_cast<float>(height_)},
                      {pixels.data(), width, height}, {0, 0, static_cast<float>(width), static_cast<float>(height)});
        return std::make_unique<PixelImage>(width, height, std::move(pixels));
    }
    bool RotateFlip(RotateFlipType type) override {
        PixelBuffer buffer{std::move(pixels_), width_, height_};
        const bool turned = RotateFlipPixels(buffer, type);
        pixels_ = std::move(buffer.pixels);
        width_ = buffer.width;
        height_ = buffer.height;
        return turned;
    }

private:
    int width_ = 0;
    int height_ = 0;
    PixelWords pixels_;
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
        if (!bytes || bytes->size() > static_cast<std::size_t>(INT32_MAX)) return std::make_unique<PixelImage>();
        // Refused before decoding, as the viewer refuses it. A file whose header names none of
        // the viewer's formats isn't handed to stb_image, which reads more formats than GDI+.
        const std::optional<Size> declared = DeclaredImageSize([&](std::uint64_t offset, std::size_t length) {
            return offset >= bytes->size() ? std::string() : bytes->substr(static_cast<std::size_t>(offset), length);
        });
        if (!declared || !SkinImageLimit.Allows(*declared)) return std::make_unique<PixelImage>();
        int width = 0, height = 0, channels = 0;
        stbi_uc* rgba = stbi_load_from_memory(reinterpret_cast<const stbi_uc*>(bytes->data()),
                                              static_cast<int>(bytes->size()), &width, &height, &channels, 4);
        if (!rgba) return std::make_unique<PixelImage>();
        PixelWords pixels;
        if (width > 0 && height > 0 && SkinImageLimit.Allows({width, height})) {
            pixels.resize(static_cast<std::size_t>(width) * height);
            for (std::size_t i = 0; i < pixels.size(); ++i) {
                const stbi_uc* p = rgba + i * 4;
                pixels[i] = MakeArgb(p[3], p[0], p[1], p[2]);
            }
        }
        stbi_image_free(rgba);
        if (pixels.empty()) return std::make_unique<PixelImage>();
        return std::make_unique<PixelImage>(width, height, std::move(pixels));
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
