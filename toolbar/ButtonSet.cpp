// Loading the current button set into the toolbar.
#include <algorithm>

#include "app/MainWindow.h"
#include "platform/Ini.h"
#include "platform/Text.h"
#include "toolbar/ZylButton.h"

namespace zylora::app {

namespace {

// More sections than any toolbar can show; a larger count in the file would only make the
// load spin through sections that aren't there.
constexpr int MaxButtons = 1024;

}  // namespace

void TfrmMiddle::LoadButtonSet() {
    const std::string folder = ProgramFolder() + "\\" + ButtonsDir + "\\";
    platform::IniFile file(platform_.Files(), folder + "values.ini");

    OwnToolbarBackground = platform_.Files().FileExists(folder + "bg.bmp");
    ToolbarBackgroundCache.reset();
    ToolbarBackground.reset();
    ToolbarBackground =
        platform_.DecodeImage(OwnToolbarBackground ? folder + "bg.bmp" : GetSkinPath() + "bg.bmp");

    ButtonList.clear();
    const int count = std::clamp(file.ReadInteger("Main", "NumOfButtons", 0), 0, MaxButtons);
    SetToolbarHeight(file.ReadInteger("Main", "ToolbarHeight", ToolbarHeight()));

    for (int n = 0; n < count; ++n) {
        auto button = std::make_unique<toolbar::TZylButton>(*this);
        button->LoadFromIni("Button-" + std::to_string(n), file, folder);
        const std::string action = platform::LowerAscii(button->Action);
        if (action == "movemode") button->Selected = MoveMode;
        if (action == "selectmode") button->Selected = !MoveMode;
        ButtonList.push_back(std::move(button));
    }
}

// Where the button set chooser opens; until it exists the release only leaves the pressed
// look in place, as the menu will.
void TfrmMiddle::ShowButtonSetMenu() {}

}  // namespace zylora::app
