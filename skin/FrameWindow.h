// What the four frame windows around the main window have in common: a borderless layered
// top-level form, the back reference to the main window, and rendering at a size.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace zylora::app {
class TfrmMiddle;
}

namespace zylora::skin {

struct SkinValues;

class TFrameWindow : public platform::WindowEvents {
public:
    TFrameWindow(platform::Platform& platform, const std::string& className);
    ~TFrameWindow() override;
    TFrameWindow(const TFrameWindow&) = delete;
    TFrameWindow& operator=(const TFrameWindow&) = delete;

    platform::Window& Form() { return *window_; }
    const platform::Window& Form() const { return *window_; }

    // Renders the window at the size for the current state and presents it; the window
    // takes that size and keeps its top-left corner.
    void RenderAt(int width, int height) { Render(width, height, std::nullopt); }
    // The same, the window's corner going to the rectangle's with the presentation: a frame
    // placed anew, moved and sized in one step of the window system (a resize drag's step).
    void RenderInto(platform::Rect placed) { Render(placed.width, placed.height, platform::Point{placed.left, placed.top}); }
    // Takes this window's own group of the skin file's values.
    virtual void ReadSkinValues(const SkinValues& values) = 0;
    // The paths of the skin images the window's present look draws.
    virtual std::vector<std::string> LookImages() const = 0;

    // Keyboard commands work wherever the keyboard is: they belong to the main window.
    void KeyDown(int key, platform::ShiftState shift, bool repeat) override;
    // A window manager may move a frame window on its own: the main window sees to the frame.
    void Moved(platform::Point topLeft) override;

    // Empty until the main window links itself, right after all four frames exist.
    app::TfrmMiddle* MainWindow = nullptr;

protected:
    virtual void Render(int width, int height, std::optional<platform::Point> topLeft) = 0;
    // True while the frame is to show its active look; also before the main window links.
    bool ActiveLook() const;
    // Presents the look (what `draw` draws on a surface of the size) with the constant
    // alpha, unless the window shows it at that size already: a render of what is on screen
    // would cost a frame's drawing and a presentation for nothing. The last two looks drawn
    // are kept, and one that comes back is presented without being drawn again: an
    // activation change shows two looks in turn at the same size. False when nothing was
    // presented. A window given a corner with a look it shows already is not moved here.
    bool ShowLook(int width, int height, const std::string& look, std::uint8_t constantAlpha,
                  const std::function<void(platform::Surface&)>& draw, std::optional<platform::Point> topLeft);
    // The next render draws and presents whatever it is (another skin).
    void ForgetLook();
    platform::Platform& platform_;
    std::unique_ptr<platform::Window> window_;

private:
    std::string shownLook_;
    // The last two looks drawn, the newer first.
    std::array<std::pair<std::string, std::unique_ptr<platform::Surface>>, 2> kept_;
};

}  // namespace zylora::skin
