#include "toolbar/ZylButton.h"

#include "app/MainWindow.h"

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
    NormalImage = platform.DecodeImage(folder + normal);
    MouseoverImage = platform.DecodeImage(folder + file.ReadString(section, "mouseoverImage", normal));
    InactiveImage = platform.DecodeImage(folder + file.ReadString(section, "inactiveImage", normal));
    SelectedImage = platform.DecodeImage(folder + file.ReadString(section, "selectedImage", normal));
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

}  // namespace zylora::toolbar
