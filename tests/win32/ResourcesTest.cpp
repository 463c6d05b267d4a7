// The built zylora.exe as the shell sees it (its first icon in every size, its version, its
// manifest) and the icon on the classes of the viewer's windows, which the taskbar shows.
#include "tests/win32/Win32TestSupport.h"

#include <algorithm>
#include <cstdio>

#include "platform/win32/Win32Resources.h"

namespace zylora::win32test {
namespace {

// zylora.exe, found from this test program: both are written by the same build.
std::wstring BuiltExe() {
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path(self);
    path.erase(path.find_last_of(L'\\') + 1);
    for (const char* c = ZYLORA_EXE_RELATIVE; *c; ++c) path += *c == '/' ? L'\\' : static_cast<wchar_t>(*c);
    return path;
}

class ExeResources : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(exe, nullptr) << "cannot load the built zylora.exe as data"; }
    void TearDown() override {
        if (exe) ::FreeLibrary(exe);
    }
    std::string Resource(LPCWSTR type, LPCWSTR name) const {
        HRSRC found = ::FindResourceW(exe, name, type);
        if (!found) return {};
        const auto* bytes = static_cast<const char*>(::LockResource(::LoadResource(exe, found)));
        return std::string(bytes, ::SizeofResource(exe, found));
    }

    HMODULE exe = ::LoadLibraryExW(BuiltExe().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
};

int IconSide(HICON icon) {
    ICONINFO info{};
    if (!::GetIconInfo(icon, &info)) return 0;
    BITMAP bitmap{};
    ::GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bitmap, &bitmap);
    if (info.hbmColor) ::DeleteObject(info.hbmColor);
    ::DeleteObject(info.hbmMask);
    return bitmap.bmWidth;
}

BOOL CALLBACK CollectName(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR list) {
    reinterpret_cast<std::vector<ULONG_PTR>*>(list)->push_back(reinterpret_cast<ULONG_PTR>(name));
    return TRUE;
}

TEST_F(ExeResources, FirstIconHoldsEverySizeAndEachImageLoads) {
    std::vector<ULONG_PTR> groups;
    ::EnumResourceNamesW(exe, MAKEINTRESOURCEW(14) /* RT_GROUP_ICON */, &CollectName,
                         reinterpret_cast<LONG_PTR>(&groups));
    ASSERT_FALSE(groups.empty()) << "no icon in zylora.exe";
    EXPECT_EQ(groups.front(), static_cast<ULONG_PTR>(ZYLORA_ICON_ID)) << "the shell shows the first icon";

    // The group directory: three words, then 14 bytes an image, its resource id last.
    const std::string group = Resource(MAKEINTRESOURCEW(14), MAKEINTRESOURCEW(ZYLORA_ICON_ID));
    ASSERT_GE(group.size(), 6u);
    const int count = static_cast<unsigned char>(group[4]) | static_cast<unsigned char>(group[5]) << 8;
    ASSERT_EQ(group.size(), 6u + 14u * count);
    std::vector<int> sides;
    for (int i = 0; i < count; ++i) {
        const char* entry = group.data() + 6 + 14 * i;
        const int side = static_cast<unsigned char>(entry[0]) ? static_cast<unsigned char>(entry[0]) : 256;
        const WORD id = static_cast<WORD>(static_cast<unsigned char>(entry[12]) | static_cast<unsigned char>(entry[13]) << 8);
        sides.push_back(side);
        std::string image = Resource(MAKEINTRESOURCEW(3) /* RT_ICON */, MAKEINTRESOURCEW(id));
        HICON icon = ::CreateIconFromResourceEx(reinterpret_cast<PBYTE>(image.data()), static_cast<DWORD>(image.size()),
                                                TRUE, 0x00030000, side, side, LR_DEFAULTCOLOR);
        EXPECT_EQ(IconSide(icon), side) << "the " << side << " px image";
        if (icon) ::DestroyIcon(icon);
    }
    std::sort(sides.begin(), sides.end());
    EXPECT_EQ(sides, (std::vector<int>{16, 32, 48, 256}));
}

TEST_F(ExeResources, VersionIsTheBuildsAndNamesTheProduct) {
    const std::wstring path = BuiltExe();
    std::vector<char> info(::GetFileVersionInfoSizeW(path.c_str(), nullptr));
    ASSERT_FALSE(info.empty());
    ASSERT_TRUE(::GetFileVersionInfoW(path.c_str(), 0, static_cast<DWORD>(info.size()), info.data()));
    auto text = [&](const std::wstring& key) {
        wchar_t* value = nullptr;
        UINT length = 0;
        if (!::VerQueryValueW(info.data(), (L"\\StringFileInfo\\040904b0\\" + key).c_str(),
                              reinterpret_cast<void**>(&value), &length) || !value)
            return std::string("(missing)");
        return std::string(value, value + ::wcslen(value));
    };
    const std::vector<std::pair<std::wstring, std::string>> expected = {
        {L"FileVersion", ZYLORA_VERSION}, {L"ProductVersion", ZYLORA_VERSION},
        {L"ProductName", "Zylora"},       {L"CompanyName", "Zylora"},
    };
    for (const auto& [key, value] : expected) EXPECT_EQ(text(key), value);
    EXPECT_NE(text(L"FileDescription"), "(missing)");
    EXPECT_NE(text(L"LegalCopyright").find("Zylora"), std::string::npos);

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(::VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    char numeric[32];
    std::snprintf(numeric, sizeof numeric, "%lu.%lu.%lu", fixed->dwFileVersionMS >> 16,
                  fixed->dwFileVersionMS & 0xffff, fixed->dwFileVersionLS >> 16);
    EXPECT_EQ(std::string(numeric), ZYLORA_VERSION);
}

TEST_F(ExeResources, ManifestAsksForCommonControlsSix) {
    const std::string manifest = Resource(MAKEINTRESOURCEW(24) /* RT_MANIFEST */, MAKEINTRESOURCEW(1));
    EXPECT_NE(manifest.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""), std::string::npos)
        << manifest;
}

using ProgramIconTest = PlatformTest;

TEST_F(ProgramIconTest, MainFormAndTaskbarWindowClassesCarryTheProgramsIcon) {
    // This program is built with the same resources as zylora.exe.
    auto own = [](int metric) {
        const int side = ::GetSystemMetrics(metric);
        return static_cast<HICON>(
            ::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(ZYLORA_ICON_ID), IMAGE_ICON, side, side, LR_SHARED));
    };
    ASSERT_NE(own(SM_CXICON), nullptr);
    auto form = Form("TfrmMiddle");
    const HWND main = HandleOf(*form);
    for (HWND window : {main, ::GetWindow(main, GW_OWNER)}) {
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(reinterpret_cast<HICON>(::GetClassLongPtrW(window, GCLP_HICON)), own(SM_CXICON));
        EXPECT_EQ(reinterpret_cast<HICON>(::GetClassLongPtrW(window, GCLP_HICONSM)), own(SM_CXSMICON));
    }
}

}  // namespace
}  // namespace zylora::win32test
