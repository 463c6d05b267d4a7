// How Wine 8 shows Win32 windows on Xvfb with no window manager (found by trying):
//
// - Every top-level Win32 window is its own child of the root; nothing reparents it.
//   Its WM_NAME (and _NET_WM_NAME) is the window text, kept up to date by Wine.
// - The X window's geometry is the Win32 window rect exactly, negative x included:
//   a borderless WS_POPUP created at (-50, 120), 320 x 200 is 320x200+-50+120.
// - A window that was activated when shown is "managed", a normal X window; one shown
//   without activation (SW_SHOWNOACTIVATE, SWP_NOACTIVATE) is override-redirect, and
//   named all the same. A window wholly off the screen (say 10 wide at x = -60) stays
//   unmapped, though Win32 calls it visible. Wine also keeps 1 x 1 helper windows on the
//   root (some unmapped, "Default IME" among them), so look windows up by name and map
//   state, never by count.
// - Xvfb's focus starts as PointerRoot, and Wine does not set the X focus for a managed
//   window by itself (it waits for a window manager's WM_TAKE_FOCUS). So XTest keys
//   reach the program only while the pointer is over one of its windows, or after
//   XSetInputFocus on it. Wine then routes them to its foreground window's focus, so a
//   window that is not active gets no keys even then. Every Wine window, managed or
//   not, advertises WM_TAKE_FOCUS, and answering it Wine activates the window: a
//   click would do the same, but also reaches the program as a click.
// - A layered window's pixels on the root are its premultiplied colours (composed over
//   black): there is no compositor, so per-pixel alpha does not blend with what is below.
#include "tests/e2e/XDriver.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <cstdlib>
#include <stdexcept>
#include <thread>

namespace zylora::e2e {

namespace {

// Windows come and go while we look at them; a BadWindow must not end the test
// program, as Xlib's default handler would.
int IgnoreXError(Display*, XErrorEvent*) { return 0; }

std::string Latin1ToUtf8(const unsigned char* text, std::size_t length) {
    std::string out;
    for (std::size_t i = 0; i < length; ++i) {
        const unsigned char c = text[i];
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::string WindowName(Display* display, Window window) {
    XTextProperty property{};
    if (!XGetWMName(display, window, &property) || !property.value) return {};
    std::string name;
    if (property.encoding == XA_STRING) {
        name = Latin1ToUtf8(property.value, property.nitems);
    } else {
        char** list = nullptr;
        int count = 0;
        if (Xutf8TextPropertyToTextList(display, &property, &list, &count) >= Success && count > 0) {
            name = list[0];
        } else {
            name.assign(reinterpret_cast<const char*>(property.value), property.nitems);
        }
        if (list) XFreeStringList(list);
    }
    XFree(property.value);
    return name;
}

unsigned ChannelShift(unsigned long mask) {
    unsigned shift = 0;
    while (mask && !(mask & 1)) {
        mask >>= 1;
        ++shift;
    }
    return shift;
}

std::uint8_t Channel(unsigned long pixel, unsigned long mask) {
    const unsigned long value = (pixel & mask) >> ChannelShift(mask);
    const unsigned long max = mask >> ChannelShift(mask);
    return static_cast<std::uint8_t>(max == 255 ? value : value * 255 / (max ? max : 1));
}

KeySym ModifierKeySym(const std::string& name) {
    if (name == "ctrl" || name == "control") return XK_Control_L;
    if (name == "shift") return XK_Shift_L;
    if (name == "alt") return XK_Alt_L;
    if (name == "super" || name == "win") return XK_Super_L;
    return NoSymbol;
}

}  // namespace

std::ostream& operator<<(std::ostream& out, const Rgb& c) {
    return out << "rgb(" << int(c.r) << ", " << int(c.g) << ", " << int(c.b) << ")";
}

std::ostream& operator<<(std::ostream& out, const TopLevelWindow& w) {
    return out << "0x" << std::hex << w.id << std::dec << " \"" << w.name << "\" " << w.width << "x"
               << w.height << (w.x < 0 ? "" : "+") << w.x << (w.y < 0 ? "" : "+") << w.y
               << (w.mapped ? " mapped" : " unmapped") << (w.overrideRedirect ? " override-redirect" : "");
}

bool PollUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout,
               std::chrono::milliseconds interval) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (done()) return true;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(interval);
    }
}

XDriver::XDriver() {
    const char* name = std::getenv("DISPLAY");
    if (!name || !*name) throw std::runtime_error("DISPLAY is not set; the end-to-end tests need an X server");
    display_ = XOpenDisplay(name);
    if (!display_) throw std::runtime_error(std::string("cannot open X display ") + name);
    int eventBase = 0, errorBase = 0, major = 0, minor = 0;
    if (!XTestQueryExtension(display_, &eventBase, &errorBase, &major, &minor)) {
        XCloseDisplay(display_);
        throw std::runtime_error(std::string("X display ") + name + " has no XTest extension");
    }
    XSetErrorHandler(IgnoreXError);
    root_ = DefaultRootWindow(display_);
    // Our synthetic input must not be held back while some other client grabs the server.
    XTestGrabControl(display_, True);
}

XDriver::~XDriver() {
    if (display_) XCloseDisplay(display_);
}

int XDriver::ScreenWidth() const { return DisplayWidth(display_, DefaultScreen(display_)); }
int XDriver::ScreenHeight() const { return DisplayHeight(display_, DefaultScreen(display_)); }

// A window manager puts each window it manages into a frame of its own on the root; the
// program's window is the one inside marked with WM_STATE. Unmanaged windows are the root's
// children themselves.
static Window ClientWindow(Display* display, Window top) {
    static const Atom wmState = XInternAtom(display, "WM_STATE", False);
    Atom type = None;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, top, wmState, 0, 0, False, AnyPropertyType, &type, &format, &items, &after,
                           &data) == Success) {
        if (data) XFree(data);
        if (type != None) return top;
    }
    Window rootReturn = 0, parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    Window found = 0;
    if (XQueryTree(display, top, &rootReturn, &parent, &children, &count)) {
        for (unsigned i = 0; i < count && !found; ++i) found = ClientWindow(display, children[i]);
        if (children) XFree(children);
    }
    return found;
}

std::vector<TopLevelWindow> XDriver::TopLevelWindows() const {
    XSync(display_, False);
    Window rootReturn = 0, parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    std::vector<TopLevelWindow> windows;
    if (!XQueryTree(display_, root_, &rootReturn, &parent, &children, &count)) return windows;
    for (unsigned i = 0; i < count; ++i) {
        const Window client = ClientWindow(display_, children[i]);
        const Window window = client ? client : children[i];
        XWindowAttributes attributes{};
        if (!XGetWindowAttributes(display_, window, &attributes)) continue;  // gone meanwhile
        Window child = 0;
        int rootX = 0, rootY = 0;
        if (!XTranslateCoordinates(display_, window, root_, 0, 0, &rootX, &rootY, &child)) continue;
        TopLevelWindow w;
        w.id = window;
        w.name = WindowName(display_, window);
        w.mapped = attributes.map_state == IsViewable;
        w.overrideRedirect = attributes.override_redirect;
        w.x = rootX;
        w.y = rootY;
        w.width = attributes.width;
        w.height = attributes.height;
        windows.push_back(std::move(w));
    }
    if (children) XFree(children);
    return windows;
}

std::optional<TopLevelWindow> XDriver::FindMappedWindow(const std::string& name) const {
    std::optional<TopLevelWindow> found;
    for (auto& w : TopLevelWindows()) {
        if (w.mapped && w.name == name) found = std::move(w);  // stacking order: last is topmost
    }
    return found;
}

std::optional<TopLevelWindow> XDriver::WaitForMappedWindow(const std::string& name,
                                                           std::chrono::milliseconds timeout) const {
    std::optional<TopLevelWindow> found;
    PollUntil([&] { return (found = FindMappedWindow(name)).has_value(); }, timeout, 50ms);
    return found;
}

bool XDriver::WaitForNoMappedWindow(const std::string& name, std::chrono::milliseconds timeout) const {
    return PollUntil([&] { return !FindMappedWindow(name); }, timeout, 50ms);
}

void XDriver::MovePointer(int x, int y) {
    // The server keeps the pointer on the screen: a point off it lands on the nearest edge.
    XTestFakeMotionEvent(display_, -1, x, y, CurrentTime);
    XSync(display_, False);
}

void XDriver::PressButton(int button) {
    XTestFakeButtonEvent(display_, static_cast<unsigned>(button), True, CurrentTime);
    XSync(display_, False);
}

void XDriver::ReleaseButton(int button) {
    XTestFakeButtonEvent(display_, static_cast<unsigned>(button), False, CurrentTime);
    XSync(display_, False);
}

void XDriver::Click(int x, int y, int button) {
    MovePointer(x, y);
    PressButton(button);
    ReleaseButton(button);
}

void XDriver::Wheel(int notches) {
    const int button = notches > 0 ? 4 : 5;
    for (int i = 0; i < (notches > 0 ? notches : -notches); ++i) {
        PressButton(button);
        ReleaseButton(button);
    }
}

void XDriver::Focus(const TopLevelWindow& window) {
    XSetInputFocus(display_, window.id, RevertToPointerRoot, CurrentTime);
    // What a window manager sends on a click; Wine answers by activating the window.
    Atom protocols = XInternAtom(display_, "WM_PROTOCOLS", False);
    Atom takeFocus = XInternAtom(display_, "WM_TAKE_FOCUS", False);
    Atom* supported = nullptr;
    int count = 0;
    bool wantsTakeFocus = false;
    if (XGetWMProtocols(display_, window.id, &supported, &count)) {
        for (int i = 0; i < count; ++i) wantsTakeFocus = wantsTakeFocus || supported[i] == takeFocus;
        XFree(supported);
    }
    if (wantsTakeFocus) {
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = window.id;
        event.xclient.message_type = protocols;
        event.xclient.format = 32;
        event.xclient.data.l[0] = static_cast<long>(takeFocus);
        event.xclient.data.l[1] = CurrentTime;
        XSendEvent(display_, window.id, False, NoEventMask, &event);
    }
    XSync(display_, False);
}

void XDriver::KeyChord(const std::string& chord) {
    std::vector<KeySym> keys;
    std::size_t start = 0;
    for (;;) {
        // A '+' right after a separator (or first) is the key itself, as in "ctrl++".
        std::size_t plus = chord.find('+', start + 1);
        std::string part = chord.substr(start, plus == std::string::npos ? std::string::npos : plus - start);
        KeySym sym = ModifierKeySym(part);
        if (sym == NoSymbol) sym = XStringToKeysym(part == "+" ? "plus" : part.c_str());
        if (sym == NoSymbol) throw std::invalid_argument("unknown key \"" + part + "\" in \"" + chord + "\"");
        keys.push_back(sym);
        if (plus == std::string::npos) break;
        start = plus + 1;
    }
    std::vector<KeyCode> codes;
    for (KeySym sym : keys) {
        KeyCode code = XKeysymToKeycode(display_, sym);
        if (!code) throw std::invalid_argument("no key on the keyboard gives \"" + chord + "\"");
        codes.push_back(code);
    }
    for (KeyCode code : codes) XTestFakeKeyEvent(display_, code, True, CurrentTime);
    for (auto it = codes.rbegin(); it != codes.rend(); ++it) XTestFakeKeyEvent(display_, *it, False, CurrentTime);
    XFlush(display_);
    XSync(display_, False);
}

void XDriver::TypeText(const std::string& text) {
    // The characters that are not their own keysym's name, and where shift is held.
    static const std::pair<char, const char*> named[] = {
        {':', "shift+semicolon"}, {'\\', "backslash"}, {'.', "period"},    {'/', "slash"},
        {'-', "minus"},           {'_', "shift+minus"}, {' ', "space"},      {'~', "shift+grave"},
    };
    for (char c : text) {
        std::string chord;
        for (const auto& [character, name] : named)
            if (c == character) chord = name;
        if (chord.empty() && c >= 'A' && c <= 'Z') chord = std::string("shift+") + static_cast<char>(c - 'A' + 'a');
        if (chord.empty()) chord = std::string(1, c);
        KeyChord(chord);
    }
}

Rgb XDriver::Pixel(int x, int y) const { return Capture(x, y, 1, 1).At(0, 0); }

RgbImage XDriver::Capture(int x, int y, int width, int height) const {
    if (x < 0 || y < 0 || width <= 0 || height <= 0 || x + width > ScreenWidth() || y + height > ScreenHeight()) {
        throw std::out_of_range("capture rectangle is not on the screen");
    }
    XSync(display_, False);
    XImage* image = XGetImage(display_, root_, x, y, static_cast<unsigned>(width), static_cast<unsigned>(height),
                              AllPlanes, ZPixmap);
    if (!image) throw std::runtime_error("XGetImage of the root window failed");
    RgbImage out;
    out.width = width;
    out.height = height;
    out.pixels.reserve(static_cast<std::size_t>(width) * height);
    for (int row = 0; row < height; ++row) {
        for (int column = 0; column < width; ++column) {
            const unsigned long pixel = XGetPixel(image, column, row);
            out.pixels.push_back(
                {Channel(pixel, image->red_mask), Channel(pixel, image->green_mask), Channel(pixel, image->blue_mask)});
        }
    }
    XDestroyImage(image);
    return out;
}

}  // namespace zylora::e2e
