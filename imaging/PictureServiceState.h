// What the picture service and its two threads share (the ownership is told in
// PictureService.h): the table of jobs, the foreground's queue, the read-ahead's request,
// wanted list and pictures held, and the work each thread has in flight. Everything here is
// guarded by `lock`. Internal to the service.
#pragma once

#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "imaging/PictureService.h"

namespace zylora::imaging {

// The work a thread is doing just now, which others may stop or hurry. It lives on that
// thread's stack; the state points at it only while it is in flight.
struct Flight {
    std::string path;
    JobId job = 0;        // the Open it is for; 0 on the background thread
    bool cancel = false;  // its result is no longer wanted
    bool urgent = false;  // an Open waits for it (background thread only)
};

// A picture read ahead.
struct HeldPicture {
    std::optional<FileStamp> stamp;  // the file when its decoding began
    std::optional<Picture> picture;  // nothing: it didn't decode
};

struct PictureServiceState {
    explicit PictureServiceState(PictureServiceSetup setup) : hooks(std::move(setup)) {}

    const PictureServiceSetup hooks;
    mutable std::mutex lock;
    // Every change anyone may wait for: work for either thread, a job finished, a thread
    // ended or gone idle.
    std::condition_variable changed;
    bool closed = false;
    int running = 0;  // threads started and not ended yet
    bool foregroundAbsent = false, backgroundAbsent = false;

    struct Job {
        std::string path;
        PictureService::ReducedFor reducedFor;
        std::optional<HeldPicture> ahead;  // read ahead, to take if its file is unchanged
        std::optional<JobResult> result;   // once finished
    };
    JobId nextId = 1;
    std::map<JobId, Job> jobs;
    std::deque<JobId> urgent;       // the foreground's queue; cancelled ids are skipped
    Flight* foreground = nullptr;   // the foreground's job in flight

    bool requested = false;          // a request not listed yet
    PictureService::PictureList which;
    PictureService::ReducedFor aheadReducedFor;
    std::vector<std::string> wanted;
    std::map<std::string, HeldPicture> held;
    Flight* background = nullptr;    // the read-ahead in flight
    JobId adopter = 0;               // the Open the read-ahead in flight ends
    bool resting = false;            // the background thread has nothing to do

    // The threads' bodies (PictureServiceWork.cpp).
    void RunForeground();
    void RunBackground();
    // A thread has gone (it couldn't start, or something escaped it): its work fails at once.
    void Absent(ThreadRole role);
    // The thread is about to end: the last thing it does with the state.
    void Ended();

    // Under the lock.
    // Stores the job's result, unless it was cancelled, and reports it.
    void FinishLocked(JobId id, JobResult&& result);
    long long HeldPixelsLocked() const;
    const std::string* NextReadLocked() const;
    bool IdleLocked() const;

private:
    // Waits for the next job opened and runs it; false once the service closes.
    bool RunJob();
    std::optional<Picture> OpenPicture(Flight& flight, const PictureService::ReducedFor& reducedFor,
                                       std::optional<HeldPicture> ahead);
    Picture Reduced(Picture picture, const PictureService::ReducedFor& reducedFor) const;
    // Decodes the first picture wanted and not held yet, and holds it, or ends the Open that
    // took it over with it.
    void ReadNext();
    HeldPicture Read(Flight& flight, DecodeLimit limit, const PictureService::ReducedFor& reducedFor,
                     bool& raised);
    // Lists the request that waits, if any, and makes its pictures the ones wanted; the
    // read-ahead in flight, if any, stops when they don't name it.
    void TakeRequest(Flight* inFlight);
    // The background thread's answer to its decode's question, and its chance, between
    // bands, to raise or lower its priority and to take a newer request.
    bool BackgroundCancelled(Flight& flight, bool& raised, std::thread::id self);
    // The calling thread's priority: the role's, or while `raised` the foreground's.
    void SetRole(ThreadRole role) const;
    void Prioritize(bool& raised, bool urgentNow) const;
};

}  // namespace zylora::imaging
