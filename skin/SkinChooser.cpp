// Choosing a skin at run time from the title window's menu, and the message that tells the
// user which skin it is.
#include "app/MainWindow.h"
#include "platform/Ini.h"
#include "platform/Paths.h"
#include "skin/EdgeWindows.h"
#include "skin/SkinFile.h"
#include "skin/SkinImages.h"
#include "skin/TitleWindow.h"

namespace zylora::skin {

// Listed anew at each opening, so skins added while the program runs are offered.
void TfrmTop::ShowSkinMenu() {
    if (!MainWindow) return;
    PopupMenu1 = platform::VisibleSubfolders(platform_.Files(), MainWindow->ProgramFolder() + "\\Skins");
    const std::optional<int> chosen = platform_.ShowPopupMenu(MainWindow->Form(), PopupMenu1, platform_.CursorPos());
    if (chosen && *chosen >= 0 && *chosen < static_cast<int>(PopupMenu1.size()))
        DUMMY1Click(PopupMenu1[static_cast<std::size_t>(*chosen)]);
}

void TfrmTop::DUMMY1Click(const std::string& caption) {
    if (!MainWindow) return;
    app::TfrmMiddle& main = *MainWindow;
    main.SkinDir = "Skins\\" + caption;
    main.LoadSkin();
    const platform::Rect m = main.PlacedRect();
    main.PlaceWindows(m.left, m.top, m.width, m.height);
    for (TFrameWindow* frame : std::initializer_list<TFrameWindow*>{
             main.LeftFrame.get(), main.RightFrame.get(), this, main.BottomFrame.get()}) {
        const platform::Rect now = frame->Form().Bounds();
        frame->RenderAt(now.width, now.height);
    }
    main.RenderFrames(m.left, m.top, m.width, m.height);
    main.Toolbar->Invalidate();
    main.ShowSkinInfo();
}

}  // namespace zylora::skin

namespace zylora::app {

void TfrmMiddle::ShowSkinInfo() {
    const skin::SkinInfo info =
        skin::ReadSkinInfo(platform::IniFile(platform_.Files(), GetSkinPath() + skin::files::SkinFile));
    const std::string text = info.Name + " by " + info.Author + "\n\nNotes:\n" + info.Notes;
    platform_.ShowMessage(window_.get(), text, "Skin Info", platform::MessageIcon::Information);
}

}  // namespace zylora::app
