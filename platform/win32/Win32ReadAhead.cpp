#include "platform/win32/Win32ReadAhead.h"

#include <algorithm>
#include <utility>

#include "platform/win32/Win32Background.h"

namespace zylora::platform::win32 {

namespace {

long long PixelCount(const ReadAheadWorker::Picture& picture) {
    long long n = static_cast<long long>(picture.pixels.pixels.pixels.size());
    if (picture.reduced) n += static_cast<long long>(picture.reduced->pixels.pixels.size());
    return n;
}

// The place in ReadAheadWorker::waiting_ of a thread's priority.
std::size_t WaitingSlot(int priority) {
    if (priority == THREAD_PRIORITY_ERROR_RETURN) priority = THREAD_PRIORITY_NORMAL;
    return static_cast<std::size_t>(std::clamp(priority, THREAD_PRIORITY_IDLE, THREAD_PRIORITY_TIME_CRITICAL) -
                                    THREAD_PRIORITY_IDLE);
}

}  // namespace

ReadAheadWorker::~ReadAheadWorker() { Close(INFINITE); }

bool ReadAheadWorker::Close(DWORD waitMs) {
    HANDLE thread;
    {
        Exclusive hold(lock_);
        stop_ = true;
        thread = thread_;
    }
    if (!thread) return true;
    ::WakeAllConditionVariable(&changed_);
    if (::WaitForSingleObject(thread, waitMs) != WAIT_OBJECT_0) return false;
    Exclusive hold(lock_);
    ::CloseHandle(thread_);
    thread_ = nullptr;
    return true;
}

void ReadAheadWorker::Request(std::function<std::vector<std::string>()> which,
                              std::function<Size(Size)> reducedFor) {
    {
        Exclusive hold(lock_);
        which_ = std::move(which);
        reducedFor_ = std::move(reducedFor);
        if (!thread_ && which_) {
            thread_ = ::CreateThread(nullptr, 0, &ReadAheadWorker::Run, this, 0, nullptr);
            if (thread_) PrioritizeLocked();
        }
    }
    ::WakeAllConditionVariable(&changed_);
}

void ReadAheadWorker::TakeRequest(std::function<std::vector<std::string>()> which) {
    std::vector<std::string> paths;
    // A request that fails (a folder that can't be listed, no memory) wants nothing.
    try {
        if (which) paths = which();
    } catch (...) {
        paths.clear();
    }
    std::map<std::string, Entry> dropped;  // freed outside the lock
    Exclusive hold(lock_);
    if (which_) return;  // a newer request came meanwhile: it counts, not this one
    wanted_ = std::move(paths);
    // Moved across whole, so letting go asks for no memory.
    for (auto it = held_.begin(); it != held_.end();)
        if (std::find(wanted_.begin(), wanted_.end(), it->first) == wanted_.end())
            dropped.insert(held_.extract(it++));
        else
            ++it;
}

std::optional<ReadAheadWorker::Picture> ReadAheadWorker::Take(const std::string& path) {
    std::optional<Entry> entry;
    {
        Exclusive hold(lock_);
        // Half decoded already: waiting costs less than decoding it once more. The user waits
        // for it, so it no longer stands behind everything else.
        if (busy_ == path && !path.empty()) {
            int& waiting = waiting_[WaitingSlot(::GetThreadPriority(::GetCurrentThread()))];
            ++waiting;
            PrioritizeLocked();
            while (busy_ == path) ::SleepConditionVariableSRW(&changed_, &lock_, INFINITE, 0);
            --waiting;
            PrioritizeLocked();
        }
        if (auto it = held_.find(path); it != held_.end()) {
            entry = std::move(it->second);
            held_.erase(it);
        }
        // Not wanted any more, or it would be decoded again at once.
        wanted_.erase(std::remove(wanted_.begin(), wanted_.end(), path), wanted_.end());
    }
    // A file written since its decoding began is read afresh.
    if (!entry || !entry->picture || !entry->stamp || files_.StampOf(path) != entry->stamp) return std::nullopt;
    return std::move(entry->picture);
}

bool ReadAheadWorker::Holds(const std::string& path) {
    Exclusive hold(lock_);
    const auto it = held_.find(path);
    return it != held_.end() && it->second.picture.has_value();
}

long long ReadAheadWorker::HeldPixels() {
    Exclusive hold(lock_);
    return HeldPixelsLocked();
}

long long ReadAheadWorker::HeldPixelsLocked() const {
    long long n = 0;
    for (const auto& [path, entry] : held_)
        if (entry.picture) n += PixelCount(*entry.picture);
    return n;
}

// Behind everything the user sees, unless a thread waits for the picture being decoded.
void ReadAheadWorker::PrioritizeLocked() const {
    int priority = THREAD_PRIORITY_BELOW_NORMAL;
    for (int p = THREAD_PRIORITY_TIME_CRITICAL; p > THREAD_PRIORITY_BELOW_NORMAL; --p)
        if (waiting_[WaitingSlot(p)] > 0) {
            priority = p;
            break;
        }
    ::SetThreadPriority(thread_, priority);
}

const std::string* ReadAheadWorker::NextJobLocked() const {
    for (const std::string& path : wanted_)
        if (!held_.count(path)) return &path;
    return nullptr;
}

DWORD WINAPI ReadAheadWorker::Run(void* self) {
    auto* worker = static_cast<ReadAheadWorker*>(self);
    // Nothing leaves the thread. Should anything end the worker, nothing is read ahead any
    // more, and nobody waits for a picture it was decoding.
    try {
        const ThreadImaging imaging;
        worker->Work(imaging.Component());
    } catch (...) {
        Exclusive hold(worker->lock_);
        worker->stop_ = true;
        worker->busy_.clear();
    }
    ::WakeAllConditionVariable(&worker->changed_);
    return 0;
}

void ReadAheadWorker::Work(const ImagingComponent& component) {
    for (;;) {
        std::string path;
        std::function<Size(Size)> reducedFor;
        std::function<std::vector<std::string>()> which;
        DecodeLimit limit = PictureLimit;
        bool idle;
        {
            Exclusive hold(lock_);
            idle = !stop_ && !which_ && !NextJobLocked();
        }
        // The last decode to take the memory of a picture let go of would have been a read
        // ahead, which has nothing left to read.
        if (idle) FreeKeptPictureMemory();
        {
            Exclusive hold(lock_);
            const std::string* job = nullptr;
            while (!stop_ && !which_ && !(job = NextJobLocked()))
                ::SleepConditionVariableSRW(&changed_, &lock_, INFINITE, 0);
            if (stop_) return;
            if (which_) {
                which = std::move(which_);
                which_ = nullptr;
            } else {
                // No memory for the copies: the picture is not read ahead, and not tried again.
                try {
                    path = *job;
                    busy_ = path;
                    reducedFor = reducedFor_;
                } catch (...) {
                    busy_.clear();
                    wanted_.erase(wanted_.begin() + (job - wanted_.data()));
                    continue;
                }
                // What is left of the budget, with room for a reduction of a quarter.
                limit.pixels = std::min(limit.pixels, (BudgetPixels - HeldPixelsLocked()) * 4 / 5);
            }
        }
        if (which) {
            TakeRequest(std::move(which));
            continue;
        }
        Entry entry = Decode(path, limit, reducedFor, component);
        {
            Exclusive hold(lock_);
            busy_.clear();
            // No memory to note it: it is not read ahead, and not tried again.
            try {
                if (std::find(wanted_.begin(), wanted_.end(), path) != wanted_.end()) held_[path] = std::move(entry);
            } catch (...) {
                wanted_.erase(std::remove(wanted_.begin(), wanted_.end(), path), wanted_.end());
            }
        }
        ::WakeAllConditionVariable(&changed_);
        // A picture no longer wanted is freed here, outside the lock.
    }
}

// Nothing a decode throws (no memory for a large picture) leaves the worker: that picture is
// just not read ahead, and a step to it decodes it as any other.
ReadAheadWorker::Entry ReadAheadWorker::Decode(const std::string& path, DecodeLimit limit,
                                               const std::function<Size(Size)>& reducedFor,
                                               const ImagingComponent& component) {
    Entry entry;
    try {
        entry.stamp = files_.StampOf(path);
        std::optional<DecodedPixels> pixels = limit.pixels > 0 ? DecodePixels(path, limit, &component) : std::nullopt;
        if (!pixels) return entry;
        const Size own{pixels->pixels.width, pixels->pixels.height};
        const Size reduced = reducedFor ? reducedFor(own) : own;
        std::optional<DecodedPixels> reduction;
        if (reduced.width > 0 && reduced.height > 0 && (reduced.width < own.width || reduced.height < own.height))
            reduction = ReducePixels(pixels->pixels, pixels->opaque, reduced, InHalves);
        entry.picture = Picture{std::move(*pixels), std::move(reduction)};
    } catch (...) {
        entry.picture.reset();
    }
    return entry;
}

}  // namespace zylora::platform::win32
