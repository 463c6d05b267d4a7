// The view panel's drawing: the part of the picture that zoom and offsets select, stretched
// over the whole panel, the selection veil while selecting, and the skin's corner grip.
#pragma once

#include <map>
#include <memory>

#include <string>
#include <vector>

#include "app/EventChain.h"
#include "platform/Platform.h"

namespace zylora::app {
class TfrmMiddle;
}

namespace zylora::view {

// A note's words in lines of about `width` pixels of the view's note font; at most `most`
// lines, the last holding the rest.
std::vector<std::string> NoteLines(const std::string& note, float width, std::size_t most);

// The part of the picture shown, in picture pixels: never stored, always derived.
platform::RectF SourceRect(int pictureWidth, int pictureHeight, long double offsetX,
                           long double offsetY, int zoomFactor);

// Where the picture is drawn: in the middle of the panel, over the shares of its width and
// height (the whole panel for shares of 1), on whole pixels.
platform::RectF PictureBox(platform::Size panel, double shareX, double shareY);

// The selection with its extent made positive, whichever way it was dragged.
platform::RectF NormalisedSelection(float x, float y, float width, float height);

// The power of two (1 for none) by which a copy of the picture may be reduced and still have
// at least the panel's resolution over the source rectangle.
int ReductionFactor(platform::RectF source, platform::Size panel);
// The size of the copy reduced by the factor.
platform::Size ReducedSize(platform::Size picture, int factor);

// Reduced copies of a large picture to resample from. Stretching a picture many times larger
// than the panel costs the library a pass over every source pixel at every paint; a copy
// reduced by a power of two that still has at least the panel's resolution gives the same
// picture on screen at a fraction of the cost.
//
// A scale between two powers of two is drawn from the larger copy, stretched: quick, but a
// fine pattern may show moiré. So once the view rests, a copy of exactly the scale shown is
// made (MakeWanted), and the view draws from that one while the scale stays.
class ReducedPictureCache {
public:
    // The image to draw from and the source rectangle in its pixels.
    const platform::Image& Choose(const platform::Image& picture, platform::RectF& source,
                                  platform::Size panel);
    void Clear();
    // The picture was turned or mirrored in place: its copies turn with it, a fraction of the
    // work of reducing it again.
    void Turn(platform::RotateFlipType type);
    // The last Choose drew from a stretched copy: a copy of the exact scale is wanted.
    bool Wants() const { return wanted_.width > 0; }
    // Makes the copy Wants asks for; false when nothing was wanted.
    bool MakeWanted();

private:
    const platform::Image* picture_ = nullptr;
    std::map<int, std::unique_ptr<platform::Image>> copies_;  // by reduction factor
    std::unique_ptr<platform::Image> exact_;  // of the scale last shown between two powers
    platform::Size wanted_;                   // of the picture: the exact copy's size
    int wantedFrom_ = 1;                      // the factor of the copy to make it from
};

class ViewProc : public app::EventChain {
public:
    explicit ViewProc(app::TfrmMiddle& owner);

    bool Paint(platform::ScreenTarget& screen) override;
    // The panel is drawn in full at every paint; erasing first would only flicker.
    bool EraseBackground() override { return true; }
    // Image2Resize: repaint at once, not when the queue gets to it.
    void Resized(platform::Size now) override;

    // The picture was replaced or transformed: reduced copies of it are stale.
    void PictureChanged() { cache_.Clear(); }
    // The picture was turned or mirrored: its reduced copies turn with it.
    void PictureTurned(platform::RotateFlipType type) { cache_.Turn(type); }
    // The part of the picture that zoom and offsets select, stretched over a surface of the
    // panel's size: the pixels the view shows, without the background. `quick`: with the
    // nearest pixels, for a picture shown only for a moment.
    void DrawPicture(platform::Surface& surface, platform::Size panel, bool quick = false);
    // Screen pixels a hundred of the picture's take across, as the panel shows it now; 0
    // with no picture.
    int ZoomPercent() const;
    // The path of the picture the last paint drew (its look or its full pixels); empty when
    // it drew none.
    const std::string& PaintedPath() const { return paintedPath_; }

private:
    // The picture's pixels to draw: the full ones, else the preview standing in for them.
    const platform::Image* ShownImage() const;
    // The part of the whole picture that zoom and offsets select, in its own pixels.
    platform::RectF ShownSource() const;
    // The view has rested since its last paint: the copy of the exact scale is made.
    void RestTimerTimer();
    // `scale`: the screen's (1 at 96 DPI), which the note's font and band grow by.
    static void DrawNote(platform::Surface& surface, float width, float height, const std::string& note,
                         float scale);

    app::TfrmMiddle& owner_;
    std::string paintedPath_;
    ReducedPictureCache cache_;
    std::unique_ptr<platform::Surface> surface_;
    // Started again by every paint that drew from a stretched copy or quickly: it fires only
    // once the view rests (no drag step, no pan step repaints it meanwhile).
    std::unique_ptr<platform::Timer> restTimer_;
    // The last paint drew quickly (a resize drag's step): the view rests on a fine one.
    bool drewQuickly_ = false;
};

}  // namespace zylora::view
