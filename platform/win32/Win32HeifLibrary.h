// libheif.dll (with the libde265.dll it imports) from the program's own folder, loaded at the
// first HEIC file opened, never at the start. Internal to platform/win32.
#pragma once

#include <string>

#include "imaging/HeifLibrary.h"

namespace zylora::platform::win32 {

// The library's functions; null when the DLL is missing, isn't one, or lacks a function.
// Loaded once, on whichever thread asks first, and kept for good.
const imaging::HeifLibrary* HeifLibrary();

// The same from the DLL at that path, loaded afresh; the tests' way to a missing or broken one.
const imaging::HeifLibrary* LoadHeifLibrary(const std::wstring& dllPath);

}  // namespace zylora::platform::win32
