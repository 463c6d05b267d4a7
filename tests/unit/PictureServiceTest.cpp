// The picture service's jobs and read-ahead, with a decoder whose decodes stop at gates the
// test opens: which decodes ran and how far, what each job ended with, what is held.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <future>
#include <map>
#include <mutex>
#include <new>
#include <set>
#include <stdexcept>
#include <thread>

#include "imaging/PictureService.h"

namespace zylora::testing {
namespace {

using namespace std::chrono_literals;
using imaging::JobId;
using imaging::JobResult;
using imaging::PictureService;
using imaging::ThreadRole;
using platform::FileStamp;
using platform::Size;

// Only a guard against a hang: nothing waits this long unless it fails.
constexpr auto Long = 60s;
constexpr int Width = 10, Rows = 4;

// Every picture is Width x Rows pixels of a colour of its own, decoded a row a band.
struct FakeDecoder {
    std::mutex lock;
    std::condition_variable changed;
    std::set<std::string> gated;  // stop after their first band until let through
    std::set<std::string> atGate, throwing;
    std::map<std::string, int> decodes, bands;
    std::map<std::string, std::thread::id> decodedOn;
    std::map<std::string, FileStamp> stamps;
    std::map<std::thread::id, std::vector<ThreadRole>> roles;
    std::vector<JobId> notified;

    static std::uint32_t Colour(const std::string& path) { return 0xFF000000u | static_cast<std::uint8_t>(path[0]); }

    // Runs the work under the lock, and wakes whoever waits for what it changes.
    template <typename Work>
    auto Locked(Work work) {
        const std::lock_guard<std::mutex> hold(lock);
        changed.notify_all();
        return work();
    }
    std::optional<imaging::DecodedPixels> Decode(const std::string& path, const imaging::DecodeLimit& limit,
                                                 const imaging::Cancelled& cancelled) {
        Locked([&] {
            ++decodes[path];
            decodedOn[path] = std::this_thread::get_id();
            if (throwing.count(path)) throw std::bad_alloc();
        });
        if (!limit.Allows({Width, Rows})) return std::nullopt;
        imaging::DecodedPixels out{{imaging::PixelWords(Width * Rows, Colour(path)), Width, Rows}, true};
        for (int band = 0; band < Rows; ++band) {
            if (cancelled()) return std::nullopt;
            std::unique_lock<std::mutex> hold(lock);
            ++bands[path];
            if (band == 0 && gated.count(path)) {
                atGate.insert(path);
                changed.notify_all();
                changed.wait(hold, [&] { return !gated.count(path); });
            }
        }
        return out;
    }
    template <typename Condition>
    bool WaitFor(Condition condition) {
        std::unique_lock<std::mutex> hold(lock);
        return changed.wait_for(hold, Long, condition);
    }
};

Size Half(Size size) { return {size.width / 2, size.height / 2}; }

class PictureServiceTest : public ::testing::Test {
protected:
    imaging::PictureServiceSetup Setup(long long budget) {
        imaging::PictureServiceSetup setup;
        setup.decode = [f = fake](auto&... a) { return f->Decode(a...); };
        setup.stampOf = [f = fake](const std::string& path) {
            return f->Locked([&] { return std::optional(f->stamps[path]); });
        };
        setup.notify = [f = fake](JobId id) { f->Locked([&] { f->notified.push_back(id); }); };
        setup.prioritize = [f = fake](ThreadRole role) {
            f->Locked([&] { f->roles[std::this_thread::get_id()].push_back(role); });
        };
        setup.budgetPixels = budget;
        return setup;
    }
    void Start(long long budget = 1 << 20) { service = std::make_unique<PictureService>(Setup(budget)); }
    void Restart() {
        service.reset();
        fake = std::make_shared<FakeDecoder>();
    }
    void ReadAhead(std::vector<std::string> paths) { service->ReadAhead([paths] { return paths; }, Half); }
    void LetThrough(const std::string& path) { fake->Locked([&] { fake->gated.erase(path); }); }
    bool AtGate(const std::string& path) { return fake->WaitFor([&] { return fake->atGate.count(path) > 0; }); }
    // The job's result, once the service has reported it.
    std::optional<JobResult> Finished(JobId id) {
        EXPECT_TRUE(fake->WaitFor([&] { return std::count(fake->notified.begin(), fake->notified.end(), id) > 0; }));
        return service->Collect(id);
    }

    std::shared_ptr<FakeDecoder> fake = std::make_shared<FakeDecoder>();
    std::unique_ptr<PictureService> service;
};

// The read-ahead's decode of the picture ends the Open, hurried to the foreground's priority
// between its bands and back after; nothing decodes it a second time.
TEST_F(PictureServiceTest, AnOpenOfThePictureBeingReadAheadTakesOverItsDecode) {
    fake->gated = {"a"};
    Start();
    ReadAhead({"a"});
    ASSERT_TRUE(AtGate("a"));
    const JobId id = service->Open("a", Half);
    LetThrough("a");

    const std::optional<JobResult> result = Finished(id);
    ASSERT_TRUE(result && result->picture && result->picture->reduced);
    EXPECT_EQ(result->picture->pixels.pixels.pixels[0], FakeDecoder::Colour("a"));
    EXPECT_EQ(result->picture->reduced->pixels.width, 5);
    EXPECT_EQ(result->picture->reduced->pixels.height, 2);
    EXPECT_EQ(fake->decodes["a"], 1);
    EXPECT_EQ(fake->roles[fake->decodedOn["a"]],
              (std::vector{ThreadRole::Background, ThreadRole::Foreground, ThreadRole::Background}));
    EXPECT_FALSE(service->Holds("a"));
}

TEST_F(PictureServiceTest, CollectGivesAFinishedJobOnceAndNothingForAnyOtherId) {
    fake->gated = {"a"};
    Start();
    const JobId id = service->Open("a", nullptr);
    ASSERT_TRUE(AtGate("a"));
    EXPECT_FALSE(service->Collect(id)) << "unfinished";
    EXPECT_FALSE(service->Collect(id + 1)) << "unknown";
    LetThrough("a");
    const std::optional<JobResult> waited = service->Wait(id, Long);
    ASSERT_TRUE(waited && waited->picture);
    EXPECT_FALSE(waited->picture->reduced);
    EXPECT_FALSE(service->Collect(id)) << "collected already";
}

// A job cancelled, and a read-ahead a newer request no longer wants, stop at their next band.
TEST_F(PictureServiceTest, CancelledDecodesStopAtTheirNextBand) {
    for (const bool readAhead : {false, true}) {
        SCOPED_TRACE(readAhead ? "read ahead" : "opened");
        Restart();
        fake->gated = {"a"};
        Start();
        JobId id = 0;
        if (readAhead)
            ReadAhead({"a"});
        else
            id = service->Open("a", nullptr);
        ASSERT_TRUE(AtGate("a"));
        if (readAhead)
            ReadAhead({"b"});
        else
            service->Cancel(id);
        LetThrough("a");
        ASSERT_TRUE(service->WaitIdle(Long));

        EXPECT_EQ(fake->bands["a"], 1);
        EXPECT_FALSE(service->Holds("a"));
        EXPECT_EQ(service->Holds("b"), readAhead);
        EXPECT_FALSE(service->Collect(id));
        EXPECT_TRUE(fake->notified.empty());
    }
}

// Each picture is read ahead only within what is left of the budget; one no longer wanted
// goes, which makes room for one the budget refused before.
TEST_F(PictureServiceTest, ReadAheadKeepsWithinItsBudgetAndDropsWhatIsNoLongerWanted) {
    Start(120);  // a picture and its reduction take 50
    ReadAhead({"a", "b", "c"});
    ASSERT_TRUE(service->WaitIdle(Long));
    EXPECT_TRUE(service->Holds("a"));
    EXPECT_TRUE(service->Holds("b"));
    EXPECT_FALSE(service->Holds("c"));
    EXPECT_EQ(service->HeldPixels(), 100);

    ReadAhead({"b", "c"});
    ASSERT_TRUE(service->WaitIdle(Long));
    EXPECT_FALSE(service->Holds("a"));
    EXPECT_TRUE(service->Holds("c"));
    EXPECT_EQ(service->HeldPixels(), 100);
    EXPECT_EQ(fake->decodes["b"], 1);
}

// A picture read ahead is taken only while its file has the stamp it had when its decode began.
TEST_F(PictureServiceTest, APictureReadAheadIsTakenOnlyWhileItsFileIsUnchanged) {
    for (const bool changed : {false, true}) {
        SCOPED_TRACE(changed ? "changed" : "unchanged");
        Restart();
        fake->stamps["a"] = FileStamp{100, 1, 1, 7};
        Start();
        ReadAhead({"a"});
        ASSERT_TRUE(service->WaitIdle(Long));
        ASSERT_TRUE(service->Holds("a"));
        if (changed) fake->Locked([&] { fake->stamps["a"].changed = 2; });

        const std::optional<JobResult> result = Finished(service->Open("a", Half));
        ASSERT_TRUE(result && result->picture && result->picture->reduced);
        EXPECT_EQ(fake->decodes["a"], changed ? 2 : 1);
        EXPECT_FALSE(service->Holds("a"));
    }
}

// A decode that throws ends its job failed; a listing that throws wants nothing. Both threads
// go on serving.
TEST_F(PictureServiceTest, WhatThrowsEndsItsJobOrRequestOnly) {
    fake->throwing = {"a"};
    Start();
    const std::optional<JobResult> thrown = Finished(service->Open("a", nullptr));
    EXPECT_TRUE(thrown && thrown->failed && !thrown->picture);

    ReadAhead({"b"});
    ASSERT_TRUE(service->WaitIdle(Long));
    ASSERT_TRUE(service->Holds("b"));
    service->ReadAhead([]() -> std::vector<std::string> { throw std::runtime_error("the share is gone"); }, Half);
    ASSERT_TRUE(service->WaitIdle(Long));
    EXPECT_FALSE(service->Holds("b"));
    ReadAhead({"b"});
    ASSERT_TRUE(service->WaitIdle(Long));
    EXPECT_TRUE(service->Holds("b"));

    const std::optional<JobResult> opened = Finished(service->Open("b", nullptr));
    EXPECT_TRUE(opened && opened->picture && !opened->failed);
}

// A decode that never heeds the cancel: Close gives up on it after its limit, and the thread
// that runs it frees the shared state once it ends, reporting nothing.
TEST_F(PictureServiceTest, CloseGivesUpOnADecodeThatNeverEndsAndItsThreadEndsAlone) {
    fake->gated = {"a"};
    struct Sentinel {
        std::promise<void> freed;
        ~Sentinel() { freed.set_value(); }
    };
    auto sentinel = std::make_shared<Sentinel>();
    std::future<void> freed = sentinel->freed.get_future();
    {
        imaging::PictureServiceSetup setup = Setup(1 << 20);
        setup.decode = [decode = setup.decode, sentinel = std::move(sentinel)](auto&... a) { return decode(a...); };
        service = std::make_unique<PictureService>(std::move(setup));
    }
    const JobId id = service->Open("a", nullptr);
    ASSERT_TRUE(AtGate("a"));

    EXPECT_FALSE(service->Close(10ms));
    EXPECT_EQ(service->Open("b", nullptr), 0u);
    EXPECT_FALSE(service->Collect(id));
    service.reset();
    EXPECT_EQ(freed.wait_for(0s), std::future_status::timeout) << "the thread at the gate still holds the state";
    LetThrough("a");
    EXPECT_EQ(freed.wait_for(Long), std::future_status::ready);
    EXPECT_TRUE(fake->notified.empty());
}

}  // namespace
}  // namespace zylora::testing
