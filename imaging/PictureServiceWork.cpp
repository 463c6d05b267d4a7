// The picture service's two threads: the foreground one decodes the pictures opened, in
// turn; the background one lists each request and reads ahead what it wants, within the
// budget. PictureService.h says who owns what.
#include <algorithm>
#include <utility>

#include "imaging/PictureServiceState.h"

namespace zylora::imaging {

namespace {

long long PixelCount(const Picture& picture) {
    long long n = static_cast<long long>(picture.pixels.pixels.pixels.size());
    if (picture.reduced) n += static_cast<long long>(picture.reduced->pixels.pixels.size());
    return n;
}

}  // namespace

void PictureServiceState::SetRole(ThreadRole role) const {
    // A priority that can't be set leaves the thread at the one it has.
    try {
        if (hooks.prioritize) hooks.prioritize(role);
    } catch (...) {
    }
}

void PictureServiceState::Prioritize(bool& raised, bool urgentNow) const {
    if (raised == urgentNow) return;
    raised = urgentNow;
    SetRole(urgentNow ? ThreadRole::Foreground : ThreadRole::Background);
}

void PictureServiceState::RunForeground() {
    SetRole(ThreadRole::Foreground);
    while (RunJob()) {
    }
}

bool PictureServiceState::RunJob() {
    Flight flight;
    JobResult result;
    std::optional<HeldPicture> ahead;
    PictureService::ReducedFor reducedFor;
    try {
        {
            std::unique_lock<std::mutex> hold(lock);
            changed.wait(hold, [&] { return closed || !urgent.empty(); });
            if (closed) return false;
            flight.job = urgent.front();
            urgent.pop_front();
            const auto it = jobs.find(flight.job);
            if (it == jobs.end() || it->second.result) return true;  // cancelled meanwhile
            flight.path = it->second.path;
            reducedFor = it->second.reducedFor;
            ahead = std::move(it->second.ahead);
            it->second.ahead.reset();
            foreground = &flight;
        }
        result.picture = OpenPicture(flight, reducedFor, std::move(ahead));
    } catch (...) {
        result = JobResult{std::nullopt, true};
    }
    const std::lock_guard<std::mutex> hold(lock);
    if (foreground == &flight) foreground = nullptr;
    FinishLocked(flight.job, std::move(result));  // a cancelled job's pixels go on return
    changed.notify_all();
    return true;
}

std::optional<Picture> PictureServiceState::OpenPicture(Flight& flight, const PictureService::ReducedFor& reducedFor,
                                                        std::optional<HeldPicture> ahead) {
    // A file written since its decoding began is read afresh.
    if (ahead && ahead->picture && ahead->stamp && hooks.stampOf && hooks.stampOf(flight.path) == ahead->stamp)
        return Reduced(std::move(*ahead->picture), reducedFor);
    ahead.reset();  // its memory goes before a decode takes more
    const Cancelled cancelled = [this, &flight] {
        const std::lock_guard<std::mutex> hold(lock);
        return flight.cancel || closed;
    };
    if (cancelled()) return std::nullopt;
    std::optional<DecodedPixels> pixels = hooks.decode(flight.path, PictureLimit, cancelled);
    if (!pixels || cancelled()) return std::nullopt;
    return Reduced(Picture{std::move(*pixels), std::nullopt}, reducedFor);
}

// The reduction the picture comes with is the one asked for, made unless it has it already.
Picture PictureServiceState::Reduced(Picture picture, const PictureService::ReducedFor& reducedFor) const {
    const PixelBuffer& pixels = picture.pixels.pixels;
    const Size own{pixels.width, pixels.height};
    const Size asked = reducedFor ? reducedFor(own) : own;
    const Size size{std::min(asked.width, own.width), std::min(asked.height, own.height)};
    if (size.width <= 0 || size.height <= 0 || size == own) {
        picture.reduced.reset();
    } else if (!picture.reduced || picture.reduced->pixels.width != size.width ||
               picture.reduced->pixels.height != size.height) {
        picture.reduced.reset();
        picture.reduced = ReducePixels(pixels, picture.pixels.opaque, size, hooks.parallel);
    }
    return picture;
}

void PictureServiceState::RunBackground() {
    SetRole(ThreadRole::Background);
    for (;;) {
        bool rest, list;
        {
            const std::lock_guard<std::mutex> hold(lock);
            rest = !closed && !resting && !requested && !NextReadLocked();
        }
        // The last decode to take the memory of a picture let go of would have been a
        // read-ahead, which has nothing left to read.
        if (rest) FreeKeptPictureMemory();
        {
            std::unique_lock<std::mutex> hold(lock);
            if (rest) {
                resting = true;
                changed.notify_all();
            }
            changed.wait(hold, [&] { return closed || requested || NextReadLocked(); });
            if (closed) return;
            resting = false;
            list = requested;
        }
        // Each step keeps its own books, whatever it meets.
        try {
            if (list)
                TakeRequest(nullptr);
            else
                ReadNext();
        } catch (...) {
        }
    }
}

void PictureServiceState::TakeRequest(Flight* inFlight) {
    PictureService::PictureList list;
    {
        const std::lock_guard<std::mutex> hold(lock);
        if (!requested || closed) return;
        list = std::move(which);
        which = nullptr;
        requested = false;
    }
    std::vector<std::string> paths;
    // A request that fails (a folder that can't be listed, no memory) wants nothing.
    try {
        if (list) paths = list();
    } catch (...) {
        paths.clear();
    }
    std::map<std::string, HeldPicture> dropped;  // freed outside the lock
    const std::lock_guard<std::mutex> hold(lock);
    if (requested || closed) return;  // a newer request came meanwhile: it counts, not this one
    wanted = std::move(paths);
    const auto isWanted = [this](const std::string& path) {
        return std::find(wanted.begin(), wanted.end(), path) != wanted.end();
    };
    // Those that didn't decode go too, to be tried again: what the budget refused may fit
    // now. Moved across whole, so letting go asks for no memory.
    for (auto it = held.begin(); it != held.end();)
        if (!it->second.picture || !isWanted(it->first))
            dropped.insert(held.extract(it++));
        else
            ++it;
    if (inFlight && !inFlight->urgent && !isWanted(inFlight->path)) inFlight->cancel = true;
    changed.notify_all();
}

void PictureServiceState::ReadNext() {
    Flight flight;
    PictureService::ReducedFor reducedFor;
    DecodeLimit limit = PictureLimit;
    {
        const std::lock_guard<std::mutex> hold(lock);
        const std::string* next = NextReadLocked();
        if (!next || closed) return;
        // No memory for the copies: the picture is not read ahead, and not tried again.
        try {
            flight.path = *next;
            reducedFor = aheadReducedFor;
        } catch (...) {
            wanted.erase(wanted.begin() + (next - wanted.data()));
            return;
        }
        // What is left of the budget, with room for a reduction of a quarter.
        limit.pixels = std::min(limit.pixels, (hooks.budgetPixels - HeldPixelsLocked()) * 4 / 5);
        background = &flight;
    }
    HeldPicture entry;
    bool failed = false, raised = false;
    // Nothing a decode throws (no memory for a large picture) leaves the thread: that picture
    // is just not read ahead, and an Open of it decodes it as any other.
    try {
        entry = Read(flight, limit, reducedFor, raised);
    } catch (...) {
        entry.picture.reset();
        failed = true;
    }
    Prioritize(raised, false);
    const std::lock_guard<std::mutex> hold(lock);
    background = nullptr;
    if (const JobId adopted = std::exchange(adopter, 0); adopted != 0) {
        // Refused, perhaps for what was left of the budget: the foreground decodes it without
        // one, before anything else.
        bool again = !entry.picture && !failed && limit.pixels < PictureLimit.pixels && !foregroundAbsent;
        try {
            if (again) urgent.push_front(adopted);
        } catch (...) {
            again = false;
        }
        if (!again) FinishLocked(adopted, JobResult{std::move(entry.picture), failed});
    } else if (!flight.cancel && std::find(wanted.begin(), wanted.end(), flight.path) != wanted.end()) {
        // No memory to note it: it is not read ahead, and not tried again.
        try {
            held[flight.path] = std::move(entry);
        } catch (...) {
            wanted.erase(std::remove(wanted.begin(), wanted.end(), flight.path), wanted.end());
        }
    }
    changed.notify_all();
    // A picture nobody wants any more is freed on return, outside the lock.
}

HeldPicture PictureServiceState::Read(Flight& flight, DecodeLimit limit, const PictureService::ReducedFor& reducedFor,
                                      bool& raised) {
    HeldPicture entry;
    const std::thread::id self = std::this_thread::get_id();
    const Cancelled cancelled = [this, &flight, &raised, self] { return BackgroundCancelled(flight, raised, self); };
    if (limit.pixels <= 0 || cancelled()) return entry;
    entry.stamp = hooks.stampOf ? hooks.stampOf(flight.path) : std::nullopt;
    std::optional<DecodedPixels> pixels = hooks.decode(flight.path, limit, cancelled);
    if (!pixels || cancelled()) return entry;
    // Reduced for whoever takes it: the Open that took the decode over, or the read-ahead.
    PictureService::ReducedFor reduceFor;
    {
        const std::lock_guard<std::mutex> hold(lock);
        const auto it = jobs.find(adopter);
        reduceFor = it != jobs.end() ? it->second.reducedFor : reducedFor;
    }
    entry.picture = Reduced(Picture{std::move(*pixels), std::nullopt}, reduceFor);
    return entry;
}

bool PictureServiceState::BackgroundCancelled(Flight& flight, bool& raised, std::thread::id self) {
    bool urgentNow, list;
    {
        const std::lock_guard<std::mutex> hold(lock);
        // A helper thread of the decode gets only the answer.
        if (flight.cancel || closed || std::this_thread::get_id() != self) return flight.cancel || closed;
        urgentNow = flight.urgent;
        list = requested && !urgentNow;
    }
    Prioritize(raised, urgentNow);
    // A newer request is listed now rather than after this decode, so that a decode it no
    // longer wants stops here; not while an Open waits for this one.
    if (list) TakeRequest(&flight);
    const std::lock_guard<std::mutex> hold(lock);
    return flight.cancel || closed;
}

void PictureServiceState::FinishLocked(JobId id, JobResult&& result) {
    const auto it = jobs.find(id);
    if (closed || it == jobs.end()) return;
    it->second.result = std::move(result);
    changed.notify_all();
    try {
        if (hooks.notify) hooks.notify(id);
    } catch (...) {
    }
}

long long PictureServiceState::HeldPixelsLocked() const {
    long long n = 0;
    for (const auto& [path, entry] : held)
        if (entry.picture) n += PixelCount(*entry.picture);
    return n;
}

const std::string* PictureServiceState::NextReadLocked() const {
    for (const std::string& path : wanted)
        if (!held.count(path)) return &path;
    return nullptr;
}

bool PictureServiceState::IdleLocked() const {
    const bool foregroundIdle =
        foregroundAbsent || (!foreground && std::none_of(urgent.begin(), urgent.end(),
                                                         [this](JobId id) { return jobs.count(id) > 0; }));
    const bool backgroundIdle = backgroundAbsent || (resting && !requested && !background && !NextReadLocked());
    return closed || (foregroundIdle && backgroundIdle);
}

void PictureServiceState::Absent(ThreadRole role) {
    try {
        const std::lock_guard<std::mutex> hold(lock);
        if (role == ThreadRole::Foreground) {
            foregroundAbsent = true;
            foreground = nullptr;
            for (const JobId id : urgent) FinishLocked(id, JobResult{std::nullopt, true});
            urgent.clear();
        } else {
            backgroundAbsent = true;
            background = nullptr;
            requested = false;
            wanted.clear();
            if (const JobId adopted = std::exchange(adopter, 0); adopted != 0)
                FinishLocked(adopted, JobResult{std::nullopt, true});
        }
        changed.notify_all();
    } catch (...) {
    }
}

void PictureServiceState::Ended() {
    const std::lock_guard<std::mutex> hold(lock);
    --running;
    changed.notify_all();
}

}  // namespace zylora::imaging
