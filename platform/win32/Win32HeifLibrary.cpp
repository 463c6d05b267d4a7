#include "platform/win32/Win32HeifLibrary.h"

#include <memory>
#include <mutex>

#include "platform/win32/Win32Api.h"

namespace zylora::platform::win32 {

namespace {

// The program's folder, with its separator at the end.
std::wstring ProgramFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    return path.substr(0, path.find_last_of(L"\\/") + 1);
}

}  // namespace

const imaging::HeifLibrary* LoadHeifLibrary(const std::wstring& dllPath) {
    // Its folder is searched for the DLLs it imports (libde265.dll), before the system's; a
    // DLL that is broken or of the wrong machine fails quietly, without the system's dialog.
    DWORD previousMode = 0;
    ::SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &previousMode);
    const HMODULE module = ::LoadLibraryExW(dllPath.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    ::SetThreadErrorMode(previousMode, nullptr);
    if (!module) return nullptr;
    auto library = std::make_unique<imaging::HeifLibrary>();
    bool complete = true;
#define ZYLORA_HEIF_LOOKUP(name)                                                                      \
    library->name = reinterpret_cast<decltype(&::name)>(reinterpret_cast<void*>(::GetProcAddress(module, #name))); \
    complete = complete && library->name != nullptr;
    ZYLORA_HEIF_FUNCTIONS(ZYLORA_HEIF_LOOKUP)
#undef ZYLORA_HEIF_LOOKUP
    if (!complete) {
        ::FreeLibrary(module);
        return nullptr;
    }
    // Kept with the library, which stays loaded for good: the pointers must stay valid.
    return library.release();
}

const imaging::HeifLibrary* HeifLibrary() {
    static std::once_flag loaded;
    static const imaging::HeifLibrary* library = nullptr;
    std::call_once(loaded, [] {
        const std::wstring folder = ProgramFolder();
        if (!folder.empty()) library = LoadHeifLibrary(folder + L"libheif.dll");
    });
    return library;
}

}  // namespace zylora::platform::win32
