#include "toolbar/ToolbarProc.h"

#include "app/MainWindow.h"
#include "toolbar/ToolbarInput.h"
#include "toolbar/ZylButton.h"

namespace zylora::toolbar {

const platform::Image& BackgroundCache(app::TfrmMiddle& owner) {
    const platform::Rect bar = owner.Toolbar->Bounds();
    auto& cache = owner.ToolbarBackgroundCache;
    if (cache && cache->Width() == bar.width && cache->Height() == bar.height) return *cache;
    cache.reset();
    auto rendered = owner.Platform().CreateSurface(bar.width, bar.height);
    rendered->Clear(platform::MakeArgb(255, 0xC0, 0xC0, 0xC0));
    // One copy of the background spans the toolbar's width and repeats downwards. Without a
    // background image there is nothing to scale by: the silver alone shows.
    const platform::Image* background = owner.ToolbarBackground.get();
    if (background && background->Width() > 0) {
        const float scaleX = static_cast<float>(bar.width) / static_cast<float>(background->Width());
        rendered->FillTexture(*background, scaleX, 1.0f,
                              {0, 0, static_cast<float>(bar.width), static_cast<float>(bar.height)});
    }
    cache = std::move(rendered);
    return *cache;
}

bool ToolbarProc::Paint(platform::ScreenTarget& screen) {
    const platform::Rect bar = owner_.Toolbar->Bounds();
    auto surface = owner_.Platform().CreateSurface(bar.width, bar.height);
    const platform::Image& cache = BackgroundCache(owner_);
    const platform::RectF whole{0, 0, static_cast<float>(cache.Width()), static_cast<float>(cache.Height())};
    surface->DrawImageRect(cache, whole, whole);  // unscaled: a plain copy of the rows
    for (const auto& button : owner_.ButtonList)
        button->PaintInto(*surface, {button->X, button->Y, button->Width, button->Height});
    screen.DrawSurface(*surface, {0, 0});
    return true;
}

void ToolbarProc::Resized(platform::Size now) {
    owner_.Toolbar->Invalidate();
    EventChain::Resized(now);
}

void ToolbarProc::MouseLeave() { owner_.ToolbarEvents().ToolbarMouseLeave(); }

}  // namespace zylora::toolbar
