// Drawing one 32-bit ARGB (straight alpha) pixel grid stretched onto another, bilinear,
// without the imaging library: the view's hot path, a paint at every pan and resize step.
#pragma once

#include <cstdint>

#include "platform/Types.h"

namespace zylora::imaging {

// The platform's small value types, which the pixel work measures in.
using platform::RectF;

// Rows of pixels without padding between them.
struct PixelGrid {
    std::uint32_t* pixels = nullptr;
    int width = 0;
    int height = 0;
};

struct ConstPixelGrid {
    const std::uint32_t* pixels = nullptr;
    int width = 0;
    int height = 0;
};

// Draws the source rectangle of `from` (its pixels, as floats) stretched into the destination
// rectangle of `to`. Pixel centres map onto pixel centres and each destination pixel mixes
// the four source pixels around its place, so a source at its own size on whole pixels is
// copied exactly. Only the part of the source inside the picture is drawn, the picture's
// edge pixels repeating up to its edges; the rest of the destination is left alone. An opaque
// source replaces what it covers, any other is blended over it.
void DrawResampled(ConstPixelGrid from, bool opaque, RectF source, PixelGrid to, RectF destination);

// The same stretch with each destination pixel taking the one source pixel nearest its
// place: several times quicker, for a picture that is shown only for a moment (a resize
// drag's steps), coarse where the scale isn't whole.
void DrawNearest(ConstPixelGrid from, bool opaque, RectF source, PixelGrid to, RectF destination);

// Fills the area with the texture repeated from the grid's origin, each copy scaled by
// (scaleX, scaleY) (both above 0), bilinear across the copies' seams.
void FillTiled(ConstPixelGrid texture, bool opaque, float scaleX, float scaleY, RectF area, PixelGrid to);

// The pixel with its colour multiplied by its alpha.
std::uint32_t Premultiplied(std::uint32_t pixel);

// Straight-alpha source over straight-alpha destination.
std::uint32_t Over(std::uint32_t source, std::uint32_t destination);

}  // namespace zylora::imaging
