// An animated picture played in the view: its file read and its first frame composed on
// another thread, then each frame shown at its delay, paused and stepped by hand.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "imaging/Animation.h"
#include "platform/Platform.h"

namespace zylora::app {

class AnimationPlayer {
public:
    // `show` puts a frame in the view; it runs on the user's thread.
    AnimationPlayer(platform::Platform& platform, std::function<void(const imaging::PixelBuffer&)> show);

    // The animation at the path plays (a GIF or PNG of several frames, its first frame shown
    // as a still by now); what played before stops.
    void Start(const std::string& path);
    // Nothing plays any more; the frame shown stays as a still picture.
    void Stop();
    // An animation is shown (playing or paused).
    bool Active() const { return animation_ != nullptr; }
    bool Paused() const { return paused_; }
    // Pauses a playing animation, plays a paused one.
    void TogglePause();
    // While paused: the next frame, or the one before.
    void Step(bool forward);

private:
    void Tick();
    void Show();
    // The timer set for the frame shown, unless paused or over.
    void Schedule();

    platform::Platform& platform_;
    std::function<void(const imaging::PixelBuffer&)> show_;
    std::unique_ptr<imaging::Animation> animation_;
    std::unique_ptr<platform::Timer> timer_;
    std::unique_ptr<platform::Timer> retired_;  // the timer of the delay before
    bool paused_ = false;
    // Counts the starts: an animation read for a picture the user has left is dropped.
    unsigned started_ = 0;
    // Gone with the player: an ending that comes later does nothing.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace zylora::app
