// The viewer's command set: what a toolbar button's action word and a key (app/KeyMap.cpp)
// do. Each command is written once, here.
#include <algorithm>
#include <climits>
#include <iterator>

#include "app/KeyMap.h"
#include "app/MainWindow.h"
#include "platform/Text.h"
#include "skin/EdgeWindows.h"
#include "skin/TitleWindow.h"
#include "toolbar/ZylButton.h"

namespace zylora::app {

namespace {

using platform::RotateFlipType;

// Two entries, the pictures first; the stray spaces are what the dialog has always shown. The
// formats decoded by the program's own libraries are listed with the pictures, after the
// entry's own patterns, its text as it has always been.
constexpr const char* OpenDialog1Filter =
    "Image Files (*.png, *.jpg, *.gif, *.tif, *.tiff, * .jpeg)|*.png; *.jpg;*.gif;*.tif;*.tiff;*.jpeg"
    ";*.webp;*.avif;*.heic;*.heif;*.jxl;*.tga;*.psd;*.qoi;*.apng;*.ico|All Files (*.*)|*.*";

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

struct Pan {
    const char* action;
    int dx, dy;  // where the view moves over the picture, in tenths of the view
};

constexpr Pan Pans[] = {{"panup", 0, -1}, {"pandown", 0, 1}, {"panleft", -1, 0}, {"panright", 1, 0}};

struct SortKey {
    const char* action;
    view::SortOrder order;
};

constexpr SortKey SortKeys[] = {{"sortname", view::SortOrder::Name},
                                {"sortmodified", view::SortOrder::Modified},
                                {"sorttaken", view::SortOrder::Taken},
                                {"sortsize", view::SortOrder::Size}};

// A zoom shows the full pixels: a preview's would be too coarse.
void Zoom(TfrmMiddle& main, int factor) {
    main.CompletePicture();
    main.ZoomFactor = factor;
    main.Image2->Invalidate();
}

// The mode buttons show which mode is on.
void SetMode(TfrmMiddle& main, bool moveMode) {
    main.MoveMode = moveMode;
    auto screen = main.Toolbar->GetScreenTarget();
    for (const auto& button : main.ButtonList) {
        const std::string action = platform::LowerAscii(button->Action);
        if (action != "movemode" && action != "selectmode") continue;
        button->Selected = (action == "movemode") == moveMode;
        button->Redraw(*screen);
    }
}

void TurnPicture(TfrmMiddle& main, const Turn& turn) {
    // A picture that didn't decode has no pixels to turn, and a window of width 0 and the
    // toolbar's height would turn into one without a toolbar. A turn that couldn't be made
    // (no memory) changes nothing, the window's sides included.
    if (!main.HasPicture()) return;
    // The frame shown is what turns: it stays, a still picture.
    main.Player.Stop();
    if (!main.Picture->RotateFlip(turn.type)) return;
    main.View().PictureTurned(turn.type);
    // The window's sides change places. Around a picture smaller than the window at its
    // smallest, or where that would make the window smaller than that, the picture's own area
    // turns instead, the window around it no smaller than its smallest.
    if (turn.exchangesSides) {
        const platform::Rect now = main.PlacedRect();
        const platform::Size least = main.SmallestSize();
        if (main.PictureShareX >= 1 && main.PictureShareY >= 1 && now.height >= least.width &&
            now.width >= least.height) {
            main.PlaceWindows(now.left, now.top, now.height, now.width);
        } else {
            const platform::Size area = main.PictureArea();
            main.PlaceForPicture({area.height, area.width});
        }
    }
    main.Image2->Invalidate();
}

template <typename Entry, std::size_t N>
const Entry* Find(const Entry (&table)[N], const std::string& action) {
    const Entry* found = std::find_if(std::begin(table), std::end(table), [&](const Entry& e) { return action == e.action; });
    return found == std::end(table) ? nullptr : found;
}

}  // namespace

void TfrmMiddle::RunCommand(const std::string& command) {
    const std::string action = platform::LowerAscii(command);
    if (action == "open") {
        if (auto chosen = platform_.ChooseFileToOpen(*window_, OpenDialog1Filter)) OpenFile(*chosen);
    } else if (action == "next" || action == "prev") {
        Slides.Stop();  // the user steps for himself
        StepInFolder(action == "next");
    } else if (action == "first" || action == "last") {
        Slides.Stop();
        StepToEnd(action == "first");
    } else if (action == "fullscreen") {
        ToggleFullScreen();
    } else if (action == "slideshow") {
        ToggleSlideshow();
    } else if (action == "slidelonger" || action == "slideshorter") {
        Slides.SetSeconds(Slides.Seconds() + (action == "slidelonger" ? 1 : -1));
        Note = "A picture every " + std::to_string(Slides.Seconds()) + " s";
        Image2->Invalidate();
    } else if (action == "zoomin") {
        // Doubling stops where it would leave the integer range.
        Zoom(*this, ZoomFactor <= INT_MAX / 2 ? ZoomFactor * 2 : ZoomFactor);
    } else if (action == "zoomout") {
        Zoom(*this, std::max(1, ZoomFactor / 2));
    } else if (action == "zoomactual") {
        Zoom(*this, 1);
    } else if (action == "movemode" || action == "selectmode") {
        SetMode(*this, action == "movemode");
    } else if (const Turn* turn = Find(Turns, action)) {
        TurnPicture(*this, *turn);
    } else if (const Pan* pan = Find(Pans, action)) {
        // As if the picture were dragged the other way.
        const platform::Rect view = Image2->Bounds();
        viewInput_.PanBy(-static_cast<long double>(view.width) * pan->dx / 10,
                         -static_cast<long double>(view.height) * pan->dy / 10);
    } else if (action == "nextpage" || action == "prevpage") {
        StepPage(action == "nextpage");
    } else if (action == "pause") {
        Player.TogglePause();
    } else if (action == "nextframe" || action == "prevframe") {
        Player.Step(action == "nextframe");
    } else if (action == "delete") {
        DeleteCurrentFile();
    } else if (action == "cancel") {
        CancelDrags();
        LeaveFullScreen();
    } else if (action == "facts") {
        FactsShown = !FactsShown;
        Image2->Invalidate();
    } else if (action == "copy") {
        CopyPicture();
    } else if (action == "copypath") {
        CopyPicturePath();
    } else if (const SortKey* sort = Find(SortKeys, action)) {
        SetFolderOrder({sort->order, false});
    } else if (action == "sortreverse") {
        const view::FolderOrder now = FileListBox1.Order();
        SetFolderOrder({now.by, !now.reversed});
    } else if (action == "keys") {
        platform_.ShowMessage(window_.get(), KeyListText(), "Zylora keys", platform::MessageIcon::Information);
    } else if (action == "minimize") {
        platform_.MinimizeApplication();
    } else if (action == "close") {
        window_->Close();
    } else if (action == "terminate") {
        platform_.TerminateApplication();
    } else if (action == "switch") {
        SwitchToOtherInstance();
    }
}

void TfrmMiddle::ToggleSlideshow() {
    if (Slides.Running()) {
        Slides.Stop();
        Note = "Slideshow stopped";
    } else {
        Slides.Start(!PendingPicture);
        Note = "Slideshow: a picture every " + std::to_string(Slides.Seconds()) + " s (F5 stops)";
    }
    Image2->Invalidate();
}

// What is shown goes: the turns, the mirror and the crop are in the pixels, and an
// animation's frame of the moment is the picture.
void TfrmMiddle::CopyPicture() {
    if (!HasPicture()) return;
    Note = platform_.CopyImageToClipboard(*window_, *Picture) ? "Copied the picture" : "Could not copy the picture";
    Image2->Invalidate();
}

void TfrmMiddle::CopyPicturePath() {
    if (PicturePath.empty()) return;
    Note = platform_.CopyTextToClipboard(*window_, PicturePath) ? "Copied the path" : "Could not copy the path";
    Image2->Invalidate();
}

// Escape: every drag ends where it is, and the press that began it is over, so its release
// does nothing either.
void TfrmMiddle::CancelDrags() {
    viewInput_.CancelDrag();
    toolbarInput_.CancelPress();
    TopFrame->CancelDrag();
    for (skin::TEdgeWindow* edge : std::initializer_list<skin::TEdgeWindow*>{LeftFrame.get(), RightFrame.get(),
                                                                             BottomFrame.get()})
        edge->CaptureLost();
    for (platform::Window* w : {window_.get(), Toolbar.get(), Image2.get(), &TopFrame->Form(), &LeftFrame->Form(),
                                &RightFrame->Form(), &BottomFrame->Form()})
        w->CancelPointerPress();
}

}  // namespace zylora::app
