#include "platform/win32/Win32Dialogs.h"

#include <commdlg.h>
#include <shellapi.h>

#include <utility>

#include "platform/win32/Win32LateImports.h"
#include "platform/win32/Win32Text.h"

namespace zylora::platform::win32 {

void ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, MessageIcon icon) {
    if (IsTableText(text)) {
        ShowTableBox(owner, text, caption, icon);
        return;
    }
    UINT style = MB_OK;
    if (icon == MessageIcon::Information) style |= MB_ICONINFORMATION;
    if (icon == MessageIcon::Error) style |= MB_ICONERROR;
    ::MessageBoxW(owner, WideFromUtf8(text).c_str(), WideFromUtf8(caption).c_str(), style);
}

std::optional<std::string> ChooseFileToOpenFrom(HWND owner, const std::string& filter) {
    // The dialog wants each description and pattern list ended by a zero, and one more
    // zero after the last.
    std::wstring filters = WideFromUtf8(filter);
    for (wchar_t& c : filters)
        if (c == L'|') c = L'\0';
    filters.append(2, L'\0');
    std::wstring file(32768, L'\0');  // long paths fit as well
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filters.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(file.size());
    // A name that isn't there is refused in the dialog, not opened as an empty picture; the
    // working directory stays what it was at start-up.
    dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_PATHMUSTEXIST |
                   OFN_FILEMUSTEXIST | OFN_NOCHANGEDIR;
    static auto* const open = LateFunction<decltype(::GetOpenFileNameW)>("comdlg32.dll", "GetOpenFileNameW");
    if (!open || !open(&dialog)) return std::nullopt;
    return Utf8FromWide(file.c_str());
}

bool AskYesNoBox(HWND owner, const std::string& text, const std::string& caption) {
    return ::MessageBoxW(owner, WideFromUtf8(text).c_str(), WideFromUtf8(caption).c_str(),
                         MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON1) == IDYES;
}

namespace {

thread_local HHOOK dialogRefusal = nullptr;

// Refuses every dialog box this thread would make: the only one the shell still shows with
// the flags below is its offer to delete for good what the bin won't take, and a refused
// dialog counts as No.
LRESULT CALLBACK RefuseDialogs(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND) {
        // The dialog class: its atom (0x8002) or its name.
        const LPCWSTR name = reinterpret_cast<CBT_CREATEWNDW*>(lParam)->lpcs->lpszClass;
        const bool dialog = IS_INTRESOURCE(name) ? LOWORD(reinterpret_cast<ULONG_PTR>(name)) == 0x8002
                                                 : name && ::lstrcmpW(name, L"#32770") == 0;
        if (dialog) return 1;
    }
    return ::CallNextHookEx(dialogRefusal, code, wParam, lParam);
}

}  // namespace

void ShellRecycle(HWND owner, const std::string& path) {
    // A list of names, each ended by a zero and the list by one more.
    std::wstring from = WideFromUtf8(path);
    if (from.empty()) return;
    from.append(2, L'\0');
    SHFILEOPSTRUCTW operation{};
    operation.hwnd = owner;
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.c_str();
    // Into the Recycle Bin without the shell's own questions (the viewer asked), but with its
    // warning before a delete for good, which the hook answers No unseen: without that
    // warning the shell deletes silently what the bin can't take.
    operation.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_WANTNUKEWARNING | FOF_SILENT | FOF_NOERRORUI;
    static auto* const operate = LateFunction<decltype(::SHFileOperationW)>("shell32.dll", "SHFileOperationW");
    if (!operate) return;
    dialogRefusal = ::SetWindowsHookExW(WH_CBT, &RefuseDialogs, nullptr, ::GetCurrentThreadId());
    // Without the hook the warning would be shown, and a Yes would destroy the file.
    if (!dialogRefusal) return;
    operate(&operation);
    ::UnhookWindowsHookEx(std::exchange(dialogRefusal, nullptr));
}

}  // namespace zylora::platform::win32
