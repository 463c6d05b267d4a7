// Reading the current skin: the skin file's values into the main window and the frame
// windows, and the images held from one load to the next.
#include <algorithm>

#include "app/MainWindow.h"
#include "platform/Ini.h"
#include "skin/EdgeWindows.h"
#include "skin/TitleWindow.h"

namespace zylora::app {

void TfrmMiddle::LoadSkin() {
    const std::string skinPath = GetSkinPath();
    platform::IniFile skinFile(platform_.Files(), skinPath + "values.ini");
    FrameImages.Clear();

    CornerImage.reset();
    if (platform_.Files().FileExists(skinPath + "corner.png"))
        CornerImage = platform_.DecodeSkinImage(skinPath + "corner.png");

    // A button set without a background of its own shows the skin's.
    if (!OwnToolbarBackground) {
        ToolbarBackgroundCache.reset();
        ToolbarBackground.reset();
        ToolbarBackground = platform_.DecodeSkinImage(skinPath + "bg.bmp");
    }

    FrameMetrics& m = Metrics;
    m.LeftWidth = skinFile.ReadInteger("left", "Width", 0);
    m.LeftInactiveWidth = skinFile.ReadInteger("left", "InActiveWidth", 0);
    m.TopHeight = skinFile.ReadInteger("top", "Height", 0);
    m.TopInactiveHeight = skinFile.ReadInteger("top", "InActiveHeight", 0);
    m.TopRolledUpHeight = skinFile.ReadInteger("top", "RolledUpHeight", 0);
    m.TopRolledUpInactiveHeight = skinFile.ReadInteger("top", "RolledUpInActiveHeight", 0);
    m.RightWidth = skinFile.ReadInteger("right", "Width", 0);
    m.RightInactiveWidth = skinFile.ReadInteger("right", "InActiveWidth", 0);
    m.BottomHeight = skinFile.ReadInteger("bottom", "Height", 0);
    m.BottomInactiveHeight = skinFile.ReadInteger("bottom", "InActiveHeight", 0);

    // A frame thicker than the desktop can't be seen; built at such a size it would stall
    // every placement.
    const platform::Size most = platform_.DesktopSize();
    for (int* width : {&m.LeftWidth, &m.LeftInactiveWidth, &m.RightWidth, &m.RightInactiveWidth})
        *width = std::min(*width, most.width);
    for (int* height : {&m.TopHeight, &m.TopInactiveHeight, &m.TopRolledUpHeight, &m.TopRolledUpInactiveHeight,
                        &m.BottomHeight, &m.BottomInactiveHeight})
        *height = std::min(*height, most.height);

    BgColorR = skinFile.ReadInteger("bg", "ColorR", 255);
    BgColorG = skinFile.ReadInteger("bg", "ColorG", 255);
    BgColorB = skinFile.ReadInteger("bg", "ColorB", 255);
    window_->SetColor(static_cast<std::uint8_t>(BgColorR & 0xFF),
                      static_cast<std::uint8_t>(BgColorG & 0xFF),
                      static_cast<std::uint8_t>(BgColorB & 0xFF));

    CaptionAlphaActive = skinFile.ReadInteger("Caption", "AlphaActive", 255);
    CaptionAlphaInactive = skinFile.ReadInteger("Caption", "AlphaInActive", 255);

    // With no picture the new background colour must show at once.
    if (PicturePath.empty()) Image2->Invalidate();

    window_->SetCaption(skinFile.ReadString("Caption", "Text", "Zylora"));

    RightFrame->ReadSkinValues(skinFile);
    BottomFrame->ReadSkinValues(skinFile);
    TopFrame->ReadSkinValues(skinFile);
    LeftFrame->ReadSkinValues(skinFile);
}

}  // namespace zylora::app
