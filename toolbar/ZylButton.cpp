#include "toolbar/ZylButton.h"

#include "app/MainWindow.h"
#include "toolbar/ToolbarProc.h"

namespace zylora::toolbar {

void TZylButton::LoadFromIni(const ButtonValues& values, const std::string& folder) {
    Action = values.Action;
    X = values.X;
    Y = values.Y;
    Width = values.Width;
    Height = values.Height;
    platform::Platform& platform = MainWindow.Platform();
    NormalImage = platform.DecodeSkinImage(folder + values.NormalImage);
    MouseoverImage = platform.DecodeSkinImage(folder + values.MouseoverImage);
    InactiveImage = platform.DecodeSkinImage(folder + values.InactiveImage);
    SelectedImage = platform.DecodeSkinImage(folder + values.SelectedImage);
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

}  // namespace zylora::toolbar
