// libheif.dll as the viewer loads it: from the DLL's path with the libde265.dll beside it,
// decoding a HEIC made by heif-enc at build time; a DLL that is missing or isn't one gives
// nothing, without the system's dialog.
#include "platform/win32/Win32HeifLibrary.h"

#include <fstream>

#include "imaging/HeicDecoder.h"
#include "platform/win32/Win32Text.h"
#include "tests/win32/Win32TestSupport.h"

namespace zylora::win32test {
namespace {

// The runnable folder the build lays out (zylora.exe's), found from this test program.
std::wstring DistFolder() {
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path(self);
    path.erase(path.find_last_of(L'\\') + 1);
    for (const char* c = ZYLORA_EXE_RELATIVE; *c; ++c) path += *c == '/' ? L'\\' : static_cast<wchar_t>(*c);
    return path.substr(0, path.find_last_of(L'\\') + 1);
}

TEST(HeifLibraryTest, TheBuiltDllsDecodeAHeicInItsColours) {
    const imaging::HeifLibrary* library = platform::win32::LoadHeifLibrary(DistFolder() + L"libheif.dll");
    ASSERT_NE(library, nullptr);
    std::ifstream file(std::string(ZYLORA_TEST_PICTURES) + "/swatches.heic", std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    const std::optional<imaging::DecodedPixels> pixels = imaging::HeicPixels(library, bytes, imaging::PictureLimit);
    ASSERT_TRUE(pixels);
    ASSERT_EQ(pixels->pixels.width, 16);
    ASSERT_EQ(pixels->pixels.height, 8);
    // The swatches: rgb(200,40,40) on the left, rgb(40,200,60) on the right.
    for (const auto& [x, want] : {std::pair{4, 0xFFC82828u}, {12, 0xFF28C83Cu}}) {
        const std::uint32_t got = pixels->pixels.pixels[static_cast<std::size_t>(4 * 16 + x)];
        for (int shift : {0, 8, 16, 24})
            EXPECT_NEAR(static_cast<int>(got >> shift & 0xFF), static_cast<int>(want >> shift & 0xFF), 12)
                << "x " << x << ": " << std::hex << got;
    }
}

TEST(HeifLibraryTest, AMissingDllOrOneThatIsntADllGivesNothing) {
    ScratchFolder folder;
    EXPECT_EQ(platform::win32::LoadHeifLibrary(platform::win32::WideFromUtf8(folder.File("libheif.dll"))), nullptr);
    std::ofstream(folder.File("libheif.dll"), std::ios::binary) << "MZ but nothing of a DLL";
    EXPECT_EQ(platform::win32::LoadHeifLibrary(platform::win32::WideFromUtf8(folder.File("libheif.dll"))), nullptr);
}

}  // namespace
}  // namespace zylora::win32test
