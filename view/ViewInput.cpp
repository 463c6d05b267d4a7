#include "view/ViewInput.h"

#include <algorithm>
#include <cmath>

#include "app/MainWindow.h"

namespace zylora::view {

bool ViewInput::OnGrip(platform::Point at) const {
    const platform::Image* corner = owner_.CornerImage.get();
    if (!corner || owner_.FullScreen) return false;  // full screen has no size to drag
    const platform::Rect panel = owner_.Image2->Bounds();
    const long long left = static_cast<long long>(panel.width) - corner->Width();
    const long long top = static_cast<long long>(panel.height) - corner->Height();
    if (at.x < left || at.y < top || at.x > panel.width || at.y > panel.height) return false;
    // The far edges are in the rectangle but past the image's pixels: never on the grip.
    const auto alpha = corner->AlphaAt(static_cast<int>(at.x - left), static_cast<int>(at.y - top));
    return alpha.has_value() && *alpha != 0;
}

void ViewInput::DoubleClick(platform::Point) {
    // The press before it began a pan, which the change of size would make a jump.
    CancelDrag();
    owner_.ToggleFullScreen();
}

void ViewInput::Image2MouseDown(platform::Point at) {
    owner_.Slides.Stop();  // a click on the picture ends the slideshow
    if (OnGrip(at)) {
        const platform::Point cursor = owner_.Platform().CursorPos();
        owner_.DragLastX = cursor.x;
        owner_.DragLastY = cursor.y;
        owner_.ResizePacer.Restart();
        owner_.Timer1->SetEnabled(true);  // the ticks follow the pointer
        return;
    }
    owner_.Dragging = true;
    const platform::Point cursor = owner_.Platform().CursorPos();
    owner_.PanAnchorX = cursor.x;
    owner_.PanAnchorY = cursor.y;
    owner_.SelectionX = static_cast<float>(at.x);
    owner_.SelectionY = static_cast<float>(at.y);
    owner_.SelectionWidth = 0;
    owner_.SelectionHeight = 0;
}

void ViewInput::Image2MouseMove(platform::Point at) {
    if (owner_.Dragging && owner_.HasPicture()) {
        if (owner_.MoveMode) {
            Pan();
        } else {
            owner_.SelectionWidth = static_cast<float>(at.x) - owner_.SelectionX;
            owner_.SelectionHeight = static_cast<float>(at.y) - owner_.SelectionY;
            owner_.Image2->Invalidate();
        }
        return;
    }
    if (!owner_.CornerImage) return;
    const platform::CursorShape shape =
        OnGrip(at) ? platform::CursorShape::SizeNWSE : platform::CursorShape::Arrow;
    owner_.Form().SetCursor(shape);
    owner_.Image2->SetCursor(shape);
}

void ViewInput::Pan() {
    const platform::Point cursor = owner_.Platform().CursorPos();
    PanBy(static_cast<long double>(cursor.x) - owner_.PanAnchorX, static_cast<long double>(cursor.y) - owner_.PanAnchorY);
    owner_.PanAnchorX = cursor.x;
    owner_.PanAnchorY = cursor.y;
}

void ViewInput::PanBy(long double dx, long double dy) {
    if (!owner_.HasPicture()) return;
    // Picture pixels move with screen pixels, whatever the zoom.
    owner_.OffsetX -= dx;
    owner_.OffsetY -= dy;
    const long double zoom = std::max(1, owner_.ZoomFactor);
    const long double width = owner_.Picture->Width(), height = owner_.Picture->Height();
    if (width / zoom + owner_.OffsetX > width) owner_.OffsetX = width - width / zoom;
    if (height / zoom + owner_.OffsetY > height) owner_.OffsetY = height - height / zoom;
    owner_.OffsetX = std::max(owner_.OffsetX, 0.0L);
    owner_.OffsetY = std::max(owner_.OffsetY, 0.0L);
    owner_.Image2->Invalidate();
}

void ViewInput::Image2MouseUp() {
    // A last step, so the window ends where the pointer let go even when no tick (or no
    // paced step) came after the last move.
    if (owner_.Timer1->Enabled() &&
        owner_.Platform().CursorPos() != platform::Point{owner_.DragLastX, owner_.DragLastY})
        owner_.CornerStep();
    owner_.Timer1->SetEnabled(false);
    if (!owner_.Dragging) return;
    owner_.Dragging = false;
    if (owner_.MoveMode) return;
    Crop();
    // The veil goes with the drag, crop or not.
    owner_.Image2->Invalidate();
}

void ViewInput::CancelDrag() {
    owner_.Timer1->SetEnabled(false);
    if (!owner_.Dragging) return;
    owner_.Dragging = false;
    if (!owner_.MoveMode) owner_.Image2->Invalidate();  // the selection's veil goes
}

void ViewInput::Crop() {
    if (owner_.SelectionWidth == 0 || owner_.SelectionHeight == 0 || !owner_.HasPicture()) return;
    const platform::RectF selection = NormalisedSelection(
        owner_.SelectionX, owner_.SelectionY, owner_.SelectionWidth, owner_.SelectionHeight);
    // A selection thinner than a pixel holds no pixel; one far beyond the panel is cut to
    // what a window can show.
    const auto extent = [](float side) {
        return static_cast<int>(std::min(std::trunc(side), static_cast<float>(platform::MaxWindowExtent)));
    };
    const int width = extent(selection.width), height = extent(selection.height);
    if (width <= 0 || height <= 0) return;

    // What the view shows, without the background: the crop keeps the displayed pixels. A
    // crop that memory can't be found for leaves the picture as it was.
    const platform::Rect panel = owner_.Image2->Bounds();
    auto shown = owner_.Platform().CreateSurface(panel.width, panel.height);
    auto cropped = owner_.Platform().CreateSurface(width, height);
    if (!shown->HasPixels() || !cropped->HasPixels()) return;
    owner_.View().DrawPicture(*shown, {panel.width, panel.height});
    const float w = static_cast<float>(width), h = static_cast<float>(height);
    cropped->DrawImageRect(*shown, {selection.left, selection.top, w, h}, {0, 0, w, h});
    shown.reset();

    // The frame of an animation that was cropped stays, a still picture.
    owner_.Player.Stop();
    owner_.Picture = std::move(cropped);
    owner_.View().PictureChanged();  // the new picture may even reuse the old one's address
    owner_.OffsetX = 0;
    owner_.OffsetY = 0;
    const platform::Rect placed = owner_.PlaceForPicture({width, height});
    owner_.RenderFrames(placed.left, placed.top, placed.width, placed.height);
}

bool ViewInput::ContextPopup() {
    bool handled = false;
    owner_.Image2ContextPopup(handled);
    return handled;
}

}  // namespace zylora::view
