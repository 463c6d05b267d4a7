// The animation formats read here, each as a source of stored frames (imaging/Animation.h).
#pragma once

#include <memory>
#include <string>

#include "imaging/Animation.h"

namespace zylora::imaging {

// The frames of a GIF of more than one frame; nothing for a still GIF, another format, or a
// canvas or frame beyond the limit.
std::unique_ptr<FrameSource> GifFrames(std::string bytes, const DecodeLimit& limit);
// The frames of an animated PNG (its acTL chunk names two frames or more); nothing otherwise.
std::unique_ptr<FrameSource> ApngFrames(std::string bytes, const DecodeLimit& limit);
// The frames of an animated WebP (its VP8X flags say so, and it holds two frames or more).
std::unique_ptr<FrameSource> WebpFrames(std::string bytes, const DecodeLimit& limit);
// Whichever of these the bytes are.
std::unique_ptr<FrameSource> AnimationFrames(std::string bytes, const DecodeLimit& limit);

}  // namespace zylora::imaging
