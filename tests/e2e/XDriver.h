// Drives the program from outside, as a person would: reads the X server's windows
// and pixels and sends pointer and key input through XTest. Native Linux code; it
// never includes anything of the program.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

struct _XDisplay;  // Xlib's Display, kept out of this header

namespace zylora::e2e {

using namespace std::chrono_literals;

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};
std::ostream& operator<<(std::ostream& out, const Rgb& c);

struct RgbImage {
    int width = 0, height = 0;
    std::vector<Rgb> pixels;  // row by row, top-down
    Rgb At(int x, int y) const { return pixels.at(static_cast<std::size_t>(y) * width + x); }
};

// A child of the root window. Geometry is the inside of the X window in root
// coordinates, which under Wine without a window manager is the Win32 window rect.
struct TopLevelWindow {
    unsigned long id = 0;
    std::string name;  // WM_NAME, as UTF-8
    bool mapped = false;  // IsViewable
    bool overrideRedirect = false;
    int x = 0, y = 0, width = 0, height = 0;
};
std::ostream& operator<<(std::ostream& out, const TopLevelWindow& w);

// Polls `done` until it holds or `timeout` passes; true when it held.
bool PollUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout,
               std::chrono::milliseconds interval = 20ms);

class XDriver {
public:
    // Connects to $DISPLAY; throws std::runtime_error when there is none or XTest is missing.
    XDriver();
    ~XDriver();
    XDriver(const XDriver&) = delete;
    XDriver& operator=(const XDriver&) = delete;

    int ScreenWidth() const;
    int ScreenHeight() const;

    // All children of the root, override-redirect ones included, bottom to top.
    std::vector<TopLevelWindow> TopLevelWindows() const;
    // The topmost mapped window with exactly this name, now.
    std::optional<TopLevelWindow> FindMappedWindow(const std::string& name) const;
    std::optional<TopLevelWindow> WaitForMappedWindow(const std::string& name,
                                                      std::chrono::milliseconds timeout = 30s) const;
    // True once no mapped window has this name.
    bool WaitForNoMappedWindow(const std::string& name, std::chrono::milliseconds timeout = 30s) const;

    void MovePointer(int x, int y);
    void PressButton(int button = 1);
    void ReleaseButton(int button = 1);
    void Click(int x, int y, int button = 1);
    // Positive notches turn the wheel away from the user (X button 4), negative towards (5).
    void Wheel(int notches);

    // Gives the window the keyboard focus the way a window manager would.
    void Focus(const TopLevelWindow& window);
    // Presses and releases a chord such as "ctrl+w", "alt+F4", "shift+Left" or "Escape":
    // modifiers in order, then the key, released in reverse order.
    void KeyChord(const std::string& chord);
    // Types printable ASCII text as a US keyboard gives it, shift where the character wants.
    void TypeText(const std::string& text);

    Rgb Pixel(int x, int y) const;
    // A region of the screen as shown (the root with everything mapped on it).
    RgbImage Capture(int x, int y, int width, int height) const;

private:
    _XDisplay* display_ = nullptr;
    unsigned long root_ = 0;
};

}  // namespace zylora::e2e
