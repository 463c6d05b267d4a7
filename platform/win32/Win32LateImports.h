// Functions of the shell and of the common dialogs, loaded at their first call. Linked
// directly, shell32 and comdlg32, with the common controls and the print spooler they bring
// along, load and initialise before the program's first line: under Wine that was a good
// part of what the start costs beyond a minimal program's, for functions only a drop, the
// open dialog, the Recycle Bin, the shell's menu or a picture named on the command line need.
// Internal to platform/win32.
#pragma once

#include "platform/win32/Win32Api.h"

namespace zylora::platform::win32 {

// The system library of that name, from the system's own folder: never a file of the same
// name beside the program or in the working folder. Null when it can't be loaded.
HMODULE SystemLibrary(const char* library);

// The system library's function, or null when it can't be had. The library stays loaded for
// good: the pointer must stay valid.
template <typename Function>
Function* LateFunction(const char* library, const char* name) {
    const HMODULE module = SystemLibrary(library);
    return module ? reinterpret_cast<Function*>(reinterpret_cast<void*>(::GetProcAddress(module, name))) : nullptr;
}

}  // namespace zylora::platform::win32
