// What the end-to-end tests of a skinned window share: skin images made with ImageMagick,
// the program's windows found on the X server, screenshot probes, and the close by Ctrl+W.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "tests/e2e/Launcher.h"
#include "tests/e2e/XDriver.h"

namespace zylora::e2e {

// Runs ImageMagick's convert with these arguments; throws when it fails.
void Convert(const std::vector<std::string>& args);

// "#RRGGBB", as ImageMagick reads a colour.
std::string Hex(Rgb c);

// A colour expected at a point of the screen.
struct Probe {
    std::string what;
    int x = 0, y = 0;  // root coordinates
    Rgb expected;
};

// The value of a key of an INI file's bytes, or nullopt when it is not there.
std::optional<std::string> IniValue(const std::string& bytes, const std::string& section,
                                    const std::string& key);

// The colours of the four-quarter test pictures.
constexpr Rgb kRed{255, 0, 0}, kLime{0, 255, 0}, kBlue{0, 0, 255}, kYellow{255, 255, 0};

// One button of a button set as its values.ini places it.
struct ToolbarButton {
    int x = 0, y = 0, width = 0, height = 0;
    std::string normal, mouseover;  // image file names
};

struct ButtonSetLayout {
    int toolbarHeight = 0;
    std::map<std::string, ToolbarButton> buttons;  // by action word
};

class SkinnedAppTest : public ::testing::Test {
protected:
    explicit SkinnedAppTest(Launcher::Contents contents = Launcher::Contents::Dist) : app_(contents) {}
    void SetUp() override;
    void TearDown() override;

    // An opaque image of one colour, written under the program's folder.
    void SolidPng(const std::filesystem::path& relative, int width, int height, Rgb colour) const;
    // An opaque image of two colours: `first` in the left half (top half when `stacked`),
    // `second` in the rest.
    void TwoPartPng(const std::filesystem::path& relative, int width, int height, Rgb first, Rgb second,
                    bool stacked) const;

    // A picture in four quarters meeting at (splitX, splitY): red top left, lime top right,
    // blue bottom left, yellow bottom right.
    void QuartersPng(const std::filesystem::path& relative, int width, int height, int splitX, int splitY) const;
    // A skin `Skins/<name>` of bare frame sizes (sides 10, top 30, bottom 10), no images
    // (nothing covers the view's corners), a dark grey view and the caption; zylora.ini
    // starts the window at (x, y) with it. The main window's caption is the skin's text alone,
    // unless `titleNamesPicture` (then "name - caption" while a picture is open).
    void UseBareSkin(const std::string& name, const std::string& caption, int x, int y,
                     bool titleNamesPicture = false) const;
    // The button set file of a folder of the program's folder; fails the test when it's not there.
    ButtonSetLayout ReadButtonSet(const std::string& folder) const;
    // The main window's least width with the button set: as far as its buttons reach.
    int NarrowestWindow(const std::string& folder = "Buttons/Default") const;

    // The pixels of an image file of the program's folder, transparency over `background`.
    RgbImage ReadPicture(const std::filesystem::path& relative, const std::string& background = "black") const;

    // The window named `caption` once it is mapped and `settled` holds for it, or as last
    // seen: it may be shown first and placed after, and what counts is where it settles.
    std::optional<TopLevelWindow> WaitForMainWindow(
        const std::string& caption, const std::function<bool(const TopLevelWindow&)>& settled);
    // Waits for the window named `caption` to settle at exactly this rectangle and checks it
    // is there; `after` says what should have put it there.
    std::optional<TopLevelWindow> ExpectWindowAt(const std::string& caption, int x, int y, int width,
                                                 int height, const std::string& after);
    // The topmost mapped window whose X geometry is exactly this rectangle, now.
    std::optional<TopLevelWindow> MappedWindowAt(int x, int y, int width, int height) const;
    // The window with this X id, now, if it still exists.
    std::optional<TopLevelWindow> WindowById(unsigned long id) const;

    // Captures `area` until every probe shows its colour or `timeout` passes (a frame may be
    // mapped before it is drawn), then checks each probe on the last capture. The capture is
    // kept as `name`.ppm in $ZYLORA_E2E_SCREENSHOTS when that is set.
    void ExpectColours(const std::string& name, int x, int y, int width, int height,
                       const std::vector<Probe>& probes, std::chrono::milliseconds timeout = 20s);

    // Closes the program as a person would, and waits for it to be gone.
    void CloseWithCtrlW(const TopLevelWindow& window);

    Launcher app_;
    XDriver x_;
};

}  // namespace zylora::e2e
