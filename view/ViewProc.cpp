#include "view/ViewProc.h"

#include <algorithm>
#include <cmath>

#include "app/MainWindow.h"
#include "platform/Dpi.h"
#include "platform/Paths.h"
#include "view/FactsPanel.h"

namespace zylora::view {

using platform::RectF;

RectF SourceRect(int pictureWidth, int pictureHeight, long double offsetX, long double offsetY,
                 int zoomFactor) {
    // The zoom factor is at least 1 wherever it is changed; it is never trusted as a divisor.
    const float zoom = static_cast<float>(std::max(1, zoomFactor));
    return {static_cast<float>(offsetX), static_cast<float>(offsetY),
            static_cast<float>(pictureWidth) / zoom, static_cast<float>(pictureHeight) / zoom};
}

RectF PictureBox(platform::Size panel, double shareX, double shareY) {
    const auto side = [](int whole, double share) {
        return share >= 1 ? whole : static_cast<int>(std::lround(whole * std::max(0.0, share)));
    };
    const int width = side(panel.width, shareX), height = side(panel.height, shareY);
    return {static_cast<float>((panel.width - width) / 2), static_cast<float>((panel.height - height) / 2),
            static_cast<float>(width), static_cast<float>(height)};
}

RectF NormalisedSelection(float x, float y, float width, float height) {
    RectF r{x, y, width, height};
    if (width < 0) {
        r.left = x + width;
        r.width = -width;
    }
    if (height < 0) {
        r.top = y + height;
        r.height = -height;
    }
    return r;
}

int ReductionFactor(RectF source, platform::Size panel) {
    if (panel.width <= 0 || panel.height <= 0) return 1;
    const float ratio = std::min(source.width / static_cast<float>(panel.width),
                                 source.height / static_cast<float>(panel.height));
    int factor = 1;
    while (factor < (1 << 20) && static_cast<float>(factor * 2) <= ratio) factor *= 2;
    return factor;
}

platform::Size ReducedSize(platform::Size picture, int factor) {
    factor = std::max(1, factor);
    return {std::max(1, picture.width / factor), std::max(1, picture.height / factor)};
}

const platform::Image& ReducedPictureCache::Choose(const platform::Image& picture, RectF& source,
                                                   platform::Size panel) {
    if (&picture != picture_) {
        Clear();
        picture_ = &picture;
    }
    wanted_ = {};
    const int factor = ReductionFactor(source, panel);
    // The picture at exactly the scale shown, when that is a reduction.
    const float scaleX = static_cast<float>(panel.width) / source.width;
    const float scaleY = static_cast<float>(panel.height) / source.height;
    const platform::Size exact{static_cast<int>(std::lround(static_cast<float>(picture.Width()) * scaleX)),
                               static_cast<int>(std::lround(static_cast<float>(picture.Height()) * scaleY))};
    const bool reduced = std::isfinite(scaleX) && std::isfinite(scaleY) && exact.width > 0 && exact.height > 0 &&
                         exact.width <= picture.Width() && exact.height <= picture.Height() &&
                         (exact.width < picture.Width() || exact.height < picture.Height());
    if (reduced && exact != ReducedSize({picture.Width(), picture.Height()}, factor)) {
        if (exact_ && exact_->Width() == exact.width && exact_->Height() == exact.height) {
            const float sx = static_cast<float>(exact.width) / static_cast<float>(picture.Width());
            const float sy = static_cast<float>(exact.height) / static_cast<float>(picture.Height());
            source = {source.left * sx, source.top * sy, source.width * sx, source.height * sy};
            return *exact_;
        }
        wanted_ = exact;
        wantedFrom_ = factor;
    }
    if (factor < 2) return picture;

    auto& copy = copies_[factor];
    if (!copy) {
        const platform::Size size = ReducedSize({picture.Width(), picture.Height()}, factor);
        copy = picture.Reduced(size.width, size.height);
    }
    if (!copy || copy->Width() <= 0) return picture;
    // The copy's own scale, which the truncation of its size makes slightly off the factor.
    const float sx = static_cast<float>(copy->Width()) / static_cast<float>(picture.Width());
    const float sy = static_cast<float>(copy->Height()) / static_cast<float>(picture.Height());
    source = {source.left * sx, source.top * sy, source.width * sx, source.height * sy};
    return *copy;
}

void ReducedPictureCache::Clear() {
    copies_.clear();
    exact_.reset();
    wanted_ = {};
    picture_ = nullptr;
}

void ReducedPictureCache::Turn(platform::RotateFlipType type) {
    for (auto& [factor, copy] : copies_)
        if (copy && !copy->RotateFlip(type)) copy.reset();
    if (exact_ && !exact_->RotateFlip(type)) exact_.reset();
    if (static_cast<int>(type) & 1) std::swap(wanted_.width, wanted_.height);  // a quarter turn
}

bool ReducedPictureCache::MakeWanted() {
    if (!picture_ || wanted_.width <= 0) return false;
    // From the smallest copy at least that large, which is at most twice the size.
    auto from = copies_.find(wantedFrom_);
    const platform::Image& source = from != copies_.end() && from->second && from->second->Width() > 0 ? *from->second
                                                                                                      : *picture_;
    exact_.reset();
    exact_ = source.Reduced(wanted_.width, wanted_.height);
    wanted_ = {};
    return exact_ && exact_->Width() > 0;
}

ViewProc::ViewProc(app::TfrmMiddle& owner)
    : owner_(owner), restTimer_(owner.Platform().CreateTimer(150, [this] { RestTimerTimer(); })) {}

void ViewProc::RestTimerTimer() {
    restTimer_->SetEnabled(false);
    const bool made = cache_.MakeWanted();
    if (made || drewQuickly_) owner_.Image2->Invalidate();
}

const platform::Image* ViewProc::ShownImage() const {
    return owner_.Picture ? owner_.Picture.get() : owner_.Preview.get();
}

RectF ViewProc::ShownSource() const {
    const platform::Size whole = owner_.ShownPictureSize();
    return SourceRect(whole.width, whole.height, owner_.OffsetX, owner_.OffsetY, owner_.ZoomFactor);
}

void ViewProc::DrawPicture(platform::Surface& surface, platform::Size panel, bool quick) {
    const platform::Image* picture = ShownImage();
    if (!picture || picture->Width() <= 0) return;
    RectF source = ShownSource();
    // A preview stands in for the whole picture at its own, smaller scale.
    if (picture == owner_.Preview.get()) {
        const float sx = static_cast<float>(picture->Width()) / static_cast<float>(std::max(1, owner_.PreviewOf.width));
        const float sy = static_cast<float>(picture->Height()) / static_cast<float>(std::max(1, owner_.PreviewOf.height));
        source = {source.left * sx, source.top * sy, source.width * sx, source.height * sy};
    }
    const RectF box = PictureBox(panel, owner_.PictureShareX, owner_.PictureShareY);
    const platform::Image& drawn =
        cache_.Choose(*picture, source, {static_cast<int>(box.width), static_cast<int>(box.height)});
    if (quick)
        surface.DrawImageRectQuickly(drawn, source, box);
    else
        surface.DrawImageRect(drawn, source, box);
}

// The note's words in lines that fit the width, by an average letter's width: the text
// drawing wraps nothing itself (Wine's doesn't). Up to `most` lines; the last keeps the rest.
std::vector<std::string> NoteLines(const std::string& note, float width, std::size_t most) {
    constexpr float averageCharacter = 6.5f;  // of 12-pixel Tahoma
    const std::size_t fits = static_cast<std::size_t>(std::max(8.0f, width / averageCharacter));
    std::vector<std::string> lines{""};
    std::size_t at = 0;
    while (at < note.size()) {
        const std::size_t space = note.find(' ', at);
        const std::string word = note.substr(at, space == std::string::npos ? std::string::npos : space - at);
        at = space == std::string::npos ? note.size() : space + 1;
        std::string& line = lines.back();
        if (!line.empty() && line.size() + 1 + word.size() > fits && lines.size() < most)
            lines.push_back(word);
        else
            line += (line.empty() ? "" : " ") + word;
    }
    return lines;
}

// Along the foot of the view, light on a dark band, readable over any picture: one line, or
// as many as a long note takes in a narrow view, up to four.
void ViewProc::DrawNote(platform::Surface& surface, float width, float height, const std::string& note,
                        float scale) {
    const float line = 16 * scale, margin = 6 * scale;
    const std::vector<std::string> lines = NoteLines(note, (width - 2 * margin) / scale, 4);
    const float band = 4 * scale + line * static_cast<float>(lines.size());
    surface.FillRectsEvenOdd({{0, height - band, width, band}}, platform::MakeArgb(170, 0, 0, 0));
    const platform::TextStyle style{"Tahoma", 0, 12 * scale, 0, 1};
    for (std::size_t i = 0; i < lines.size(); ++i)
        surface.FillText(lines[i], style,
                         {margin, height - band + 2 * scale + line * static_cast<float>(i), width - 2 * margin, line},
                         platform::MakeArgb(255, 255, 255, 255));
}

int ViewProc::ZoomPercent() const {
    const RectF source = ShownSource();
    if (!ShownImage() || !(source.width > 0)) return 0;
    const double percent = 100.0 * owner_.Image2->Bounds().width / source.width;
    return percent >= 1 && percent < 1e9 ? static_cast<int>(percent + 0.5) : 0;
}

bool ViewProc::Paint(platform::ScreenTarget& screen) {
    // The roll animations resize the panel many times in a row; it is drawn once they end.
    if (owner_.RollingUp || owner_.Unrolling) return true;
    // Whatever changed what the view shows (another picture, a zoom, a turn, the folder read)
    // is painted here: the title follows it.
    owner_.UpdateTitle();
    const platform::Rect panel = owner_.Image2->Bounds();
    const float width = static_cast<float>(panel.width), height = static_cast<float>(panel.height);
    // Kept from paint to paint while the panel keeps its size: a pan step repaints often.
    if (!surface_ || surface_->Width() != panel.width || surface_->Height() != panel.height) {
        surface_.reset();
        surface_ = owner_.Platform().CreateSurface(panel.width, panel.height);
    }
    platform::Surface* surface = surface_.get();
    // An opaque picture over the whole panel leaves nothing of the background to be seen:
    // clearing first would only cost a pass over every pixel of the panel (a pan step
    // repaints often).
    const platform::Image* picture = ShownImage();
    const platform::Size whole = owner_.ShownPictureSize();
    const RectF source = ShownSource();
    const bool covered = picture && picture->Opaque() && owner_.PictureShareX >= 1 && owner_.PictureShareY >= 1 && source.left >= 0 && source.top >= 0 &&
                         source.left + source.width <= static_cast<float>(whole.width) &&
                         source.top + source.height <= static_cast<float>(whole.height);
    // Full screen, the picture stands alone on black.
    if (!covered)
        surface->Clear(owner_.FullScreen ? platform::MakeArgb(255, 0, 0, 0)
                                         : platform::MakeArgb(255, owner_.BgColorR, owner_.BgColorG, owner_.BgColorB));
    surface->SetAntiAlias(true);

    // A resize drag repaints the view at every step, and each step's picture is seen for a
    // moment only: the nearest pixels then, a third of the bilinear's cost, and the fine
    // drawing once the drag rests.
    drewQuickly_ = owner_.ResizeDragging;
    DrawPicture(*surface, {panel.width, panel.height}, drewQuickly_);
    paintedPath_ = picture ? owner_.PicturePath : std::string();
    // Restarted: it fires once the view has rested.
    restTimer_->SetEnabled(false);
    if (cache_.Wants() || drewQuickly_) restTimer_->SetEnabled(true);

    if (owner_.Dragging && !owner_.MoveMode) {
        const std::vector<RectF> veil = {
            {-1, -1, width + 2, height + 2},
            NormalisedSelection(owner_.SelectionX, owner_.SelectionY, owner_.SelectionWidth,
                                owner_.SelectionHeight)};
        surface->FillRectsEvenOdd(veil, platform::MakeArgb(160, 160, 160, 160));
        surface->OutlineRects(veil, platform::MakeArgb(220, 100, 100, 255), 2.0f);
    }

    if (owner_.FactsShown && !owner_.PicturePath.empty())
        DrawFactsPanel(*surface, width,
                       FactsLines(platform::FileNameOf(owner_.PicturePath), owner_.ShownPictureSize(),
                                  owner_.PictureFileSize(), owner_.PictureFacts),
                       static_cast<float>(owner_.Dpi) / platform::BaseDpi);

    const std::string note = owner_.ViewNote();
    if (!note.empty())
        DrawNote(*surface, width, height, note, static_cast<float>(owner_.Dpi) / platform::BaseDpi);

    if (const platform::Image* corner = owner_.FullScreen ? nullptr : owner_.CornerImage.get()) {
        surface->DrawImage(*corner, {panel.width - corner->Width(), panel.height - corner->Height(),
                                     corner->Width(), corner->Height()});
    }
    screen.DrawSurface(*surface, {0, 0});
    return true;
}

void ViewProc::Resized(platform::Size now) {
    owner_.Image2->Invalidate();
    owner_.Image2->Update();
    EventChain::Resized(now);
}

}  // namespace zylora::view
