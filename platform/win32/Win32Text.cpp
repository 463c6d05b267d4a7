#include "platform/win32/Win32Text.h"

#include "platform/win32/Win32Api.h"

#include <climits>

namespace zylora::platform::win32 {

namespace {

std::wstring ToWide(UINT codePage, const std::string& text) {
    if (text.empty() || text.size() > INT_MAX) return {};
    const int length = static_cast<int>(text.size());
    const int needed = ::MultiByteToWideChar(codePage, 0, text.data(), length, nullptr, 0);
    if (needed <= 0) return {};
    std::wstring wide(static_cast<std::size_t>(needed), L'\0');
    ::MultiByteToWideChar(codePage, 0, text.data(), length, wide.data(), needed);
    return wide;
}

// `lossless` (code pages other than UTF-8 only) tells whether every character was held.
std::string FromWide(UINT codePage, const std::wstring& wide, BOOL* usedDefault) {
    if (wide.empty() || wide.size() > INT_MAX) return {};
    const int length = static_cast<int>(wide.size());
    const DWORD flags = codePage == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
    const int needed = ::WideCharToMultiByte(codePage, flags, wide.data(), length, nullptr, 0, nullptr, usedDefault);
    if (needed <= 0) return {};
    std::string bytes(static_cast<std::size_t>(needed), '\0');
    ::WideCharToMultiByte(codePage, flags, wide.data(), length, bytes.data(), needed, nullptr, nullptr);
    return bytes;
}

}  // namespace

std::wstring WideFromUtf8(const std::string& text) { return ToWide(CP_UTF8, text); }

std::string Utf8FromWide(const wchar_t* text) { return text ? FromWide(CP_UTF8, text, nullptr) : std::string(); }

std::string Utf8FromCodePage(const std::string& bytes) { return FromWide(CP_UTF8, ToWide(CP_ACP, bytes), nullptr); }

std::optional<std::string> CodePageFromUtf8(const std::string& text) {
    BOOL usedDefault = FALSE;
    std::string bytes = FromWide(CP_ACP, ToWide(CP_UTF8, text), &usedDefault);
    if (usedDefault) return std::nullopt;
    return bytes;
}

}  // namespace zylora::platform::win32
