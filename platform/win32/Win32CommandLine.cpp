// The program's arguments, split from the system's command line. Internal to platform/win32.
#include "platform/win32/Win32Platform.h"

#include "platform/win32/Win32Api.h"

#include <shellapi.h>

#include "platform/Paths.h"
#include "platform/win32/Win32Handles.h"
#include "platform/win32/Win32LateImports.h"
#include "platform/win32/Win32Text.h"

namespace zylora::platform::win32 {

std::vector<std::string> CommandLineArguments() {
    std::vector<std::string> result;
    const wchar_t* line = ::GetCommandLineW();
    // Without any, the shell isn't loaded to split them.
    if (!HasArgumentsAfterProgram(line)) return result;
    static auto* const split = LateFunction<decltype(::CommandLineToArgvW)>("shell32.dll", "CommandLineToArgvW");
    if (!split) return result;
    int count = 0;
    LocalMemory<LPWSTR> arguments(split(line, &count));
    if (!arguments.Get()) return result;
    for (int i = 1; i < count; ++i) result.push_back(Utf8FromWide(arguments.Get()[i]));
    return result;
}

}  // namespace zylora::platform::win32
