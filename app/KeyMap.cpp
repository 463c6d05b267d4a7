#include "app/KeyMap.h"

#include <algorithm>
#include <iterator>
#include <vector>

namespace zylora::app {

namespace {

namespace keys = platform::keys;

constexpr platform::ShiftState None{};
constexpr platform::ShiftState Shift{true, false, false};
constexpr platform::ShiftState Ctrl{false, true, false};
constexpr platform::ShiftState CtrlShift{true, true, false};

constexpr KeyBinding Bindings[] = {
    {keys::Right, None, "Right", "next"},
    {keys::PageDown, None, "Page Down", "next"},
    {keys::Space, None, "Space", "next"},
    {keys::Left, None, "Left", "prev"},
    {keys::PageUp, None, "Page Up", "prev"},
    {keys::Backspace, None, "Backspace", "prev"},
    {keys::Home, None, "Home", "first"},
    {keys::End, None, "End", "last"},
    {keys::Plus, Shift, "+", "zoomin"},
    {keys::Plus, None, "=", "zoomin"},
    {keys::NumpadAdd, None, "Numpad +", "zoomin"},
    {keys::Minus, None, "-", "zoomout"},
    {keys::NumpadSubtract, None, "Numpad -", "zoomout"},
    {keys::Digit0, None, "0", "zoomactual"},
    {keys::Numpad0, None, "Numpad 0", "zoomactual"},
    {keys::NumpadMultiply, None, "*", "zoomactual"},
    {keys::Digit8, Shift, "Shift+8", "zoomactual"},  // "*" on US keyboards
    {keys::Up, None, "Up", "panup"},
    {keys::Down, None, "Down", "pandown"},
    {keys::Left, Shift, "Shift+Left", "panleft"},
    {keys::Right, Shift, "Shift+Right", "panright"},
    {keys::R, None, "R", "rotate90right"},
    {keys::L, None, "L", "rotate90left"},
    {keys::H, None, "H", "mirrorx"},
    {keys::V, None, "V", "mirrory"},
    {keys::M, None, "M", "movemode"},
    {keys::S, None, "S", "selectmode"},
    {keys::O, Ctrl, "Ctrl+O", "open"},
    {keys::PageDown, Ctrl, "Ctrl+Page Down", "nextpage"},
    {keys::PageUp, Ctrl, "Ctrl+Page Up", "prevpage"},
    {keys::P, None, "P", "pause"},
    {keys::Period, None, ".", "nextframe"},
    {keys::Comma, None, ",", "prevframe"},
    {keys::Delete, None, "Delete", "delete"},
    {keys::Escape, None, "Escape", "cancel"},
    {keys::I, None, "I", "facts"},
    {keys::C, Ctrl, "Ctrl+C", "copy"},
    {keys::C, CtrlShift, "Ctrl+Shift+C", "copypath"},
    {keys::Digit1, Ctrl, "Ctrl+1", "sortname"},
    {keys::Digit2, Ctrl, "Ctrl+2", "sortmodified"},
    {keys::Digit3, Ctrl, "Ctrl+3", "sorttaken"},
    {keys::Digit4, Ctrl, "Ctrl+4", "sortsize"},
    {keys::Digit0, Ctrl, "Ctrl+0", "sortreverse"},
    {keys::F1, None, "F1", "keys"},
    {keys::M, Ctrl, "Ctrl+M", "minimize"},
    {keys::H, Ctrl, "Ctrl+H", "minimize"},
    {keys::W, Ctrl, "Ctrl+W", "close"},
    {keys::Q, Ctrl, "Ctrl+Q", "terminate"},
    {keys::BackQuote, Ctrl, "Ctrl+`", "switch"},
    {keys::F5, None, "F5", "slideshow"},
    {keys::F11, None, "F11", "fullscreen"},
    {keys::Plus, CtrlShift, "Ctrl++", "slidelonger"},
    {keys::Plus, Ctrl, "Ctrl+=", "slidelonger"},
    {keys::NumpadAdd, Ctrl, "Ctrl+Numpad +", "slidelonger"},
    {keys::Minus, Ctrl, "Ctrl+-", "slideshorter"},
    {keys::NumpadSubtract, Ctrl, "Ctrl+Numpad -", "slideshorter"},
};

struct Description {
    const char* command;
    const char* text;
};

constexpr Description Descriptions[] = {
    {"next", "next picture of the folder"},
    {"prev", "previous picture of the folder"},
    {"first", "first picture of the folder"},
    {"last", "last picture of the folder"},
    {"zoomin", "zoom in"},
    {"zoomout", "zoom out"},
    {"zoomactual", "actual size"},
    {"panup", "move the view up"},
    {"pandown", "move the view down"},
    {"panleft", "move the view left"},
    {"panright", "move the view right"},
    {"rotate90right", "turn right"},
    {"rotate90left", "turn left"},
    {"mirrorx", "mirror left to right"},
    {"mirrory", "mirror top to bottom"},
    {"movemode", "move mode"},
    {"selectmode", "select mode (drag to crop)"},
    {"open", "open a picture"},
    {"nextpage", "next page of a TIFF of several, or frame of an animation"},
    {"prevpage", "previous page of a TIFF of several, or frame of an animation"},
    {"pause", "pause or play an animation"},
    {"nextframe", "next frame of a paused animation"},
    {"prevframe", "previous frame of a paused animation"},
    {"delete", "move the picture to the Recycle Bin"},
    {"cancel", "cancel a drag, leave full screen"},
    {"facts", "show or hide the picture's facts"},
    {"copy", "copy the picture as shown"},
    {"copypath", "copy the picture's path"},
    {"sortname", "step the folder by name"},
    {"sortmodified", "step the folder by date modified"},
    {"sorttaken", "step the folder by date taken"},
    {"sortsize", "step the folder by file size"},
    {"sortreverse", "reverse the folder's order"},
    {"keys", "this list"},
    {"minimize", "minimise"},
    {"close", "close (the settings are kept)"},
    {"terminate", "end the program"},
    {"switch", "switch to another Zylora"},
    {"slideshow", "start or stop the slideshow through the folder"},
    {"fullscreen", "full screen, or back (also a double click on the picture)"},
    {"slidelonger", "a second more for each picture of the slideshow"},
    {"slideshorter", "a second less for each picture of the slideshow"},
};

}  // namespace

std::span<const KeyBinding> KeyBindings() { return Bindings; }

const KeyBinding* BindingOf(int key, platform::ShiftState shift) {
    const auto* found = std::find_if(std::begin(Bindings), std::end(Bindings),
                                     [&](const KeyBinding& b) { return b.key == key && b.shift == shift; });
    return found == std::end(Bindings) ? nullptr : found;
}

std::string CommandDescription(const std::string& command) {
    for (const Description& d : Descriptions)
        if (command == d.command) return d.text;
    return command;
}

std::string KeyListText() {
    std::vector<std::string> order;
    for (const KeyBinding& b : Bindings)
        if (std::find(order.begin(), order.end(), b.command) == order.end()) order.push_back(b.command);
    std::string text;
    for (const std::string& command : order) {
        std::string names;
        for (const KeyBinding& b : Bindings) {
            if (command != b.command) continue;
            if (!names.empty()) names += ", ";
            names += b.keyName;
        }
        text += names + "\t" + CommandDescription(command) + "\n";
    }
    return text;
}

}  // namespace zylora::app
