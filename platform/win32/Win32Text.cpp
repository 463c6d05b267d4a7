#include "platform/win32/Win32Text.h"

#include "platform/win32/Win32Api.h"

#include <climits>

namespace zylora::platform::win32 {

std::wstring WideFromAnsi(const std::string& text) {
    if (text.empty() || text.size() > INT_MAX) return {};
    const int length = static_cast<int>(text.size());
    const int needed = ::MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
    if (needed <= 0) return {};
    std::wstring wide(static_cast<std::size_t>(needed), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text.data(), length, wide.data(), needed);
    return wide;
}

std::string AnsiFromWide(const wchar_t* text) {
    if (!text || !*text) return {};
    // -1: the length includes the terminating zero, which the result then drops.
    const int needed = ::WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (needed <= 1) return {};
    std::string ansi(static_cast<std::size_t>(needed), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, text, -1, ansi.data(), needed, nullptr, nullptr);
    ansi.resize(static_cast<std::size_t>(needed - 1));
    return ansi;
}

}  // namespace zylora::platform::win32
