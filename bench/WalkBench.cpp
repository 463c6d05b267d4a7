#include "bench/WalkBench.h"

#include <algorithm>
#include <cstdio>

#include "app/MainWindow.h"
#include "bench/BenchSupport.h"

namespace zylora::bench {

namespace {

double LargestFreeMb() {
    SIZE_T largest = 0;
    MEMORY_BASIC_INFORMATION region{};
    for (auto* at = static_cast<unsigned char*>(nullptr);
         ::VirtualQuery(at, &region, sizeof region) == sizeof region;) {
        if (region.State == MEM_FREE) largest = std::max(largest, region.RegionSize);
        auto* next = static_cast<unsigned char*>(region.BaseAddress) + region.RegionSize;
        if (next <= at) break;  // the top of the address space
        at = next;
    }
    return static_cast<double>(largest) / (1024 * 1024);
}

}  // namespace

Walk WalkThroughPhotos(app::TfrmMiddle& main, int steps, double decodeMs) {
    Walk walk;
    auto painted = [&] {
        const platform::Image* image = main.Picture ? main.Picture.get() : main.Preview.get();
        return image && image->Width() > 0 && image->Height() > 0;
    };
    walk.largestFreeAtStartMb = LargestFreeMb();
    for (; walk.steps < steps; ++walk.steps) {
        if (walk.steps % 10 == 9)
            for (const double until = Now() + 2 * decodeMs; Now() < until;) {
                Rest(50);
                walk.peakMb = std::max(walk.peakMb, PrivateMb());
            }
        const std::string before = main.PicturePath;
        main.StepInFolder(true);
        for (const double until = Now() + 10000; (!painted() || main.PicturePath == before) && Now() < until;)
            Rest(0.5);
        main.Image2->Update();
        if (painted() && main.PicturePath != before) ++walk.shown;
        walk.peakMb = std::max(walk.peakMb, PrivateMb());
    }
    walk.largestFreeMb = LargestFreeMb();
    return walk;
}

void ReportWalk(const Walk& walk, double pictureMb) {
    char what[64], shown[32];
    std::snprintf(what, sizeof what, "%d steps through 24 MP photos: shown", walk.steps);
    std::snprintf(shown, sizeof shown, "%d of %d", walk.shown, walk.steps);
    std::printf("| %-46s | %11s | %-24s %8d    | %6.2f x | %-10s |\n", what, shown,
                "the steps", walk.steps, walk.steps ? 1.0 * walk.shown / walk.steps : 0.0, "300 of 300");
    std::printf("| %-46s | %8.1f MB | %-24s %8.1f MB | %6.2f x | %-10s |\n", "  of it: the peak committed memory",
                walk.peakMb, "its decoded bytes", pictureMb, walk.peakMb / pictureMb, "");
    std::printf("| %-46s | %8.1f MB | %-24s %8.1f MB | %6.2f x | %-10s |\n", "  the largest free block at the end",
                walk.largestFreeMb, "its decoded bytes", pictureMb, walk.largestFreeMb / pictureMb, "");
    std::printf("| %-46s | %8.1f MB | %-24s %8.1f MB | %6.2f x | %-10s |\n", "  the same before the walk",
                walk.largestFreeAtStartMb, "its decoded bytes", pictureMb, walk.largestFreeAtStartMb / pictureMb, "");
}

}  // namespace zylora::bench
