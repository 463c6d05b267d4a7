#include "tests/e2e/Desktop.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <stdexcept>

#include "tests/e2e/XDriver.h"

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

}  // namespace

Desktop::Desktop(const std::vector<std::string>& windowManager) {
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
    if (windowManager.empty()) return;  // a bare server
    windowManager_ = Spawn(windowManager);
    if (!PollUntil([&] { return WindowManagerRuns(); }, 20s))
        throw std::runtime_error(windowManager.front() + " did not start");
}

Desktop::~Desktop() {
    if (display_) XCloseDisplay(display_);
    Stop(windowManager_);
    Stop(xvfb_);
    if (oldDisplay_.empty())
        unsetenv("DISPLAY");
    else
        setenv("DISPLAY", oldDisplay_.c_str(), 1);
}

bool Desktop::WindowManagerRuns() const {
    return !Property(DefaultRootWindow(display_), "_NET_SUPPORTING_WM_CHECK").empty();
}

std::vector<unsigned long> Desktop::ClientWindows() const {
    return Property(DefaultRootWindow(display_), "_NET_CLIENT_LIST");
}

std::vector<unsigned long> Desktop::Property(unsigned long window, const char* name) const {
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

bool Desktop::Has(unsigned long window, const char* property, const char* atom) const {
    const Atom wanted = XInternAtom(display_, atom, False);
    for (unsigned long value : Property(window, property))
        if (value == wanted) return true;
    return false;
}

bool Desktop::OfTheViewer(unsigned long window) const {
    XClassHint hint{};
    if (!XGetClassHint(display_, window, &hint)) return false;
    const bool ours = hint.res_name && std::string(hint.res_name) == "zylora.exe";
    if (hint.res_name) XFree(hint.res_name);
    if (hint.res_class) XFree(hint.res_class);
    return ours;
}

unsigned long Desktop::ClientNamed(const std::string& name) const {
    for (unsigned long w : ClientWindows()) {
        char* text = nullptr;
        const bool same = XFetchName(display_, w, &text) && text && name == text;
        if (text) XFree(text);
        if (same) return w;
    }
    return 0;
}

bool Desktop::ViewerHasKeyboard() const {
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(display_, &focus, &revert);
    // The focus may be on a window inside a managed one, or on the window manager's frame.
    for (Window w = focus; w > PointerRoot;) {
        if (OfTheViewer(w)) return true;
        Window root = 0, parent = 0, *children = nullptr;
        unsigned count = 0;
        if (!XQueryTree(display_, w, &root, &parent, &children, &count)) return false;
        if (children) XFree(children);
        if (parent == root) return false;
        w = parent;
    }
    return false;
}

bool Desktop::Viewable(unsigned long window) const {
    XWindowAttributes attributes{};
    return XGetWindowAttributes(display_, window, &attributes) && attributes.map_state == IsViewable;
}

std::vector<unsigned long> Desktop::ViewersWindowsShown() const {
    std::vector<unsigned long> shown;
    for (unsigned long w : ClientWindows())
        if (OfTheViewer(w) && Viewable(w)) shown.push_back(w);
    return shown;
}

std::vector<unsigned long> Desktop::Sorted(std::vector<unsigned long> windows) {
    std::sort(windows.begin(), windows.end());
    return windows;
}

void Desktop::AskWindowManager(const char* message, unsigned long window, long value) {
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

void Desktop::SwitchToWorkspace(long number) {
    AskWindowManager("_NET_CURRENT_DESKTOP", DefaultRootWindow(display_), number);
}

void Desktop::MoveByWindowManager(unsigned long window, int x, int y) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display_, "_NET_MOVERESIZE_WINDOW", False);
    event.xclient.format = 32;
    // Static gravity, x and y given, asked by a pager.
    event.xclient.data.l[0] = StaticGravity | 1 << 8 | 1 << 9 | 2 << 12;
    event.xclient.data.l[1] = x;
    event.xclient.data.l[2] = y;
    XSendEvent(display_, DefaultRootWindow(display_), False, SubstructureRedirectMask | SubstructureNotifyMask,
               &event);
    XFlush(display_);
}

unsigned long Desktop::OtherProgramsWindow(int x, int y, int width, int height) {
    const unsigned long w = XCreateSimpleWindow(display_, DefaultRootWindow(display_), x, y, width, height, 0, 0,
                                                WhitePixel(display_, DefaultScreen(display_)));
    XSizeHints hints{};
    hints.flags = USPosition | USSize;
    hints.x = x, hints.y = y, hints.width = width, hints.height = height;
    XSetWMNormalHints(display_, w, &hints);
    XStoreName(display_, w, "other program");
    XMapRaised(display_, w);
    XFlush(display_);
    // Activated, as by a click on it: a window manager keeps a window that comes up without
    // the keyboard under the one that has it.
    PollUntil([&] { return Viewable(w); }, 10s);
    AskWindowManager("_NET_ACTIVE_WINDOW", w, 2);
    return w;
}

int Desktop::StackingChanges(std::chrono::milliseconds during) {
    const Window root = DefaultRootWindow(display_);
    const Atom stacking = XInternAtom(display_, "_NET_CLIENT_LIST_STACKING", False);
    XSelectInput(display_, root, PropertyChangeMask);
    XSync(display_, True);  // from now on
    int changes = 0;
    const auto end = std::chrono::steady_clock::now() + during;
    while (std::chrono::steady_clock::now() < end) {
        while (XPending(display_)) {
            XEvent event;
            XNextEvent(display_, &event);
            if (event.type == PropertyNotify && event.xproperty.atom == stacking) ++changes;
        }
        usleep(10'000);
    }
    XSelectInput(display_, root, NoEventMask);
    return changes;
}

}  // namespace zylora::e2e
