// Loading the current button set into the toolbar.
#include <algorithm>

#include "app/MainWindow.h"
#include "platform/Ini.h"
#include "platform/Paths.h"
#include "platform/Text.h"
#include "skin/SkinImages.h"
#include "toolbar/ButtonSetFile.h"
#include "toolbar/ZylButton.h"

namespace zylora::app {

void TfrmMiddle::LoadButtonSet() {
    const std::string folder = ProgramFolder() + "\\" + ButtonsDir + "\\";
    const platform::IniFile file(platform_.Files(), folder + toolbar::ButtonSetFile);
    // A file without a height keeps the one the last button set gave, at the present scale.
    const toolbar::ButtonSetValues read = toolbar::ReadButtonSetFile(file, ToolbarHeightAt96);
    ToolbarHeightAt96 = read.ToolbarHeight;
    const toolbar::ButtonSetValues values = toolbar::ScaledForDpi(read, Dpi);

    OwnToolbarBackground = platform_.Files().FileExists(folder + toolbar::ButtonSetBackground);
    ToolbarBackgroundCache.reset();
    ToolbarBackground.reset();
    ButtonList.clear();
    ButtonImages.Clear();
    ToolbarBackground = OwnToolbarBackground ? ButtonImages.Decode(folder + toolbar::ButtonSetBackground)
                                             : FrameImages.Decode(GetSkinPath() + skin::files::ToolbarBackground);
    // No higher than the desktop: the rest could never be seen, and its background would
    // be built at that size.
    SetToolbarHeight(std::min(values.ToolbarHeight, platform_.DesktopSize().height));

    for (const toolbar::ButtonValues& read : values.Buttons) {
        auto button = std::make_unique<toolbar::TZylButton>(*this);
        button->LoadFromIni(read, folder);
        const std::string action = platform::LowerAscii(button->Action);
        if (action == "movemode") button->Selected = MoveMode;
        if (action == "selectmode") button->Selected = !MoveMode;
        ButtonList.push_back(std::move(button));
    }
    // The looks the next paint shows, decoding on another thread until that paint; the
    // others (pointer-over, pressed, inactive) at their first use, off the first frame's way.
    std::vector<std::string> paths;
    for (const auto& button : ButtonList) paths.push_back(button->LookPath(button->CurrentLook()));
    ButtonImages.Preload(paths);
}

// The button set folders as they are now: folders added while the program runs are offered
// at the next opening. A folder without a values.ini is offered too.
void TfrmMiddle::ShowButtonSetMenu() {
    PopupMenu1 = platform::VisibleSubfolders(platform_.Files(), ProgramFolder() + "\\Buttons");
    const std::optional<int> chosen = platform_.ShowPopupMenu(*window_, PopupMenu1, platform_.CursorPos());
    if (chosen && *chosen >= 0 && *chosen < static_cast<int>(PopupMenu1.size()))
        DUMMYITEM1Click(PopupMenu1[static_cast<std::size_t>(*chosen)]);
}

void TfrmMiddle::DUMMYITEM1Click(const std::string& caption) {
    ButtonsDir = "Buttons\\" + caption;
    LoadButtonSet();
    // Buttons reaching further than the window is wide widen it, so that all can be clicked.
    const platform::Rect r = PlacedRect();
    PlaceWindows(r.left, r.top, r.width, r.height);
    Toolbar->Invalidate();
}

}  // namespace zylora::app
