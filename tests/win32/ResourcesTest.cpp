// The built zylora.exe as the shell sees it (its first icon in every size, its version, its
// manifest) and the icon on the classes of the viewer's windows, which the taskbar shows.
#include "tests/win32/Win32TestSupport.h"

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

TEST_F(ExeResources, FirstIconHasAnImageOfEachSize) {
    std::vector<ULONG_PTR> groups;
    ::EnumResourceNamesW(exe, MAKEINTRESOURCEW(14) /* RT_GROUP_ICON */, &CollectName,
                         reinterpret_cast<LONG_PTR>(&groups));
    ASSERT_FALSE(groups.empty()) << "no icon in zylora.exe";
    EXPECT_EQ(groups.front(), static_cast<ULONG_PTR>(ZYLORA_ICON_ID)) << "the shell shows the first icon";

    std::string group = Resource(MAKEINTRESOURCEW(14), MAKEINTRESOURCEW(ZYLORA_ICON_ID));
    ASSERT_FALSE(group.empty());
    for (int side : {16, 32, 48, 256}) {
        // The image the system picks for this size must be one drawn at this size.
        const int id = ::LookupIconIdFromDirectoryEx(reinterpret_cast<PBYTE>(group.data()), TRUE, side, side,
                                                     LR_DEFAULTCOLOR);
        std::string image = Resource(MAKEINTRESOURCEW(3) /* RT_ICON */, MAKEINTRESOURCEW(id));
        HICON icon = ::CreateIconFromResourceEx(reinterpret_cast<PBYTE>(image.data()),
                                                static_cast<DWORD>(image.size()), TRUE, 0x00030000, 0, 0, 0);
        EXPECT_EQ(IconSide(icon), side);
        if (icon) ::DestroyIcon(icon);
    }
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
        {L"FileVersion", ZYLORA_VERSION},    {L"ProductVersion", ZYLORA_VERSION},
        {L"ProductName", "Zylora"},          {L"CompanyName", "Zylora"},
        {L"LegalCopyright", "Copyright (C) 2026 Zylora"},
        {L"FileDescription", "Zylora skinned picture viewer"},
    };
    for (const auto& [key, value] : expected) EXPECT_EQ(text(key), value);

    // The numbers Explorer shows as the file version.
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(::VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(std::to_string(HIWORD(fixed->dwFileVersionMS)) + "." + std::to_string(LOWORD(fixed->dwFileVersionMS)) +
                  "." + std::to_string(HIWORD(fixed->dwFileVersionLS)),
              ZYLORA_VERSION);
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
