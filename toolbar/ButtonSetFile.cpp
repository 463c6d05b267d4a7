#include "toolbar/ButtonSetFile.h"

#include <algorithm>

#include "platform/Dpi.h"

namespace zylora::toolbar {

namespace {

// More sections than any toolbar can show; a larger count in the file would only make the
// load spin through sections that aren't there.
constexpr int MaxButtons = 1024;

}  // namespace

ButtonSetValues ReadButtonSetFile(const platform::IniFile& file, int toolbarHeight) {
    ButtonSetValues values;
    const int count = std::clamp(file.ReadInteger("Main", "NumOfButtons", 0), 0, MaxButtons);
    values.ToolbarHeight = file.ReadInteger("Main", "ToolbarHeight", toolbarHeight);
    for (int n = 0; n < count; ++n) {
        ButtonValues b;
        b.Section = "Button-" + std::to_string(n);
        b.Action = file.ReadString(b.Section, "Action", "");
        b.X = file.ReadInteger(b.Section, "X", 0);
        b.Y = file.ReadInteger(b.Section, "Y", 0);
        b.Width = file.ReadInteger(b.Section, "Width", 32);
        b.Height = file.ReadInteger(b.Section, "Height", 32);
        b.NormalImage = file.ReadString(b.Section, "normalImage", "");
        b.MouseoverImage = file.ReadString(b.Section, "mouseoverImage", b.NormalImage);
        b.InactiveImage = file.ReadString(b.Section, "inactiveImage", b.NormalImage);
        b.SelectedImage = file.ReadString(b.Section, "selectedImage", b.NormalImage);
        values.Buttons.push_back(std::move(b));
    }
    return values;
}

ButtonSetValues ScaledForDpi(ButtonSetValues values, int dpi) {
    values.ToolbarHeight = platform::ScaledToDpi(values.ToolbarHeight, dpi);
    for (ButtonValues& b : values.Buttons)
        for (int* value : {&b.X, &b.Y, &b.Width, &b.Height}) *value = platform::ScaledToDpi(*value, dpi);
    return values;
}

}  // namespace zylora::toolbar
