#include "toolbar/ZylButton.h"

#include "app/MainWindow.h"
#include "toolbar/ToolbarProc.h"

namespace zylora::toolbar {

std::array<std::string, 4> TZylButton::ImageNames(const ButtonValues& values) {
    return {values.NormalImage, values.MouseoverImage, values.InactiveImage, values.SelectedImage};
}

void TZylButton::LoadFromIni(const ButtonValues& values, std::array<std::unique_ptr<platform::Image>, 4> images) {
    Action = values.Action;
    X = values.X;
    Y = values.Y;
    Width = values.Width;
    Height = values.Height;
    NormalImage = std::move(images[0]);
    MouseoverImage = std::move(images[1]);
    InactiveImage = std::move(images[2]);
    SelectedImage = std::move(images[3]);
}

const platform::Image& TZylButton::CurrentImage() const {
    if (!MainWindow.Active) return *InactiveImage;
    if (Pressed) return *SelectedImage;
    if (Hovered) return *MouseoverImage;
    if (Selected) return *SelectedImage;
    return *NormalImage;
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
