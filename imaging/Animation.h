// Animations (GIF, APNG, and any format whose frames come as pieces of a canvas): their
// stored frames read one at a time, composed onto a canvas of our own by the format's rules
// (each frame's disposal and blending), played at their delays for their number of plays.
// Only the canvas, the part a frame to be undone covers, and the frame being drawn are in
// memory at a time, however long the animation: a step back composes again from the start.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "imaging/ImageHeader.h"
#include "imaging/Pixels.h"

namespace zylora::imaging {

// What becomes of a frame's rectangle once its time is over.
enum class Disposal {
    Keep,        // left as drawn
    Clear,       // cleared to transparent
    Restore,     // given back what it held before the frame
};
// How a frame's pixels go onto the canvas.
enum class Blend {
    Replace,  // its pixels, transparent ones included
    Over,     // over what is there
};

struct StoredFrame {
    int left = 0, top = 0;  // on the canvas; the part outside it is not drawn
    PixelBuffer pixels;     // straight ARGB
    int delayMs = 0;        // as stored
    Disposal disposal = Disposal::Keep;
    Blend blend = Blend::Over;
};

// An animation's frames as its file stores them, read in order from the first.
class FrameSource {
public:
    virtual ~FrameSource() = default;
    virtual Size Canvas() const = 0;
    // How many times the whole animation plays; 0 for ever.
    virtual int Plays() const = 0;
    // The next frame; nothing past the last, or where the file breaks off.
    virtual std::optional<StoredFrame> Next() = 0;
    // Back before the first frame.
    virtual void Rewind() = 0;
};

// The canvas frames are drawn onto in turn, each after the one before has been disposed of.
class Compositor {
public:
    explicit Compositor(Size canvas);
    // False when memory for the canvas, or for what the frame is to give back, is short.
    bool Draw(const StoredFrame& frame);
    const PixelBuffer& Canvas() const { return canvas_; }

private:
    struct Area {
        int left = 0, top = 0, width = 0, height = 0;
    };
    Area Clip(const StoredFrame& frame) const;
    void DisposeLast();

    PixelBuffer canvas_;
    Area last_;
    Disposal lastDisposal_ = Disposal::Keep;
    PixelBuffer saved_;  // what the last frame's area held, for its Restore
};

// How long a frame shows: as browsers do, a delay of 10 ms or less (GIF's 0 and 1
// centisecond, written by tools that meant "as fast as it goes") shows for 100 ms.
int ShownDelayMs(int storedDelayMs);

// An animation being shown: the frame composed now, and the way to the next and the one
// before.
class Animation {
public:
    // The animation the file's bytes hold; nothing when they hold a still picture (one frame
    // or none), no format read here, a canvas beyond the limit, or a first frame that doesn't
    // draw.
    static std::unique_ptr<Animation> Open(std::string bytes, const DecodeLimit& limit);
    explicit Animation(std::unique_ptr<FrameSource> source);

    const PixelBuffer& Frame() const { return compositor_.Canvas(); }
    int Index() const { return index_; }
    // How long the frame shown now shows.
    int DelayMs() const { return delayMs_; }
    // Every play is over: the last frame stays.
    bool Over() const { return over_; }

    // The next frame, from the first again after the last while plays are left (always, by
    // hand). False when none came (the plays are over, or a frame failed); the frame shown
    // stays.
    bool Advance(bool byHand = false);
    // The frame before, from the last one when at the first (once the count is known).
    bool Back();
    // Whether a first frame was drawn.
    bool Started() const { return index_ >= 0; }

private:
    // Composes from the start up to the frame at `index`.
    bool ComposeTo(int index);

    std::unique_ptr<FrameSource> source_;
    Compositor compositor_;
    int index_ = -1;
    int delayMs_ = 0;
    int frameCount_ = 0;  // known once a play has reached the end; 0 before
    int playsDone_ = 0;
    bool over_ = false;
};

}  // namespace zylora::imaging
