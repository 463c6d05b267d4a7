// The button set file's values: one reader for the viewer and the skin checker.
#pragma once

#include <string>
#include <vector>

#include "platform/Ini.h"

namespace zylora::toolbar {

constexpr const char* ButtonSetFile = "values.ini";
// The button set's own toolbar background; without one the skin's shows.
constexpr const char* ButtonSetBackground = "bg.bmp";

// One "Button-n" section. Image names are relative to the button set folder; the three
// state images fall back to the normal one's name.
struct ButtonValues {
    std::string Section;
    std::string Action;
    int X = 0;
    int Y = 0;
    int Width = 32;
    int Height = 32;
    std::string NormalImage;
    std::string MouseoverImage;
    std::string InactiveImage;
    std::string SelectedImage;
};

struct ButtonSetValues {
    int ToolbarHeight = 0;
    std::vector<ButtonValues> Buttons;  // in file order
};

// `toolbarHeight` is the toolbar's height now, which a file without one keeps.
ButtonSetValues ReadButtonSetFile(const platform::IniFile& file, int toolbarHeight);

// The toolbar's height and the buttons' rectangles in pixels at the screen's scale
// (platform/Dpi.h).
ButtonSetValues ScaledForDpi(ButtonSetValues values, int dpi);

}  // namespace zylora::toolbar
