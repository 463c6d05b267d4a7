// The toolbar's command set: what a button does when it is released.
#include <algorithm>
#include <climits>
#include <iterator>

#include "app/MainWindow.h"
#include "platform/Text.h"
#include "toolbar/ZylButton.h"

namespace zylora::toolbar {

namespace {

using platform::RotateFlipType;

// Two entries, the pictures first; the stray spaces are what the dialog has always shown.
constexpr const char* OpenDialog1Filter =
    "Image Files (*.png, *.jpg, *.gif, *.tif, *.tiff, * .jpeg)|*.png; *.jpg;*.gif;*.tif;*.tiff;*.jpeg"
    "|All Files (*.*)|*.*";

struct Turn {
    const char* action;
    RotateFlipType type;
    bool exchangesSides;  // a quarter turn: the window's width and height change places
};

constexpr Turn Turns[] = {
    {"rotate90left", RotateFlipType::Rotate270FlipNone, true},
    {"rotate180left", RotateFlipType::Rotate180FlipNone, false},
    {"rotate270left", RotateFlipType::Rotate90FlipNone, true},
    {"rotate90right", RotateFlipType::Rotate90FlipNone, true},
    {"rotate180right", RotateFlipType::Rotate180FlipNone, false},
    {"rotate270right", RotateFlipType::Rotate270FlipNone, true},
    {"mirrorx", RotateFlipType::RotateNoneFlipX, false},
    {"mirrory", RotateFlipType::Rotate180FlipX, false},
};

void Zoom(app::TfrmMiddle& main, int factor) {
    main.ZoomFactor = factor;
    main.Image2->Invalidate();
}

// The mode buttons show which mode is on.
void SetMode(app::TfrmMiddle& main, bool moveMode) {
    main.MoveMode = moveMode;
    auto screen = main.Toolbar->GetScreenTarget();
    for (const auto& button : main.ButtonList) {
        const std::string action = platform::LowerAscii(button->Action);
        if (action != "movemode" && action != "selectmode") continue;
        button->Selected = (action == "movemode") == moveMode;
        button->Redraw(*screen);
    }
}

void TurnPicture(app::TfrmMiddle& main, const Turn& turn) {
    // A picture that didn't decode has no pixels to turn, and a window of width 0 and the
    // toolbar's height would turn into one without a toolbar.
    // A turn that couldn't be made (no memory) changes nothing, the window's sides included.
    if (!main.HasPicture() || !main.Picture->RotateFlip(turn.type)) return;
    main.View().PictureChanged();
    if (turn.exchangesSides) {
        const platform::Rect now = main.PlacedRect();
        main.PlaceWindows(now.left, now.top, now.height, now.width);
    }
    main.Image2->Invalidate();
}

}  // namespace

void TZylButton::RunAction() {
    app::TfrmMiddle& main = MainWindow;
    const std::string action = platform::LowerAscii(Action);
    if (action == "open") {
        if (auto chosen = main.Platform().ChooseFileToOpen(main.Form(), OpenDialog1Filter))
            main.OpenFile(*chosen);
    } else if (action == "next" || action == "prev") {
        main.StepInFolder(action == "next");
    } else if (action == "zoomin") {
        // Doubling stops where it would leave the integer range.
        Zoom(main, main.ZoomFactor <= INT_MAX / 2 ? main.ZoomFactor * 2 : main.ZoomFactor);
    } else if (action == "zoomout") {
        Zoom(main, std::max(1, main.ZoomFactor / 2));
    } else if (action == "zoomactual") {
        Zoom(main, 1);
    } else if (action == "movemode" || action == "selectmode") {
        SetMode(main, action == "movemode");
    } else if (const auto* turn = std::find_if(std::begin(Turns), std::end(Turns),
                                               [&](const Turn& t) { return action == t.action; });
               turn != std::end(Turns)) {
        TurnPicture(main, *turn);
    }
}

}  // namespace zylora::toolbar
