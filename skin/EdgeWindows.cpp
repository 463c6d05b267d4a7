#include "skin/EdgeWindows.h"

#include <utility>

#include "app/MainWindow.h"

namespace zylora::skin {

TEdgeWindow::TEdgeWindow(platform::Platform& platform, const std::string& className,
                         std::string section)
    : TFrameWindow(platform, className),
      Timer1(platform.CreateTimer(1, [] {})),
      section_(std::move(section)) {}

std::string TEdgeWindow::Prefix() const { return ActiveLook() ? "" : "inactive_"; }

void TEdgeWindow::PaintEdge(int width, int height) {
    auto surface = platform_.CreateSurface(width, height);
    window_->PresentLayered(*surface, 255);
}

void TEdgeWindow::FormCanResize(platform::Size proposed) {
    const platform::Rect now = window_->Bounds();
    if (proposed.width != now.width || proposed.height != now.height)
        PaintEdge(proposed.width, proposed.height);
}

void TEdgeWindow::ReadSkinValues(const platform::IniFile& skinFile) {
    ResizeBorder1 = skinFile.ReadInteger(section_, "ResizeBorder1", 0);
    ResizeBorder2 = skinFile.ReadInteger(section_, "ResizeBorder2", 0);
}

TfrmLeft::TfrmLeft(platform::Platform& platform) : TEdgeWindow(platform, "TfrmLeft", "left") {}

TfrmBottom::TfrmBottom(platform::Platform& platform)
    : TEdgeWindow(platform, "TfrmBottom", "bottom") {}

TfrmRight::TfrmRight(platform::Platform& platform)
    : TEdgeWindow(platform, "TfrmRight", "right"), Timer2(platform.CreateTimer(1, [] {})) {}

void TfrmRight::ReadSkinValues(const platform::IniFile& skinFile) {
    TEdgeWindow::ReadSkinValues(skinFile);
    ResizeBorder3 = skinFile.ReadInteger(Section(), "ResizeBorder3", 0);
    ResizeBorder4 = skinFile.ReadInteger(Section(), "ResizeBorder4", 0);
}

}  // namespace zylora::skin
