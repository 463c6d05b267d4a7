#include "tests/win32/Win32TestSupport.h"

#include <algorithm>

#include "platform/win32/Win32Text.h"

namespace zylora::win32test {

namespace {

// Entries of a folder except "." and "..", with whether each is a folder.
std::vector<std::pair<std::string, bool>> List(const std::string& folder) {
    std::vector<std::pair<std::string, bool>> entries;
    WIN32_FIND_DATAW found;
    HANDLE search = ::FindFirstFileW(platform::win32::WideFromUtf8(folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return entries;
    do {
        const std::string name = platform::win32::Utf8FromWide(found.cFileName);
        if (name != "." && name != "..")
            entries.emplace_back(name, (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0);
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
    return entries;
}

void RemoveTree(const std::string& folder) {
    for (const auto& [name, isFolder] : List(folder)) {
        const std::string path = folder + "\\" + name;
        if (isFolder) {
            RemoveTree(path);
        } else {
            // Read-only files a test left behind go too.
            const std::wstring wide = platform::win32::WideFromUtf8(path);
            ::SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_NORMAL);
            ::DeleteFileW(wide.c_str());
        }
    }
    ::RemoveDirectoryW(platform::win32::WideFromUtf8(folder).c_str());
}

}  // namespace

Rect WindowRectOf(HWND hwnd) {
    RECT r{};
    ::GetWindowRect(hwnd, &r);
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

bool PumpUntil(const std::function<bool()>& done, DWORD boundMs) {
    const DWORD start = ::GetTickCount();
    while (!done()) {
        if (::GetTickCount() - start > boundMs) return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        PumpPending();
    }
    return true;
}

void PumpPending() {
    MSG message;
    while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    }
}

void SetModifiers(bool shift, bool ctrl, bool alt) {
    BYTE keys[256];
    ::GetKeyboardState(keys);
    keys[VK_SHIFT] = shift ? 0x80 : 0;
    keys[VK_CONTROL] = ctrl ? 0x80 : 0;
    keys[VK_MENU] = alt ? 0x80 : 0;
    ::SetKeyboardState(keys);
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    DWORD written = 0;
    ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::CloseHandle(file);
    ASSERT_EQ(written, bytes.size());
}

std::string RecordingSink::Text(MouseButton b) {
    return b == MouseButton::Left ? "left" : b == MouseButton::Right ? "right" : "middle";
}

std::string RecordingSink::Text(ShiftState s) {
    return std::string(s.shift ? " shift" : "") + (s.ctrl ? " ctrl" : "") + (s.alt ? " alt" : "");
}

Log RecordingSink::Only(const std::string& prefix) const {
    Log result;
    std::copy_if(log.begin(), log.end(), std::back_inserter(result),
                 [&](const std::string& entry) { return entry.rfind(prefix, 0) == 0; });
    return result;
}

ScratchFolder::ScratchFolder() {
    static int counter = 0;
    char temp[MAX_PATH + 1] = {};
    ::GetTempPathA(MAX_PATH, temp);
    std::string base = temp;
    if (!base.empty() && base.back() == '\\') base.pop_back();
    path_ = base + "\\zylora-test-" + std::to_string(::GetCurrentProcessId()) + "-" +
            std::to_string(++counter);
    RemoveTree(path_);
    ::CreateDirectoryA(path_.c_str(), nullptr);
}

ScratchFolder::~ScratchFolder() { RemoveTree(path_); }

std::vector<std::string> ScratchFolder::Entries() const {
    std::vector<std::string> names;
    for (const auto& entry : List(path_)) names.push_back(entry.first);
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace zylora::win32test
