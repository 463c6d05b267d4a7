// A message box of two columns, for a text of "left<TAB>right" lines (the key list): the
// system's message box sets no tab stops (Wine's shows a tab as nothing at all), so its
// columns would run together. Two static texts side by side in the system's message font,
// each as wide as its longest line, keep the lines level and the columns apart.
#include "platform/win32/Win32Dialogs.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "platform/win32/Win32Text.h"

namespace zylora::platform::win32 {

namespace {

struct Table {
    std::wstring left, right;  // the columns' lines, each column one text
    std::wstring caption;
    LPCWSTR icon;
    HFONT font = nullptr;
};

// An empty dialog: the controls are made and placed once the message font is measured.
// Without DS_SETFONT the template names no font; the window's size comes later.
struct alignas(4) EmptyDialog {
    DLGTEMPLATE dialog;
    WORD menu = 0, windowClass = 0, title = 0;
};

SIZE TextSize(HDC dc, const std::wstring& text) {
    RECT r{0, 0, 0, 0};
    ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, DT_CALCRECT | DT_NOPREFIX | DT_LEFT);
    return {r.right - r.left, r.bottom - r.top};
}

HWND Control(HWND dialog, LPCWSTR windowClass, LPCWSTR text, DWORD style, int id, RECT at, HFONT font) {
    HWND control = ::CreateWindowExW(0, windowClass, text, WS_CHILD | WS_VISIBLE | style, at.left, at.top,
                                     at.right - at.left, at.bottom - at.top, dialog,
                                     reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
    if (control && font) ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return control;
}

// Lays the dialog out in pixels of the message font: the icon, the two columns a few
// characters apart, OK at the lower right; centred over the owner and kept on its screen.
void Build(HWND dialog, Table& table) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
        table.font = ::CreateFontIndirectW(&metrics.lfMessageFont);
    HFONT font = table.font ? table.font : static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    SIZE left{}, right{};
    TEXTMETRICW text{};
    if (HDC dc = ::GetDC(dialog)) {
        const HGDIOBJ old = ::SelectObject(dc, font);
        left = TextSize(dc, table.left);
        right = TextSize(dc, table.right);
        ::GetTextMetricsW(dc, &text);
        ::SelectObject(dc, old);
        ::ReleaseDC(dialog, dc);
    }
    const int margin = text.tmHeight, gap = 3 * text.tmAveCharWidth;
    const int iconSide = table.icon ? ::GetSystemMetrics(SM_CXICON) : 0;
    const int textLeft = margin + (iconSide ? iconSide + margin : 0);
    // One pixel more than measured: a static text wraps a line that only just fits.
    const int rightLeft = textLeft + static_cast<int>(left.cx) + 1 + gap;
    const int textBottom = margin + std::max(static_cast<int>(left.cy), iconSide);
    const int buttonWidth = 12 * text.tmAveCharWidth, buttonHeight = text.tmHeight * 7 / 4;
    const int width = std::max(rightLeft + static_cast<int>(right.cx) + 1 + margin, buttonWidth + 2 * margin);
    const int height = textBottom + margin + buttonHeight + margin;

    if (table.icon)
        if (HWND icon = Control(dialog, L"STATIC", nullptr, SS_ICON, -1,
                                {margin, margin, margin + iconSide, margin + iconSide}, nullptr))
            ::SendMessageW(icon, STM_SETICON, reinterpret_cast<WPARAM>(::LoadIconW(nullptr, table.icon)), 0);
    const DWORD textStyle = SS_LEFTNOWORDWRAP | SS_NOPREFIX;
    Control(dialog, L"STATIC", table.left.c_str(), textStyle, -1,
            {textLeft, margin, textLeft + left.cx + 1, margin + left.cy}, font);
    Control(dialog, L"STATIC", table.right.c_str(), textStyle, -1,
            {rightLeft, margin, rightLeft + right.cx + 1, margin + right.cy}, font);
    HWND ok = Control(dialog, L"BUTTON", L"OK", BS_DEFPUSHBUTTON | WS_TABSTOP, IDOK,
                      {width - margin - buttonWidth, textBottom + margin, width - margin,
                       textBottom + margin + buttonHeight},
                      font);
    ::SetWindowTextW(dialog, table.caption.c_str());

    const auto style = static_cast<DWORD>(::GetWindowLongPtrW(dialog, GWL_STYLE));
    const auto exStyle = static_cast<DWORD>(::GetWindowLongPtrW(dialog, GWL_EXSTYLE));
    RECT outer{0, 0, width, height};
    ::AdjustWindowRectEx(&outer, style, FALSE, exStyle);
    const int outerWidth = outer.right - outer.left, outerHeight = outer.bottom - outer.top;
    HWND owner = ::GetWindow(dialog, GW_OWNER);
    RECT over{};
    if (!owner || !::GetWindowRect(owner, &over)) over = {0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    MONITORINFO screen{};
    screen.cbSize = sizeof screen;
    ::GetMonitorInfoW(::MonitorFromRect(&over, MONITOR_DEFAULTTONEAREST), &screen);
    const RECT& work = screen.rcWork;
    const int x = std::clamp<int>((over.left + over.right - outerWidth) / 2, work.left,
                                  std::max<int>(work.left, work.right - outerWidth));
    const int y = std::clamp<int>((over.top + over.bottom - outerHeight) / 2, work.top,
                                  std::max<int>(work.top, work.bottom - outerHeight));
    ::SetWindowPos(dialog, nullptr, x, y, outerWidth, outerHeight, SWP_NOZORDER | SWP_NOACTIVATE);
    if (ok) ::SetFocus(ok);
}

INT_PTR CALLBACK TableProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        Build(dialog, *reinterpret_cast<Table*>(lParam));
        return FALSE;  // the focus is set
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            ::EndDialog(dialog, LOWORD(wParam));
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

}  // namespace

bool IsTableText(const std::string& text) {
    if (text.empty()) return false;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        if (end > start && text.find('\t', start) >= end) return false;
        start = end + 1;
    }
    return text.find('\t') != std::string::npos;
}

void ShowTableBox(HWND owner, const std::string& text, const std::string& caption, MessageIcon icon) {
    Table table;
    table.caption = WideFromUtf8(caption);
    table.icon = icon == MessageIcon::Information ? MAKEINTRESOURCEW(32516)   // IDI_INFORMATION
                 : icon == MessageIcon::Error     ? MAKEINTRESOURCEW(32513)   // IDI_ERROR
                                                  : nullptr;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        const std::string line = text.substr(start, end - start);
        const std::size_t tab = line.find('\t');
        if (!table.left.empty()) {
            table.left += L"\r\n";
            table.right += L"\r\n";
        }
        table.left += WideFromUtf8(line.substr(0, tab));
        if (tab != std::string::npos) table.right += WideFromUtf8(line.substr(tab + 1));
        start = end + 1;
    }
    EmptyDialog empty{};
    empty.dialog.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    ::DialogBoxIndirectParamW(::GetModuleHandleW(nullptr), &empty.dialog, owner, &TableProc,
                              reinterpret_cast<LPARAM>(&table));
    if (table.font) ::DeleteObject(table.font);
}

}  // namespace zylora::platform::win32
