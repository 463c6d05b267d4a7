// Opening a picture: from the command line, a drop, the open dialog or a folder step.
#include <algorithm>

#include "app/MainWindow.h"
#include "app/Title.h"
#include "skin/TitleWindow.h"
#include "platform/Paths.h"
#include "shell/FileDrop.h"

namespace zylora::app {

platform::Size HalvedToFit(platform::Size size, long long roomWidth, long long roomHeight) {
    long long w = size.width, h = size.height;
    // Halving can't make a frame that is itself larger than the screen fit, so the loop also
    // ends once nothing is left to halve.
    while ((w > roomWidth || h > roomHeight) && (w > 0 || h > 0)) {
        w /= 2;
        h /= 2;
    }
    return {static_cast<int>(w), static_cast<int>(h)};
}

platform::Size TfrmMiddle::FitToScreen(int width, int height) {
    const platform::Size screen = platform_.ScreenSize();
    const long long across = static_cast<long long>(GetLeftWidth()) + GetRightWidth();
    const long long down = static_cast<long long>(GetTopHeight()) + GetBottomHeight();
    return HalvedToFit({width, height}, screen.width - across, screen.height - down);
}

platform::Size TfrmMiddle::ShownPictureSize() const {
    if (Picture) return {Picture->Width(), Picture->Height()};
    if (Preview) return PreviewOf;
    return {};
}

void TfrmMiddle::CompletePicture() {
    // Wanted whole at once: its decode goes on beside the look's.
    if (PendingPicture) PendingPicture->Begin();
    TakeLook();  // the window is fitted to the picture first
    if (!PendingPicture) return;
    const std::unique_ptr<platform::Platform::PendingImage> pending = std::move(PendingPicture);
    Picture = pending->Take();
    if (Picture && Picture->Width() > 0) PictureFacts = Picture->Facts();
    // A full decode that gave nothing leaves the preview in its place: what a damaged file
    // held, shown rather than an empty view.
    if ((!Picture || Picture->Width() <= 0) && Preview && Preview->Width() > 0) {
        Picture = std::move(Preview);
        PictureDamaged = true;
    } else {
        PictureDamaged = Picture && Picture->Damaged();
    }
    Preview.reset();
    viewProc_.PictureChanged();
    Image2->Invalidate();
    Slides.PictureShown(true);
}

void TfrmMiddle::ShowPicture(const std::string& path) {
    ++opens_;
    PicturePath = path;
    pictureFileSize_.reset();
    ForgetPicture();
    // Nothing of the old picture is drawn from again: no paint draws while the look is made,
    // and the copies made once it is in are the new picture's.
    viewProc_.PictureChanged();
    Note.clear();
    platform_.ReduceOpenedPicturesFor(FirstPaintReduction());
    std::optional<platform::Platform::PicturePreview> preview = platform_.DecodePreview(
        PicturePath, LookSize(), [this] { CompletePicture(); }, [this] { LookArrived(); });
    if (preview && (preview->image || preview->look)) {
        Preview = std::move(preview->image);
        PendingLook = std::move(preview->look);
        PreviewOf = preview->size;
        PendingPicture = std::move(preview->full);
    } else {
        Picture = preview ? preview->full->Take() : platform_.DecodeImage(PicturePath);
        PictureDamaged = Picture && Picture->Damaged();
    }
    // Where the first look is still being made, the window goes on showing what it showed
    // (nothing repaints it meanwhile) and answering the user; the rest comes with the look.
    if (!PendingLook) PictureOpened();
}

// A large photo shows first a copy reduced while decoding, at half the sharpness the view
// shows it with at the zoom kept from the last picture, while its full pixels are decoded on
// another thread; they take its place as soon as they are in (a few tenths of a second
// later), or before anything needs them. Half the sharpness is enough for that glance and
// decodes in two thirds of the time: most of a reduced decode is reading the whole file.
std::function<platform::Size(platform::Size)> TfrmMiddle::LookSize() {
    const int zoom = std::max(1, ZoomFactor);
    constexpr int glance = 2;
    return [this, zoom](platform::Size picture) {
        const platform::Size panel = FitToScreen(picture.width, picture.height);
        return platform::Size{
            static_cast<int>(std::min<long long>(1LL * panel.width * zoom / glance, picture.width)),
            static_cast<int>(std::min<long long>(1LL * panel.height * zoom / glance, picture.height))};
    };
}

void TfrmMiddle::TakeLook() {
    if (!PendingLook) return;
    Preview = std::exchange(PendingLook, nullptr)->Take();
    // No look could be made: the full pixels are waited for, as when no look is made at all.
    if (!Preview) {
        Picture = PendingPicture ? std::exchange(PendingPicture, nullptr)->Take() : nullptr;
        PictureDamaged = Picture && Picture->Damaged();
    }
    PictureOpened();
    Image2->Invalidate();
}

void TfrmMiddle::LookArrived() {
    TakeLook();
    // A held key's next step waited for this picture to show: it comes from the timer, whose
    // message waits until the view is painted (a paint goes before any timer); each a message
    // of its own, so that the user's thread answers between them. The step passes the
    // picture: its full decode would only take the processor from the next look.
    if (!pendingStep_.empty())
        StepTimer->SetEnabled(true);
    else if (PendingPicture)
        PendingPicture->Begin();
}

void TfrmMiddle::PictureOpened() {
    PictureFacts = Picture ? Picture->Facts() : Preview ? Preview->Facts() : imaging::PhotoFacts{};
    NoteWhyNotShown();
    if (Picture && Picture->Animated()) Player.Start(PicturePath);
    // Started again: the neighbours are read once the viewer is idle.
    // Not while a held key's repeats wait: the neighbours' decodes would only slow its steps.
    ReadAheadTimer->SetEnabled(false);
    ReadAheadTimer->SetEnabled(pendingStep_.empty());
    Page = 0;
    PageCount = Picture ? std::max(1, Picture->Pages()) : 1;
    // The frame drawn for the picture shows its name at once: no second drawing of the title
    // at the first paint.
    window_->SetCaption(TitleText());
    FitWindowToPicture();
    Slides.PictureShown(!PendingPicture);
    // A title that tells the picture's place in its folder has the folder read for it.
    if (TitleTellsPlace()) WithPictureFolder([this] { UpdateTitle(); });
}

std::uint64_t TfrmMiddle::PictureFileSize() {
    if (!pictureFileSize_) {
        const std::optional<platform::FileStamp> stamp = platform_.Files().StampOf(PicturePath);
        pictureFileSize_ = stamp ? stamp->size : 0;
    }
    return *pictureFileSize_;
}

void TfrmMiddle::FitWindowToPicture() {
    // Nothing to size the window to: it keeps its size, so the toolbar stays at hand for the
    // next picture and no vanished window is saved.
    const platform::Size shown = ShownPictureSize();
    if (shown.width <= 0 || shown.height <= 0) {
        Image2->Invalidate();
        return;
    }
    const platform::Rect placed = PlaceForPicture(FitToScreen(shown.width, shown.height));
    RenderFrames(placed.left, placed.top, placed.width, placed.height);
}

// Another page of a file of several, round from the last to the first; a page that doesn't
// decode leaves the one shown. An animation's pages are its frames: it pauses and steps.
void TfrmMiddle::StepPage(bool forward) {
    if (PageCount < 2 && Player.Active()) {
        if (!Player.Paused()) Player.TogglePause();
        Player.Step(forward);
    }
    if (PageCount < 2) return;
    CompletePicture();
    const int page = (Page + (forward ? 1 : PageCount - 1)) % PageCount;
    std::unique_ptr<platform::Image> image = platform_.DecodePage(PicturePath, page);
    if (!image || image->Width() <= 0 || image->Height() <= 0) return;
    Player.Stop();
    Picture = std::move(image);
    Page = page;
    PictureDamaged = false;
    Note = "Page " + std::to_string(page + 1) + " of " + std::to_string(PageCount);
    viewProc_.PictureChanged();
    FitWindowToPicture();
}

bool TfrmMiddle::TitleTellsPlace() const {
    return CaptionFormat.find("{index}") != std::string::npos || CaptionFormat.find("{count}") != std::string::npos;
}

std::string TfrmMiddle::TitleText() {
    if (PicturePath.empty()) return CaptionText;
    TitleFields fields;
    fields.name = platform::FileNameOf(PicturePath);
    fields.text = CaptionText;
    // The place is looked up only for a layout that shows it: the title is made at every
    // paint, and a folder of thousands is as many name comparisons.
    if (TitleTellsPlace() && platform_.Files().SameName(FileListBox1.Directory(), platform::DirectoryOf(PicturePath))) {
        const int index = FileListBox1.IndexOf(fields.name);
        fields.index = index + 1;
        fields.count = index >= 0 ? FileListBox1.Count() : 0;
    }
    const platform::Size shown = ShownPictureSize();
    fields.width = shown.width;
    fields.height = shown.height;
    fields.zoom = viewProc_.ZoomPercent();
    return FormatTitle(CaptionFormat.empty() ? DefaultTitleFormat : std::string_view(CaptionFormat), fields);
}

void TfrmMiddle::UpdateTitle() {
    const std::string title = TitleText();
    if (title == window_->Caption()) return;
    window_->SetCaption(title);
    if (TopFrame) TopFrame->PaintTitle(TopFrame->ReferenceWidth(), GetTopHeight());
}

// An empty view names the file and says why, rather than nothing at all.
void TfrmMiddle::NoteWhyNotShown() {
    Unshown.clear();
    if (PicturePath.empty() || Preview || !Picture || Picture->Width() > 0) return;
    std::string why = Picture->Refusal();
    if (why.empty())
        why = platform_.Files().FileExists(PicturePath) ? "it is damaged, or not a picture Zylora reads"
                                                         : "the file isn't there";
    Unshown = "Can't show '" + platform::FileNameOf(PicturePath) + "': " + why;
}

void TfrmMiddle::ShowFrame(const imaging::PixelBuffer& frame) {
    // The decode of the still first frame is no longer wanted.
    PendingPicture.reset();
    Preview.reset();
    Picture = platform_.ImageOf(frame);
    PictureDamaged = false;
    viewProc_.PictureChanged();
    Image2->Invalidate();
}

std::string TfrmMiddle::ViewNote() const {
    std::string why = PictureDamaged ? "Damaged file: only part of the picture could be read" : "";
    if (!Preview && Picture && Picture->Width() <= 0) why = Unshown;
    if (why.empty()) return Note;
    return Note.empty() ? why : Note + "; " + why;
}

void TfrmMiddle::FileDrop1Drop() {
    if (FileDrop1->Files().empty()) return;
    ShowPicture(FileDrop1->Files().front());
    if (!PendingLook) Image2->Invalidate();
}

void TfrmMiddle::OpenFile(const std::string& path) {
    FileDrop1->Files() = {path};
    FileDrop1Drop();
}

}  // namespace zylora::app
