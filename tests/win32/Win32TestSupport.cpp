#include "tests/win32/Win32TestSupport.h"

#include <algorithm>

namespace zylora::win32test {

namespace {

std::string ShiftText(ShiftState s) {
    std::string text;
    if (s.shift) text += " shift";
    if (s.ctrl) text += " ctrl";
    if (s.alt) text += " alt";
    return text;
}

std::string ButtonText(MouseButton b) {
    switch (b) {
        case MouseButton::Left: return "left";
        case MouseButton::Right: return "right";
        case MouseButton::Middle: return "middle";
    }
    return "?";
}

std::string PointText(Point p) { return std::to_string(p.x) + "," + std::to_string(p.y); }
std::string SizeText(Size s) { return std::to_string(s.width) + "x" + std::to_string(s.height); }

void RemoveTree(const std::string& folder) {
    WIN32_FIND_DATAA found;
    HANDLE search = ::FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            if (name == "." || name == "..") continue;
            const std::string path = folder + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(path);
            else
                ::DeleteFileA(path.c_str());
        } while (::FindNextFileA(search, &found));
        ::FindClose(search);
    }
    ::RemoveDirectoryA(folder.c_str());
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
    auto set = [&](int key, bool down) { keys[key] = down ? 0x80 : 0; };
    set(VK_SHIFT, shift);
    set(VK_CONTROL, ctrl);
    set(VK_MENU, alt);
    ::SetKeyboardState(keys);
}

void RecordingSink::MouseDown(MouseButton b, ShiftState s, Point p) {
    log.push_back("down " + ButtonText(b) + " " + PointText(p) + ShiftText(s));
}
void RecordingSink::MouseMove(ShiftState s, Point p) {
    log.push_back("move " + PointText(p) + ShiftText(s));
}
void RecordingSink::MouseUp(MouseButton b, ShiftState s, Point p) {
    log.push_back("up " + ButtonText(b) + " " + PointText(p) + ShiftText(s));
}
void RecordingSink::CanResize(Size proposed) { log.push_back("canresize " + SizeText(proposed)); }
void RecordingSink::Resized(Size now) { log.push_back("resized " + SizeText(now)); }
void RecordingSink::KeyDown(int key, ShiftState s) {
    log.push_back("key " + std::to_string(key) + ShiftText(s));
}
void RecordingSink::WheelNotch(int direction) {
    log.push_back(direction > 0 ? "wheel +1" : "wheel -1");
}
bool RecordingSink::Paint(ScreenTarget& screen) {
    log.push_back("paint");
    return onPaint ? onPaint(screen) : false;
}

std::vector<std::string> RecordingSink::Only(const std::string& prefix) const {
    std::vector<std::string> result;
    for (const std::string& entry : log)
        if (entry.rfind(prefix, 0) == 0) result.push_back(entry);
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
    WIN32_FIND_DATAA found;
    HANDLE search = ::FindFirstFileA((path_ + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        const std::string name = found.cFileName;
        if (name != "." && name != "..") names.push_back(name);
    } while (::FindNextFileA(search, &found));
    ::FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    DWORD written = 0;
    ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::CloseHandle(file);
    ASSERT_EQ(written, bytes.size());
}

}  // namespace zylora::win32test
