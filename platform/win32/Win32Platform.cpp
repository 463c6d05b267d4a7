#include "platform/win32/Win32Platform.h"
#include "platform/win32/Win32PlatformImpl.h"

namespace zylora::platform::win32 {

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

// After the paints waiting in the queue, as an activation's raise.
void Win32Platform::BringFormsForward() {
    if (application_) ::PostMessageA(application_, RaiseFormsMessage, 0, 0);
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

Rect Win32Platform::ScreenRectOf(Rect rect) {
    const RECT over{rect.left, rect.top, rect.left + rect.width, rect.top + rect.height};
    MONITORINFO screen{};
    screen.cbSize = sizeof(screen);
    if (!::GetMonitorInfoW(::MonitorFromRect(&over, MONITOR_DEFAULTTONEAREST), &screen)) {
        const Size size = ScreenSize();
        return {0, 0, size.width, size.height};
    }
    const RECT& m = screen.rcMonitor;
    return {m.left, m.top, m.right - m.left, m.bottom - m.top};
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

std::unique_ptr<Platform> CreateWin32Platform() { return std::make_unique<Win32Platform>(); }

}  // namespace zylora::platform::win32
