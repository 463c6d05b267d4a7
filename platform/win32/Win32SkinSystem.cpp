// The skin checker's system on Windows: the viewer's own file access, GDI+ decoding and the
// font lookup its caption drawing makes.
#include "platform/SkinSystem.h"

#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Imaging.h"
#include "platform/win32/Win32Platform.h"
#include "platform/win32/Win32Text.h"

namespace zylora::platform {

namespace {

class Win32SkinSystem : public SkinSystem {
public:
    FileSystem& Files() override { return files_; }
    std::unique_ptr<Image> DecodeSkinImage(const std::string& path) override {
        return win32::DecodeImageFile(gdiplus_.Started() ? path : std::string(), imaging::SkinImageLimit, nullptr);
    }
    bool HasFontFamily(const std::string& family) override {
        if (!gdiplus_.Started()) return false;
        const std::wstring name = win32::WideFromUtf8(family);
        Gdiplus::FontFamily named(name.c_str());
        return named.IsAvailable();
    }

private:
    // Declared first: GDI+ goes last, after the images made through it.
    win32::GdiplusSession gdiplus_;
    win32::Win32FileSystem files_;
};

}  // namespace

std::unique_ptr<SkinSystem> CreateSkinSystem() { return std::make_unique<Win32SkinSystem>(); }

// The system's own UTF-16 command line: argv holds the code page's rendering of it.
std::vector<std::string> ProgramArguments(int, char**) { return win32::CommandLineArguments(); }

}  // namespace zylora::platform
