#include "app/Slideshow.h"

#include <algorithm>

namespace zylora::app {

Slideshow::Slideshow(platform::Platform& platform, std::function<void()> step)
    : platform_(platform), step_(std::move(step)) {}

void Slideshow::Start(bool ready) {
    running_ = true;
    PictureShown(ready);
}

void Slideshow::Stop() {
    running_ = false;
    timer_.reset();
}

void Slideshow::PictureShown(bool ready) {
    timer_.reset();
    if (running_ && ready) Arm();
}

void Slideshow::SetSeconds(int seconds) {
    seconds_ = std::clamp(seconds, FewestSeconds, MostSeconds);
    if (timer_) Arm();
}

void Slideshow::Arm() {
    // One tick: the next picture arms it again once its pixels are in. The timer ticking is
    // kept aside until the next tick, as the step may arm a new one inside its tick.
    timer_ = platform_.CreateTimer(seconds_ * 1000, [this] {
        retired_ = std::move(timer_);
        retired_->SetEnabled(false);
        step_();
    });
    timer_->SetEnabled(true);
}

}  // namespace zylora::app
