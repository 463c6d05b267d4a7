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
using imaging::DecodedPixels;
using imaging::JobId;
using imaging::JobResult;
using imaging::PictureService;
using imaging::ThreadRole;
using platform::FileStamp;
using platform::Size;

// Only a guard against a hang: nothing waits this long unless it fails.
constexpr auto Long = 60s;
constexpr int Width = 10;

// Pictures of Width pixels by `rows` rows, each of its own colour, decoded a row a band.
struct FakeDecoder {
    std::mutex lock;
    std::condition_variable changed;
    std::map<std::string, int> rows;
    std::set<std::string> gated;  // stop after their first band until let through
    std::set<std::string> atGate, throwing;
    std::map<std::string, int> decodes, bands;
    std::map<std::string, std::thread::id> decodedOn;
    std::map<std::string, FileStamp> stamps;
    std::map<std::thread::id, std::vector<ThreadRole>> roles;
    std::vector<JobId> notified;

    static std::uint32_t Colour(const std::string& path) { return 0xFF000000u | static_cast<std::uint8_t>(path[0]); }

    std::optional<DecodedPixels> Decode(const std::string& path, const imaging::DecodeLimit& limit,
                                        const imaging::Cancelled& cancelled) {
        int height = 0;
        {
            const std::lock_guard<std::mutex> hold(lock);
            ++decodes[path];
            decodedOn[path] = std::this_thread::get_id();
            if (throwing.count(path)) throw std::bad_alloc();
            if (rows.count(path)) height = rows[path];
        }
        if (height == 0 || !limit.Allows({Width, height})) return std::nullopt;
        DecodedPixels out{{imaging::PixelWords(std::size_t{Width} * height, Colour(path)), Width, height}, true};
        for (int band = 0; band < height; ++band) {
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
    void LetThrough(const std::string& path) {
        const std::lock_guard<std::mutex> hold(lock);
        gated.erase(path);
        changed.notify_all();
    }
    template <typename Condition>
    bool WaitFor(Condition condition) {
        std::unique_lock<std::mutex> hold(lock);
        return changed.wait_for(hold, Long, condition);
    }
    int Count(std::map<std::string, int>& counts, const std::string& path) {
        const std::lock_guard<std::mutex> hold(lock);
        return counts[path];
    }
};

Size Half(Size size) { return {size.width / 2, size.height / 2}; }

class PictureServiceTest : public ::testing::Test {
protected:
    imaging::PictureServiceSetup Setup(long long budget) {
        imaging::PictureServiceSetup setup;
        setup.decode = [fake = fake](const std::string& path, const imaging::DecodeLimit& limit,
                                     const imaging::Cancelled& cancelled) { return fake->Decode(path, limit, cancelled); };
        setup.stampOf = [fake = fake](const std::string& path) -> std::optional<FileStamp> {
            const std::lock_guard<std::mutex> hold(fake->lock);
            return fake->stamps[path];
        };
        setup.notify = [fake = fake](JobId id) {
            const std::lock_guard<std::mutex> hold(fake->lock);
            fake->notified.push_back(id);
            fake->changed.notify_all();
        };
        setup.prioritize = [fake = fake](ThreadRole role) {
            const std::lock_guard<std::mutex> hold(fake->lock);
            fake->roles[std::this_thread::get_id()].push_back(role);
        };
        setup.budgetPixels = budget;
        return setup;
    }
    void Start(long long budget = 1 << 20) { service = std::make_unique<PictureService>(Setup(budget)); }
    void Restart() {
        service.reset();
        fake = std::make_shared<FakeDecoder>();
    }
    void ReadAhead(std::vector<std::string> paths) {
        service->ReadAhead([paths] { return paths; }, Half);
    }
    // The job's result, once the service has reported it.
    std::optional<JobResult> Finished(JobId id) {
        EXPECT_TRUE(fake->WaitFor([&] { return std::count(fake->notified.begin(), fake->notified.end(), id) > 0; }));
        return service->Collect(id);
    }
    bool AtGate(const std::string& path) {
        return fake->WaitFor([&] { return fake->atGate.count(path) > 0; });
    }

    std::shared_ptr<FakeDecoder> fake = std::make_shared<FakeDecoder>();
    std::unique_ptr<PictureService> service;
};

// The read-ahead's decode of the picture ends the Open, hurried to the foreground's priority
// between its bands and back after; nothing decodes it a second time.
TEST_F(PictureServiceTest, AnOpenOfThePictureBeingReadAheadTakesOverItsDecode) {
    fake->rows = {{"a", 4}};
    fake->gated = {"a"};
    Start();
    ReadAhead({"a"});
    ASSERT_TRUE(AtGate("a"));
    const JobId id = service->Open("a", Half);
    fake->LetThrough("a");

    const std::optional<JobResult> result = Finished(id);
    ASSERT_TRUE(result && result->picture && result->picture->reduced);
    EXPECT_EQ(result->picture->pixels.pixels.pixels[0], FakeDecoder::Colour("a"));
    EXPECT_EQ(result->picture->reduced->pixels.width, 5);
    EXPECT_EQ(result->picture->reduced->pixels.height, 2);
    EXPECT_EQ(fake->Count(fake->decodes, "a"), 1);
    EXPECT_EQ(fake->roles[fake->decodedOn["a"]],
              (std::vector{ThreadRole::Background, ThreadRole::Foreground, ThreadRole::Background}));
    EXPECT_FALSE(service->Holds("a"));
}

TEST_F(PictureServiceTest, CollectGivesAFinishedJobOnceAndNothingForAnyOtherId) {
    fake->rows = {{"a", 2}, {"b", 2}};
    fake->gated = {"b"};
    Start();
    const JobId a = service->Open("a", nullptr);
    ASSERT_TRUE(fake->WaitFor([&] { return !fake->notified.empty(); }));
    const JobId b = service->Open("b", nullptr);
    ASSERT_TRUE(AtGate("b"));

    EXPECT_FALSE(service->Collect(b)) << "unfinished";
    EXPECT_FALSE(service->Collect(b + 100)) << "unknown";
    const std::optional<JobResult> first = service->Collect(a);
    ASSERT_TRUE(first && first->picture);
    EXPECT_FALSE(first->picture->reduced);
    EXPECT_FALSE(service->Collect(a)) << "collected already";
    fake->LetThrough("b");
    const std::optional<JobResult> waited = service->Wait(b, Long);
    EXPECT_TRUE(waited && waited->picture);
}

// A job cancelled, and a read-ahead a newer request no longer wants, stop at their next band.
TEST_F(PictureServiceTest, CancelledDecodesStopAtTheirNextBand) {
    for (const bool readAhead : {false, true}) {
        SCOPED_TRACE(readAhead ? "read ahead" : "opened");
        Restart();
        fake->rows = {{"a", 4}, {"b", 1}};
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
        fake->LetThrough("a");
        ASSERT_TRUE(service->WaitIdle(Long));

        EXPECT_EQ(fake->Count(fake->bands, "a"), 1);
        EXPECT_FALSE(service->Holds("a"));
        EXPECT_EQ(service->Holds("b"), readAhead);
        EXPECT_FALSE(service->Collect(id));
        EXPECT_TRUE(fake->notified.empty());
    }
}

// Each picture is read ahead only within what is left of the budget; one no longer wanted
// goes, which makes room for one the budget refused before.
TEST_F(PictureServiceTest, ReadAheadKeepsWithinItsBudgetAndDropsWhatIsNoLongerWanted) {
    fake->rows = {{"a", 20}, {"b", 20}, {"c", 20}};  // 200 pixels each, 250 with the reduction
    Start(600);
    ReadAhead({"a", "b", "c"});
    ASSERT_TRUE(service->WaitIdle(Long));
    EXPECT_TRUE(service->Holds("a"));
    EXPECT_TRUE(service->Holds("b"));
    EXPECT_FALSE(service->Holds("c"));
    EXPECT_EQ(service->HeldPixels(), 500);

    ReadAhead({"b", "c"});
    ASSERT_TRUE(service->WaitIdle(Long));
    EXPECT_FALSE(service->Holds("a"));
    EXPECT_TRUE(service->Holds("c"));
    EXPECT_EQ(service->HeldPixels(), 500);
    EXPECT_EQ(fake->Count(fake->decodes, "b"), 1);
}

// A picture read ahead is taken only while its file has the stamp it had when its decode began.
TEST_F(PictureServiceTest, APictureReadAheadIsTakenOnlyWhileItsFileIsUnchanged) {
    for (const bool changed : {false, true}) {
        SCOPED_TRACE(changed ? "changed" : "unchanged");
        Restart();
        fake->rows = {{"a", 4}};
        fake->stamps["a"] = FileStamp{100, 1, 1, 7};
        Start();
        ReadAhead({"a"});
        ASSERT_TRUE(service->WaitIdle(Long));
        ASSERT_TRUE(service->Holds("a"));
        if (changed) {
            const std::lock_guard<std::mutex> hold(fake->lock);
            fake->stamps["a"].changed = 2;
        }

        const std::optional<JobResult> result = Finished(service->Open("a", Half));
        ASSERT_TRUE(result && result->picture && result->picture->reduced);
        EXPECT_EQ(fake->Count(fake->decodes, "a"), changed ? 2 : 1);
        EXPECT_FALSE(service->Holds("a"));
    }
}

// A decode that throws ends its job failed; a listing that throws wants nothing. Both threads
// go on serving.
TEST_F(PictureServiceTest, WhatThrowsEndsItsJobOrRequestOnly) {
    fake->rows = {{"a", 2}, {"b", 2}};
    fake->throwing = {"a"};
    Start();
    const std::optional<JobResult> thrown = Finished(service->Open("a", nullptr));
    ASSERT_TRUE(thrown);
    EXPECT_TRUE(thrown->failed);
    EXPECT_FALSE(thrown->picture);

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
    fake->rows = {{"a", 2}};
    fake->gated = {"a"};
    struct Sentinel {
        std::promise<void> freed;
        ~Sentinel() { freed.set_value(); }
    };
    auto sentinel = std::make_shared<Sentinel>();
    std::future<void> freed = sentinel->freed.get_future();
    {
        imaging::PictureServiceSetup setup = Setup(1 << 20);
        setup.decode = [decode = setup.decode, sentinel = std::move(sentinel)](auto&&... arguments) {
            return decode(arguments...);
        };
        service = std::make_unique<PictureService>(std::move(setup));
    }
    const JobId id = service->Open("a", nullptr);
    ASSERT_TRUE(AtGate("a"));

    EXPECT_FALSE(service->Close(10ms));
    EXPECT_EQ(service->Open("b", nullptr), 0u);
    EXPECT_FALSE(service->Collect(id));
    service.reset();
    fake->LetThrough("a");
    EXPECT_EQ(freed.wait_for(Long), std::future_status::ready);
    EXPECT_TRUE(fake->notified.empty());
}

}  // namespace
}  // namespace zylora::testing
