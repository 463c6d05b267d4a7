// The fake platform the logic is tested against. It keeps windows' rectangles and visible
// flags, records positioning batches, presentations and message boxes, and lets a test tick
// timers, set the cursor and the screen size, and define the images that "files" decode to.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/Platform.h"
#include "tests/fake/MemoryFileSystem.h"

namespace zylora::fake {

class FakePlatform;

class FakeImage : public platform::Surface {
public:
    FakeImage(int width, int height, std::uint8_t alpha = 255);
    int Width() const override { return width_; }
    int Height() const override { return height_; }
    std::optional<std::uint8_t> AlphaAt(int x, int y) const override;
    void DrawImage(const platform::Image& image, platform::Rect destination) override;
    void Clear(platform::Argb color) override;
    void FillTexture(const platform::Image& image, float scaleX, float scaleY,
                     platform::RectF area) override;
    void SetPixelOffset(platform::PixelOffset mode) override;
    void SetAntiAlias(bool on) override;
    void FillText(const std::string& text, const platform::TextStyle& style, platform::RectF layout,
                  platform::Argb color) override;
    // Half the em size a character.
    float TextWidth(const std::string& text, const platform::TextStyle& style) override;
    void DrawImageRectQuickly(const platform::Image& image, platform::RectF source,
                              platform::RectF destination) override;
    void DrawImageRect(const platform::Image& image, platform::RectF source,
                       platform::RectF destination) override;
    void FillRectsEvenOdd(const std::vector<platform::RectF>& rects, platform::Argb color) override;
    void OutlineRects(const std::vector<platform::RectF>& rects, platform::Argb color,
                      float width) override;
    std::unique_ptr<platform::Image> Reduced(int width, int height) const override;
    // Recorded as "rotateflip <type>" among the draws; quarter turns exchange the sides.
    // Fails, changing nothing, while turnFails is set.
    bool RotateFlip(platform::RotateFlipType type) override;
    bool HasPixels() const override { return hasPixels && width_ > 0 && height_ > 0; }
    bool turnFails = false;
    bool hasPixels = true;  // false: a surface the memory wasn't there for

    void SetAlpha(int x, int y, std::uint8_t alpha);
    std::string path;                 // the file it was decoded from, if any
    bool damaged = false;
    bool Damaged() const override { return damaged; }
    bool animated = false;
    bool Animated() const override { return animated; }
    int pages = 1;
    int Pages() const override { return pages; }
    std::string refusal;
    std::string Refusal() const override { return refusal; }
    imaging::PhotoFacts facts;
    imaging::PhotoFacts Facts() const override { return facts; }
    std::vector<std::string> draws;   // drawing calls on it, in order
    mutable int reductions = 0;       // copies made by Reduced

private:
    int width_;
    int height_;
    std::vector<std::uint8_t> alpha_;
};

struct Presentation {
    int width = 0;
    int height = 0;
    std::uint8_t alpha = 0;
    std::vector<std::string> draws;  // what was drawn on the presented surface
    std::optional<platform::Point> topLeft;  // where the window's corner went with it
};

class FakeWindow : public platform::Window {
public:
    FakeWindow(FakePlatform& platform, std::string name, FakeWindow* parent, bool layered);
    ~FakeWindow() override;

    platform::WindowEvents* SetEvents(platform::WindowEvents* sink) override;
    platform::Rect Bounds() const override { return bounds; }
    void SetBounds(platform::Rect bounds) override;
    bool Visible() const override { return visibleProperty; }
    void SetVisible(bool visible) override;
    std::string Caption() const override { return caption; }
    void SetCaption(const std::string& text) override { caption = text; }
    void SetColor(std::uint8_t r, std::uint8_t g, std::uint8_t b) override {
        color = platform::MakeArgb(255, r, g, b);
    }
    void SetCursor(platform::CursorShape shape) override { cursor = shape; }
    void Invalidate() override { ++invalidations; }
    void TrackMouseLeave() override { ++leaveTrackings; }
    void CancelPointerPress() override { ++pressesCancelled; }
    void Update() override;
    bool AwaitsWholePaint() const override { return awaitsWholePaint; }
    std::unique_ptr<platform::ScreenTarget> GetScreenTarget() override;
    void PresentLayered(const platform::Surface& surface, std::uint8_t constantAlpha,
                        std::optional<platform::Point> topLeft) override;
    void Close() override;
    void AcceptFileDrops(bool accept) override;
    void TakeKeyboard() override;
    int ScreenDpi() const override;

    // Applies a size or position change as the window system would: can-resize first when
    // the size changes, then the change, then the resized notice.
    void Apply(platform::Rect bounds);
    // A move the window system makes on its own (a window manager's): applied, then told.
    void MoveBySystem(platform::Rect bounds);
    platform::WindowEvents& Events() { return *sink_; }

    FakePlatform& platform;
    std::string name;  // window class of a form, "panel" for a panel
    FakeWindow* parent;
    bool layered;
    platform::Rect bounds;
    bool visibleProperty = false;
    bool onScreen = false;  // shown, by SetVisible or a batch's show and hide flags
    std::string caption;
    platform::Argb color = 0;
    platform::CursorShape cursor = platform::CursorShape::Arrow;
    int invalidations = 0;
    int leaveTrackings = 0;
    int pressesCancelled = 0;
    int updates = 0;
    bool awaitsWholePaint = false;
    // Update paints at once, as the window system does an invalidated window.
    bool paintsOnUpdate = false;
    std::vector<Presentation> presentations;
    bool acceptsDrops = false;
    // The drawing calls of the last surface copied onto the window's screen.
    std::vector<std::string> screenDraws;
    // The drop hook installed on this window, if any.
    std::function<void(const platform::DroppedFiles&)> dropHook;

private:
    platform::WindowEvents defaultSink_;
    platform::WindowEvents* sink_ = &defaultSink_;
};

struct BatchEntry {
    FakeWindow* window = nullptr;
    platform::Rect bounds;
    unsigned flags = 0;
};

struct Batch {
    int declaredCount = 0;
    std::vector<BatchEntry> entries;
};

struct MessageBoxCall {
    std::string text;
    std::string caption;
    platform::MessageIcon icon = platform::MessageIcon::None;
    platform::Window* owner = nullptr;
};

class FakeTimer : public platform::Timer {
public:
    FakeTimer(FakePlatform& platform, int interval, std::function<void()> onTick);
    ~FakeTimer() override;
    bool Enabled() const override { return enabled; }
    void SetEnabled(bool value) override { enabled = value; }
    int Interval() const override { return interval; }
    // Delivers one tick if the timer is enabled.
    void Tick() {
        if (enabled) onTick();
    }

    FakePlatform& platform;
    int interval;
    bool enabled = false;
    std::function<void()> onTick;
};

class FakePlatform : public platform::Platform {
public:
    FakePlatform();
    ~FakePlatform() override;

    void SetApplicationTitle(const std::string& title) override { applicationTitle = title; }
    std::string ExecutablePath() override { return executablePath; }
    std::vector<std::string> CommandLineArguments() override { return arguments; }
    void RunMessageLoop() override { Log("message loop"); }
    void TerminateApplication() override { ++terminations; Log("terminate"); }
    void MinimizeApplication() override { ++minimizations; Log("minimize"); }
    void BringFormsForward() override { Log("forms forward"); }
    void OnApplicationActivation(std::function<void(bool)> handler) override {
        activationHandler = std::move(handler);
    }
    void ShowMessage(platform::Window* owner, const std::string& text, const std::string& caption,
                     platform::MessageIcon icon) override;
    // Logs "open dialog <filter>" and gives openDialogAnswer.
    std::optional<std::string> ChooseFileToOpen(platform::Window& owner,
                                                const std::string& filter) override;

    // Logs "ask <text>", runs whileAsking (what comes in while the question stands) and
    // gives askAnswer.
    bool AskYesNo(platform::Window*, const std::string& text, const std::string&) override {
        Log("ask " + text);
        if (whileAsking) std::exchange(whileAsking, nullptr)();
        return askAnswer;
    }
    bool askAnswer = true;
    std::function<void()> whileAsking;
    // Logs "recycle <path>"; a file that is there goes, unless the bin keeps it (recycleKeeps).
    // Then whileRecycling runs (what comes in during the shell's own loop), and the outcome
    // is told by what is at the path after, as on Windows.
    RecycleOutcome MoveToRecycleBin(platform::Window&, const std::string& path) override {
        Log("recycle " + path);
        if (!files.FileExists(path)) return RecycleOutcome::Missing;
        if (!recycleKeeps) files.files.erase(path);
        if (whileRecycling) std::exchange(whileRecycling, nullptr)();
        return files.FileExists(path) ? RecycleOutcome::Kept : RecycleOutcome::Recycled;
    }
    bool recycleKeeps = false;
    std::function<void()> whileRecycling;
    // Logs "popup <caption>|<caption>... at x,y" and gives popupAnswer.
    std::optional<int> ShowPopupMenu(platform::Window& owner, const std::vector<std::string>& captions,
                                     platform::Point at) override;
    // Logs "shell menu <folder>|<name>" and gives shellMenuShown.
    bool ShowShellContextMenu(platform::Window& owner, const std::string& folder,
                              const std::string& name) override;
    std::unique_ptr<platform::Window> CreateForm(const platform::FormOptions& options) override;
    std::unique_ptr<platform::Window> CreatePanel(platform::Window& parent) override;
    std::unique_ptr<platform::PositionBatch> BeginPositionBatch(int windowCount) override;
    std::unique_ptr<platform::Timer> CreateTimer(int intervalMs, std::function<void()> onTick) override;
    platform::Point CursorPos() override { return cursor; }
    double SteadyMilliseconds() override { return now; }
    double DisplayFrameMilliseconds() override { return 1000.0 / 60; }
    platform::Size ScreenSize() override { return screen; }
    platform::Size DesktopSize() override { return screen; }
    bool IsOnScreen(platform::Rect r) override {
        return r.width > 0 && r.height > 0 && r.left < screen.width && r.top < screen.height &&
               static_cast<long long>(r.left) + r.width > 0 && static_cast<long long>(r.top) + r.height > 0;
    }
    // The one screen, at the origin.
    platform::Rect ScreenRectOf(platform::Rect) override { return {0, 0, screen.width, screen.height}; }
    platform::ForeignWindow FindTopLevelWindow(const std::string& className,
                                               platform::ForeignWindow after) override;
    platform::ForeignWindow IdentityOf(const platform::Window& window) override;
    void SwitchToWindow(platform::ForeignWindow window) override { switchedTo.push_back(window); }
    std::unique_ptr<platform::FileDropHook> HookFileDrops(
        platform::Window& window, std::function<void(const platform::DroppedFiles&)> onDrop) override;

    // What was put on the clipboard last: "image WxH" or "text " and the text.
    std::string clipboard;
    bool CopyImageToClipboard(platform::Window&, const platform::Image& image) override {
        clipboard = "image " + std::to_string(image.Width()) + "x" + std::to_string(image.Height());
        return true;
    }
    bool CopyTextToClipboard(platform::Window&, const std::string& text) override {
        clipboard = "text " + text;
        return true;
    }
    std::unique_ptr<platform::Image> DecodeImage(const std::string& path) override;
    std::unique_ptr<platform::Image> DecodeSkinImage(const std::string& path) override;
    // Decoded at once, as by a worker that finished before anyone asked; Take logs.
    std::unique_ptr<PendingSkinImages> DecodeSkinImagesAhead(const std::vector<std::string>& paths) override {
        struct Done : PendingSkinImages {
            FakePlatform* platform;
            std::vector<std::unique_ptr<platform::Image>> images;
            std::vector<std::unique_ptr<platform::Image>> Take() override {
                platform->Log("take decoded ahead");
                return std::move(images);
            }
        };
        auto done = std::make_unique<Done>();
        done->platform = this;
        Log("decode ahead " + std::to_string(paths.size()));
        for (const std::string& path : paths) done->images.push_back(DecodeSkinImage(path));
        return done;
    }
    // Of the scaled size, each pixel's alpha the source's nearest; its path is the source's
    // and " at <dpi>".
    std::unique_ptr<platform::Image> ImageForDpi(const platform::Image& image, int dpi) override;
    // The dots per inch of the screen every window is on.
    int dpi = 96;
    // A surface larger than surfacePixelLimit pixels has no pixels, as when memory is short.
    std::unique_ptr<platform::Surface> CreateSurface(int width, int height) override;
    // Of the pixels' size and alphas, named "pixels".
    std::unique_ptr<platform::Image> ImageOf(const imaging::PixelBuffer& pixels) override;
    // The image added for "<path>#<page>".
    std::unique_ptr<platform::Image> DecodePage(const std::string& path, int page) override {
        return DecodeImage(path + "#" + std::to_string(page));
    }
    long long surfacePixelLimit = -1;  // none
    int surfacesMade = 0;
    // Keeps the request's functions in readAheadWhich and reducedFor; nothing runs them
    // until a test does, as a worker would.
    void ReadAhead(PictureList which, std::function<platform::Size(platform::Size)> sizeFor) override {
        readAheadWhich = std::move(which);
        reducedFor = std::move(sizeFor);
    }
    void ReduceOpenedPicturesFor(std::function<platform::Size(platform::Size)> sizeFor) override {
        openedReducedFor = std::move(sizeFor);
    }
    std::function<platform::Size(platform::Size)> openedReducedFor;
    // The paths the last request names, as the worker would list them; nothing without one.
    std::optional<std::vector<std::string>> ReadAheadPaths() const {
        if (!readAheadWhich) return std::nullopt;
        return readAheadWhich();
    }
    // For a path a test put in previews, a preview of that size of the picture images holds
    // for the path, whose full decode (DecodeImage) is done at once but whose `ready` waits in
    // background for RunBackground, as a task's would; the sizes asked for are kept in
    // previewNeeded. For a path in lateLooks, the preview comes as a look whose `lookReady`
    // waits in background too.
    std::optional<PicturePreview> DecodePreview(const std::string& path,
                                                const std::function<platform::Size(platform::Size)>& neededFor,
                                                std::function<void()> ready,
                                                std::function<void()> lookReady = nullptr) override;
    void LookAhead(const std::string& path, const std::function<platform::Size(platform::Size)>& neededFor) override {
        const auto picture = images.find(path);
        lookedAhead.emplace_back(path, picture == images.end() ? platform::Size{}
                                                               : neededFor({picture->second.Width(), picture->second.Height()}));
    }
    std::vector<std::pair<std::string, platform::Size>> lookedAhead;
    std::set<std::string> lateLooks;
    std::map<std::string, platform::Size> previews;
    std::vector<platform::Size> previewNeeded;
    std::set<std::string> failingFullDecodes;  // previews whose full decode gives nothing
    platform::FileSystem& Files() override { return files; }
    // At once, unless deferBackground keeps the tasks for RunBackground.
    void PrepareFont(const std::string& family) override { Log("prepare font " + family); }
    void RunInBackground(std::function<void()> work, std::function<void()> done) override {
        if (!deferBackground) {
            work();
            done();
            return;
        }
        background.emplace_back(std::move(work), std::move(done));
    }
    void RunBackground() {
        for (auto tasks = std::exchange(background, {}); auto& [work, done] : tasks) {
            work();
            done();
        }
    }
    bool deferBackground = false;
    std::vector<std::pair<std::function<void()>, std::function<void()>>> background;

    // Test set-up and inspection.
    // Makes the path a file that decodes to an image of that size and alpha.
    void AddImage(const std::string& path, int width, int height, std::uint8_t alpha = 255);
    FakeWindow* FindForm(const std::string& className) const;
    // The application becomes active, or another program does.
    void SetApplicationActive(bool active) {
        if (activationHandler) activationHandler(active);
    }
    void Log(const std::string& entry) { log.push_back(entry); }

    std::string executablePath = "C:\\Zylora\\zylora.exe";
    std::vector<std::string> arguments;
    std::string applicationTitle;
    platform::Point cursor;
    double now = 0;  // the steady clock; tests move it on
    platform::Size screen{1920, 1080};
    MemoryFileSystem files;
    std::map<std::string, FakeImage> images;
    // Other programs' top-level windows, by class name, in z-order (after our own forms).
    std::vector<std::pair<std::string, platform::ForeignWindow>> foreignWindows;
    std::vector<platform::ForeignWindow> switchedTo;

    std::vector<FakeWindow*> windows;  // alive, in creation order
    std::vector<FakeTimer*> timers;    // alive, in creation order
    std::vector<Batch> batches;        // committed, in order
    std::vector<MessageBoxCall> messages;
    std::optional<std::string> openDialogAnswer;  // nothing: the user cancels
    std::function<void(bool)> activationHandler;
    std::optional<int> popupAnswer;  // nothing: the user dismisses the menu
    bool shellMenuShown = true;
    PictureList readAheadWhich;  // the last request, if any
    std::function<platform::Size(platform::Size)> reducedFor;
    std::vector<std::string> log;      // notable calls, in order
    int terminations = 0;
    int minimizations = 0;
    int closes = 0;
};

}  // namespace zylora::fake
