#include "skin/FrameWindow.h"

#include <utility>

#include "app/MainWindow.h"

namespace zylora::skin {

TFrameWindow::TFrameWindow(platform::Platform& platform, const std::string& className)
    : platform_(platform), window_(platform.CreateForm({className, /*layered=*/true})) {
    window_->SetEvents(this);
}

TFrameWindow::~TFrameWindow() {
    // The derived window is gone already: nothing may reach it while the form closes.
    static platform::WindowEvents quiet;
    window_->SetEvents(&quiet);
}

void TFrameWindow::KeyDown(int key, platform::ShiftState shift, bool repeat) {
    if (MainWindow) MainWindow->FormKeyDown(key, shift, repeat);
}

void TFrameWindow::Moved(platform::Point) {
    if (MainWindow) MainWindow->FrameMoved();
}

bool TFrameWindow::ShowLook(int width, int height, const std::string& look, std::uint8_t constantAlpha,
                            const std::function<void(platform::Surface&)>& draw,
                            std::optional<platform::Point> topLeft) {
    const platform::Rect now = window_->Bounds();
    std::string sized = std::to_string(width) + "x" + std::to_string(height) + " " + look;
    if (sized == shownLook_ && now.width == width && now.height == height) return false;
    shownLook_ = std::move(sized);
    for (const auto& [kept, surface] : kept_) {
        if (surface && kept == shownLook_) {
            window_->PresentLayered(*surface, constantAlpha, topLeft);
            return true;
        }
    }
    auto surface = platform_.CreateSurface(width, height);
    draw(*surface);
    window_->PresentLayered(*surface, constantAlpha, topLeft);
    kept_[1] = std::move(kept_[0]);
    kept_[0] = {shownLook_, std::move(surface)};
    return true;
}

void TFrameWindow::ForgetLook() {
    shownLook_.clear();
    for (auto& [look, surface] : kept_) {
        look.clear();
        surface.reset();
    }
}

bool TFrameWindow::ActiveLook() const { return MainWindow == nullptr || MainWindow->Active; }

}  // namespace zylora::skin
