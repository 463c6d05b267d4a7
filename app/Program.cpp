#include "app/Program.h"

#include <memory>

#include "app/MainWindow.h"

namespace zylora::app {

int RunProgram(platform::Platform& platform) {
    platform.SetApplicationTitle("Zylora");
    auto frmMiddle = std::make_unique<TfrmMiddle>(platform);  // runs FormCreate
    frmMiddle->Show();                                         // runs FormShow
    platform.RunMessageLoop();
    frmMiddle.reset();  // runs FormDestroy, which writes the settings file
    return 0;
}

}  // namespace zylora::app
