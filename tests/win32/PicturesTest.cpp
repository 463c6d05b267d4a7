// The picture service on this system: a picture read ahead is the picture decoded here, the
// service's threads run at their roles' priorities, and a decode nobody wants stops.
#include "platform/win32/Win32Pictures.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Imaging.h"
#include "tests/win32/ViewerTestSupport.h"

#include <atomic>

namespace zylora::win32test {
namespace {

Argb Pattern(int x, int y) { return MakeArgb(255, (x * 37) & 255, (y * 53) & 255, (x ^ y) & 255); }

class PicturesTest : public PlatformTest {
protected:
    ScratchFolder folder;
    platform::win32::Win32FileSystem files;
    platform::win32::BackgroundTasks tasks;
};

TEST_F(PicturesTest, APictureReadAheadIsTheOneDecodedHereAndEachThreadRunsAtItsPriority) {
    const std::string ahead = folder.File("ahead.png"), opened = folder.File("opened.png");
    WritePicture(ahead, 64, 48, "image/png", Pattern);
    WritePicture(opened, 40, 40, "image/png", Pattern);
    imaging::PictureService service(platform::win32::PictureServiceSetupFor(files, tasks));
    std::atomic<int> aheadPriority{THREAD_PRIORITY_ERROR_RETURN}, openPriority{THREAD_PRIORITY_ERROR_RETURN};
    service.ReadAhead([ahead] { return std::vector<std::string>{ahead}; },
                      [&](Size s) {
                          aheadPriority = ::GetThreadPriority(::GetCurrentThread());
                          return Size{s.width / 4, s.height / 4};
                      });
    ASSERT_TRUE(service.WaitIdle(std::chrono::seconds(10)));
    ASSERT_TRUE(service.Holds(ahead));
    bool ready = false;
    platform::win32::PendingPicture pending(
        service, tasks, [&] { return service.Open(ahead, nullptr); }, false, nullptr, [&] { ready = true; });
    EXPECT_TRUE(PumpUntil([&] { return ready; })) << "its ending comes through the messages";
    const std::unique_ptr<Image> image = pending.Take();
    const std::unique_ptr<Image> decoded = platform->DecodeImage(ahead);
    EXPECT_TRUE(SamePixels(*image, *decoded));
    EXPECT_TRUE(SamePixels(*image->Reduced(16, 12), *decoded->Reduced(16, 12))) << "the reduction made ahead";

    const imaging::JobId job = service.Open(opened, [&](Size s) {
        openPriority = ::GetThreadPriority(::GetCurrentThread());
        return s;
    });
    const std::optional<imaging::JobResult> result = service.Wait(job, std::chrono::seconds(10));
    ASSERT_TRUE(result && result->picture);
    EXPECT_EQ(result->picture->pixels.pixels.width, 40);
    EXPECT_EQ(aheadPriority, THREAD_PRIORITY_NORMAL);
    EXPECT_EQ(openPriority, THREAD_PRIORITY_ABOVE_NORMAL);
}

// An open whose look is made first asks for its full decode only once told to, or once its
// picture is wanted.
TEST_F(PicturesTest, AFullDecodeLeftForLaterIsAskedForOnceBegunOrTaken) {
    const std::string path = folder.File("later.png");
    WritePicture(path, 40, 30, "image/png", Pattern);
    imaging::PictureService service(platform::win32::PictureServiceSetupFor(files, tasks));
    int opens = 0;
    const auto open = [&] {
        ++opens;
        return service.Open(path, nullptr);
    };
    for (const bool begun : {true, false}) {
        bool ready = false;
        platform::win32::PendingPicture pending(service, tasks, open, true, nullptr, [&] { ready = true; });
        EXPECT_EQ(opens, 0);
        if (begun) {
            pending.Begin();
            pending.Begin();
            EXPECT_EQ(opens, 1) << "once";
            EXPECT_TRUE(PumpUntil([&] { return ready; }));
        }
        const std::unique_ptr<Image> image = pending.Take();
        ASSERT_TRUE(image);
        EXPECT_EQ(image->Width(), 40);
        EXPECT_EQ(opens, 1);
        opens = 0;
    }
}

// A photo's rows (the imaging component's fast path) and the other decoders alike.
TEST_F(PicturesTest, ADecodeCancelledAtAnyBandGivesNothing) {
    const platform::win32::ImagingComponent component;
    for (const std::string mime : {"image/jpeg", "image/png"}) {
        const std::string path = folder.File(mime.substr(6) + ".pic");
        WritePicture(path, 300, 2000, mime, Pattern);
        int asked = 0;
        EXPECT_TRUE(platform::win32::DecodePixels(path, imaging::PictureLimit, &component, [&] { return ++asked < 0; }))
            << mime;
        ASSERT_GT(asked, 0) << mime;
        for (const int at : {1, asked / 2, asked}) {
            int n = 0;
            EXPECT_FALSE(platform::win32::DecodePixels(path, imaging::PictureLimit, &component,
                                                       [&] { return ++n >= at; }))
                << mime << " cancelled at " << at << " of " << asked;
        }
    }
}

}  // namespace
}  // namespace zylora::win32test
