// One toolbar button: its rectangle, action word and four state images.
#pragma once

#include <array>
#include <memory>
#include <string>

#include "platform/Platform.h"
#include "toolbar/ButtonSetFile.h"

namespace zylora::app {
class TfrmMiddle;
}

namespace zylora::toolbar {

class TZylButton {
public:
    explicit TZylButton(app::TfrmMiddle& mainWindow) : MainWindow(mainWindow) {}
    virtual ~TZylButton() = default;

    // The names of one section's images, relative to the button set folder, in the order
    // LoadFromIni takes them: normal, pointer-over, inactive, selected.
    static std::array<std::string, 4> ImageNames(const ButtonValues& values);
    // Takes one "Button-n" section as the button set file gave it, with its images decoded.
    void LoadFromIni(const ButtonValues& values, std::array<std::unique_ptr<platform::Image>, 4> images);

    // The image for the present state.
    const platform::Image& CurrentImage() const;
    // Offsets from the button's top-left corner; hits where that pixel of the current image,
    // read unscaled, is not fully transparent.
    bool HitTest(int px, int py) const;
    // Draws the current image stretched into the rectangle of the surface.
    void PaintInto(platform::Surface& surface, platform::Rect rect) const;
    // Redraws only this button on the toolbar: its piece of the background cache with the
    // current image over it, composed off-screen.
    void Redraw(platform::ScreenTarget& toolbar) const;
    // Carries out the button's action word, a command of the main window's, whatever its
    // case; unknown words do nothing.
    void RunAction();

    std::unique_ptr<platform::Image> NormalImage;
    std::unique_ptr<platform::Image> MouseoverImage;
    std::unique_ptr<platform::Image> InactiveImage;
    std::unique_ptr<platform::Image> SelectedImage;
    app::TfrmMiddle& MainWindow;
    int X = 0;
    int Y = 0;
    int Width = 0;
    int Height = 0;
    std::string Action;
    bool Selected = false;
    bool Hovered = false;
    bool Pressed = false;
};

}  // namespace zylora::toolbar
