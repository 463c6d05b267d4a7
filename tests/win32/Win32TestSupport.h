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
using Log = std::vector<std::string>;

class PlatformTest : public ::testing::Test {
protected:
    // Declared first, so it outlives every window, timer and image a test makes.
    std::unique_ptr<Platform> platform = win32::CreateWin32Platform();

    HWND HandleOf(const Window& window) { return reinterpret_cast<HWND>(platform->IdentityOf(window)); }
    std::unique_ptr<Window> Form(const std::string& className = "TzyTestForm", bool layered = false) {
        return platform->CreateForm({className, layered});
    }
};

// The window system's rectangle of a window, as left, top, width, height.
Rect WindowRectOf(HWND hwnd);
// Dispatches messages until done() holds or a generous bound passes; true if done() held.
// The bound only keeps a broken build from hanging; nothing here measures time.
bool PumpUntil(const std::function<bool()>& done, DWORD boundMs = 5000);
void PumpPending();
// Presses or releases the modifier keys as far as GetKeyState is concerned.
void SetModifiers(bool shift, bool ctrl, bool alt);
void WriteBytes(const std::string& path, const std::string& bytes);

// Records every event as a line of text, in order.
class RecordingSink : public WindowEvents {
public:
    void MouseDown(MouseButton b, ShiftState s, Point p) override { Add("down " + Text(b), s, p); }
    void MouseMove(ShiftState s, Point p) override { Add("move", s, p); }
    void MouseUp(MouseButton b, ShiftState s, Point p) override { Add("up " + Text(b), s, p); }
    void DoubleClick(Point p) override { Add("double", {}, p); }
    void CaptureLost() override { log.push_back("capture lost"); }
    void CanResize(Size s) override { log.push_back("canresize " + Text(s)); }
    void Resized(Size s) override { log.push_back("resized " + Text(s)); }
    void KeyDown(int key, ShiftState s, bool repeat) override {
        log.push_back("key " + std::to_string(key) + Text(s) + (repeat ? " repeat" : ""));
    }
    void WheelNotch(int direction) override { log.push_back(direction > 0 ? "wheel +1" : "wheel -1"); }
    bool Paint(ScreenTarget& screen) override { return onPaint && onPaint(screen); }
    bool EraseBackground() override { return swallowErase; }
    void MouseLeave() override { log.push_back("leave"); }
    void CloseRequested() override { log.push_back("close"); }
    void ScreenDpiChanged(int dpi) override { log.push_back("dpi " + std::to_string(dpi)); }

    Log Only(const std::string& prefix) const;

    Log log;
    bool swallowErase = false;
    std::function<bool(ScreenTarget&)> onPaint;  // null: leave painting to the window

private:
    static std::string Text(MouseButton b);
    static std::string Text(Size s) { return std::to_string(s.width) + "x" + std::to_string(s.height); }
    static std::string Text(ShiftState s);
    void Add(const std::string& what, ShiftState s, Point p) {
        log.push_back(what + " " + std::to_string(p.x) + "," + std::to_string(p.y) + Text(s));
    }
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

}  // namespace zylora::win32test
