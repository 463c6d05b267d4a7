#include "app/AnimationPlayer.h"

#include <utility>


namespace zylora::app {

AnimationPlayer::AnimationPlayer(platform::Platform& platform, std::function<void(const imaging::PixelBuffer&)> show)
    : platform_(platform), show_(std::move(show)), timer_(platform.CreateTimer(100, [this] { Tick(); })) {}

void AnimationPlayer::Schedule() {
    // A timer of the frame's own delay.
    if (timer_->Interval() != animation_->DelayMs()) {
        // This may run in the old timer's own tick: it goes at the next change.
        timer_->SetEnabled(false);
        retired_ = std::exchange(timer_, platform_.CreateTimer(animation_->DelayMs(), [this] { Tick(); }));
    }
    timer_->SetEnabled(!paused_ && !animation_->Over());
}

void AnimationPlayer::Start(const std::string& path) {
    Stop();
    const unsigned start = ++started_;
    auto opened = std::make_shared<std::unique_ptr<imaging::Animation>>();
    // The file is read, and its first frame composed, off the user's thread.
    platform_.RunInBackground(
        [opened, path, &files = platform_.Files()] {
            if (std::optional<std::string> bytes = files.ReadFile(path))
                *opened = imaging::Animation::Open(std::move(*bytes), imaging::PictureLimit);
        },
        [this, opened, start, alive = std::weak_ptr<bool>(alive_)] {
            if (alive.expired() || start != started_ || !*opened) return;
            animation_ = std::move(*opened);
            paused_ = false;
            Show();
        });
}

void AnimationPlayer::Stop() {
    ++started_;
    animation_.reset();
    paused_ = false;
    timer_->SetEnabled(false);
}

void AnimationPlayer::TogglePause() {
    if (!animation_) return;
    paused_ = !paused_;
    Schedule();
}

void AnimationPlayer::Step(bool forward) {
    if (!animation_ || !paused_) return;
    if (forward ? animation_->Advance(/*byHand=*/true) : animation_->Back()) show_(animation_->Frame());
}

void AnimationPlayer::Tick() {
    if (!animation_ || paused_) return timer_->SetEnabled(false);
    if (!animation_->Advance()) return timer_->SetEnabled(false);
    Show();
}

void AnimationPlayer::Show() {
    show_(animation_->Frame());
    Schedule();
}

}  // namespace zylora::app
