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

bool TFrameWindow::AlreadyShows(int width, int height, const std::string& look) {
    const platform::Rect now = window_->Bounds();
    std::string sized = std::to_string(width) + "x" + std::to_string(height) + " " + look;
    if (sized == shownLook_ && now.width == width && now.height == height) return true;
    shownLook_ = std::move(sized);
    return false;
}

bool TFrameWindow::ActiveLook() const { return MainWindow == nullptr || MainWindow->Active; }

}  // namespace zylora::skin
