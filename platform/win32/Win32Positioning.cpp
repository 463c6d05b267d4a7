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
        // as resized (a title drag's step took twice as long). One that keeps its place too,
        // its order and its visibility, is left out: Wine handles every window of a batch at
        // a cost (a corner drag's title and left frame, sized by their presentations, stand
        // where they stood).
        for (Entry& e : entries) {
            RECT now{};
            if (!::GetWindowRect(e.hwnd, &now)) continue;
            // As SetWindowPos takes it: a child's place in its parent's client area.
            if (::GetWindowLongA(e.hwnd, GWL_STYLE) & WS_CHILD)
                ::MapWindowPoints(nullptr, ::GetAncestor(e.hwnd, GA_PARENT), reinterpret_cast<POINT*>(&now), 2);
            if (now.right - now.left == e.bounds.width && now.bottom - now.top == e.bounds.height)
                e.flags |= SWP_NOSIZE;
            if (now.left == e.bounds.left && now.top == e.bounds.top) e.flags |= SWP_NOMOVE;
        }
        const UINT unchanged = SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER;
        entries.erase(std::remove_if(entries.begin(), entries.end(),
                                     [&](const Entry& e) {
                                         return (e.flags & unchanged) == unchanged &&
                                                !(e.flags & (SWP_SHOWWINDOW | SWP_HIDEWINDOW));
                                     }),
                      entries.end());
        if (entries.empty()) return;
        const OwnPositioning own;
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
