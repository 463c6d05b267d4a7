#include "bench/StartBench.h"

#include <algorithm>
#include <functional>
#include <vector>

#include "bench/BenchSupport.h"
#include "bench/FloorWindows.h"
#include "platform/win32/Win32Text.h"

namespace zylora::bench {

namespace {

// Every window of the class (and its children) visible and with nothing left to paint.
bool Painted(const wchar_t* className) {
    HWND hwnd = ::FindWindowW(className, nullptr);
    if (!hwnd || !::IsWindowVisible(hwnd) || ::GetUpdateRect(hwnd, nullptr, FALSE)) return false;
    for (HWND child = ::GetWindow(hwnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        if (::GetUpdateRect(child, nullptr, FALSE)) return false;
    return true;
}

// Milliseconds from starting the program to the first frame of its windows painted (all
// the classes named); `whenPainted` then looks at them, and the program is ended. Negative
// if that never came.
double StartToFirstFrame(const std::wstring& commandLine, const std::vector<const wchar_t*>& classes,
                         const std::function<void()>& whenPainted = {}) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::wstring line = commandLine;
    const double start = Now();
    if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return -1;
    double painted = -1;
    while (Now() - start < 20000 && ::WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT) {
        if (std::all_of(classes.begin(), classes.end(), Painted)) {
            painted = Now() - start;
            if (whenPainted) whenPainted();
            break;
        }
        ::Sleep(1);
    }
    ::TerminateProcess(process.hProcess, 0);
    ::WaitForSingleObject(process.hProcess, 10000);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return painted;
}

// The viewer's windows as it started: the main window's and the four frames' rectangles and
// its toolbar's height, as the start floor's command line gives them.
std::wstring ViewerWindows() {
    std::wstring line;
    auto add = [&](int value) { line += L" " + std::to_wstring(value); };
    for (const wchar_t* name : {L"TfrmMiddle", L"TfrmTop", L"TfrmLeft", L"TfrmRight", L"TfrmBottom"}) {
        RECT r{};
        ::GetWindowRect(::FindWindowW(name, nullptr), &r);
        for (const LONG value : {r.left, r.top, r.right - r.left, r.bottom - r.top}) add(value);
    }
    // The toolbar is the panel at the top of the main window.
    int toolbarHeight = 0;
    for (HWND child = ::GetWindow(::FindWindowW(L"TfrmMiddle", nullptr), GW_CHILD); child;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
        RECT r{};
        ::GetWindowRect(child, &r);
        POINT topLeft{r.left, r.top};
        ::ScreenToClient(::GetParent(child), &topLeft);
        if (topLeft.y == 0) toolbarHeight = r.bottom - r.top;
    }
    add(toolbarHeight);
    return line;
}

}  // namespace

StartTimes TimeStarts(const std::string& folder, int rounds) {
    const std::wstring wideFolder = platform::win32::WideFromUtf8(folder);
    std::vector<double> viewer, photo, minimal, floor;
    std::wstring windows;
    for (int i = 0; i < rounds; ++i) {
        minimal.push_back(StartToFirstFrame(L"\"" + wideFolder + L"zylora_minimal_start.exe\"", {L"MinimalStart"}));
        viewer.push_back(StartToFirstFrame(L"\"" + wideFolder + L"zylora.exe\"", {L"TfrmMiddle", L"TfrmTop"},
                                           [&] { windows = ViewerWindows(); }));
        photo.push_back(StartToFirstFrame(
            L"\"" + wideFolder + L"zylora.exe\" \"" + wideFolder + L"..\\dist\\Samples\\photo.jpg\"",
            {L"TfrmMiddle", L"TfrmTop"}));
        floor.push_back(
            StartToFirstFrame(L"\"" + wideFolder + L"zylora_start_floor.exe\"" + windows, {FloorMainClass}));
    }
    return {Median(minimal), Median(viewer), Median(photo), Median(floor)};
}

void ReportStarts(const StartTimes& starts) {
    Report("start-up to the first painted frame", starts.viewer, "a minimal GDI+ program", starts.minimal, "<= 1.5 x");
    Report("  the system's floor: its windows, blank", starts.floor, "a minimal GDI+ program", starts.minimal);
    Report("  the start less that floor: ours", starts.viewer - starts.floor, "a minimal GDI+ program",
           starts.minimal);
    Report("start-up on an 800x600 photo", starts.photo, "a minimal GDI+ program", starts.minimal, "<= 1.8 x");
}

}  // namespace zylora::bench
