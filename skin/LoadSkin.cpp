// Reading the current skin: the skin file's values into the main window and the frame
// windows, and the images held from one load to the next.
#include <algorithm>

#include "app/MainWindow.h"
#include "platform/Ini.h"
#include "skin/EdgeWindows.h"
#include "skin/SkinFile.h"
#include "skin/SkinImages.h"
#include "skin/TitleWindow.h"

namespace zylora::app {

void TfrmMiddle::LoadSkin() {
    const std::string skinPath = GetSkinPath();
    platform::IniFile skinFile(platform_.Files(), skinPath + skin::files::SkinFile);
    FrameImages.Clear();

    // Asked before the caption's font wakes on another thread: under Wine that holds the
    // lock the question takes, for up to 4 ms.
    const platform::Size most = platform_.DesktopSize();

    CornerImage.reset();
    if (platform_.Files().FileExists(skinPath + skin::files::Corner))
        CornerImage = FrameImages.Decode(skinPath + skin::files::Corner);

    // A button set without a background of its own shows the skin's. At the start no button
    // set has given the toolbar a background yet: the button set, read next, decides which.
    if (!OwnToolbarBackground && ToolbarBackground) {
        ToolbarBackgroundCache.reset();
        ToolbarBackground.reset();
        ToolbarBackground = FrameImages.Decode(skinPath + skin::files::ToolbarBackground);
    }

    const skin::SkinValues values = skin::ScaledForDpi(skin::ReadSkinFile(skinFile), Dpi);
    // Ready while the skin's images decode: the title's caption is the first text drawn.
    platform_.PrepareFont(values.Title.FontName);
    FrameMetrics& m = Metrics;
    m = values.Metrics;

    // A frame thicker than the desktop can't be seen; built at such a size it would stall
    // every placement.
    for (int* width : {&m.LeftWidth, &m.LeftInactiveWidth, &m.RightWidth, &m.RightInactiveWidth})
        *width = std::min(*width, most.width);
    for (int* height : {&m.TopHeight, &m.TopInactiveHeight, &m.TopRolledUpHeight, &m.TopRolledUpInactiveHeight,
                        &m.BottomHeight, &m.BottomInactiveHeight})
        *height = std::min(*height, most.height);

    BgColorR = values.BgColorR;
    BgColorG = values.BgColorG;
    BgColorB = values.BgColorB;
    window_->SetColor(static_cast<std::uint8_t>(BgColorR & 0xFF),
                      static_cast<std::uint8_t>(BgColorG & 0xFF),
                      static_cast<std::uint8_t>(BgColorB & 0xFF));

    CaptionAlphaActive = values.CaptionAlphaActive;
    CaptionAlphaInactive = values.CaptionAlphaInactive;

    // The background colour and the corner grip are the skin's: the view shows the new ones
    // at once, a picture's too.
    Image2->Invalidate();

    CaptionText = values.CaptionText;
    CaptionFormat = values.CaptionFormat;
    window_->SetCaption(TitleText());

    RightFrame->ReadSkinValues(values);
    BottomFrame->ReadSkinValues(values);
    TopFrame->ReadSkinValues(values);
    LeftFrame->ReadSkinValues(values);

    // The images of the look the frame shows now, decoding on another thread while the
    // button set is read and the windows shown; the other looks' at their first use.
    std::vector<std::string> shown;
    for (const skin::TFrameWindow* frame : std::initializer_list<const skin::TFrameWindow*>{
             TopFrame.get(), LeftFrame.get(), RightFrame.get(), BottomFrame.get()}) {
        const std::vector<std::string> paths = frame->LookImages();
        shown.insert(shown.end(), paths.begin(), paths.end());
    }
    FrameImages.Preload(shown);
}

}  // namespace zylora::app
