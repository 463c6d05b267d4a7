#include "toolbar/ZylButton.h"

#include "app/MainWindow.h"
#include "toolbar/ToolbarProc.h"

namespace zylora::toolbar {

std::array<std::string, 4> TZylButton::ImageNames(const ButtonValues& values) {
    return {values.NormalImage, values.MouseoverImage, values.InactiveImage, values.SelectedImage};
}

void TZylButton::LoadFromIni(const ButtonValues& values, const std::string& folder) {
    Action = values.Action;
    X = values.X;
    Y = values.Y;
    Width = values.Width;
    Height = values.Height;
    const std::array<std::string, 4> names = ImageNames(values);
    for (std::size_t look = 0; look < names.size(); ++look) paths_[look] = folder + names[look];
}

const platform::Image& TZylButton::LookImage(Look look) const { return MainWindow.ButtonImages.Get(paths_[look]); }

TZylButton::Look TZylButton::CurrentLook() const {
    if (!MainWindow.Active) return InactiveLook;
    if (Pressed) return SelectedLook;
    if (Hovered) return MouseoverLook;
    if (Selected) return SelectedLook;
    return NormalLook;
}

bool TZylButton::HitTest(int px, int py) const {
    const auto alpha = CurrentImage().AlphaAt(px, py);
    return alpha.has_value() && *alpha != 0;
}

void TZylButton::PaintInto(platform::Surface& surface, platform::Rect rect) const {
    surface.DrawImage(CurrentImage(), rect);
}

void TZylButton::Redraw(platform::ScreenTarget& toolbar) const {
    auto surface = MainWindow.Platform().CreateSurface(Width, Height);
    const platform::RectF piece{static_cast<float>(X), static_cast<float>(Y),
                                static_cast<float>(Width), static_cast<float>(Height)};
    surface->DrawImageRect(BackgroundCache(MainWindow), piece,
                           {0, 0, static_cast<float>(Width), static_cast<float>(Height)});
    PaintInto(*surface, {0, 0, Width, Height});
    toolbar.DrawSurface(*surface, {X, Y});
}

void TZylButton::RunAction() { MainWindow.RunCommand(Action); }

}  // namespace zylora::toolbar
