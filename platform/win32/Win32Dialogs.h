// The system's own dialogs the viewer uses: the message box, the open dialog and the shell's
// move into the Recycle Bin, each owned by a window of the program. Internal to
// platform/win32.
#pragma once

#include "platform/win32/Win32Api.h"

#include <optional>
#include <string>

#include "platform/Platform.h"

namespace zylora::platform::win32 {

// A text each of whose lines holds a tab is shown by ShowTableBox.
void ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, MessageIcon icon);
// Each of the text's lines holds a tab (empty lines aside).
bool IsTableText(const std::string& text);
// The message box for such a text: what stands before each line's tab in one column, the
// rest in a second, level with it, in the system's message font; OK, Enter or Escape close it.
void ShowTableBox(HWND owner, const std::string& text, const std::string& caption, MessageIcon icon);
// The file chosen, or nothing when the user cancelled. `filter` is "description|patterns|...".
std::optional<std::string> ChooseFileToOpenFrom(HWND owner, const std::string& filter);
// A question with Yes (the default) and No; true for Yes.
bool AskYesNoBox(HWND owner, const std::string& text, const std::string& caption);
// Asks the shell, without its questions, to move the file into the Recycle Bin, refusing its
// offer to delete for good what the bin can't take; the caller sees whether the file is gone.
void ShellRecycle(HWND owner, const std::string& path);

}  // namespace zylora::platform::win32
