// The program's entry: the only place that chooses the platform.
#include "app/Program.h"
#include "platform/win32/Win32Platform.h"

int main() {
    auto platform = zylora::platform::win32::CreateWin32Platform();
    return zylora::app::RunProgram(*platform);
}
