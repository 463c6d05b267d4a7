#include "platform/win32/Win32Pictures.h"

#include <utility>

#include "platform/win32/Win32Imaging.h"

namespace zylora::platform::win32 {

int PriorityOf(imaging::ThreadRole role) {
    return role == imaging::ThreadRole::Foreground ? THREAD_PRIORITY_ABOVE_NORMAL : THREAD_PRIORITY_NORMAL;
}

imaging::PictureServiceSetup PictureServiceSetupFor(FileSystem& files, const BackgroundTasks& tasks) {
    imaging::PictureServiceSetup setup;
    setup.decode = [](const std::string& path, const DecodeLimit& limit, const imaging::Cancelled& cancelled) {
        const ThreadImaging imaging;
        return DecodePixels(path, limit, &imaging.Component(), cancelled);
    };
    setup.stampOf = [&files](const std::string& path) { return files.StampOf(path); };
    setup.notify = tasks.Arrival();
    setup.prioritize = [](imaging::ThreadRole role) { ::SetThreadPriority(::GetCurrentThread(), PriorityOf(role)); };
    setup.parallel = InHalves;
    return setup;
}

std::unique_ptr<Image> ImageOfResult(std::optional<imaging::JobResult> result,
                                     const std::function<std::unique_ptr<Image>()>& decodeHere) {
    if (result && result->picture)
        return ImageOfPixels(std::move(result->picture->pixels), std::move(result->picture->reduced));
    return decodeHere();
}

PendingPicture::PendingPicture(imaging::PictureService& service, BackgroundTasks& tasks,
                               std::function<imaging::JobId()> open, bool later,
                               std::function<std::unique_ptr<Image>()> decodeHere, std::function<void()> ready)
    : service_(service), tasks_(tasks), open_(std::move(open)), decodeHere_(std::move(decodeHere)),
      ready_(std::move(ready)) {
    if (!later) Begin();
}

PendingPicture::~PendingPicture() {
    if (job_ == 0) return;
    tasks_.Forget(job_);
    if (!taken_) service_.Cancel(job_);
}

void PendingPicture::Begin() {
    if (!open_) return;
    job_ = std::exchange(open_, nullptr)();
    if (job_ != 0 && ready_) tasks_.Await(job_, std::move(ready_));
}

std::unique_ptr<Image> PendingPicture::Take() {
    if (taken_) return nullptr;
    taken_ = true;
    Begin();
    if (job_ == 0) return decodeHere_();
    tasks_.Forget(job_);
    std::optional<imaging::JobResult> result = service_.Wait(job_, PictureWaitLimit);
    if (result) return ImageOfResult(std::move(result), decodeHere_);
    // Past the limit: its pixels, if they ever come, go; the picture is one not read.
    service_.Cancel(job_);
    return DecodeImageFile(std::string(), PictureLimit, nullptr);
}

std::shared_ptr<LookTask> StartLook(BackgroundTasks& tasks, std::function<std::optional<DecodedPixels>()> decode) {
    auto task = std::make_shared<LookTask>();
    tasks.Run([task, decode = std::move(decode)] { task->pixels.Give(decode()); },
              [task] { task->End(); });
    return task;
}

PendingLook::PendingLook(BackgroundTasks& tasks, std::shared_ptr<LookTask> task, std::function<void()> ready)
    : task_(std::move(task)) {
    auto ending = [wanted = wanted_, ready = std::move(ready)] {
        if (*wanted && ready) ready();
    };
    // A look made ahead whose task has ended: its arrival still comes from the messages, never
    // inside the open that takes it.
    if (task_->ended)
        tasks.Run([] {}, std::move(ending));
    else
        task_->then = std::move(ending);
}

std::unique_ptr<Image> PendingLook::Take() {
    if (taken_) return nullptr;
    taken_ = true;
    *wanted_ = false;
    std::optional<DecodedPixels> pixels = task_->pixels.Wait();
    return pixels ? ImageOfPixels(std::move(*pixels), std::nullopt) : nullptr;
}

}  // namespace zylora::platform::win32
