// Times opening a 24-megapixel JPEG and painting the view of it, against baselines measured
// in the same run on the same machine. Run by hand under Wine (see bench/README.md); it
// asserts nothing.
#include "platform/win32/Win32Api.h"

#include <objidl.h>
#include <gdiplus.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "app/MainWindow.h"
#include "bench/BenchPhotos.h"
#include "bench/BenchSupport.h"
#include "bench/ColourBench.h"
#include "bench/DragBench.h"
#include "bench/FormatsBench.h"
#include "bench/KeysAndFoldersBench.h"
#include "bench/StallBench.h"
#include "bench/StartBench.h"
#include "bench/SteppingBench.h"
#include "bench/WalkBench.h"
#include "imaging/Pixels.h"
#include "platform/win32/Win32Platform.h"
#include "platform/win32/Win32Text.h"
#include "shell/FileDrop.h"
#include "skin/TitleWindow.h"
#include "toolbar/ZylButton.h"

namespace {

using zylora::bench::Median;
using zylora::bench::Now;
using zylora::bench::PrivateMb;
using zylora::bench::Report;
using zylora::bench::Time;

struct SteppingRows {
    zylora::bench::Stalls stalls;
    zylora::bench::Stepping quiet, loaded;
};

// The stepping rows on the quiet machine and beside a busy thread per core; the user's thread
// watched in an open of `photo`, a step at once and the quiet Right held; `lone` is a picture
// alone in its folder.
SteppingRows MeasureSteppingRows(zylora::app::TfrmMiddle& main, const std::string& photo, const std::string& lone,
                                 double decodeMs) {
    SteppingRows rows;
    zylora::bench::WatchOpenAndStep(main, photo, lone, rows.stalls);
    rows.quiet = zylora::bench::MeasureStepping(main, decodeMs, &rows.stalls);
    rows.loaded = zylora::bench::MeasureSteppingLoaded(main, decodeMs);
    return rows;
}

void PrintTableHead() { std::printf("\n| path | time | baseline | ratio | goal |\n|---|---|---|---|---|\n"); }

}  // namespace

int main(int argc, char** argv) {
    auto platform = zylora::platform::win32::CreateWin32Platform();
    std::string folder = platform->ExecutablePath();
    folder.resize(folder.find_last_of("\\/") + 1);
    // Two photos side by side: the folder steps go from one to the other.
    const std::string photo = folder + "bench-24mp.jpg";
    const std::string second = folder + "bench-24mp-2.jpg";
    for (const auto& [path, seed] : {std::pair{photo, 12345u}, std::pair{second, 777u}}) {
        if (platform->Files().FileExists(path)) continue;
        std::printf("writing %s ...\n", path.c_str());
        if (!zylora::bench::WritePhoto(path, seed)) {
            std::printf("could not write the picture\n");
            return 1;
        }
    }

    // "start", "decode", "drag", "steps", "walk" and "formats" time only that, "start" and
    // "decode" in more rounds.
    const std::string only = argc > 1 ? argv[1] : "";
    const std::wstring widePhoto = zylora::platform::win32::WideFromUtf8(photo);
    const double pictureMb = 6000.0 * 4000.0 * 4 / (1024 * 1024);
    // The same photo carrying an Adobe RGB profile, which its open converts to the display's;
    // in a folder of its own, so that the steps below still go between the two photos.
    const std::string profiled = folder + "profiled\\bench-24mp-adobe.jpg";
    zylora::bench::WriteWithAdobeRgbProfile(photo, profiled);
    // Its match without the profile, alone in a folder of its own as well: in the photos'
    // folder, its open would read the other photo ahead meanwhile.
    const std::string plainAlone = folder + "plain\\bench-24mp.jpg";
    ::CreateDirectoryW(zylora::platform::win32::WideFromUtf8(folder + "plain").c_str(), nullptr);
    ::CopyFileW(widePhoto.c_str(), zylora::platform::win32::WideFromUtf8(plainAlone).c_str(), TRUE);
    if (only == "formats") {
        zylora::bench::ReportFormats(*platform, folder);
        return 0;
    }
    if (only == "decode") {
        // Alternated, so that a busy moment of the machine weighs on all alike.
        std::vector<double> plain, own, converted;
        for (int i = 0; i < 9; ++i) {
            plain.push_back(zylora::bench::PlainDecode(photo, 1));
            own.push_back(Time(1, [&] { platform->DecodeImage(photo); }));
            converted.push_back(Time(1, [&] { platform->DecodeImage(profiled); }));
        }
        Report("decoded into pixels of our own", Median(own), "the plain decode", Median(plain));
        Report("  with an Adobe RGB profile, converted", Median(converted), "the plain decode", Median(plain));
        return 0;
    }
    if (only == "steps" || only == "walk") {
        auto main = std::make_unique<zylora::app::TfrmMiddle>(*platform);
        main->Show();
        zylora::bench::OpenByDrop(*main, photo);
        const double decodeSecond = zylora::bench::PlainDecode(second, 3);
        if (only == "walk") {
            const zylora::bench::Walk walk = zylora::bench::WalkThroughPhotos(*main, 300, decodeSecond);
            PrintTableHead();
            zylora::bench::ReportWalk(walk, pictureMb);
            return 0;
        }
        const SteppingRows steps = MeasureSteppingRows(*main, photo, profiled, decodeSecond);
        PrintTableHead();
        zylora::bench::ReportStepping(steps.quiet, steps.loaded, decodeSecond, 0);
        zylora::bench::ReportStalls(steps.stalls);
        zylora::bench::PrintStallCauses(steps.stalls);
        return 0;
    }
    // Start-up first, while no window of ours is open. Fifteen rounds: with five, the
    // medians swung by a fifth of the baseline from run to run.
    const zylora::bench::StartTimes starts =
        only == "drag" ? zylora::bench::StartTimes{} : zylora::bench::TimeStarts(folder, 15);
    if (only == "start") {
        zylora::bench::ReportStarts(starts);
        return 0;
    }

    const double decode = zylora::bench::PlainDecode(photo, 3);
    const double decodeOwn = Time(3, [&] { platform->DecodeImage(photo); });

    auto main = std::make_unique<zylora::app::TfrmMiddle>(*platform);
    main->Show();
    // The pictures decoded above left their memory for the next of their size: counted
    // before, the open's own would not show.
    zylora::imaging::FreeKeptPictureMemory();
    const double memoryBefore = PrivateMb();
    // The first paint comes from a reduced decode while the full one runs on another thread;
    // the open is over once the full pixels are in (waited for here, as an action would).
    // Each open follows a plain decode, their baseline: a busy moment weighs on both alike.
    // Every other open finds the memory of the picture before it (of the same size, as in a
    // step through a camera's photos) let go of and freed, as the first picture of a session
    // does: it pays a page fault per 4 KB.
    std::vector<double> firstPaints, fullOpens, freshOpens, openDecodes;
    for (int i = 0; i < 10; ++i) {
        openDecodes.push_back(zylora::bench::PlainDecode(photo, 1));
        const bool fresh = i % 2 == 0;
        if (fresh) {
            main->ForgetPicture();  // before the drop would, so that its memory goes too
            zylora::imaging::FreeKeptPictureMemory();
        }
        const double start = Now();
        main->ZoomFactor = 1;
        main->FileDrop1->Files() = {photo};
        main->FileDrop1Drop();
        // The look is made on another thread, the messages flowing meanwhile.
        while (main->PendingLook) zylora::bench::Rest(0.5);
        main->Image2->Update();  // the first paint of the view
        firstPaints.push_back(Now() - start);
        main->CompletePicture();
        (fresh ? freshOpens : fullOpens).push_back(Now() - start);
    }
    // The messages flowed while the looks were made: what was read ahead meanwhile goes, as it
    // is counted apart below.
    main->ReadAheadTimer->SetEnabled(false);
    platform->ReadAhead([] { return std::vector<std::string>(); }, nullptr);
    zylora::bench::Rest(200);
    zylora::imaging::FreeKeptPictureMemory();
    const double memoryOpen = PrivateMb() - memoryBefore;
    // Alternated, so that a busy moment of the machine weighs on both alike. Opened as a drop
    // opens them (the look waited for with the messages flowing and painted, then the full
    // picture), and again wanted whole at once after the drop, as by a turn at once, which
    // sets the full decode beside the look's.
    std::vector<double> profiledOpens, plainOpens, profiledAtOnce, plainAtOnce;
    for (int i = 0; i < 5; ++i)
        for (const bool atOnce : {false, true})
            for (const auto& [path, times] : {std::pair{&profiled, atOnce ? &profiledAtOnce : &profiledOpens},
                                              std::pair{&plainAlone, atOnce ? &plainAtOnce : &plainOpens}})
                times->push_back(Time(1, [&] {
                    main->FileDrop1->Files() = {*path};
                    main->FileDrop1Drop();
                    while (!atOnce && main->PendingLook) zylora::bench::Rest(0.5);
                    main->Image2->Update();
                    main->CompletePicture();
                    main->Image2->Update();
                }));
    const double openProfiled = Median(profiledOpens), openPlain = Median(plainOpens);
    const double open = Median(firstPaints), openFull = Median(fullOpens), openFresh = Median(freshOpens),
                 openDecode = Median(openDecodes);
    const double convert = zylora::bench::ConvertTwentyFourMegapixels();
    const zylora::platform::Rect view = main->Image2->Bounds();
    std::printf("picture %dx%d shown in a view of %dx%d\n", main->Picture->Width(),
                main->Picture->Height(), view.width, view.height);

    auto paintAt = [&](int zoom) {
        main->ZoomFactor = zoom;
        main->OffsetX = main->OffsetY = 0;
        return Time(15, [&] {
            main->Image2->Invalidate();
            main->Image2->Update();
        });
    };
    const double zoom1 = paintAt(1);
    const double zoom4 = paintAt(4);

    // Pan steps: a drag on the view in move mode, the picture following the pointer by a few
    // pixels each way in turn, with the paint of each step.
    auto panAt = [&](int zoom) {
        main->ZoomFactor = zoom;
        main->OffsetX = main->OffsetY = 200;
        main->MoveMode = true;
        main->Image2->Update();
        zylora::view::ViewInput& input = main->ViewEvents();
        const zylora::platform::Point cursor = platform->CursorPos();
        input.Image2MouseDown({view.width / 2, view.height / 2});
        int step = 0;
        const double ms = Time(15, [&] {
            // Move the anchor rather than the cursor: each step sees the cursor 7 pixels off.
            const int d = (++step % 2) ? 7 : -7;
            main->PanAnchorX = cursor.x + d;
            main->PanAnchorY = cursor.y + d;
            input.Image2MouseMove({view.width / 2, view.height / 2});
            main->Image2->Update();
        });
        input.Image2MouseUp();
        return ms;
    };
    const double pan2 = panAt(2);
    const double pan4 = panAt(4);
    const double pan8 = panAt(8);
    main->ZoomFactor = 1;
    main->OffsetX = main->OffsetY = 0;

    const zylora::bench::Drags drags = zylora::bench::MeasureDrags(*main);
    if (only == "drag") {
        PrintTableHead();
        zylora::bench::ReportDrags(drags);
        return 0;
    }

    // The toolbar's commands, run as a release on their buttons runs them.
    auto action = [&](const char* word) {
        zylora::toolbar::TZylButton button(*main);
        button.Action = word;
        button.RunAction();
    };
    auto paintAfterZoomIn = [&](int zoom) {
        main->ZoomFactor = zoom / 2;
        main->OffsetX = main->OffsetY = 0;
        action("zoomin");
        return Time(15, [&] {
            main->Image2->Invalidate();
            main->Image2->Update();
        });
    };
    const double zoomIn2 = paintAfterZoomIn(2);
    const double zoomIn8 = paintAfterZoomIn(8);
    main->ZoomFactor = 1;

    const double decodeSecond = zylora::bench::PlainDecode(second, 3);
    const SteppingRows steps = MeasureSteppingRows(*main, photo, profiled, decodeSecond);
    // A folder of 10,000 pictures: listed afresh at the first step into it; looked at again
    // at every later step, listed only when it changed.
    const std::string large = zylora::bench::LargeFolder(folder, 10000);
    const double listLarge = zylora::bench::ListFolder(*main, large);
    zylora::view::TFileListBox largeList(platform->Files(), zylora::app::TfrmMiddle::PictureMask, false);
    largeList.SetDirectory(large);
    const double lookAgain = Time(15, [&] { largeList.SetDirectory(large); });

    Gdiplus::Bitmap turned(widePhoto.c_str(), FALSE);
    turned.RotateFlip(Gdiplus::RotateNoneFlipNone);  // decoded before the clock runs
    const double rotateFlip = Time(4, [&] { turned.RotateFlip(Gdiplus::Rotate90FlipNone); });
    const double quarterTurn = Time(4, [&] {
        action("rotate90right");
        main->Image2->Update();
    });

    // A hover change: the pointer from the toolbar's background onto a button and off
    // again, one button redrawn each time.
    double hover = 0;
    if (!main->ButtonList.empty()) {
        const auto& first = *main->ButtonList.front();
        const zylora::platform::Point on{first.X + first.Width / 2, first.Y + first.Height / 2};
        const zylora::platform::Point off{main->Toolbar->Bounds().width - 1, 0};
        bool over = false;
        hover = Time(31, [&] {
            over = !over;
            main->ToolbarEvents().ToolbarMouseMove(over ? on : off);
        });
    }

    // One step of a title drag: the cursor a pixel off the anchor each way in turn, all five
    // windows moved. A step changes no size, so it should leave nothing to repaint. (Wine
    // marks the moved main window itself invalid; its paint touches no pixel, the toolbar
    // and the view cover it, and is timed with the step.)
    main->Image2->Update();
    main->Toolbar->Update();
    zylora::skin::TfrmTop& title = *main->TopFrame;
    int side = 0, stepsLeavingPaint = 0;
    double titleMoving = 0;
    auto titleDragStep = [&] {
        const zylora::platform::Point cursor = platform->CursorPos();
        const int d = (++side % 2) ? 1 : -1;
        title.DragAnchor = {cursor.x - d, cursor.y - d};
        const double t0 = Now();
        title.Timer1Timer();
        titleMoving += (Now() - t0) / 31;
        for (zylora::platform::Window* w : {main->Toolbar.get(), main->Image2.get()})
            if (::GetUpdateRect(reinterpret_cast<HWND>(platform->IdentityOf(*w)), nullptr, FALSE))
                ++stepsLeavingPaint;
        main->Form().Update();
        main->Image2->Update();
        main->Toolbar->Update();
        zylora::bench::Idle();
    };
    // Straight after the turns' resizes, for under half a second, every move of the five
    // windows takes several times as long (6-8 ms a step against 1-2 ms once that is over),
    // with none of the viewer's own code in it; a drag begins once the pointer has reached the
    // title and pressed. The row is timed after a rest, as its floor is; the steps straight
    // after the turns are shown beside it.
    const double titleStepAfterTurns = Time(31, titleDragStep);
    zylora::bench::Rest(1000);
    stepsLeavingPaint = 0;
    titleMoving = 0;
    const double titleStep = Time(31, titleDragStep);

    // Activation changes: deactivated and activated in turn, frames and toolbar repainted.
    bool active = true;
    const double activation = Time(15, [&] {
        active = !active;
        if (active)
            main->ApplicationEvents1Activate();
        else
            main->ApplicationEvents1Deactivate();
        zylora::bench::Idle();
    });
    if (!active) main->ApplicationEvents1Activate();

    // The whole animations, each on its own.
    double rollUp = 0, unroll = 0;
    for (int i = 0; i < 3; ++i) {
        const double start = Now();
        main->SetRolledUp(true);
        const double middle = Now();
        main->SetRolledUp(false);
        rollUp += (middle - start) / 3;
        unroll += (Now() - middle) / 3;
    }

    // The view's surface is opaque (it starts with the background colour): so is this one.
    auto surface = platform->CreateSurface(1500, 1000);
    surface->Clear(0xFF202020u);
    const double copy = Time(15, [&] {
        auto screen = main->Image2->GetScreenTarget();
        screen->DrawSurface(*surface, {0, 0});
    });

    // Where a paint's time goes.
    const double create = Time(15, [&] {
        auto s2 = platform->CreateSurface(1500, 1000);
        s2->Clear(0xFF202020u);
    });
    auto reduced = main->Picture->Reduced(1500, 1000);
    const double drawReduced = Time(15, [&] {
        surface->DrawImageRect(*reduced, {0, 0, 1500, 1000}, {0, 0, 1500, 1000});
    });
    const double drawRegion = Time(5, [&] {
        surface->DrawImageRect(*main->Picture, {0, 0, 1500, 1000}, {0, 0, 1500, 1000});
    });
    const double reduce = Time(3, [&] { main->Picture->Reduced(1500, 1000); });

    // Last before the formats: a long walk leaves the memory as it leaves it.
    const zylora::bench::Walk walk = zylora::bench::WalkThroughPhotos(*main, 300, decodeSecond);

    PrintTableHead();
    Report("  surface 1500x1000 created and cleared", create, "one 1500x1000 copy", copy);
    Report("  1500x1000 image drawn 1:1", drawReduced, "one 1500x1000 copy", copy);
    Report("  1500x1000 region of the picture drawn 1:1", drawRegion, "one 1500x1000 copy", copy);
    Report("  reduced copy of the picture made", reduce, "the plain decode", decode);
    Report("plain GDI+ decode of the 24 MP JPEG", decode, "itself", decode);
    Report("open: reduced decode, fit, place, frames, first paint", open, "plain decode, alternated", openDecode,
           "<= 0.3 x");
    Report("open: the full picture in", openFull, "plain decode, alternated", openDecode, "<= 0.9 x");
    Report("  of it: into memory not used before", openFresh, "plain decode, alternated", openDecode);
    Report("  of it: decoded into pixels of our own", decodeOwn, "the plain decode", decode);
    Report("open of it with an Adobe RGB profile", openProfiled, "the open without, again", openPlain, "<= 1.1 x");
    Report("  the same, the whole picture wanted at once", Median(profiledAtOnce), "the open without, likewise",
           Median(plainAtOnce));
    Report("  of it: the colours converted (two halves)", convert, "the open without, again", openPlain);
    Report("view paint at zoom 1", zoom1, "a 60 Hz frame", 1000.0 / 60, "<= 0.25 x");
    Report("view paint at zoom 4", zoom4, "a 60 Hz frame", 1000.0 / 60, "<= 0.25 x");
    Report("pan step at zoom 2, with the paint", pan2, "a 60 Hz frame", 1000.0 / 60, "<= 0.25 x");
    Report("pan step at zoom 4, with the paint", pan4, "a 60 Hz frame", 1000.0 / 60, "<= 0.25 x");
    Report("pan step at zoom 8, with the paint", pan8, "a 60 Hz frame", 1000.0 / 60, "<= 0.25 x");
    zylora::bench::ReportDrags(drags);
    Report("view paint after zoomin to 2", zoomIn2, "a 60 Hz frame", 1000.0 / 60, "<= 0.25 x");
    Report("view paint after zoomin to 8", zoomIn8, "a 60 Hz frame", 1000.0 / 60, "<= 0.25 x");
    zylora::bench::ReportStepping(steps.quiet, steps.loaded, decodeSecond, open);
    zylora::bench::ReportStalls(steps.stalls);
    Report("listing 10,000 pictures (another thread)", listLarge, "a 60 Hz frame", 1000.0 / 60);
    Report("  a step's look at it, unchanged", lookAgain, "a 60 Hz frame", 1000.0 / 60);
    Report("quarter turn of the picture, with the paint", quarterTurn, "GDI+ rotate-flip alone", rotateFlip,
           "<= 1 x");
    Report("hover change: one button redrawn", hover, "a 60 Hz frame", 1000.0 / 60);
    Report("title drag step: five windows moved", titleStep, "a 60 Hz frame", 1000.0 / 60, "<= 0.35 x");
    Report("  of it: the batch", titleMoving, "a 60 Hz frame", 1000.0 / 60);
    Report("  straight after the quarter turns", titleStepAfterTurns, "a 60 Hz frame", 1000.0 / 60);
    Report("  the system's floor: plain windows moved", drags.floor.moveStep, "a 60 Hz frame", 1000.0 / 60);
    Report("activation change: frames and toolbar", activation, "a 60 Hz frame", 1000.0 / 60, "<= 0.5 x");
    Report("  the system's floor: four blank presentations", drags.floor.presentFour, "a 60 Hz frame", 1000.0 / 60);
    Report("roll-up, whole animation", rollUp, "a 60 Hz frame", 1000.0 / 60);
    Report("unroll, whole animation", unroll, "a 60 Hz frame", 1000.0 / 60);
    zylora::bench::ReportStarts(starts);
    zylora::bench::ReportWalk(walk, pictureMb);
    zylora::bench::ReportFormats(*platform, folder);
    std::printf("| %-46s | %8.1f MB | %-24s %8.1f MB | %6.2f x | %-10s |\n", "memory with the 24 MP picture open", memoryOpen,
                "its decoded bytes", pictureMb, memoryOpen / pictureMb, "<= 1.3 x + 30 MB");
    std::printf("| %-46s | %8.1f MB | %-24s %8.1f MB | %6.2f x | %-10s |\n", "memory read ahead (the other photo)",
                steps.quiet.readAheadMb, "its decoded bytes", pictureMb, steps.quiet.readAheadMb / pictureMb, "");
    std::printf("\none 60 Hz frame is 16.7 ms; title drag steps that left the toolbar or the view to "
                "repaint: %d of 31\n", stepsLeavingPaint);
    zylora::bench::PrintStallCauses(steps.stalls);
    const zylora::platform::Rect r = main->BoundsRect();
    std::printf("main window %d,%d %dx%d\n", r.left, r.top, r.width, r.height);
    main.reset();
    return 0;
}
