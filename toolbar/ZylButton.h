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

    // The button's four looks.
    enum Look { NormalLook = 0, MouseoverLook = 1, InactiveLook = 2, SelectedLook = 3 };
    // The names of one section's images, relative to the button set folder, by look.
    static std::array<std::string, 4> ImageNames(const ButtonValues& values);
    // Takes one "Button-n" section as the button set file gave it; its images lie in `folder`
    // and are decoded at their first use, the file as it is then.
    void LoadFromIni(const ButtonValues& values, const std::string& folder);
    // The look's file, and its image (the main window's ButtonImages: decoded at first use).
    const std::string& LookPath(Look look) const { return paths_[look]; }
    const platform::Image& LookImage(Look look) const;

    // The look and the image for the present state.
    Look CurrentLook() const;
    const platform::Image& CurrentImage() const { return LookImage(CurrentLook()); }
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

    app::TfrmMiddle& MainWindow;
    int X = 0;
    int Y = 0;
    int Width = 0;
    int Height = 0;
    std::string Action;
    bool Selected = false;
    bool Hovered = false;
    bool Pressed = false;

private:
    std::array<std::string, 4> paths_;
};

}  // namespace zylora::toolbar
