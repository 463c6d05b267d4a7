// The narrow interface through which the logic uses the window system, the imaging
// library and the file system. One implementation lives in platform/win32/, the fake one
// in tests/fake/. Nothing here exposes a handle, a message number or a device context.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "imaging/Pixels.h"
#include "platform/FileSystem.h"
#include "platform/Types.h"

namespace zylora::platform {

// A decoded picture or skin image. A file that is missing or can't be decoded still gives
// an Image, of size 0 x 0, that draws nothing and is never hit.
class Image {
public:
    virtual ~Image() = default;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    // Alpha of one pixel of the image's own grid; nothing when the pixel can't be read
    // (outside the image, or an empty image).
    virtual std::optional<std::uint8_t> AlphaAt(int x, int y) const = 0;
    // A copy resampled down to the size (each side at least 1 and at most the image's), for
    // drawing a large picture small; an empty image gives an empty one.
    virtual std::unique_ptr<Image> Reduced(int width, int height) const = 0;
    // Transforms the pixels in place; quarter turns exchange width and height. False when it
    // couldn't be done (no memory for the turned pixels): the image is then as it was.
    virtual bool RotateFlip(RotateFlipType type) = 0;
    // Every pixel is known to be opaque (false when that isn't known).
    virtual bool Opaque() const { return false; }
    // The file ended or broke off before the whole picture: the image holds what it could
    // read.
    virtual bool Damaged() const { return false; }
    // For an empty image: why its file can't be shown, in a few words for the user; empty
    // when nothing is known (a missing file, one no decoder reads).
    virtual std::string Refusal() const { return {}; }
    // The first frame of an animation, which plays once its file is read.
    virtual bool Animated() const { return false; }
    // How many pages the file has that this is the first of (a TIFF of several); 1 for most.
    virtual int Pages() const { return 1; }
    // What the file said of the photo (its format, Exif facts, profile name); nothing for an
    // image not decoded from a picture file.
    virtual imaging::PhotoFacts Facts() const { return {}; }
};

// A 32-bit ARGB (straight alpha) bitmap that the logic draws on off-screen. It is fully
// transparent when created. A surface of width or height 0 or below is valid and empty.
// The text of a caption, laid out as filled outline geometry (no hinting).
struct TextStyle {
    std::string fontFamily;
    int style = 0;        // bits: 1 bold, 2 italic, 4 underline, 8 strikeout
    float emSize = 0;     // in surface pixels
    int horAlign = 0;     // 0 near, 1 centre, 2 far
    int verAlign = 0;     // 0 near, 1 centre, 2 far
};

enum class PixelOffset { Default, Half };

class Surface : public Image {
public:
    // There are pixels to draw on: false for an empty surface, and for one that memory
    // couldn't be found for (which draws nothing and reads as transparent).
    virtual bool HasPixels() const = 0;
    // Draws the whole image stretched into the destination rectangle.
    virtual void DrawImage(const Image& image, Rect destination) = 0;
    // Sets every pixel to the colour.
    virtual void Clear(Argb color) = 0;
    // Fills the area with the image as a tiled texture whose transform is scaled by
    // (scaleX, scaleY), the tiles anchored at the surface's origin.
    virtual void FillTexture(const Image& image, float scaleX, float scaleY, RectF area) = 0;
    virtual void SetPixelOffset(PixelOffset mode) = 0;
    // Anti-aliased edges for the fills and outlines that follow.
    virtual void SetAntiAlias(bool on) = 0;
    // Adds the text to a path with the style, in the layout rectangle, and fills it.
    virtual void FillText(const std::string& text, const TextStyle& style, RectF layout,
                          Argb color) = 0;
    // How far the text, on one line, reaches right of where FillText starts it.
    virtual float TextWidth(const std::string& text, const TextStyle& style) = 0;
    // Draws the source rectangle of the image (its pixels, as floats) stretched into the
    // destination, with the library's default resampling. Parts of the source outside the
    // image draw nothing.
    virtual void DrawImageRect(const Image& image, RectF source, RectF destination) = 0;
    // The same with each destination pixel taking the source pixel nearest its place:
    // several times quicker, coarse where the scale isn't whole. For what is shown only for
    // a moment.
    virtual void DrawImageRectQuickly(const Image& image, RectF source, RectF destination) = 0;
    // One path of the rectangles, filled with the alternate (even-odd) rule.
    virtual void FillRectsEvenOdd(const std::vector<RectF>& rects, Argb color) = 0;
    // The outline of the same kind of path, with a pen of the width.
    virtual void OutlineRects(const std::vector<RectF>& rects, Argb color, float width) = 0;
};

// Something drawn on the screen directly: the paint context of a window, or a device
// context of it obtained outside painting. Released when the object dies.
class ScreenTarget {
public:
    virtual ~ScreenTarget() = default;
    // Copies the surface unscaled, its top-left corner at the point (window coordinates).
    virtual void DrawSurface(const Surface& surface, Point at) = 0;
};

enum class MouseButton { Left, Right, Middle };

struct ShiftState {
    bool shift = false;
    bool ctrl = false;
    bool alt = false;
    friend bool operator==(const ShiftState&, const ShiftState&) = default;
};

enum class CursorShape { Arrow, SizeNS, SizeWE, SizeNWSE };

enum class MessageIcon { None, Information, Error };

// Virtual-key codes the logic names.
namespace keys {
constexpr int Backspace = 0x08;
constexpr int Escape = 0x1B;
constexpr int Space = 0x20;
constexpr int PageUp = 0x21;
constexpr int PageDown = 0x22;
constexpr int End = 0x23;
constexpr int Home = 0x24;
constexpr int Left = 0x25;
constexpr int Up = 0x26;
constexpr int Right = 0x27;
constexpr int Down = 0x28;
constexpr int Delete = 0x2E;
constexpr int Digit0 = 0x30;
constexpr int Digit1 = 0x31;
constexpr int Digit2 = 0x32;
constexpr int Digit3 = 0x33;
constexpr int Digit4 = 0x34;
constexpr int Digit8 = 0x38;
constexpr int C = 0x43;
constexpr int H = 0x48;
constexpr int I = 0x49;
constexpr int L = 0x4C;
constexpr int M = 0x4D;
constexpr int O = 0x4F;
constexpr int P = 0x50;
constexpr int Q = 0x51;
constexpr int R = 0x52;
constexpr int S = 0x53;
constexpr int V = 0x56;
constexpr int W = 0x57;
constexpr int Numpad0 = 0x60;
constexpr int NumpadMultiply = 0x6A;
constexpr int NumpadAdd = 0x6B;
constexpr int NumpadSubtract = 0x6D;
constexpr int F1 = 0x70;
constexpr int F5 = 0x74;
constexpr int F11 = 0x7A;
constexpr int Plus = 0xBB;   // "=" and, with Shift, "+" on US keyboards
constexpr int Comma = 0xBC;
constexpr int Minus = 0xBD;
constexpr int Period = 0xBE;
constexpr int BackQuote = 0xC0;  // the key left of 1 on US keyboards
}  // namespace keys

// What a window tells its owner. Each window has one sink; a sink that replaces another
// (see Window::SetEvents) passes on what it doesn't handle. Coordinates are the window's
// own (client) pixels. While a mouse button is held the window keeps the capture, so it
// gets the moves and the release even outside its area.
class WindowEvents {
public:
    virtual ~WindowEvents() = default;
    virtual void MouseDown(MouseButton, ShiftState, Point) {}
    virtual void MouseMove(ShiftState, Point) {}
    virtual void MouseUp(MouseButton, ShiftState, Point) {}
    // The second press of a double click, where it happened; its MouseDown follows.
    virtual void DoubleClick(Point) {}
    // The system took the pointer away during a press (another window, a dialog, a system
    // shortcut): no release follows. Whatever the press began ends as cancelled, without
    // the action, crop or menu a release would bring.
    virtual void CaptureLost() {}
    // Comes before every change of the window's size, whether made through SetBounds, a
    // positioning batch or the window system; not for a move alone. The resize is always
    // allowed. Not raised for the size change of the window's own PresentLayered.
    virtual void CanResize(Size /*proposed*/) {}
    // After the window's size changed.
    virtual void Resized(Size /*now*/) {}
    // Top-level windows: after the window system moved the window on its own (a window
    // manager's move, a restore); not after the program's SetBounds or positioning batches.
    virtual void Moved(Point /*topLeft*/) {}
    // `repeat`: the key's auto-repeat while it is held, not a new press.
    virtual void KeyDown(int /*virtualKey*/, ShiftState, bool /*repeat*/ = false) {}
    // One wheel notch: +1 turned away from the user, -1 towards.
    virtual void WheelNotch(int /*direction*/) {}
    // Paint request. Return true when painted; false leaves the window's default painting
    // (its background colour).
    virtual bool Paint(ScreenTarget& /*screen*/) { return false; }
    // Return true to swallow the erase-background step.
    virtual bool EraseBackground() { return false; }
    virtual void MouseLeave() {}
    // The context menu was asked for (after a right-button release). Return true when it
    // was handled; otherwise the window's parent is asked.
    virtual bool ContextPopup() { return false; }
    // The user asked the window to close (only the main window's matters).
    virtual void CloseRequested() {}
    // The user's session ends (logoff, shutdown): the system ends the process right after,
    // without a close. Only the main window's matters.
    virtual void SessionEnds() {}
    // Top-level windows: the window went onto a screen of another scale (Window::ScreenDpi).
    virtual void ScreenDpiChanged(int /*dpi*/) {}
};

// The files of one drop from the file manager.
struct DroppedFiles {
    std::vector<std::string> names;  // full paths, in the order the shell lists them
    Point point;                     // where the drop happened, in the window's coordinates
};

// A window's message handling hooked in front of its own for file drops: the drop message
// is consumed, every other message passes on. Unhooked when the object dies.
class FileDropHook {
public:
    virtual ~FileDropHook() = default;
};

// Flags of one entry in a positioning batch.
enum PositionFlags : unsigned {
    KeepZOrder = 1u << 0,
    ShowWindow = 1u << 1,
    HideWindow = 1u << 2,
    NoMove = 1u << 3,
    NoSize = 1u << 4,
    KeepOwnerZOrder = 1u << 5,
};

class Window {
public:
    virtual ~Window() = default;
    // Installs a new sink and returns the one it replaces (which may be the platform's
    // default sink, never null). The new sink must outlive its installation.
    virtual WindowEvents* SetEvents(WindowEvents* sink) = 0;
    // Top-level windows: screen pixels. Child panels: pixels of the parent's client area.
    // The windows have no border, so the outer rectangle equals the client area.
    virtual Rect Bounds() const = 0;
    virtual void SetBounds(Rect bounds) = 0;
    // The toolkit's visible property: set by SetVisible only. Hiding or showing a window
    // through a positioning batch doesn't change it.
    virtual bool Visible() const = 0;
    virtual void SetVisible(bool visible) = 0;
    virtual std::string Caption() const = 0;
    virtual void SetCaption(const std::string& text) = 0;
    virtual void SetColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue) = 0;
    // The cursor the pointer shows while over this window.
    virtual void SetCursor(CursorShape shape) = 0;
    virtual void Invalidate() = 0;
    // Ends the pointer press in progress on this window, if any: the capture goes and the
    // press's release, when it comes, is not reported.
    virtual void CancelPointerPress() = 0;
    // Asks for one MouseLeave when the pointer next leaves the window; asking again while
    // one is pending changes nothing.
    virtual void TrackMouseLeave() = 0;
    // Paints what is invalid right now, without waiting for the message queue.
    virtual void Update() = 0;
    // All of the window waits for its next paint: anything drawn on it before that paint
    // would be drawn over.
    virtual bool AwaitsWholePaint() const = 0;
    // A device context of the window outside painting, released with the result.
    virtual std::unique_ptr<ScreenTarget> GetScreenTarget() = 0;
    // Top-level layered windows: the surface becomes the window's whole appearance with
    // per-pixel alpha, every pixel's opacity multiplied by the constant alpha; the window
    // takes the surface's size, and its top-left corner goes to `topLeft` where one is given
    // (the move and the resize in one step of the window system), else it stays. Input
    // passes through pixels of alpha 0. An empty surface (width or height 0 or below)
    // presents nothing.
    virtual void PresentLayered(const Surface& surface, std::uint8_t constantAlpha, std::optional<Point> topLeft) = 0;
    // Main window: ends the message loop (the program then shuts down).
    virtual void Close() = 0;
    // Tells the shell whether the window accepts dropped files.
    virtual void AcceptFileDrops(bool accept) = 0;
    // Top-level forms: the keyboard goes to this form, if the program has it (another
    // program's stays there). Window managers hand it over only as they are asked, so it
    // must move before the form that has it hides.
    virtual void TakeKeyboard() = 0;
    // The dots per inch of the screen the window is on, which the skin is drawn for (96 is
    // 100 %; platform/Dpi.h).
    virtual int ScreenDpi() const = 0;
};

// One deferred positioning batch: all windows added move and resize in one step at
// Commit. Dropping a batch without Commit applies nothing.
class PositionBatch {
public:
    virtual ~PositionBatch() = default;
    virtual void Add(Window& window, Rect bounds, unsigned flags) = 0;
    virtual void Commit() = 0;
};

class Timer {
public:
    virtual ~Timer() = default;
    virtual bool Enabled() const = 0;
    virtual void SetEnabled(bool enabled) = 0;
    virtual int Interval() const = 0;
};

// A top-level window of any process, found by class name. 0 is none.
using ForeignWindow = std::uintptr_t;

struct FormOptions {
    std::string className;  // window class, e.g. "TfrmMiddle"
    bool layered = false;   // shown only through PresentLayered
};

class Platform {
public:
    virtual ~Platform() = default;

    // Application
    virtual void SetApplicationTitle(const std::string& title) = 0;
    virtual std::string ExecutablePath() = 0;
    // The command-line arguments after the program name, quotes removed.
    virtual std::vector<std::string> CommandLineArguments() = 0;
    // Runs until the main window closes or the application is terminated.
    virtual void RunMessageLoop() = 0;
    virtual void TerminateApplication() = 0;
    // Minimises the application as a whole: all its windows with it.
    virtual void MinimizeApplication() = 0;
    // Brings the viewer's forms up together in front of other programs' windows, as an
    // activation does, none of them asking the window manager for attention: for forms
    // shown again while the main form kept the keyboard.
    virtual void BringFormsForward() = 0;
    // Called with true when the application becomes the active one and with false when a
    // window of another program becomes active; moving between the application's own
    // windows is no change. Replaces an earlier handler.
    virtual void OnApplicationActivation(std::function<void(bool active)> handler) = 0;
    // A text each of whose lines holds a tab shows as a table: what stands before the tab in
    // one column, the rest in a second, aligned.
    virtual void ShowMessage(Window* owner, const std::string& text, const std::string& caption,
                             MessageIcon icon) = 0;
    // The modal file-open dialog for one existing file, without a title or an initial
    // folder of its own. `filter` is pairs of description and patterns, all separated by
    // "|"; the first pair is offered first. The chosen path, or nothing when cancelled.
    virtual std::optional<std::string> ChooseFileToOpen(Window& owner, const std::string& filter) = 0;

    // A popup menu of the captions, each shown exactly as given, at the screen point, owned
    // by the window; returns when it closes. The chosen entry's index, nothing when the
    // menu was dismissed.
    virtual std::optional<int> ShowPopupMenu(Window& owner, const std::vector<std::string>& captions,
                                             Point at) = 0;
    // A question in a message box with Yes (the default button) and No; true for Yes.
    virtual bool AskYesNo(Window* owner, const std::string& text, const std::string& caption) = 0;
    // Moves the file to the Recycle Bin without asking the user (the caller has asked) and
    // never deletes it for good: where the bin can't take it (no bin on its drive, another
    // program holding it open), it stays where it is.
    enum class RecycleOutcome { Recycled, Missing, Kept };
    virtual RecycleOutcome MoveToRecycleBin(Window& owner, const std::string& path) = 0;
    // Puts the image's pixels on the clipboard, in place of what it held, as a 32-bit device-
    // independent bitmap with its alpha and as PNG, for documents, chats and image editors to
    // paste. False when the clipboard couldn't be had or the image has no pixels.
    virtual bool CopyImageToClipboard(Window& owner, const Image& image) = 0;
    // Puts the text on the clipboard in place of what it held.
    virtual bool CopyTextToClipboard(Window& owner, const std::string& text) = 0;
    // The file manager's own context menu for one file (its folder, with the trailing
    // separator, and its name), at the cursor, owned by the window; runs the command chosen
    // there. False when the shell gave no menu for the file (nothing was shown).
    virtual bool ShowShellContextMenu(Window& owner, const std::string& folder,
                                      const std::string& name) = 0;

    // Windows
    // A borderless top-level form without owner form, hidden until made visible.
    virtual std::unique_ptr<Window> CreateForm(const FormOptions& options) = 0;
    // A borderless child panel of the window, visible.
    virtual std::unique_ptr<Window> CreatePanel(Window& parent) = 0;
    virtual std::unique_ptr<PositionBatch> BeginPositionBatch(int windowCount) = 0;
    // A timer delivered as a message on the user-interface thread, disabled when created.
    virtual std::unique_ptr<Timer> CreateTimer(int intervalMs, std::function<void()> onTick) = 0;
    // A clock that only goes forward, in milliseconds from some moment of its own.
    virtual double SteadyMilliseconds() = 0;
    // How long the display shows one frame: 1000 / its refresh rate.
    virtual double DisplayFrameMilliseconds() = 0;
    virtual Point CursorPos() = 0;
    virtual Size ScreenSize() = 0;
    // The extent of all screens together: nothing larger can ever be seen at once.
    virtual Size DesktopSize() = 0;
    // Some part of the rectangle (screen pixels) lies on one of the screens.
    virtual bool IsOnScreen(Rect rect) = 0;
    // The whole of the screen the rectangle lies most on (the nearest one when on none),
    // taskbar included, in screen pixels.
    virtual Rect ScreenRectOf(Rect rect) = 0;
    // Top-level windows by class name: the first one, or the next after `after`.
    virtual ForeignWindow FindTopLevelWindow(const std::string& className, ForeignWindow after) = 0;
    virtual ForeignWindow IdentityOf(const Window& window) = 0;
    virtual void SwitchToWindow(ForeignWindow window) = 0;
    // Hooks the window's drops; the callback gets each drop's names and point.
    virtual std::unique_ptr<FileDropHook> HookFileDrops(
        Window& window, std::function<void(const DroppedFiles&)> onDrop) = 0;

    // Imaging
    virtual std::unique_ptr<Image> DecodeImage(const std::string& path) = 0;
    // An image of a skin or button set: as DecodeImage, but one beyond SkinImageLimit
    // (imaging/ImageHeader.h) is treated as missing.
    virtual std::unique_ptr<Image> DecodeSkinImage(const std::string& path) = 0;
    // Skin images decoding on another thread while this one goes on (the windows made, the
    // button set read) until they are needed.
    class PendingSkinImages {
    public:
        virtual ~PendingSkinImages() = default;
        // DecodeSkinImage of each path, in order, waiting for them first if need be; once only.
        virtual std::vector<std::unique_ptr<Image>> Take() = 0;
    };
    virtual std::unique_ptr<PendingSkinImages> DecodeSkinImagesAhead(const std::vector<std::string>& paths) = 0;
    // A skin image drawn for a screen of the dots per inch, as imaging/ScreenScale.h scales
    // pixels; nothing when it can't be made (no memory), the image then drawn as it is.
    virtual std::unique_ptr<Image> ImageForDpi(const Image& image, int dpi) = 0;
    virtual std::unique_ptr<Surface> CreateSurface(int width, int height) = 0;
    // An image of a copy of the pixels (a frame of an animation); an empty one when memory is
    // short.
    virtual std::unique_ptr<Image> ImageOf(const imaging::PixelBuffer& pixels) = 0;
    // A page of a file of several (Image::Pages), from 0; an empty image for none.
    virtual std::unique_ptr<Image> DecodePage(const std::string& path, int page) = 0;
    // The full decode of a picture running on another thread.
    class PendingImage {
    public:
        virtual ~PendingImage() = default;
        // The decoded picture, waiting for it first if need be; once only.
        virtual std::unique_ptr<Image> Take() = 0;
        // A decode that waits to be begun (a full decode behind a look) begins now; Take
        // begins it too.
        virtual void Begin() {}
    };
    // A first look at a large picture: its full decode starts on another thread, and a copy
    // reduced while decoding (a JPEG's, by 1/2, 1/4 or 1/8), upright and in the display's
    // colours, at least the size `neededFor` gives for the picture's upright size, is made
    // meanwhile. `ready` runs on the user-interface thread from the message loop once the
    // full decode is done, unless its PendingImage is gone by then. Nothing when the picture
    // has no such decode, would gain nothing by it, or was read ahead (DecodeImage gives it at
    // once then, but see `lookReady`); no image when the reduced decode failed (the full one still runs).
    // Given `lookReady`, the reduced copy may be made on another thread as well, so that the
    // user's thread goes on meanwhile: `image` is null then and `look` gives it (no image
    // when its decode failed), and `lookReady` runs on the user-interface thread from the
    // message loop once it is made, unless `look` is gone or taken by then; the full decode
    // begins only at its Begin or Take (a held key's step past the picture wants none).
    // A picture read ahead then comes the same way, with no look of its own: `look` gives no
    // image, `size` is empty, and `full` has it once `lookReady` has run.
    struct PicturePreview {
        std::unique_ptr<Image> image;
        Size size;  // the whole picture's, upright
        std::unique_ptr<PendingImage> full;
        std::unique_ptr<PendingImage> look;
    };
    virtual std::optional<PicturePreview> DecodePreview(const std::string& path,
                                                        const std::function<Size(Size)>& neededFor,
                                                        std::function<void()> ready,
                                                        std::function<void()> lookReady = nullptr) = 0;
    // Makes the look of the picture at `path` now, on a thread of its own, for a
    // DecodePreview of it with `lookReady` that is about to come (a held key's next step),
    // which takes it over: made, or half made. Each call replaces the last, unless for the same
    // path; any other DecodePreview drops it.
    virtual void LookAhead(const std::string& path, const std::function<Size(Size)>& neededFor) = 0;
    // Decodes the pictures at the paths `which` gives ahead of their use, in that order, in
    // the background and within a memory budget, so that a later DecodeImage of one whose
    // file is unchanged returns at once. Each call replaces the last: pictures not named
    // again are dropped. `reducedFor` gives, for a picture's size, the size of the reduction
    // its first paint will draw from (its own size for none), made ahead with it. Both run
    // on another thread (so the listing of a large folder never holds up the user), so they
    // may only use what they hold, and Files(), whose operations may be called from any thread.
    using PictureList = std::function<std::vector<std::string>()>;
    virtual void ReadAhead(PictureList which, std::function<Size(Size)> reducedFor) = 0;
    // The reduction a picture opened from now on has made with its pixels, as ReadAhead's
    // `reducedFor` is for the pictures read ahead: its first paint draws from it, so that no
    // paint reduces the whole picture on the user's thread.
    virtual void ReduceOpenedPicturesFor(std::function<Size(Size)> reducedFor) = 0;

    virtual FileSystem& Files() = 0;
    // Runs `work` on a thread of its own (a long look at the file system that must not hold
    // up the user), then `done` on the user-interface thread from the message loop, never
    // before this returns nor inside a modal loop (a message box, a menu, the shell's move
    // into the bin), and also when `work` threw. `work` may only use what it holds and
    // Files().
    virtual void RunInBackground(std::function<void()> work, std::function<void()> done) = 0;
    // Readies the system's text for the font family on another thread: the first text drawn
    // in a process wakes up the system's fonts, which would otherwise hold up the first frame.
    virtual void PrepareFont(const std::string& family) = 0;
};

}  // namespace zylora::platform
