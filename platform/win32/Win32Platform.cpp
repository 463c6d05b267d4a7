#include "platform/win32/Win32Platform.h"

#include "platform/win32/Win32Api.h"
#include <shellapi.h>

#include <algorithm>
#include <chrono>
#include <set>
#include <vector>

#include "platform/win32/Win32Background.h"
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

namespace {

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
    FileSystem& Files() override { return files_; }
    std::optional<PicturePreview> DecodePreview(const std::string& path, const std::function<Size(Size)>& neededFor,
                                                std::function<void()> ready) override;
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
    // Declared last: its threads end before anything they use goes.
    std::unique_ptr<imaging::PictureService> pictures_;
};

Win32Platform::Win32Platform() {
    // Its answer is wanted at the first frame window, a moment from now.
    StartWindowManagerProbe();
    // The shell's menu objects want a single-threaded apartment.
    comStarted_ = SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    imaging_ = std::make_unique<ImagingComponent>();
    WNDCLASSEXA applicationClass{};
    applicationClass.cbSize = sizeof applicationClass;
    applicationClass.lpfnWndProc = &Win32Platform::ApplicationProc;
    applicationClass.hInstance = instance_;
    // The application window carries the taskbar button, which shows its class's icon.
    applicationClass.hIcon = ProgramIcon(instance_, false);
    applicationClass.hIconSm = ProgramIcon(instance_, true);
    applicationClass.lpszClassName = ApplicationClass;
    ::RegisterClassExA(&applicationClass);
    EnsureClass(PanelClass);

    // As in a classic VCL program: a zero-sized window, visible so it carries the taskbar
    // button, owning all forms so that minimising it takes them all along. Being empty it
    // never shows on screen. No caption or system menu: Wine would hand such a window to
    // the window manager and then wait seconds for it at every destruction.
    const int x = ::GetSystemMetrics(SM_CXSCREEN) / 2;
    const int y = ::GetSystemMetrics(SM_CYSCREEN) / 2;
    application_ = ::CreateWindowExA(0, ApplicationClass, "", WS_POPUP | WS_MINIMIZEBOX, x, y, 0, 0,
                                     nullptr, nullptr, instance_, this);
    if (application_) ::ShowWindow(application_, SW_SHOWNOACTIVATE);
    timers_ = std::make_unique<TimerHost>(application_);
    background_ = std::make_unique<BackgroundTasks>();
    pictures_ = std::make_unique<imaging::PictureService>(PictureServiceSetupFor(files_, *background_));
}

Win32Platform::~Win32Platform() {
    // The settings are written by now. A folder on a dead network share can take minutes to
    // list, a decode as long to read: past a moment, what still runs ends with the process,
    // before anything it uses goes.
    const auto limit = std::chrono::milliseconds(2000);
    const auto start = std::chrono::steady_clock::now();
    const bool picturesEnded = pictures_->Close(limit);
    const auto left = limit - std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    if (!background_->Close(static_cast<DWORD>(std::max<long long>(0, left.count()))) || !picturesEnded)
        ::ExitProcess(0);
    background_.reset();
    if (application_) {
        ::SetWindowLongPtrA(application_, GWLP_USERDATA, 0);
        ::DestroyWindow(application_);
    }
    // Fails harmlessly for a class whose windows are still alive.
    for (const std::string& name : classes_) ::UnregisterClassA(name.c_str(), instance_);
    ::UnregisterClassA(ApplicationClass, instance_);
    imaging_.reset();
    if (comStarted_) ::CoUninitialize();
}

LRESULT CALLBACK Win32Platform::ApplicationProc(HWND hwnd, UINT message, WPARAM wParam,
                                                LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* platform = reinterpret_cast<Win32Platform*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!platform) return ::DefWindowProcA(hwnd, message, wParam, lParam);
    return platform->OnApplicationMessage(hwnd, message, wParam, lParam);
}

LRESULT Win32Platform::OnApplicationMessage(HWND hwnd, UINT message, WPARAM wParam,
                                            LPARAM lParam) {
    switch (message) {
        case WM_TIMER:
            if (timers_ && timers_->OnTimer(wParam)) return 0;
            break;
        case WM_WINDOWPOSCHANGED:
            // Windows hides and shows the owned forms itself when the owner is minimised and
            // restored; Wine doesn't. Doing it here too is harmless: ShowOwnedPopups shows
            // again only the windows it hid.
            if (const bool iconic = ::IsIconic(hwnd) != FALSE; iconic != iconic_) {
                iconic_ = iconic;
                ::ShowOwnedPopups(hwnd, !iconic);
                // Restored while active (Wine activates before it restores, while the main
                // form was still hidden): the keyboard goes back to the main form, or to the
                // rolled title. At once: the window manager offers the keyboard right after
                // the restore, and Wine hands it to the window that has it by then.
                if (HWND to = KeyboardTarget(); to && !iconic && ::GetFocus() == hwnd)
                    ::SetFocus(to);
            }
            break;
        case WM_DISPLAYCHANGE:
            // A screen added, removed or resized: sent to every top-level window.
            desktop_.reset();
            break;
        case WM_ACTIVATEAPP:
            // Sent to every top-level window of the thread; this one speaks for them all.
            if (activation_) {
                const std::function<void(bool)> handler = activation_;
                handler(wParam != FALSE);
            }
            return 0;
        case ActivateMainFormMessage:
            // One of the forms was pressed. The main form takes the keyboard if it hasn't it
            // (the rolled title does, while the main form is hidden), and
            // its activation raises all the forms. Under a window manager the viewer may
            // have the keyboard and yet lie under a window that came up without it, and the
            // manager raises only the window pressed: then the press raises them all.
            if (HWND main = KeyboardForm()) {
                if (::GetForegroundWindow() != main)
                    ::SetForegroundWindow(main);
                else
                    ::PostMessageA(hwnd, RaiseFormsMessage, 0, 0);
            } else if (const HWND title = ShownFrameForm(), to = title ? title : hwnd; ::GetForegroundWindow() != to) {
                ::SetForegroundWindow(to);
            }
            return 0;
        case WindowManagerFoundMessage:
            HandFramesToWindowManager(hwnd);
            return 0;
        case RaiseFormsMessage: {
            // An activation and the press that made it each ask: one raise serves both.
            MSG queued;
            while (::PeekMessageA(&queued, hwnd, RaiseFormsMessage, RaiseFormsMessage, PM_REMOVE)) {}
            RaiseForms();
            return 0;
        }
        case WM_SETFOCUS:
            // Activated through the taskbar button: the keyboard belongs to the main form, or
            // to the title while rolled up.
            if (HWND to = KeyboardTarget()) {
                ::SetFocus(to);
                return 0;
            }
            break;
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
            // With the main form hidden (rolled up) the keyboard may land here: its commands
            // still work.
            if (HWND main = MainForm()) return ::SendMessageA(main, message, wParam, lParam);
            break;
        case WM_CLOSE:
            // Closing from the taskbar is the main form's close request; never destroy this
            // window, the platform owns it.
            if (HWND main = MainForm()) {
                ::SendMessageA(main, WM_CLOSE, 0, 0);
            } else {
                ::PostQuitMessage(0);
            }
            return 0;
        default: break;
    }
    return ::DefWindowProcA(hwnd, message, wParam, lParam);
}

bool Win32Platform::EnsureClass(const std::string& className) {
    if (classes_.count(className)) return true;
    if (!RegisterWindowClass(instance_, className)) return false;
    classes_.insert(className);
    return true;
}

void Win32Platform::RaiseForms() {
    const HWND main = MainForm();
    if (!main || !::IsWindowVisible(main)) return;
    // Posted at the activation, the raise comes before the paints waiting in the queue; at the
    // start that held back the first frame by the raise's dozen z-order changes. The main
    // form and its panels are painted first: the raise changes no pixel of theirs.
    ::RedrawWindow(main, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    RaiseFormStack(application_, main);
}

HWND Win32Platform::MainForm() const {
    if (!mainForm_ || !::IsWindow(mainForm_) || ::GetWindow(mainForm_, GW_OWNER) != application_)
        return nullptr;
    return mainForm_;
}

HWND Win32Platform::ShownFrameForm() const {
    // Where no window manager runs the frame windows never take the keyboard (TakeKeyboard).
    if ((MainForm() && ::IsWindowVisible(MainForm())) || !WindowManagerRuns(0, nullptr)) return nullptr;
    const std::vector<HWND> frames = ShownFrames(application_);
    return frames.empty() ? nullptr : frames.front();
}

HWND Win32Platform::KeyboardForm() const {
    const HWND main = MainForm();
    return main && ::IsWindowVisible(main) && ::IsWindowEnabled(main) ? main : nullptr;
}

void Win32Platform::SetApplicationTitle(const std::string& title) {
    if (application_) ::SetWindowTextW(application_, WideFromUtf8(title).c_str());
}

std::string Win32Platform::ExecutablePath() {
    // MAX_PATH isn't a limit any more: grow until the name fits.
    for (DWORD size = MAX_PATH; size <= 32768 * 2; size *= 2) {
        std::wstring path(size, L'\0');
        const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), size);
        if (length == 0) return {};
        if (length < size) {
            path.resize(length);
            return Utf8FromWide(path.c_str());
        }
    }
    return {};
}

std::vector<std::string> Win32Platform::CommandLineArguments() { return win32::CommandLineArguments(); }

void Win32Platform::RunMessageLoop() {
    MSG message;
    // GetMessage gives -1 on an error; that ends the loop as well as WM_QUIT does.
    while (::GetMessageA(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    }
}

void Win32Platform::MinimizeApplication() {
    // Without a window manager nothing could bring a minimised program back.
    if (application_ && WindowManagerRuns(0, nullptr)) ::ShowWindow(application_, SW_MINIMIZE);
}

HWND Win32Platform::OwnerHandle(const Window* owner) const {
    const auto* ownerWindow = dynamic_cast<const Win32Window*>(owner);
    return ownerWindow && ownerWindow->Handle() ? ownerWindow->Handle() : application_;
}

void Win32Platform::ShowMessage(Window* owner, const std::string& text, const std::string& caption,
                                MessageIcon icon) {
    const BackgroundTasks::Hold modal(*background_);
    ShowMessageBox(OwnerHandle(owner), text, caption, icon);
}

std::optional<std::string> Win32Platform::ChooseFileToOpen(Window& owner, const std::string& filter) {
    const BackgroundTasks::Hold modal(*background_);
    return ChooseFileToOpenFrom(OwnerHandle(&owner), filter);
}

// The shell takes a missing name for a folder and asks about that: a missing file is told
// before it is asked.
Platform::RecycleOutcome Win32Platform::MoveToRecycleBin(Window& owner, const std::string& path) {
    if (!files_.FileExists(path)) return RecycleOutcome::Missing;
    const BackgroundTasks::Hold modal(*background_);
    ShellRecycle(OwnerHandle(&owner), path);
    return files_.FileExists(path) ? RecycleOutcome::Kept : RecycleOutcome::Recycled;
}

std::unique_ptr<Window> Win32Platform::CreateForm(const FormOptions& options) {
    WindowSetup setup;
    setup.instance = instance_;
    setup.className = options.className.empty() ? UnnamedFormClass : options.className;
    // Every form is an overlapped window with a caption, not a popup. Wine hands a captioned
    // window to the window manager, so the frame windows stack, change workspace and take
    // the activation of a press together with the main form, where popups shown without
    // activation would float above every other program; and it declares an owned popup a
    // dialog, which Alt+Tab lists beside the application window, where an owned overlapped
    // window is a normal window left off the taskbar and the list. The caption takes no room
    // (the forms have no non-client area, Win32Window), so nothing of it shows on Windows,
    // where owned windows stack together anyway. Without a window manager (a bare X server)
    // Wine would wait two seconds at each hide of such a window for one to answer: there
    // the frame windows are popups, which Wine leaves to nobody. The main form is the
    // manager's all the same, as Wine hands it every window it activates.
    constexpr DWORD AnswerAtStartMs = 250;
    setup.style = options.layered ? FrameStyle(WindowManagerRuns(AnswerAtStartMs, application_))
                                  : WS_CAPTION | WS_CLIPCHILDREN;
    // Layered from the start, so the form shows nothing before its first presentation.
    setup.exStyle = options.layered ? WS_EX_LAYERED | WS_EX_TOOLWINDOW : 0;
    setup.parent = application_;
    setup.layered = options.layered;
    setup.defaultSink = &defaultSink_;
    EnsureClass(setup.className);
    auto form = std::make_unique<Win32Window>(setup);
    if (!options.layered) WithoutCompositorFrame(form->Handle());
    if (!options.layered && !MainForm()) mainForm_ = form->Handle();
    return form;
}

std::unique_ptr<Window> Win32Platform::CreatePanel(Window& parent) {
    const auto* parentWindow = dynamic_cast<Win32Window*>(&parent);
    WindowSetup setup;
    setup.instance = instance_;
    setup.className = PanelClass;
    setup.style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
    setup.parent = parentWindow && parentWindow->Handle() ? parentWindow->Handle() : application_;
    setup.defaultSink = &defaultSink_;
    return std::make_unique<Win32Window>(setup);
}

Point Win32Platform::CursorPos() {
    POINT p{};
    ::GetCursorPos(&p);
    return {p.x, p.y};
}

Size Win32Platform::ScreenSize() {
    return {::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
}

ForeignWindow Win32Platform::FindTopLevelWindow(const std::string& className, ForeignWindow after) {
    HWND found = after == 0
                     ? ::FindWindowA(className.c_str(), nullptr)
                     : ::FindWindowExA(nullptr, reinterpret_cast<HWND>(after), className.c_str(), nullptr);
    return reinterpret_cast<ForeignWindow>(found);
}

ForeignWindow Win32Platform::IdentityOf(const Window& window) {
    const auto* own = dynamic_cast<const Win32Window*>(&window);
    return own ? reinterpret_cast<ForeignWindow>(own->Handle()) : 0;
}

void Win32Platform::SwitchToWindow(ForeignWindow window) {
    if (window != 0) ::SwitchToThisWindow(reinterpret_cast<HWND>(window), TRUE);
}

std::unique_ptr<FileDropHook> Win32Platform::HookFileDrops(
    Window& window, std::function<void(const DroppedFiles&)> onDrop) {
    if (auto* own = dynamic_cast<Win32Window*>(&window)) return HookDrops(*own, std::move(onDrop));
    return std::make_unique<FileDropHook>();
}

// The full decode starts first, on a thread of its own, so that the reduced one on this
// thread costs the open nothing on a second core.
std::optional<Platform::PicturePreview> Win32Platform::DecodePreview(const std::string& path,
                                                                     const std::function<Size(Size)>& neededFor,
                                                                     std::function<void()> ready) {
    if (!gdiplus_.Started() || pictures_->Holds(path)) return std::nullopt;
    const std::optional<imaging::PreviewPlan> plan = PlanPreview(path, PictureLimit, neededFor);
    if (!plan) return std::nullopt;
    PicturePreview preview{nullptr, plan->upright, nullptr};
    // One being read ahead just now is taken over by the open.
    const imaging::JobId job = pictures_->Open(path, reducedFor_);
    if (job == 0) return std::nullopt;
    preview.full = std::make_unique<PendingPicture>(
        *pictures_, *background_, job, [this, path] { return DecodeImageFile(path, PictureLimit, imaging_.get()); },
        std::move(ready));
    if (std::optional<DecodedPixels> pixels = DecodePreviewPixels(path, *plan))
        preview.image = ImageOfPixels(std::move(*pixels), std::nullopt);
    return preview;
}

std::unique_ptr<Image> Win32Platform::DecodeImage(const std::string& path) {
    const auto here = [this, &path] {
        return DecodeImageFile(gdiplus_.Started() ? path : std::string(), PictureLimit, imaging_.get());
    };
    if (!gdiplus_.Started()) return here();
    // One read ahead comes at once, one being read ahead as soon as its decode ends; any other
    // is decoded by the service's foreground thread, as every picture opened is.
    const imaging::JobId job = pictures_->Open(path, reducedFor_);
    std::optional<imaging::JobResult> result = pictures_->Wait(job, PictureWaitLimit);
    if (!result) pictures_->Cancel(job);
    return ImageOfResult(std::move(result), here);
}

std::unique_ptr<Image> Win32Platform::ImageOf(const imaging::PixelBuffer& pixels) {
    std::optional<DecodedPixels> copy = imaging::PixelsToFill(pixels.width, pixels.height);
    if (!copy) return DecodeImageFile(std::string(), PictureLimit, nullptr);
    std::copy(pixels.pixels.begin(), pixels.pixels.end(), copy->pixels.pixels.begin());
    copy->opaque = imaging::AllOpaque(copy->pixels.pixels);
    return ImageOfPixels(std::move(*copy), std::nullopt);
}

}  // namespace

std::unique_ptr<Platform> CreateWin32Platform() { return std::make_unique<Win32Platform>(); }

}  // namespace zylora::platform::win32
