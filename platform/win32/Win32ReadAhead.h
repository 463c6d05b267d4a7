// Pictures decoded ahead of their use on a worker thread of low priority. Only pixels in
// memory of our own pass between the threads: every GDI+ object the worker makes is gone
// before its pixels are handed over, and the images are made on the user-interface thread.
// Internal to platform/win32.
#pragma once

#include "platform/win32/Win32Api.h"

#include <array>
#include <cstddef>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/win32/Win32Imaging.h"

namespace zylora::platform::win32 {

class ReadAheadWorker {
public:
    // At most this many pixels (4 bytes each) are held or being decoded ahead: two 24 MP
    // photos and their reductions, a share a 32-bit process can spare beside the picture
    // shown and its own decoding.
    static constexpr long long BudgetPixels = 56LL * 1024 * 1024;

    explicit ReadAheadWorker(FileSystem& files) : files_(files) {}
    // Closes, waiting as long as it takes.
    ~ReadAheadWorker();
    ReadAheadWorker(const ReadAheadWorker&) = delete;
    ReadAheadWorker& operator=(const ReadAheadWorker&) = delete;

    // The pictures wanted, in the order to decode them, are what `which` gives; it replaces
    // the last request, and pictures held that it doesn't name are dropped. `which` runs on
    // the worker (it may list a large or slow folder), as does `reducedFor`, which gives the
    // size of a reduction to make with each picture, or the picture's own size for none.
    void Request(std::function<std::vector<std::string>()> which, std::function<Size(Size)> reducedFor);

    struct Picture {
        DecodedPixels pixels;
        std::optional<DecodedPixels> reduced;
    };
    // The picture read ahead for the path when its file is unchanged since; when the worker
    // is decoding it just now, after waiting for it (the worker then runs at the highest
    // priority of the threads waiting, if above its own). Nothing otherwise. The path is no
    // longer held either way.
    std::optional<Picture> Take(const std::string& path);

    // The picture for the path is decoded and held: Take would give it at once (unless its
    // file changed since).
    bool Holds(const std::string& path);

    // Nothing more is listed or decoded. Waits up to `waitMs` for the listing or the decode
    // the worker is in, if any, to end; tells whether the worker did.
    bool Close(DWORD waitMs);

    // Pixels held ready (the budget counts them; the tests wait on them).
    long long HeldPixels();

private:
    struct Entry {
        std::optional<FileStamp> stamp;  // the file when its decoding began
        std::optional<Picture> picture;  // nothing: it didn't decode
    };
    static DWORD WINAPI Run(void* self);
    void Work(const ImagingComponent& component);
    // Runs the latest request's `which` and makes what it gives the pictures wanted.
    void TakeRequest(std::function<std::vector<std::string>()> which);
    Entry Decode(const std::string& path, DecodeLimit limit, const std::function<Size(Size)>& reducedFor,
                 const ImagingComponent& component);
    // Under the lock.
    long long HeldPixelsLocked() const;
    const std::string* NextJobLocked() const;
    void PrioritizeLocked() const;

    FileSystem& files_;
    SRWLOCK lock_ = SRWLOCK_INIT;
    CONDITION_VARIABLE changed_ = CONDITION_VARIABLE_INIT;
    HANDLE thread_ = nullptr;
    bool stop_ = false;
    std::function<std::vector<std::string>()> which_;  // a request not yet listed
    std::vector<std::string> wanted_;
    std::function<Size(Size)> reducedFor_;
    std::map<std::string, Entry> held_;
    std::string busy_;  // being decoded just now
    // How many threads wait in Take at each priority (THREAD_PRIORITY_IDLE at 0 up to
    // THREAD_PRIORITY_TIME_CRITICAL): one leaving lowers the worker only to the highest
    // priority of those still waiting.
    std::array<int, 31> waiting_{};
};

}  // namespace zylora::platform::win32
