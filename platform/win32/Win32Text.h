// Conversions between the program's strings (UTF-8), the system's UTF-16 and its 8-bit code
// page (the bytes of text files written for it).
#pragma once

#include <optional>
#include <string>

namespace zylora::platform::win32 {

std::wstring WideFromUtf8(const std::string& text);
std::string Utf8FromWide(const wchar_t* text);

// The code page's bytes as UTF-8, and back; back gives nothing when the code page can't
// hold every character.
std::string Utf8FromCodePage(const std::string& bytes);
std::optional<std::string> CodePageFromUtf8(const std::string& text);

}  // namespace zylora::platform::win32
