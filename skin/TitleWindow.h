// The title window above the main window: the strip, the caption text and the four
// caption buttons, in the look of the current state.
#pragma once

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Types.h"
#include "skin/FrameWindow.h"
#include "skin/SkinFile.h"

namespace zylora::skin {

// Horizontal anchor of a caption button for a reference width: 1 the middle, 2 the right
// end, anything else the left end.
int AlignOffset(int align, int width);

// The caption layout and button placements of TitleValues are held as the title window's own
// fields.
class TfrmTop : public TFrameWindow, public TitleValues {
public:
    explicit TfrmTop(platform::Platform& platform);

    void PaintTitle(int width, int height, std::optional<platform::Point> topLeft = std::nullopt);
    void ReadSkinValues(const SkinValues& values) override;
    std::vector<std::string> LookImages() const override;

    void FormCanResize(platform::Size proposed);
    void CanResize(platform::Size proposed) override { FormCanResize(proposed); }

    // The variant in force, read from the main window's flags at every use.
    TitleVariant CurrentVariant() const;
    const ButtonPlacement& CurrentPlacement(CaptionButton button) const;
    // The pointer-over image while HoverButton names the button, else the normal one.
    const platform::Image* CurrentButtonImage(CaptionButton button) const;
    const platform::Image* InactiveButtonImage(CaptionButton button) const;

    // Pointer handling. Positions are in the window's own pixels; the caption buttons are
    // laid out for the frame's width around the main window in the present state.
    int ReferenceWidth() const;
    // The caption button under the point (0 for none): close, minimise, maximise, roll, the
    // first whose image has an opaque pixel there, the image's first row and column excluded.
    int ButtonAt(platform::Point at) const;
    void FormMouseDown(platform::Point at);
    void FormMouseMove(platform::Point at);
    void FormMouseUp(platform::MouseButton button, platform::Point at);
    void FormDblClick(platform::Point at);
    // A drag ends where it is, without the release's action or menu.
    void CancelDrag();
    // One step of the drag: all five windows follow the cursor's displacement.
    void Timer1Timer();
    // With the title on no screen (a drag's end, a move the window system made) the windows
    // come back onto the main one: there would be nothing left to grab.
    void KeepTitleOnScreen();
    // The maximise button: the main window sized to the picture, halved until it fits.
    void FitToPicture();
    // A right-button release outside the caption buttons: the skin menu.
    void ShowSkinMenu();
    // A skin chosen in the menu, by its folder's name.
    void DUMMY1Click(const std::string& caption);

    void MouseDown(platform::MouseButton, platform::ShiftState, platform::Point at) override {
        FormMouseDown(at);
    }
    void MouseMove(platform::ShiftState, platform::Point at) override { FormMouseMove(at); }
    void MouseUp(platform::MouseButton button, platform::ShiftState, platform::Point at) override {
        FormMouseUp(button, at);
    }
    void DoubleClick(platform::Point at) override { FormDblClick(at); }
    void CaptureLost() override { CancelDrag(); }
    void MouseLeave() override { SetHoverButton(0); }

    // A caption button's images (CaptionButtonFiles): normal, pointer over it, inactive.
    enum ImageKind { Normal = 0, Mouseover = 1, InactiveImage = 2 };
    // The image of the skin in force, decoded at its first use; none before the main window links.
    const platform::Image* ButtonImage(CaptionButton button, ImageKind kind) const;

    int HoverButton = 0;
    bool PaintedActive = true;
    std::uint8_t TitleAlpha = 255;
    bool Sizing = false;
    bool DragPending = false;
    platform::Point DragAnchor;
    std::unique_ptr<platform::Timer> Timer1;
    // The skin menu's captions, as last shown.
    std::vector<std::string> PopupMenu1;

protected:
    void Render(int width, int height, std::optional<platform::Point> topLeft) override {
        PaintTitle(width, height, topLeft);
    }

private:
    std::string SkinPath() const;
    // "", "inactive_", "rolled_" or "rolled_inactive_", by the variant in force.
    std::string StripPrefix() const;
    void DrawStrip(platform::Surface& surface, int width, int height);
    void DrawCaption(platform::Surface& surface, int width, int height);
    void DrawButtons(platform::Surface& surface, int width);
    void RunButton(CaptionButton button);
    // All five windows moved by the displacement, as one drag step.
    void MoveWindowsBy(int dx, int dy);
    // Repaints the title when the lit button changes.
    void SetHoverButton(int button);
    void Minimize();

    bool secondClickOnButton_ = false;
    // The caption's whole width as last measured, in its font and size: a resize drag draws
    // the title at every step, and a caption that fits needs no measuring again.
    std::string measuredCaption_;
    float measuredWidth_ = 0;
};

}  // namespace zylora::skin
