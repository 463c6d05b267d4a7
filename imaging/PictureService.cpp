// The user's side of the picture service: requests into the shared state, results out of
// it, and the threads' start and end. The threads' side is PictureServiceWork.cpp.
#include "imaging/PictureService.h"

#include <algorithm>
#include <utility>

#include "imaging/PictureServiceState.h"

namespace zylora::imaging {

namespace {

// The thread's whole life; nothing leaves it, and it keeps the state alive to its end.
void RunThread(std::shared_ptr<PictureServiceState> state, ThreadRole role) {
    try {
        if (role == ThreadRole::Foreground)
            state->RunForeground();
        else
            state->RunBackground();
    } catch (...) {
        state->Absent(role);
    }
    state->Ended();
}

}  // namespace

PictureService::PictureService(PictureServiceSetup setup)
    : state_(std::make_shared<PictureServiceState>(std::move(setup))) {
    const auto start = [this](std::thread& thread, ThreadRole role) {
        {
            const std::lock_guard<std::mutex> hold(state_->lock);
            ++state_->running;
        }
        try {
            thread = std::thread(&RunThread, state_, role);
        } catch (...) {
            {
                const std::lock_guard<std::mutex> hold(state_->lock);
                --state_->running;
            }
            state_->Absent(role);
        }
    };
    start(foreground_, ThreadRole::Foreground);
    start(background_, ThreadRole::Background);
}

PictureService::~PictureService() {
    try {
        Close(state_->hooks.closeLimit);
    } catch (...) {
    }
}

JobId PictureService::Open(const std::string& path, ReducedFor reducedFor) {
    PictureServiceState& s = *state_;
    const std::lock_guard<std::mutex> hold(s.lock);
    if (s.closed) return 0;
    const JobId id = s.nextId++;
    if (s.nextId == 0) s.nextId = 1;
    PictureServiceState::Job& job = s.jobs[id];
    try {
        job.path = path;
        job.reducedFor = std::move(reducedFor);
        // Not to be read ahead any more: it would be decoded again at once.
        s.wanted.erase(std::remove(s.wanted.begin(), s.wanted.end(), path), s.wanted.end());
        if (const auto it = s.held.find(path); it != s.held.end()) {
            if (it->second.picture) job.ahead = std::move(it->second);
            s.held.erase(it);
        }
        Flight* reading = s.background;
        if (!job.ahead && reading && reading->path == path && !reading->cancel && s.adopter == 0) {
            // Half decoded already: that decode ends this job, hurried along.
            s.adopter = id;
            reading->urgent = true;
        } else if (s.foregroundAbsent) {
            s.FinishLocked(id, JobResult{std::nullopt, true});
        } else {
            s.urgent.push_back(id);
        }
    } catch (...) {
        s.jobs.erase(id);
        throw;
    }
    s.changed.notify_all();
    return id;
}

void PictureService::ReadAhead(PictureList which, ReducedFor reducedFor) {
    PictureServiceState& s = *state_;
    PictureList replaced;  // let go of outside the lock
    const std::lock_guard<std::mutex> hold(s.lock);
    if (s.closed || s.backgroundAbsent) return;
    replaced = std::exchange(s.which, std::move(which));
    s.aheadReducedFor = std::move(reducedFor);
    s.requested = true;
    s.changed.notify_all();
}

void PictureService::Cancel(JobId id) {
    PictureServiceState& s = *state_;
    std::optional<PictureServiceState::Job> dropped;  // its pixels freed outside the lock
    const std::lock_guard<std::mutex> hold(s.lock);
    const auto it = s.jobs.find(id);
    if (it == s.jobs.end()) return;
    dropped = std::move(it->second);
    s.jobs.erase(it);
    if (s.adopter == id) {
        s.adopter = 0;
        if (s.background) s.background->urgent = false;  // a read-ahead again
    }
    if (s.foreground && s.foreground->job == id) s.foreground->cancel = true;
    s.changed.notify_all();
}

std::optional<JobResult> PictureService::Collect(JobId id) {
    PictureServiceState& s = *state_;
    const std::lock_guard<std::mutex> hold(s.lock);
    const auto it = s.jobs.find(id);
    if (it == s.jobs.end() || !it->second.result) return std::nullopt;
    // The job leaves the table whole, its result with it.
    auto job = s.jobs.extract(it);
    return std::move(job.mapped().result);
}

std::optional<JobResult> PictureService::Wait(JobId id, std::chrono::milliseconds limit) {
    PictureServiceState& s = *state_;
    {
        std::unique_lock<std::mutex> hold(s.lock);
        s.changed.wait_for(hold, limit, [&] {
            const auto it = s.jobs.find(id);
            return s.closed || it == s.jobs.end() || it->second.result.has_value();
        });
    }
    return Collect(id);
}

bool PictureService::Holds(const std::string& path) const {
    const std::lock_guard<std::mutex> hold(state_->lock);
    const auto it = state_->held.find(path);
    return it != state_->held.end() && it->second.picture.has_value();
}

long long PictureService::HeldPixels() const {
    const std::lock_guard<std::mutex> hold(state_->lock);
    return state_->HeldPixelsLocked();
}

bool PictureService::WaitIdle(std::chrono::milliseconds limit) {
    std::unique_lock<std::mutex> hold(state_->lock);
    return state_->changed.wait_for(hold, limit, [&] { return state_->IdleLocked(); });
}

bool PictureService::Close(std::chrono::milliseconds limit) {
    PictureServiceState& s = *state_;
    // All that goes is freed outside the lock.
    std::map<JobId, PictureServiceState::Job> jobs;
    std::map<std::string, HeldPicture> held;
    PictureList which;
    PictureService::ReducedFor reducedFor;
    bool ended;
    {
        std::unique_lock<std::mutex> hold(s.lock);
        if (!s.closed) {
            s.closed = true;
            if (s.foreground) s.foreground->cancel = true;
            if (s.background) s.background->cancel = true;
            jobs.swap(s.jobs);
            held.swap(s.held);
            which = std::move(s.which);
            reducedFor = std::move(s.aheadReducedFor);
            s.urgent.clear();
            s.wanted.clear();
            s.requested = false;
            s.adopter = 0;
            s.changed.notify_all();
        }
        // Threads let go of by an earlier Close are not waited for again.
        const bool own = foreground_.joinable() || background_.joinable();
        ended = own ? s.changed.wait_for(hold, limit, [&] { return s.running == 0; }) : s.running == 0;
    }
    // A thread past the limit goes on alone; what it holds of the state stays with it.
    for (std::thread* thread : {&foreground_, &background_})
        if (thread->joinable()) ended ? thread->join() : thread->detach();
    return ended;
}

}  // namespace zylora::imaging
