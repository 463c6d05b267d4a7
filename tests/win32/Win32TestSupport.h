// Shared helpers of the Win32 tests: a fresh platform per test, bounded message pumping,
// a sink that records what a window raised, and scratch folders on real Windows paths.
#pragma once

#include "platform/win32/Win32Api.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/win32/Win32Platform.h"

namespace zylora::win32test {

using namespace zylora::platform;

class PlatformTest : public ::testing::Test {
protected:
    // Declared first, so it outlives every window, timer and image a test makes.
    std::unique_ptr<Platform> platform = win32::CreateWin32Platform();

    HWND HandleOf(const Window& window) {
        return reinterpret_cast<HWND>(platform->IdentityOf(window));
    }
    std::unique_ptr<Window> Form(const std::string& className = "TzyTestForm",
                                 bool layered = false) {
        return platform->CreateForm({className, layered});
    }
};

// The rectangle the window system has for a window, as left, top, width, height.
Rect WindowRectOf(HWND hwnd);

// Dispatches messages until done() holds or a generous bound passes; true if done() held.
// The bound only keeps a broken build from hanging; nothing here measures time.
bool PumpUntil(const std::function<bool()>& done, DWORD boundMs = 5000);
// Dispatches what is queued now.
void PumpPending();

// Presses or releases the modifier keys as far as GetKeyState is concerned.
void SetModifiers(bool shift, bool ctrl, bool alt);

// Records every event as a line of text, in order.
class RecordingSink : public WindowEvents {
public:
    void MouseDown(MouseButton b, ShiftState s, Point p) override;
    void MouseMove(ShiftState s, Point p) override;
    void MouseUp(MouseButton b, ShiftState s, Point p) override;
    void DoubleClick() override { log.push_back("double"); }
    void CanResize(Size proposed) override;
    void Resized(Size now) override;
    void KeyDown(int key, ShiftState s) override;
    void WheelNotch(int direction) override;
    bool Paint(ScreenTarget& screen) override;
    bool EraseBackground() override { return swallowErase; }
    void MouseLeave() override { log.push_back("leave"); }
    void CloseRequested() override { log.push_back("close"); }

    // Entries that start with the prefix.
    std::vector<std::string> Only(const std::string& prefix) const;

    std::vector<std::string> log;
    bool swallowErase = false;
    std::function<bool(ScreenTarget&)> onPaint;  // null: leave painting to the window
};

// A new empty folder under the Wine temp folder, removed with everything in it at the end.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "\\" + name; }
    // Names of the entries in the folder, sorted.
    std::vector<std::string> Entries() const;

private:
    std::string path_;
};

void WriteBytes(const std::string& path, const std::string& bytes);

}  // namespace zylora::win32test
