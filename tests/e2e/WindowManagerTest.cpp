// The viewer on a desktop with a window manager, openbox on an X server of its own: one
// entry for the taskbar and Alt+Tab; the caption buttons light only under the pointer;
// another program's window covers all of it; a press on its title raises all of it over
// that window and gives it the keyboard; it minimises and changes workspace whole.
#include "tests/e2e/SkinnedAppTest.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

namespace zylora::e2e {
namespace {

// Starts a program in its own process group, its output thrown away.
pid_t Spawn(const std::vector<std::string>& args) {
    const pid_t pid = fork();
    if (pid == 0) {
        setpgid(0, 0);
        freopen("/dev/null", "w", stdout);
        freopen("/dev/null", "w", stderr);
        std::vector<char*> argv;
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    return pid;
}

void Stop(pid_t pid) {
    if (pid <= 0) return;
    kill(-pid, SIGTERM);
    waitpid(pid, nullptr, 0);
}

// An Xvfb with openbox on it, made the display of everything the test starts ($DISPLAY)
// for as long as it lives; constructed before the viewer's launcher and the X driver.
class OpenboxDesktop {
protected:
    OpenboxDesktop() {
        if (const char* old = std::getenv("DISPLAY")) oldDisplay_ = old;
        int fds[2];
        if (pipe(fds) != 0) throw std::runtime_error("no pipe");
        xvfb_ = Spawn({"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", "1280x800x24", "-nolisten", "tcp"});
        close(fds[1]);
        std::string number;
        char c;
        while (read(fds[0], &c, 1) == 1 && c != '\n') number += c;
        close(fds[0]);
        if (number.empty()) throw std::runtime_error("Xvfb did not start");
        setenv("DISPLAY", (":" + number).c_str(), 1);
        display_ = XOpenDisplay(nullptr);
        if (!display_) throw std::runtime_error("cannot open the test's own display");
        openbox_ = Spawn({"openbox", "--sm-disable"});
        if (!PollUntil([&] { return WindowManagerRuns(); }, 20s))
            throw std::runtime_error("openbox did not start");
    }
    ~OpenboxDesktop() {
        if (display_) XCloseDisplay(display_);
        Stop(openbox_);
        Stop(xvfb_);
        if (oldDisplay_.empty())
            unsetenv("DISPLAY");
        else
            setenv("DISPLAY", oldDisplay_.c_str(), 1);
    }

    bool WindowManagerRuns() const { return !Property(DefaultRootWindow(display_), "_NET_SUPPORTING_WM_CHECK").empty(); }

    // The window manager's list of the windows it manages (for its taskbar and Alt+Tab).
    std::vector<unsigned long> ClientWindows() const {
        return Property(DefaultRootWindow(display_), "_NET_CLIENT_LIST");
    }

    std::vector<unsigned long> Property(unsigned long window, const char* name) const {
        Atom type;
        int format;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        std::vector<unsigned long> values;
        if (XGetWindowProperty(display_, window, XInternAtom(display_, name, False), 0, 1024, False, AnyPropertyType,
                               &type, &format, &count, &after, &data) == Success &&
            data && format == 32) {
            const auto* longs = reinterpret_cast<const unsigned long*>(data);
            values.assign(longs, longs + count);
        }
        if (data) XFree(data);
        return values;
    }

    bool Has(unsigned long window, const char* property, const char* atom) const {
        const Atom wanted = XInternAtom(display_, atom, False);
        for (unsigned long value : Property(window, property))
            if (value == wanted) return true;
        return false;
    }

    bool OfTheViewer(unsigned long window) const {
        XClassHint hint{};
        if (!XGetClassHint(display_, window, &hint)) return false;
        const bool ours = hint.res_name && std::string(hint.res_name) == "zylora.exe";
        if (hint.res_name) XFree(hint.res_name);
        if (hint.res_class) XFree(hint.res_class);
        return ours;
    }

    bool Viewable(unsigned long window) const {
        XWindowAttributes attributes{};
        return XGetWindowAttributes(display_, window, &attributes) && attributes.map_state == IsViewable;
    }

    // The viewer's windows the window manager manages that are on screen now.
    std::vector<unsigned long> ViewersWindowsShown() const {
        std::vector<unsigned long> shown;
        for (unsigned long w : ClientWindows())
            if (OfTheViewer(w) && Viewable(w)) shown.push_back(w);
        return shown;
    }

    static std::vector<unsigned long> Sorted(std::vector<unsigned long> windows) {
        std::sort(windows.begin(), windows.end());
        return windows;
    }

    // Asks the window manager, as a pager does, for another workspace or to activate a window.
    void AskWindowManager(const char* message, unsigned long window, long value) {
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = window;
        event.xclient.message_type = XInternAtom(display_, message, False);
        event.xclient.format = 32;
        event.xclient.data.l[0] = value;
        event.xclient.data.l[1] = CurrentTime;
        XSendEvent(display_, DefaultRootWindow(display_), False, SubstructureRedirectMask | SubstructureNotifyMask,
                   &event);
        XFlush(display_);
    }
    void SwitchToWorkspace(long number) { AskWindowManager("_NET_CURRENT_DESKTOP", DefaultRootWindow(display_), number); }

    // A plain window of another program: openbox manages it like any.
    unsigned long OtherProgramsWindow(int x, int y, int width, int height) {
        const unsigned long w = XCreateSimpleWindow(display_, DefaultRootWindow(display_), x, y, width, height, 0, 0,
                                                    WhitePixel(display_, DefaultScreen(display_)));
        XSizeHints hints{};
        hints.flags = USPosition | USSize;
        hints.x = x, hints.y = y, hints.width = width, hints.height = height;
        XSetWMNormalHints(display_, w, &hints);
        XStoreName(display_, w, "other program");
        XMapRaised(display_, w);
        XFlush(display_);
        // Activated, as by a click on it: openbox keeps a window that comes up without the
        // keyboard under the one that has it.
        PollUntil([&] { return Viewable(w); }, 10s);
        AskWindowManager("_NET_ACTIVE_WINDOW", w, 2);
        return w;
    }

    Display* display_ = nullptr;

private:
    std::string oldDisplay_;
    pid_t xvfb_ = -1, openbox_ = -1;
};

constexpr int kX = 300, kY = 200, kWidth = 400, kHeight = 300, kSide = 10, kTop = 30;
constexpr Rgb kStrip{0, 160, 0}, kClose{255, 0, 0}, kCloseLit{255, 200, 0}, kWhite{255, 255, 255},
              kViewBackground{0, 0, 255};

class WindowManager : protected OpenboxDesktop, public SkinnedAppTest {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(SkinnedAppTest::SetUp());
        const std::string dir = "Skins/Desk/";
        app_.WriteFile(dir + "values.ini",
                       "[Caption]\r\nText=Zylora Desk E2E\r\nFontSize=6\r\nColorA=0\r\n"
                       "[left]\r\nWidth=10\r\nInActiveWidth=10\r\n[right]\r\nWidth=10\r\nInActiveWidth=10\r\n"
                       "[top]\r\nHeight=30\r\nInActiveHeight=30\r\n[bottom]\r\nHeight=12\r\nInActiveHeight=12\r\n"
                       "[Buttons]\r\nCloseAlign=2\r\nCloseX=-24\r\nCloseY=7\r\n"
                       "[bg]\r\nColorR=0\r\nColorG=0\r\nColorB=255\r\n");
        for (const char* prefix : {"", "inactive_"})
            for (const char* piece : {"left_top.png", "top.png", "right_top.png"})
                SolidPng(dir + prefix + piece, 10, kTop, kStrip);
        SolidPng(dir + "active_close.png", 16, 16, kClose);
        SolidPng(dir + "inactive_close.png", 16, 16, kClose);
        SolidPng(dir + "mouseover_close.png", 16, 16, kCloseLit);
        app_.WriteFile("zylora.ini", "[Placement]\r\nX=300\r\nY=200\r\nWidth=400\r\nHeight=300\r\n"
                                     "[Skin]\r\nDir=Skins/Desk\r\n");
    }

    bool Shows(int x, int y, Rgb colour, std::chrono::milliseconds timeout = 10s) {
        return PollUntil([&] { return x_.Pixel(x, y) == colour; }, timeout, 50ms);
    }
};

TEST_F(WindowManager, BehavesAsOneWindowOfTheDesktop) {
    app_.Start();
    const int titleX = kX + 100, titleY = kY - 15, viewX = kX + 100, viewY = kY + 150;
    ASSERT_TRUE(Shows(titleX, titleY, kStrip, 30s)) << "no title under openbox";
    ASSERT_TRUE(Shows(viewX, viewY, kViewBackground)) << "no view under openbox";

    // One entry for the taskbar and Alt+Tab: the other windows the window manager sees skip
    // the taskbar, and none is a dialog, which openbox's Alt+Tab would list all the same.
    int entries = 0, ours = 0;
    unsigned long taskbarEntry = 0;
    for (unsigned long w : ClientWindows()) {
        if (!OfTheViewer(w)) continue;
        ++ours;
        if (!Has(w, "_NET_WM_STATE", "_NET_WM_STATE_SKIP_TASKBAR")) ++entries, taskbarEntry = w;
        EXPECT_FALSE(Has(w, "_NET_WM_WINDOW_TYPE", "_NET_WM_WINDOW_TYPE_DIALOG")) << "window " << w;
    }
    EXPECT_GE(ours, 2) << "the application window and the main form";
    EXPECT_EQ(entries, 1);

    // The caption button lights under the pointer and goes dark when it leaves the title.
    const int closeX = kX + kWidth + kSide - 24 + 8, closeY = kY - kTop + 7 + 8;
    x_.MovePointer(closeX, closeY);
    EXPECT_TRUE(Shows(closeX, closeY, kCloseLit)) << "no light over the close button";
    x_.MovePointer(closeX, kY + 200);
    EXPECT_TRUE(Shows(closeX, closeY, kClose)) << "the light stayed after the pointer left";

    // Another program's window covers the title as well as the view; a press on the part of
    // the title left free raises all of the viewer over it, with the keyboard. (openbox puts
    // its own title bar above the window asked for at this place.)
    const unsigned long other = OtherProgramsWindow(kX + 50, kY - 50, 300, 200);
    ASSERT_TRUE(Shows(viewX, viewY, kWhite)) << "the other program's window did not cover the view";
    EXPECT_TRUE(Shows(titleX, titleY, kWhite)) << "the title floats above the other program's window";
    x_.Click(kX + 20, titleY);
    EXPECT_TRUE(Shows(viewX, viewY, kViewBackground)) << "the view stayed under the other program";
    EXPECT_TRUE(Shows(titleX, titleY, kStrip)) << "the title stayed under the other program";

    // The keyboard went with the title press: Ctrl+M minimises all of it; the taskbar entry
    // brings all of it back.
    const std::vector<unsigned long> shown = ViewersWindowsShown();
    EXPECT_GE(shown.size(), 5u) << "the main form and the four frame windows";
    x_.KeyChord("ctrl+m");
    EXPECT_TRUE(PollUntil([&] { return ViewersWindowsShown().empty(); }, 10s)) << "Ctrl+M did not reach the viewer";
    XDestroyWindow(display_, other);
    AskWindowManager("_NET_ACTIVE_WINDOW", taskbarEntry, 2);
    EXPECT_TRUE(PollUntil([&] { return Sorted(ViewersWindowsShown()) == Sorted(shown); }, 10s))
        << "not all came back from the taskbar";

    // Another workspace shows nothing of it; back on its own, all of it is there again. (Wine
    // minimises and restores the viewer on the way, for openbox marks the windows of another
    // workspace iconic.)
    SwitchToWorkspace(1);
    EXPECT_TRUE(PollUntil([&] { return ViewersWindowsShown().empty(); }, 10s)) << "a window stayed behind";
    EXPECT_NE(x_.Pixel(titleX, titleY), kStrip);
    SwitchToWorkspace(0);
    EXPECT_TRUE(PollUntil([&] { return Sorted(ViewersWindowsShown()) == Sorted(shown); }, 10s))
        << "not all came back";
    EXPECT_TRUE(Shows(titleX, titleY, kStrip));
}

}  // namespace
}  // namespace zylora::e2e
