#include "toolbar/ToolbarProc.h"

#include "app/MainWindow.h"
#include "toolbar/ZylButton.h"

namespace zylora::toolbar {

const platform::Image& ToolbarProc::BackgroundCache() {
    const platform::Rect bar = owner_.Toolbar->Bounds();
    auto& cache = owner_.ToolbarBackgroundCache;
    if (cache && cache->Width() == bar.width && cache->Height() == bar.height) return *cache;
    cache.reset();
    auto rendered = owner_.Platform().CreateSurface(bar.width, bar.height);
    // One copy of the background spans the toolbar's width and repeats downwards. Without a
    // background image there is nothing to scale by: the cache stays transparent.
    const platform::Image* background = owner_.ToolbarBackground.get();
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
    // The panel's own silver under everything, where a background image leaves gaps.
    surface->Clear(platform::MakeArgb(255, 0xC0, 0xC0, 0xC0));
    const platform::Image& cache = BackgroundCache();
    surface->DrawImage(cache, {0, 0, cache.Width(), cache.Height()});
    for (const auto& button : owner_.ButtonList)
        button->PaintInto(*surface, {button->X, button->Y, button->Width, button->Height});
    screen.DrawSurface(*surface, {0, 0});
    return true;
}

}  // namespace zylora::toolbar
