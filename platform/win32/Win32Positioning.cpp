#include "platform/win32/Win32Positioning.h"

#include <algorithm>

#include "platform/win32/Win32Geometry.h"
#include "platform/win32/Win32Window.h"

namespace zylora::platform::win32 {

namespace {

struct Entry {
    HWND hwnd = nullptr;
    Rect bounds;
    UINT flags = 0;
};

// The entries are kept and handed to the window system at Commit: a dropped batch must
// apply nothing, and EndDeferWindowPos (the only way to free the HDWP) would apply it.
class Win32PositionBatch : public PositionBatch {
public:
    explicit Win32PositionBatch(int windowCount) : expected_(std::clamp(windowCount, 1, 64)) {
        entries_.reserve(static_cast<std::size_t>(expected_));
    }

    void Add(Window& window, Rect bounds, unsigned flags) override {
        const auto* own = dynamic_cast<Win32Window*>(&window);
        if (!own || !own->Handle()) return;
        entries_.push_back({own->Handle(), ClampRect(bounds), SetWindowPosFlags(flags)});
    }

    void Commit() override {
        std::vector<Entry> entries = std::move(entries_);
        entries_.clear();
        if (entries.empty()) return;
        // A window that keeps its size is only moved: given its size again, Wine handles it
        // as resized (a title drag's step took twice as long).
        for (Entry& e : entries) {
            RECT now{};
            if (!(e.flags & SWP_NOSIZE) && ::GetWindowRect(e.hwnd, &now) && now.right - now.left == e.bounds.width &&
                now.bottom - now.top == e.bounds.height)
                e.flags |= SWP_NOSIZE;
        }
        HDWP defer = ::BeginDeferWindowPos(std::max(expected_, static_cast<int>(entries.size())));
        for (const Entry& e : entries) {
            if (!defer) break;
            defer = ::DeferWindowPos(defer, e.hwnd, nullptr, e.bounds.left, e.bounds.top,
                                     e.bounds.width, e.bounds.height, e.flags);
        }
        if (defer && ::EndDeferWindowPos(defer)) return;
        // A failed DeferWindowPos has freed the whole batch (a window died meanwhile, or no
        // memory): place each window on its own rather than not at all.
        for (const Entry& e : entries)
            ::SetWindowPos(e.hwnd, nullptr, e.bounds.left, e.bounds.top, e.bounds.width,
                           e.bounds.height, e.flags);
    }

private:
    int expected_;
    std::vector<Entry> entries_;
};

}  // namespace

UINT SetWindowPosFlags(unsigned positionFlags) {
    UINT flags = SWP_NOACTIVATE;
    if (positionFlags & KeepZOrder) flags |= SWP_NOZORDER;
    if (positionFlags & platform::ShowWindow) flags |= SWP_SHOWWINDOW;
    if (positionFlags & HideWindow) flags |= SWP_HIDEWINDOW;
    if (positionFlags & NoMove) flags |= SWP_NOMOVE;
    if (positionFlags & NoSize) flags |= SWP_NOSIZE;
    if (positionFlags & KeepOwnerZOrder) flags |= SWP_NOOWNERZORDER;
    return flags;
}

std::unique_ptr<PositionBatch> NewPositionBatch(int windowCount) {
    return std::make_unique<Win32PositionBatch>(windowCount);
}

}  // namespace zylora::platform::win32
