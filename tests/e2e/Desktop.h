// An X server of the test's own with a window manager on it (openbox, xfwm4, icewm...), made
// the display of everything the test starts ($DISPLAY) for as long as it lives: a base
// constructed before the viewer's launcher and the X driver. Reads what the window manager
// publishes on the root window and the viewer's windows, and asks it what a pager does.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

typedef struct _XDisplay Display;

namespace zylora::e2e {

class Desktop {
protected:
    // The window manager's command line (none: a bare server); throws when the server or the
    // manager don't start.
    explicit Desktop(const std::vector<std::string>& windowManager);
    ~Desktop();
    Desktop(const Desktop&) = delete;
    Desktop& operator=(const Desktop&) = delete;

    bool WindowManagerRuns() const;
    // The window manager's list of the windows it manages (for its taskbar and Alt+Tab).
    std::vector<unsigned long> ClientWindows() const;
    std::vector<unsigned long> Property(unsigned long window, const char* name) const;
    bool Has(unsigned long window, const char* property, const char* atom) const;
    bool OfTheViewer(unsigned long window) const;
    // The managed window of that name (its caption), or 0.
    unsigned long ClientNamed(const std::string& name) const;
    bool Viewable(unsigned long window) const;
    // The keys typed now go to one of the viewer's windows (the X server's input focus).
    bool ViewerHasKeyboard() const;
    // The viewer's windows the window manager manages that are on screen now.
    std::vector<unsigned long> ViewersWindowsShown() const;
    static std::vector<unsigned long> Sorted(std::vector<unsigned long> windows);

    // Asks the window manager, as a pager does, for another workspace or to activate a window.
    void AskWindowManager(const char* message, unsigned long window, long value);
    void SwitchToWorkspace(long number);
    // The window manager's own move of a window, as by Alt+drag: the window's top-left to (x, y).
    void MoveByWindowManager(unsigned long window, int x, int y);
    // A plain window of another program, activated as by a click on it.
    unsigned long OtherProgramsWindow(int x, int y, int width, int height);
    // How often the window manager's stacking order changes in this much time.
    int StackingChanges(std::chrono::milliseconds during);

    Display* display_ = nullptr;

private:
    std::string oldDisplay_;
    pid_t xvfb_ = -1, windowManager_ = -1;
};

}  // namespace zylora::e2e
