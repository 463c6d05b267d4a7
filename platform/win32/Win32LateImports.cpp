#include "platform/win32/Win32LateImports.h"

#include <string>

namespace zylora::platform::win32 {

HMODULE SystemLibrary(const char* library) {
    char folder[MAX_PATH] = {};
    const UINT length = ::GetSystemDirectoryA(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return nullptr;
    return ::LoadLibraryA((std::string(folder) + "\\" + library).c_str());
}

}  // namespace zylora::platform::win32
