// Helpers of the Win32 tests that run the viewer's own logic (TfrmMiddle and its frames) on
// the real platform: a forwarding platform that keeps what each form presented, the
// program folder's settings file and skin, pictures written with GDI+'s encoders, and
// synthesized file drops.
#pragma once

#include "tests/win32/Win32TestSupport.h"

#include <objidl.h>
#include <gdiplus.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/MainWindow.h"
#include "skin/FrameWindow.h"

namespace zylora::win32test {

// The last surface a form presented, copied at the moment of presentation: the logic frees
// its surface right after presenting it.
struct Presentation {
    int count = 0;  // presentations so far
    int width = 0;
    int height = 0;
    std::uint8_t constantAlpha = 0;
    std::unique_ptr<Gdiplus::Bitmap> pixels;  // null when the surface was empty

    Argb PixelAt(int x, int y) const;
    int AlphaAt(int x, int y) const { return static_cast<int>(PixelAt(x, y) >> 24); }
};

// A form of the real platform that keeps a copy of what it presents.
class RecordedForm : public Window {
public:
    explicit RecordedForm(std::unique_ptr<Window> inner) : inner_(std::move(inner)) {}
    Window& Inner() { return *inner_; }
    const Window& Inner() const { return *inner_; }
    const Presentation& Last() const { return last_; }

    WindowEvents* SetEvents(WindowEvents* sink) override { return inner_->SetEvents(sink); }
    Rect Bounds() const override { return inner_->Bounds(); }
    void SetBounds(Rect bounds) override { inner_->SetBounds(bounds); }
    bool Visible() const override { return inner_->Visible(); }
    void SetVisible(bool visible) override { inner_->SetVisible(visible); }
    std::string Caption() const override { return inner_->Caption(); }
    void SetCaption(const std::string& text) override { inner_->SetCaption(text); }
    void SetColor(std::uint8_t r, std::uint8_t g, std::uint8_t b) override { inner_->SetColor(r, g, b); }
    void SetCursor(CursorShape shape) override { inner_->SetCursor(shape); }
    void Invalidate() override { inner_->Invalidate(); }
    void CancelPointerPress() override { inner_->CancelPointerPress(); }
    void TrackMouseLeave() override { inner_->TrackMouseLeave(); }
    void Update() override { inner_->Update(); }
    bool AwaitsWholePaint() const override { return inner_->AwaitsWholePaint(); }
    std::unique_ptr<ScreenTarget> GetScreenTarget() override { return inner_->GetScreenTarget(); }
    void PresentLayered(const Surface& surface, std::uint8_t constantAlpha, std::optional<Point> topLeft) override;
    void Close() override { inner_->Close(); }
    void AcceptFileDrops(bool accept) override { inner_->AcceptFileDrops(accept); }
    void TakeKeyboard() override { inner_->TakeKeyboard(); }
    int ScreenDpi() const override { return inner_->ScreenDpi(); }

private:
    std::unique_ptr<Window> inner_;
    Presentation last_;
};

// The real platform, but every form is a RecordedForm, the command line is empty (the test
// runner's own arguments are no pictures) and messages are kept instead of shown (a modal
// box would stall the test).
class RecordingPlatform : public Platform {
public:
    explicit RecordingPlatform(Platform& real) : real_(real) {}

    std::vector<std::string> messages;

    void SetApplicationTitle(const std::string& title) override { real_.SetApplicationTitle(title); }
    std::string ExecutablePath() override { return real_.ExecutablePath(); }
    std::vector<std::string> CommandLineArguments() override { return {}; }
    void RunMessageLoop() override { real_.RunMessageLoop(); }
    void TerminateApplication() override { real_.TerminateApplication(); }
    void MinimizeApplication() override { real_.MinimizeApplication(); }
    void BringFormsForward() override { real_.BringFormsForward(); }
    void OnApplicationActivation(std::function<void(bool)> handler) override {
        real_.OnApplicationActivation(std::move(handler));
    }
    void ShowMessage(Window*, const std::string& text, const std::string&, MessageIcon) override {
        messages.push_back(text);
    }
    std::optional<std::string> ChooseFileToOpen(Window& owner, const std::string& filter) override {
        return real_.ChooseFileToOpen(Unwrap(owner), filter);
    }
    // Answered Yes without a box.
    bool AskYesNo(Window*, const std::string& text, const std::string&) override {
        messages.push_back(text);
        return true;
    }
    RecycleOutcome MoveToRecycleBin(Window& owner, const std::string& path) override {
        return real_.MoveToRecycleBin(Unwrap(owner), path);
    }
    bool CopyImageToClipboard(Window& owner, const Image& image) override {
        return real_.CopyImageToClipboard(Unwrap(owner), image);
    }
    bool CopyTextToClipboard(Window& owner, const std::string& text) override {
        return real_.CopyTextToClipboard(Unwrap(owner), text);
    }
    std::optional<int> ShowPopupMenu(Window& owner, const std::vector<std::string>& captions,
                                     Point at) override {
        return real_.ShowPopupMenu(Unwrap(owner), captions, at);
    }
    bool ShowShellContextMenu(Window& owner, const std::string& folder, const std::string& name) override {
        return real_.ShowShellContextMenu(Unwrap(owner), folder, name);
    }
    std::unique_ptr<Window> CreateForm(const FormOptions& options) override {
        return std::make_unique<RecordedForm>(real_.CreateForm(options));
    }
    std::unique_ptr<Window> CreatePanel(Window& parent) override {
        return real_.CreatePanel(Unwrap(parent));
    }
    std::unique_ptr<PositionBatch> BeginPositionBatch(int windowCount) override;
    std::unique_ptr<Timer> CreateTimer(int intervalMs, std::function<void()> onTick) override {
        return real_.CreateTimer(intervalMs, std::move(onTick));
    }
    Point CursorPos() override { return real_.CursorPos(); }
    double SteadyMilliseconds() override { return real_.SteadyMilliseconds(); }
    double DisplayFrameMilliseconds() override { return real_.DisplayFrameMilliseconds(); }
    Size ScreenSize() override { return real_.ScreenSize(); }
    Size DesktopSize() override { return real_.DesktopSize(); }
    bool IsOnScreen(Rect rect) override { return real_.IsOnScreen(rect); }
    Rect ScreenRectOf(Rect rect) override { return real_.ScreenRectOf(rect); }
    ForeignWindow FindTopLevelWindow(const std::string& className, ForeignWindow after) override {
        return real_.FindTopLevelWindow(className, after);
    }
    ForeignWindow IdentityOf(const Window& window) override { return real_.IdentityOf(Unwrap(window)); }
    void SwitchToWindow(ForeignWindow window) override { real_.SwitchToWindow(window); }
    std::unique_ptr<FileDropHook> HookFileDrops(
        Window& window, std::function<void(const DroppedFiles&)> onDrop) override {
        return real_.HookFileDrops(Unwrap(window), std::move(onDrop));
    }
    std::unique_ptr<Image> DecodeImage(const std::string& path) override { return real_.DecodeImage(path); }
    std::unique_ptr<Image> DecodeSkinImage(const std::string& path) override {
        return real_.DecodeSkinImage(path);
    }
    std::unique_ptr<PendingSkinImages> DecodeSkinImagesAhead(const std::vector<std::string>& paths) override {
        return real_.DecodeSkinImagesAhead(paths);
    }
    std::unique_ptr<Image> ImageForDpi(const Image& image, int dpi) override { return real_.ImageForDpi(image, dpi); }
    std::unique_ptr<Surface> CreateSurface(int width, int height) override {
        return real_.CreateSurface(width, height);
    }
    std::unique_ptr<Image> ImageOf(const imaging::PixelBuffer& pixels) override { return real_.ImageOf(pixels); }
    std::unique_ptr<Image> DecodePage(const std::string& path, int page) override {
        return real_.DecodePage(path, page);
    }
    void ReadAhead(PictureList which, std::function<Size(Size)> reducedFor) override {
        real_.ReadAhead(std::move(which), std::move(reducedFor));
    }
    void ReduceOpenedPicturesFor(std::function<Size(Size)> reducedFor) override {
        real_.ReduceOpenedPicturesFor(std::move(reducedFor));
    }
    FileSystem& Files() override { return real_.Files(); }
    std::optional<PicturePreview> DecodePreview(const std::string& path, const std::function<Size(Size)>& neededFor,
                                                std::function<void()> ready,
                                                std::function<void()> lookReady = nullptr) override {
        return real_.DecodePreview(path, neededFor, std::move(ready), std::move(lookReady));
    }
    void LookAhead(const std::string& path, const std::function<Size(Size)>& neededFor) override {
        real_.LookAhead(path, neededFor);
    }
    void PrepareFont(const std::string& family) override { real_.PrepareFont(family); }
    void RunInBackground(std::function<void()> work, std::function<void()> done) override {
        real_.RunInBackground(std::move(work), std::move(done));
    }

    static Window& Unwrap(Window& window);
    static const Window& Unwrap(const Window& window);

private:
    Platform& real_;
};

// A real TfrmMiddle on the recording platform. Its settings file lies beside the test
// program and its skin and button set in a folder of the program folder (the program finds
// them only there); set-up writes the settings file, tear-down removes it and the folder.
class ViewerTest : public PlatformTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes a file of the skin (e.g. "values.ini") or of the button set.
    void WriteSkinFile(const std::string& name, const std::string& bytes);
    void WriteButtonSetFile(const std::string& name, const std::string& bytes);
    std::string SkinFolder() const { return root_ + "\\skin"; }
    const std::string& SettingsFile() const { return settingsPath_; }

    app::TfrmMiddle& Start();
    HWND HandleOfAny(const Window& window) {
        return reinterpret_cast<HWND>(recording.IdentityOf(window));
    }
    const Presentation& LastPresentation(skin::TFrameWindow& frame);

    RecordingPlatform recording{*platform};
    ScratchFolder pictures;
    std::unique_ptr<app::TfrmMiddle> main;

private:
    std::string root_;  // the folder of skin and button set, under the program folder
    std::string settingsPath_;
};

// A picture of the size whose pixel (x, y) is colour(x, y), saved with the GDI+ encoder of
// the MIME type ("image/png", "image/jpeg", ...).
using Colouring = Argb (*)(int x, int y);
void WritePicture(const std::string& path, int width, int height, const std::string& mimeType,
                  Colouring colour);

// The two images hold the very same pixels (images of pixels of our own only).
bool SamePixels(const Image& a, const Image& b);

// Sends a drop to the window as the shell does: a DROPFILES block of UTF-16 names, each
// zero-terminated, with one more zero at the end (two for no names). The receiver frees it.
void SendDrop(HWND window, const std::vector<std::string>& names, POINT at);

}  // namespace zylora::win32test
