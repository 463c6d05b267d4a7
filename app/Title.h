// The main window's text, which the title window draws and the taskbar shows: the picture's
// name and the skin's own text, or the skin's layout of the picture's facts.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zylora::app {

struct TitleFields {
    std::string name;  // the picture's file name
    std::string text;  // the skin's Text
    int index = 0;     // the picture's place in its folder, from 1; 0 while unknown
    int count = 0;     // the pictures of the folder; 0 while unknown
    int width = 0, height = 0;  // as shown (turned, cropped); 0 for none
    int zoom = 0;               // screen pixels per hundred picture pixels; 0 for none
};

// The layout a skin gets without one of its own.
inline constexpr std::string_view DefaultTitleFormat = "{name} - {text}";

// The names a layout may put in braces.
const std::vector<std::string>& TitleFieldNames();

// The layout with each known field in braces replaced by its value, once: a value holding
// braces (a file named "{zoom}.png") stays as it is. A field without a value yet gives
// nothing; braces around no known field stay as written.
std::string FormatTitle(std::string_view format, const TitleFields& fields);

// The layouts' fields in braces that name no field, in their order.
std::vector<std::string> UnknownTitleFields(std::string_view format);

}  // namespace zylora::app
