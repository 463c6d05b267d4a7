#include "platform/win32/Win32Background.h"

#include <algorithm>
#include <memory>

#include "platform/win32/Win32Imaging.h"

namespace zylora::platform::win32 {

struct BackgroundTasks::Task {
    std::function<void()> work, done;
    HWND window;
    UINT message;
    HANDLE thread = nullptr;
};

BackgroundTasks::~BackgroundTasks() {
    for (HANDLE thread : threads_) {
        ::WaitForSingleObject(thread, INFINITE);
        ::CloseHandle(thread);
    }
}

void BackgroundTasks::Run(std::function<void()> work, std::function<void()> done) {
    auto task = std::make_unique<Task>(Task{std::move(work), std::move(done), window_, message_});
    HANDLE thread = ::CreateThread(nullptr, 0, &BackgroundTasks::Work, task.get(), CREATE_SUSPENDED, nullptr);
    if (!thread) {
        task->work();
        task->done();
        return;
    }
    task->thread = thread;
    threads_.push_back(thread);
    task.release();  // the thread's now, and then the message's
    ::ResumeThread(thread);
}

DWORD WINAPI BackgroundTasks::Work(void* task) {
    auto* t = static_cast<Task*>(task);
    // Nothing it throws leaves the thread: the task ends as if its work were done.
    try {
        t->work();
    } catch (...) {
    }
    ::PostMessageW(t->window, t->message, 0, reinterpret_cast<LPARAM>(t));
    return 0;
}

void BackgroundTasks::Finish(LPARAM task) {
    std::unique_ptr<Task> t(reinterpret_cast<Task*>(task));
    if (auto it = std::find(threads_.begin(), threads_.end(), t->thread); it != threads_.end()) {
        ::WaitForSingleObject(*it, INFINITE);
        ::CloseHandle(*it);
        threads_.erase(it);
    }
    if (t->done) t->done();
}

namespace {
// One full decode at a time: a quick step past large pictures leaves their decodes waiting
// here, and those nobody waits for any more are skipped, so each step costs only its
// preview, and no more than one picture's pixels are decoded beside the one shown.
SRWLOCK decodeSlot = SRWLOCK_INIT;
}  // namespace

struct PendingPicture::State {
    SRWLOCK lock = SRWLOCK_INIT;
    bool abandoned = false;
    Handoff<std::optional<DecodedPixels>> pixels;
};

PendingPicture::PendingPicture(BackgroundTasks& tasks, std::function<std::optional<DecodedPixels>()> decode,
                               std::function<std::unique_ptr<Image>()> decodeHere, std::function<void()> ready)
    : state_(std::make_shared<State>()), decodeHere_(std::move(decodeHere)) {
    tasks.Run(
        [state = state_, decode = std::move(decode)] {
            std::optional<DecodedPixels> pixels;
            {
                Exclusive slot(decodeSlot);
                bool abandoned;
                {
                    Exclusive hold(state->lock);
                    abandoned = state->abandoned;
                }
                try {
                    if (!abandoned) pixels = decode();
                } catch (...) {
                }
            }
            state->pixels.Give(std::move(pixels));
        },
        [state = state_, ready = std::move(ready)] {
            bool abandoned;
            {
                Exclusive hold(state->lock);
                abandoned = state->abandoned;
            }
            if (!abandoned && ready) ready();
        });
}

PendingPicture::~PendingPicture() {
    Exclusive hold(state_->lock);
    state_->abandoned = true;
}

std::unique_ptr<Image> PendingPicture::Take() {
    if (taken_) return nullptr;
    taken_ = true;
    std::optional<DecodedPixels> pixels = state_->pixels.Wait();
    if (pixels) return ImageOfPixels(std::move(*pixels), std::nullopt);
    return decodeHere_();
}

PendingSkinDecode::PendingSkinDecode(BackgroundTasks& tasks, std::vector<std::string> paths, bool decodeThere,
                                     std::function<std::unique_ptr<Image>(const std::string&)> decodeHere)
    : paths_(std::move(paths)), decoded_(std::make_shared<Handoff<Decoded>>()), decodeHere_(std::move(decodeHere)) {
    if (!decodeThere) {
        decoded_->Give({});
        return;
    }
    tasks.Run(
        [decoded = decoded_, paths = paths_] {
            Decoded out;
            // Whatever stops it, what was decoded is handed over: Take waits for it.
            try {
                ThreadImaging imaging;
                for (const std::string& path : paths)
                    out.push_back(DecodePixels(path, SkinImageLimit, &imaging.Component()));
            } catch (...) {
            }
            decoded->Give(std::move(out));
        },
        [] {});
}

std::vector<std::unique_ptr<Image>> PendingSkinDecode::Take() {
    std::vector<std::unique_ptr<Image>> images;
    if (taken_) return images;
    taken_ = true;
    Decoded decoded = decoded_->Wait();
    for (std::size_t i = 0; i < paths_.size(); ++i)
        // What didn't decode there is tried once more here, so it ends as DecodeSkinImage ends.
        images.push_back(i < decoded.size() && decoded[i] ? ImageOfPixels(std::move(*decoded[i]), std::nullopt)
                                                          : decodeHere_(paths_[i]));
    return images;
}

}  // namespace zylora::platform::win32
