// The slideshow: the folder's next picture after a while, the while counted from the moment a
// picture's full pixels are in (a large photo's reduced first look doesn't count).
#pragma once

#include <functional>
#include <memory>

#include "platform/Platform.h"

namespace zylora::app {

class Slideshow {
public:
    static constexpr int DefaultSeconds = 4;
    static constexpr int FewestSeconds = 1;
    static constexpr int MostSeconds = 3600;

    // `step` shows the next picture; it runs on the user's thread.
    Slideshow(platform::Platform& platform, std::function<void()> step);

    bool Running() const { return running_; }
    // Started with the picture shown, which is `ready` when its full pixels are in.
    void Start(bool ready);
    void Stop();
    // A picture is shown, `ready` once its full pixels are in: its while starts then.
    void PictureShown(bool ready);

    int Seconds() const { return seconds_; }
    // Any number is brought within the fewest and the most; a running while starts again.
    void SetSeconds(int seconds);

private:
    void Arm();

    platform::Platform& platform_;
    std::function<void()> step_;
    std::unique_ptr<platform::Timer> timer_;
    std::unique_ptr<platform::Timer> retired_;  // the one that ticked last
    int seconds_ = DefaultSeconds;
    bool running_ = false;
};

}  // namespace zylora::app
