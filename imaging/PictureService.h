// The picture service: every decode of a picture off the user's thread, on two threads of
// its own. The foreground thread decodes the pictures the user waits for (Open); the
// background thread reads ahead those likely to come next (ReadAhead), within a budget of
// pixels, and holds them until they are opened or no longer wanted. An Open of the picture
// the background thread is decoding just then is handed over to that decode: it goes on at
// the foreground's priority and its result ends the Open, so the picture is not decoded a
// second time and no thread waits for another one's work.
//
// Who owns what:
// - Threads. The service starts both when it is made and is their only owner; they run at
//   fixed priorities, which each sets for itself through the `prioritize` hook as it starts.
//   The background thread raises itself to the foreground's priority while its decode ends
//   an Open (it notices between bands) and drops back once that is done. Close joins them,
//   or lets them go once its limit has passed.
// - State. Everything the threads touch (the jobs, the pictures held, the hooks) lives in
//   one state shared with them: a thread still running when Close gives up on it (a decode
//   stuck on a dead network share) touches nothing freed, and the last of the service and
//   its threads to let go frees it. After Close, `notify` is never called again, nor any
//   other hook but those of the work a thread had begun; what they use must live as long.
// - Jobs. A job is known by its id. The service keeps the table of jobs, queued, running or
//   finished with their result; the user's thread takes a finished job's result out of it
//   (Collect, Wait) or drops the job (Cancel). A worker reports a finished job only by
//   calling `notify` with its id; no pointer travels. An id the table doesn't hold, or
//   whose job is unfinished, gives nothing.
// - Buffers. A picture's pixels are the decoding thread's until its job finishes, then the
//   table's until Collect moves them out to the caller. Pictures read ahead are the
//   service's until an Open takes one (if its file is unchanged since) or a new request no
//   longer wants it. The memory of pictures let go of, kept for the next decode of their
//   size (Pixels.h, KeepPictureMemory), is freed by the background thread whenever it has
//   nothing left to do.
// - Failures. Each thread catches at its boundary and around each piece of work with its
//   bookkeeping: a decode or a listing that throws ends that job (failed) or that request
//   (nothing wanted), never the thread or the process.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "imaging/ImageHeader.h"
#include "imaging/Pixels.h"
#include "platform/FileSystem.h"

namespace zylora::imaging {

using platform::FileStamp;

// A job of the service; 0 is none.
using JobId = std::uint32_t;

// Which of the service's threads: the one for the picture the user waits for, or the one
// reading ahead behind it.
enum class ThreadRole { Foreground, Background };

// Asked by a decode between its bands, on the thread that runs it: true once nobody wants
// its result any more (cancelled, superseded, closing). The decode should stop then; what
// it gives is dropped.
using Cancelled = std::function<bool()>;

// A picture as decoded: upright and in the display's colours, with the reduction its first
// paint draws from, when one was asked for.
struct Picture {
    DecodedPixels pixels;
    std::optional<DecodedPixels> reduced;
};

struct JobResult {
    std::optional<Picture> picture;  // nothing: the file gave no pixels, or the job failed
    bool failed = false;             // the work threw (no memory, a broken decoder)
};

// What the service is given to work with. The hooks run on its threads, so they may only use
// what they hold and what may be used from any thread.
struct PictureServiceSetup {
    // Decodes the file within the limit, asking `cancelled` between its bands.
    std::function<std::optional<DecodedPixels>(const std::string& path, const DecodeLimit& limit,
                                               const Cancelled& cancelled)>
        decode;
    // The file's stamp; nothing when there is no such file.
    std::function<std::optional<FileStamp>(const std::string& path)> stampOf;
    // A job has finished: its result waits for Collect. Runs on a worker thread (in Open
    // when the foreground thread couldn't start) while the service's lock is held, so that
    // none runs once Close has returned: it must only pass the id on (post it to the user's
    // thread), never call the service.
    std::function<void(JobId)> notify;
    // Sets the priority of the thread it runs on for the role. May be empty.
    std::function<void(ThreadRole)> prioritize;
    // The split of a reduction's work; empty: all on the decoding thread.
    Parallel parallel;
    // At most this many pixels (4 bytes each) are held or being decoded ahead: two 24 MP
    // photos and their reductions, a share a 32-bit process can spare beside the picture
    // shown and its own decoding.
    long long budgetPixels = 56LL * 1024 * 1024;
    // How long the destructor waits for the threads when Close wasn't called.
    std::chrono::milliseconds closeLimit{2000};
};

// Shared by the service and its threads (imaging/PictureServiceState.h).
struct PictureServiceState;

class PictureService {
public:
    // The pictures wanted ahead, in the order to decode them.
    using PictureList = std::function<std::vector<std::string>()>;
    // The size of the reduction to make with a picture of the size; its own size for none.
    using ReducedFor = std::function<Size(Size)>;

    // Starts both threads. Should one not start, its work fails at once: the pictures opened
    // end failed (for the caller to decode them itself), nothing is read ahead.
    explicit PictureService(PictureServiceSetup setup);
    // Closes, waiting no longer than the setup's limit.
    ~PictureService();
    PictureService(const PictureService&) = delete;
    PictureService& operator=(const PictureService&) = delete;

    // The picture the user waits for, decoded as soon as can be, with the reduction
    // `reducedFor` asks for: one read ahead whose file is unchanged is taken as it is, one
    // being read ahead just now is taken over, any other is decoded on the foreground thread,
    // after those opened before it. 0 once the service is closed.
    JobId Open(const std::string& path, ReducedFor reducedFor);
    // The pictures `which` gives (listed on the background thread: it may list a slow folder)
    // are decoded ahead in that order, each with the reduction `reducedFor` asks for. It
    // replaces the last request: pictures held that it doesn't name are dropped, and a decode
    // of one it doesn't name stops; those that didn't decode are tried again. A listing that
    // fails wants nothing.
    void ReadAhead(PictureList which, ReducedFor reducedFor);
    // The job's result is no longer wanted: its decode stops at its next band, and its id
    // gives nothing any more.
    void Cancel(JobId id);
    // The finished job's result, taken out of the table; nothing for an id it doesn't hold or
    // whose job is unfinished.
    std::optional<JobResult> Collect(JobId id);
    // Collect, once the job has finished or the limit has passed.
    std::optional<JobResult> Wait(JobId id, std::chrono::milliseconds limit);

    // A picture is held for the path: an Open of it takes it (unless its file changed).
    bool Holds(const std::string& path) const;
    // Pixels held ahead, which the budget counts.
    long long HeldPixels() const;
    // Waits until neither thread has anything left to do (the kept memory freed), or the
    // limit has passed; tells whether it came to that.
    bool WaitIdle(std::chrono::milliseconds limit);

    // Nothing more is decoded, listed or reported: the work in flight is cancelled, then the
    // threads are waited for, up to the limit. Tells whether both ended. Called on the
    // thread that made the service.
    bool Close(std::chrono::milliseconds limit);

private:
    std::shared_ptr<PictureServiceState> state_;
    std::thread foreground_;
    std::thread background_;
};

}  // namespace zylora::imaging
