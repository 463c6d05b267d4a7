// The picture service (imaging/PictureService.h) on this system: its decodes with the
// system's decoders, its threads' priorities, its endings brought to the user-interface
// thread by the tasks' message window, and the pending picture an open waits on. Internal to
// platform/win32.
#pragma once

#include <chrono>
#include <functional>
#include <memory>

#include "imaging/PictureService.h"
#include "platform/FileSystem.h"
#include "platform/Platform.h"
#include "platform/win32/Win32Background.h"

namespace zylora::platform::win32 {

// The service's setup here: decodes by the system's decoders (each on a COM apartment of its
// own, stopping between bands once cancelled), stamps from `files`, the foreground thread
// above normal priority and the background one at normal (below it, a read-ahead starves as
// soon as anything else runs), endings to `tasks`.
imaging::PictureServiceSetup PictureServiceSetupFor(FileSystem& files, const BackgroundTasks& tasks);

// The priority a thread of the service runs at.
int PriorityOf(imaging::ThreadRole role);

// How long the user's thread waits for a picture it can't go on without: a file on a dead
// network share, past that, counts as one that couldn't be read.
constexpr std::chrono::milliseconds PictureWaitLimit{30000};

// A picture the service decodes for an open; the user's thread owns it. `ready` runs from
// the messages once the decode is done, unless this is gone by then (its job is cancelled).
// `open` asks the service for the decode and gives its job (0 when it can't be had): at once,
// or where `later`, at Begin (or Take): an open whose first look is made first has its full
// decode wait for it, so that the two don't share the processor.
class PendingPicture : public Platform::PendingImage {
public:
    // `decodeHere` decodes on this thread a picture the service made no pixels of (a format
    // only GDI+ reads, whose objects stay on one thread).
    PendingPicture(imaging::PictureService& service, BackgroundTasks& tasks, std::function<imaging::JobId()> open,
                   bool later, std::function<std::unique_ptr<Image>()> decodeHere, std::function<void()> ready);
    ~PendingPicture() override;
    PendingPicture(const PendingPicture&) = delete;
    PendingPicture& operator=(const PendingPicture&) = delete;
    std::unique_ptr<Image> Take() override;
    // Asks for the decode, once.
    void Begin() override;

private:
    imaging::PictureService& service_;
    BackgroundTasks& tasks_;
    std::function<imaging::JobId()> open_;
    imaging::JobId job_ = 0;
    std::function<std::unique_ptr<Image>()> decodeHere_;
    std::function<void()> ready_;
    bool taken_ = false;
};

// A look being made by a task of its own: its pixels, and what the task's ending runs (set by
// the PendingLook that takes it, which for a look made ahead may come after that ending).
struct LookTask {
    Handoff<std::optional<DecodedPixels>> pixels;
    bool ended = false;
    std::function<void()> then;
    // On the user's thread, once the task has ended: runs `then` if it is set already.
    void End() {
        ended = true;
        if (then) std::exchange(then, nullptr)();
    }
};
std::shared_ptr<LookTask> StartLook(BackgroundTasks& tasks, std::function<std::optional<DecodedPixels>()> decode);

// A first look at a picture made by a task of its own (behind Platform::DecodePreview's
// `look`): only pixels pass between the threads; the image is made here, in Take.
class PendingLook : public Platform::PendingImage {
public:
    // `ready` runs from the messages once the look is made, also for one made already.
    PendingLook(BackgroundTasks& tasks, std::shared_ptr<LookTask> task, std::function<void()> ready);
    ~PendingLook() override { *wanted_ = false; }
    PendingLook(const PendingLook&) = delete;
    PendingLook& operator=(const PendingLook&) = delete;
    std::unique_ptr<Image> Take() override;

private:
    std::shared_ptr<LookTask> task_;
    std::shared_ptr<bool> wanted_ = std::make_shared<bool>(true);  // its ending still runs `ready`
    bool taken_ = false;
};

// The picture of a finished job as an image; `decodeHere` when it made no pixels.
std::unique_ptr<Image> ImageOfResult(std::optional<imaging::JobResult> result,
                                     const std::function<std::unique_ptr<Image>()>& decodeHere);

}  // namespace zylora::platform::win32
