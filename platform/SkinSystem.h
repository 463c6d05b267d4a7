// What reading a skin or button set folder needs of the system, and nothing more: no window,
// no display. The skin checker runs on it, on Windows and natively.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/Platform.h"

namespace zylora::platform {

class SkinSystem {
public:
    virtual ~SkinSystem() = default;
    virtual FileSystem& Files() = 0;
    // As the viewer decodes a skin image (Platform::DecodeSkinImage): a 0 x 0 image when the
    // file is missing, doesn't decode or is beyond SkinImageLimit.
    virtual std::unique_ptr<Image> DecodeSkinImage(const std::string& path) = 0;
    // The system has a font of the family, by the name a skin gives.
    virtual bool HasFontFamily(const std::string& family) = 0;
};

// The system's own, from platform/win32 or platform/posix.
std::unique_ptr<SkinSystem> CreateSkinSystem();
// The program's command-line arguments after its name, in UTF-8.
std::vector<std::string> ProgramArguments(int argc, char** argv);

}  // namespace zylora::platform
