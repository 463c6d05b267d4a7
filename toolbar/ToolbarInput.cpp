#include "toolbar/ToolbarInput.h"

#include "app/MainWindow.h"
#include "toolbar/ZylButton.h"

namespace zylora::toolbar {

TZylButton* ButtonAt(const std::vector<std::unique_ptr<TZylButton>>& buttons, platform::Point at) {
    for (const auto& button : buttons) {
        const long long right = static_cast<long long>(button->X) + button->Width;
        const long long bottom = static_cast<long long>(button->Y) + button->Height;
        if (at.x < button->X || at.x > right || at.y < button->Y || at.y > bottom) continue;
        if (button->HitTest(at.x - button->X, at.y - button->Y)) return button.get();
    }
    return nullptr;
}

void ToolbarInput::ToolbarMouseMove(platform::Point at) {
    // Armed at every move: the window system sends one leave per arming.
    owner_.Toolbar->TrackMouseLeave();
    TZylButton* now = ButtonAt(owner_.ButtonList, at);
    TZylButton* before = nullptr;
    for (const auto& button : owner_.ButtonList) {
        if (button->Hovered) {
            before = button.get();
            break;
        }
    }
    if (now == before) return;
    auto screen = owner_.Toolbar->GetScreenTarget();
    if (before) {
        before->Hovered = false;
        before->Redraw(*screen);
    }
    if (now) {
        now->Hovered = true;
        now->Redraw(*screen);
    }
}

namespace {

// Clears the flag on every button that has it and redraws those, on one device context.
void ClearEverywhere(app::TfrmMiddle& owner, bool TZylButton::*flag) {
    std::unique_ptr<platform::ScreenTarget> screen;
    for (const auto& button : owner.ButtonList) {
        if (!((*button).*flag)) continue;
        if (!screen) screen = owner.Toolbar->GetScreenTarget();
        (*button).*flag = false;
        button->Redraw(*screen);
    }
}

}  // namespace

void ToolbarInput::ToolbarMouseLeave() { ClearEverywhere(owner_, &TZylButton::Hovered); }

void ToolbarInput::CancelPress() { ClearEverywhere(owner_, &TZylButton::Pressed); }

void ToolbarInput::ToolbarMouseDown(platform::Point at) {
    TZylButton* button = ButtonAt(owner_.ButtonList, at);
    if (!button) return;
    button->Pressed = true;
    button->Redraw(*owner_.Toolbar->GetScreenTarget());
}

void ToolbarInput::ToolbarMouseUp(platform::MouseButton button, platform::Point at) {
    if (button == platform::MouseButton::Right) {
        owner_.ShowButtonSetMenu();
        return;
    }
    // The toolbar's device context is gone again before an action opens a dialog or a picture.
    ClearEverywhere(owner_, &TZylButton::Pressed);
    if (TZylButton* target = ButtonAt(owner_.ButtonList, at)) target->RunAction();
}

}  // namespace zylora::toolbar
