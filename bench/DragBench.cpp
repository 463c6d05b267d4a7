#include "bench/DragBench.h"

#include <functional>

#include "app/MainWindow.h"
#include "bench/BenchSupport.h"
#include "skin/EdgeWindows.h"
#include "skin/TitleWindow.h"

namespace zylora::bench {

Drags MeasureDrags(app::TfrmMiddle& main) {
    Drags d;
    // One step of the corner drag: the window a pixel wider and higher at each step,
    // everything placed and repainted as the timer's step leaves it, and the queue emptied as
    // the loop empties it before the next tick. Every step takes a new size, as a drag's do:
    // a size of two steps before would find the frames' look kept and skip their drawing.
    main.Image2->Update();
    constexpr int dragSteps = 16;
    // After a drag's timed steps, one untimed step back to the fitted size for what follows.
    auto untimedStepBack = [&](const std::function<void(int)>& step) {
        step(-dragSteps);
        main.Toolbar->Update();
        main.Image2->Update();
        Idle();
    };
    // One step of the drag, `by` pixels from where the cursor was.
    auto cornerTo = [&](int by) {
        const platform::Point cursor = main.Platform().CursorPos();
        main.DragLastX = cursor.x - by;
        main.DragLastY = cursor.y - by;
        main.CornerStep();
    };
    d.cornerStep = Time(dragSteps, [&] {
        const double t0 = Now();
        cornerTo(1);
        const double t1 = Now();
        main.Toolbar->Update();
        const double t2 = Now();
        main.Image2->Update();
        const double t3 = Now();
        Idle();
        d.placing += (t1 - t0) / dragSteps;
        d.toolbarPaint += (t2 - t1) / dragSteps;
        d.viewPaint += (t3 - t2) / dragSteps;
        d.idleFlush += (Now() - t3) / dragSteps;
    });
    untimedStepBack(cornerTo);

    // One step of each edge's drag, as the corner's: a pixel further at each step, and what the
    // step left to paint painted.
    auto edgeStep = [&](skin::TEdgeWindow& edge) {
        auto edgeTo = [&](int by) {
            const platform::Point cursor = main.Platform().CursorPos();
            edge.DragAnchor = {cursor.x - by, cursor.y - by};
            edge.ResizeStep(false);
        };
        const double ms = Time(dragSteps, [&] {
            edgeTo(1);
            main.Toolbar->Update();
            main.Image2->Update();
            Idle();
        });
        untimedStepBack(edgeTo);
        return ms;
    };
    d.leftStep = edgeStep(*main.LeftFrame);
    d.rightStep = edgeStep(*main.RightFrame);
    d.bottomStep = edgeStep(*main.BottomFrame);
    d.floor = MeasureWindowSystemFloor(main.BoundsRect(), main.TopFrame->Form().Bounds(),
                                       main.LeftFrame->Form().Bounds(), main.RightFrame->Form().Bounds(),
                                       main.BottomFrame->Form().Bounds(), main.ToolbarHeight());
    return d;
}

void ReportDrags(const Drags& d) {
    const double frame = 1000.0 / 60;
    Report("corner drag step: place, frames, toolbar, view", d.cornerStep, "a 60 Hz frame", frame, "<= 1 x");
    Report("  of it: five windows placed, frames painted", d.placing, "a 60 Hz frame", frame);
    Report("  of it: the toolbar repainted", d.toolbarPaint, "a 60 Hz frame", frame);
    Report("  of it: the view repainted", d.viewPaint, "a 60 Hz frame", frame);
    Report("  of it: the queue emptied, the pixels sent", d.idleFlush, "a 60 Hz frame", frame);
    Report("  the system's floor: plain windows, one copy", d.floor.resizeStep, "a 60 Hz frame", frame);
    Report("  the step less that floor: ours", d.cornerStep - d.floor.resizeStep, "a 60 Hz frame", frame);
    Report("left edge drag step", d.leftStep, "a 60 Hz frame", frame, "<= 1 x");
    Report("right edge drag step", d.rightStep, "a 60 Hz frame", frame, "<= 1 x");
    Report("bottom edge drag step", d.bottomStep, "a 60 Hz frame", frame, "<= 1 x");
}

}  // namespace zylora::bench
