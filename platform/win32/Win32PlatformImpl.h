// The platform's implementation on Win32 and GDI+, as one class whose parts live in
// Win32Platform.cpp (windows, the application, dialogs) and Win32PlatformPictures.cpp (the
// pictures: decoding, the service's opens). Internal to platform/win32.
#pragma once

#include "platform/win32/Win32Api.h"
#include <shellapi.h>

#include <algorithm>
#include <chrono>
#include <set>
#include <vector>

#include "platform/win32/Win32Background.h"
#include "platform/win32/Win32Clipboard.h"
#include "platform/win32/Win32Dialogs.h"
#include "platform/win32/Win32FileDrop.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32FormStack.h"
#include "platform/win32/Win32Handles.h"
#include "platform/win32/Win32Imaging.h"
#include "platform/win32/Win32Menus.h"
#include "platform/win32/Win32Positioning.h"
#include "platform/win32/Win32Pictures.h"
#include "platform/win32/Win32Text.h"
#include "platform/win32/Win32Timer.h"
#include "platform/win32/Win32Window.h"
#include "platform/win32/Win32WindowManager.h"

namespace zylora::platform::win32 {

constexpr const char* ApplicationClass = "TApplication";
constexpr const char* PanelClass = "TPanel";

constexpr const char* UnnamedFormClass = "TForm";

class Win32Platform : public Platform {
public:
    Win32Platform();
    ~Win32Platform() override;
    Win32Platform(const Win32Platform&) = delete;
    Win32Platform& operator=(const Win32Platform&) = delete;

    void SetApplicationTitle(const std::string& title) override;
    std::string ExecutablePath() override;
    std::vector<std::string> CommandLineArguments() override;
    void RunMessageLoop() override;
    void TerminateApplication() override { ::PostQuitMessage(0); }
    void MinimizeApplication() override;
    void BringFormsForward() override;
    void OnApplicationActivation(std::function<void(bool)> handler) override {
        activation_ = std::move(handler);
    }
    void ShowMessage(Window* owner, const std::string& text, const std::string& caption,
                     MessageIcon icon) override;
    std::optional<std::string> ChooseFileToOpen(Window& owner, const std::string& filter) override;
    bool AskYesNo(Window* owner, const std::string& text, const std::string& caption) override {
        const BackgroundTasks::Hold modal(*background_);
        return AskYesNoBox(OwnerHandle(owner), text, caption);
    }
    RecycleOutcome MoveToRecycleBin(Window& owner, const std::string& path) override;
    bool CopyImageToClipboard(Window& owner, const Image& image) override {
        return PutImageOnClipboard(OwnerHandle(&owner), image);
    }
    bool CopyTextToClipboard(Window& owner, const std::string& text) override {
        return PutTextOnClipboard(OwnerHandle(&owner), text);
    }

    std::optional<int> ShowPopupMenu(Window& owner, const std::vector<std::string>& captions,
                                     Point at) override {
        const BackgroundTasks::Hold modal(*background_);
        const auto* own = dynamic_cast<Win32Window*>(&owner);
        return ShowCaptionMenu(own && own->Handle() ? own->Handle() : application_, captions, at);
    }
    bool ShowShellContextMenu(Window& owner, const std::string& folder, const std::string& name) override {
        const BackgroundTasks::Hold modal(*background_);
        auto* own = dynamic_cast<Win32Window*>(&owner);
        return own && own->Handle() && ShowShellMenu(*own, application_, folder, name);
    }

    std::unique_ptr<Window> CreateForm(const FormOptions& options) override;
    std::unique_ptr<Window> CreatePanel(Window& parent) override;
    std::unique_ptr<PositionBatch> BeginPositionBatch(int windowCount) override {
        return NewPositionBatch(windowCount);
    }
    std::unique_ptr<Timer> CreateTimer(int intervalMs, std::function<void()> onTick) override {
        return timers_->CreateTimer(intervalMs, std::move(onTick));
    }
    Point CursorPos() override;
    double SteadyMilliseconds() override { return win32::SteadyMilliseconds(); }
    double DisplayFrameMilliseconds() override { return win32::DisplayFrameMilliseconds(); }
    Size ScreenSize() override;
    // Every frame's render asks it; under Wine each asking takes the display's lock (0.2 ms,
    // and up to 4 ms while another thread holds it). Kept until the displays change.
    Size DesktopSize() override {
        if (!desktop_) desktop_ = Size{::GetSystemMetrics(SM_CXVIRTUALSCREEN), ::GetSystemMetrics(SM_CYVIRTUALSCREEN)};
        return *desktop_;
    }
    Rect ScreenRectOf(Rect rect) override;
    bool IsOnScreen(Rect rect) override {
        const RECT r{rect.left, rect.top, rect.left + rect.width, rect.top + rect.height};
        return rect.width > 0 && rect.height > 0 && ::MonitorFromRect(&r, MONITOR_DEFAULTTONULL) != nullptr;
    }
    ForeignWindow FindTopLevelWindow(const std::string& className, ForeignWindow after) override;
    ForeignWindow IdentityOf(const Window& window) override;
    void SwitchToWindow(ForeignWindow window) override;
    std::unique_ptr<FileDropHook> HookFileDrops(
        Window& window, std::function<void(const DroppedFiles&)> onDrop) override;

    std::unique_ptr<Image> DecodeImage(const std::string& path) override;
    std::unique_ptr<Image> DecodeSkinImage(const std::string& path) override {
        return DecodeImageFile(gdiplus_.Started() ? path : std::string(), SkinImageLimit, imaging_.get());
    }
    std::unique_ptr<PendingSkinImages> DecodeSkinImagesAhead(const std::vector<std::string>& paths) override {
        return std::make_unique<PendingSkinDecode>(*background_, paths, gdiplus_.Started(),
                                                   [this](const std::string& path) { return DecodeSkinImage(path); });
    }
    std::unique_ptr<Image> ImageForDpi(const Image& image, int dpi) override;
    std::unique_ptr<Surface> CreateSurface(int width, int height) override {
        return NewSurface(width, height);
    }
    std::unique_ptr<Image> ImageOf(const imaging::PixelBuffer& pixels) override;
    std::unique_ptr<Image> DecodePage(const std::string& path, int page) override {
        return DecodePageFile(gdiplus_.Started() ? path : std::string(), page, imaging_.get());
    }
    void ReadAhead(PictureList which, std::function<Size(Size)> reducedFor) override {
        if (!gdiplus_.Started()) return;
        // An open asks for the reduction the steps' first paints draw from too.
        reducedFor_ = reducedFor;
        pictures_->ReadAhead(std::move(which), std::move(reducedFor));
    }
    void ReduceOpenedPicturesFor(std::function<Size(Size)> reducedFor) override { reducedFor_ = std::move(reducedFor); }
    FileSystem& Files() override { return files_; }
    std::optional<PicturePreview> DecodePreview(const std::string& path, const std::function<Size(Size)>& neededFor,
                                                std::function<void()> ready,
                                                std::function<void()> lookReady = nullptr) override;
    void LookAhead(const std::string& path, const std::function<Size(Size)>& neededFor) override;
    void RunInBackground(std::function<void()> work, std::function<void()> done) override {
        background_->Run(std::move(work), std::move(done));
    }
    // Making the family once is what wakes the fonts up (under Wine, 10-20 ms of the first frame).
    void PrepareFont(const std::string& family) override {
        if (gdiplus_.Started()) background_->Run([name = WideFromUtf8(family)] { const Gdiplus::FontFamily ready(name.c_str()); }, [] {});
    }

private:
    static LRESULT CALLBACK ApplicationProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnApplicationMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    bool EnsureClass(const std::string& className);
    // The first plain form, which stands for the application (close, focus), if alive.
    HWND MainForm() const;
    // The main form when it can take the keyboard: shown and not disabled by a dialog.
    HWND KeyboardForm() const;
    // With the main form hidden (rolled up), the frame window still shown: the title.
    HWND ShownFrameForm() const;
    // Where the keyboard belongs: the main form, or the rolled title while it is hidden.
    HWND KeyboardTarget() const { const HWND main = KeyboardForm(); return main ? main : ShownFrameForm(); }
    // The window's handle, or the application window's for none.
    HWND OwnerHandle(const Window* owner) const;
    void RaiseForms();

    // Declared first: GDI+ goes last, after everything that may hold its objects.
    GdiplusSession gdiplus_;
    HINSTANCE instance_ = ::GetModuleHandleA(nullptr);
    WindowEvents defaultSink_;
    std::set<std::string> classes_;
    HWND application_ = nullptr;
    HWND mainForm_ = nullptr;
    bool iconic_ = false;
    std::optional<Size> desktop_;
    bool comStarted_ = false;
    std::unique_ptr<ImagingComponent> imaging_;  // released before COM ends
    std::function<void(bool)> activation_;
    std::unique_ptr<TimerHost> timers_;
    Win32FileSystem files_;
    std::unique_ptr<BackgroundTasks> background_;
    std::function<Size(Size)> reducedFor_;  // the last read-ahead's
    struct LookMadeAhead {
        std::string path;
        imaging::PreviewPlan plan;
        std::shared_ptr<LookTask> task;
    };
    std::optional<LookMadeAhead> lookAhead_;
    // The look of the picture by the plan, begun on a task of its own.
    std::shared_ptr<LookTask> LookOf(const std::string& path, const imaging::PreviewPlan& plan);
    PicturePreview HeldPicture(const std::string& path, std::function<void()> arrived);
    // The service's decode of the picture, begun now or at its Begin or Take (`later`).
    std::unique_ptr<PendingPicture> FullDecodeOf(const std::string& path, bool later, std::function<void()> ready);
    // Declared last: its threads end before anything they use goes.
    std::unique_ptr<imaging::PictureService> pictures_;
};

}  // namespace zylora::platform::win32
