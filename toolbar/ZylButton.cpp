#include "toolbar/ZylButton.h"

#include "app/MainWindow.h"
#include "toolbar/ToolbarProc.h"

namespace zylora::toolbar {

void TZylButton::LoadFromIni(const std::string& section, const platform::IniFile& file,
                             const std::string& folder) {
    Action = file.ReadString(section, "Action", "");
    X = file.ReadInteger(section, "X", 0);
    Y = file.ReadInteger(section, "Y", 0);
    Width = file.ReadInteger(section, "Width", 32);
    Height = file.ReadInteger(section, "Height", 32);
    const std::string normal = file.ReadString(section, "normalImage", "");
    platform::Platform& platform = MainWindow.Platform();
    NormalImage = platform.DecodeSkinImage(folder + normal);
    MouseoverImage = platform.DecodeSkinImage(folder + file.ReadString(section, "mouseoverImage", normal));
    InactiveImage = platform.DecodeSkinImage(folder + file.ReadString(section, "inactiveImage", normal));
    SelectedImage = platform.DecodeSkinImage(folder + file.ReadString(section, "selectedImage", normal));
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
