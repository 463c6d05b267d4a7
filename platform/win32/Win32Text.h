// Conversions between the program's 8-bit strings (system code page) and UTF-16.
#pragma once

#include <string>

namespace zylora::platform::win32 {

std::wstring WideFromAnsi(const std::string& text);
std::string AnsiFromWide(const wchar_t* text);

}  // namespace zylora::platform::win32
