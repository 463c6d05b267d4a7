// The view panel's drawing: the part of the picture that zoom and offsets select, stretched
// over the whole panel, the selection veil while selecting, and the skin's corner grip.
#pragma once

#include <map>
#include <memory>

#include "app/EventChain.h"
#include "platform/Platform.h"

namespace zylora::app {
class TfrmMiddle;
}

namespace zylora::view {

// The part of the picture shown, in picture pixels: never stored, always derived.
platform::RectF SourceRect(int pictureWidth, int pictureHeight, long double offsetX,
                           long double offsetY, int zoomFactor);

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
class ReducedPictureCache {
public:
    // The image to draw from and the source rectangle in its pixels.
    const platform::Image& Choose(const platform::Image& picture, platform::RectF& source,
                                  platform::Size panel);
    void Clear();

private:
    const platform::Image* picture_ = nullptr;
    std::map<int, std::unique_ptr<platform::Image>> copies_;  // by reduction factor
};

class ViewProc : public app::EventChain {
public:
    explicit ViewProc(app::TfrmMiddle& owner) : owner_(owner) {}

    bool Paint(platform::ScreenTarget& screen) override;
    // The panel is drawn in full at every paint; erasing first would only flicker.
    bool EraseBackground() override { return true; }
    // Image2Resize: repaint at once, not when the queue gets to it.
    void Resized(platform::Size now) override;

    // The picture was replaced or transformed: reduced copies of it are stale.
    void PictureChanged() { cache_.Clear(); }
    // The part of the picture that zoom and offsets select, stretched over a surface of the
    // panel's size: the pixels the view shows, without the background.
    void DrawPicture(platform::Surface& surface, platform::Size panel);

private:
    app::TfrmMiddle& owner_;
    ReducedPictureCache cache_;
    std::unique_ptr<platform::Surface> surface_;
};

}  // namespace zylora::view
