#include "app/MainWindow.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "platform/Dpi.h"
#include "platform/Ini.h"
#include "platform/Paths.h"
#include "shell/FileDrop.h"
#include "skin/EdgeWindows.h"
#include "skin/TitleWindow.h"
#include "toolbar/ZylButton.h"

namespace zylora::app {

using platform::Rect;

namespace {

int Add(long long a, long long b, long long c = 0) { return platform::SaturatingSum(a, b, c); }

}  // namespace

TfrmMiddle::TfrmMiddle(platform::Platform& platform)
    : platform_(platform), window_(platform.CreateForm({"TfrmMiddle", /*layered=*/false})) {
    window_->SetCaption("Active Caption");
    window_->SetColor(0xC0, 0xC0, 0xC0);  // silver
    Toolbar = platform.CreatePanel(*window_);
    Image2 = platform.CreatePanel(*window_);
    Image2->SetColor(0xC0, 0xC0, 0xC0);
    Toolbar->SetEvents(&toolbarInput_);
    Image2->SetEvents(&viewInput_);
    Toolbar->SetBounds({0, 0, 0, DesignToolbarHeight});
    Timer1 = platform.CreateTimer(1, [this] { Timer1Timer(); });
    // Timer messages come only when no other message waits: after the picture's first paint.
    ReadAheadTimer = platform.CreateTimer(10, [this] { ReadAheadTimerTimer(); });
    StepTimer = platform.CreateTimer(1, [this] { StepTimerTimer(); });
    FrameFollowTimer = platform.CreateTimer(1, [this] { FrameFollowTimerTimer(); });
    // As the designer sets it up: EnableDrop before the control, so only the binding counts.
    FileDrop1 = std::make_unique<shell::TFileDrop>(platform);
    FileDrop1->SetEnableDrop(true);
    FileDrop1->SetDropControl(Image2.get());
    FileDrop1->OnDrop = [this](shell::TFileDrop&) { FileDrop1Drop(); };
    window_->SetEvents(this);
    FormCreate();
    platform.OnApplicationActivation([this](bool active) {
        if (active)
            ApplicationEvents1Activate();
        else
            ApplicationEvents1Deactivate();
    });
}

TfrmMiddle::~TfrmMiddle() {
    platform_.OnApplicationActivation(nullptr);
    FormDestroy();
    // The frame windows outlive nothing that uses them: unlink them before they go.
    for (skin::TFrameWindow* frame : std::initializer_list<skin::TFrameWindow*>{
             TopFrame.get(), RightFrame.get(), BottomFrame.get(), LeftFrame.get()})
        if (frame) frame->MainWindow = nullptr;
    static platform::WindowEvents quiet;
    window_->SetEvents(&quiet);
    Toolbar->SetEvents(&quiet);
    Image2->SetEvents(&quiet);
}

void TfrmMiddle::FormCreate() {
    CornerImage.reset();
    MoveMode = true;
    ZoomFactor = 1;
    OffsetX = 0;
    OffsetY = 0;
    ButtonList.clear();
    Unrolling = false;
    RollingUp = false;
    RolledUp = false;
    Picture.reset();
    Active = true;

    {
        platform::IniFile settings(platform_.Files(), SettingsPath());
        const int x = settings.ReadInteger("Placement", "X", 100);
        const int y = settings.ReadInteger("Placement", "Y", 100);
        // A size of nothing would start a window nobody sees.
        int width = settings.ReadInteger("Placement", "Width", 320);
        int height = settings.ReadInteger("Placement", "Height", 320);
        if (width <= 0) width = 320;
        if (height <= 0) height = 320;
        window_->SetBounds({x, y, width, height});
        Dpi = window_->ScreenDpi();
        FrameImages.SetDpi(Dpi);
        ButtonImages.SetDpi(Dpi);
        SkinDir = settings.ReadString("Skin", "Dir", DefaultSkinDir);
        ButtonsDir = settings.ReadString("Buttons", "Dir", DefaultButtonsDir);
        Slides.SetSeconds(settings.ReadInteger("Slideshow", "Interval", Slideshow::DefaultSeconds));
        const std::string order = settings.ReadString("Folder", "Order", "");
        orderSaved_ = !order.empty();
        FileListBox1.SetOrder({view::OrderOfWord(order), settings.ReadInteger("Folder", "Reversed", 0) != 0});
    }
    // A folder that is gone (deleted, renamed) would leave the window without a title, and
    // so without the skin menu to choose another: the bundled one stands in. A folder that
    // is there is used whatever it holds.
    if (!platform_.Files().FolderExists(ProgramFolder() + "\\" + SkinDir)) SkinDir = DefaultSkinDir;
    if (!platform_.Files().FolderExists(ProgramFolder() + "\\" + ButtonsDir)) ButtonsDir = DefaultButtonsDir;

    TopFrame = std::make_unique<skin::TfrmTop>(platform_);
    RightFrame = std::make_unique<skin::TfrmRight>(platform_);
    BottomFrame = std::make_unique<skin::TfrmBottom>(platform_);
    LeftFrame = std::make_unique<skin::TfrmLeft>(platform_);
    RightFrame->MainWindow = this;
    TopFrame->MainWindow = this;
    BottomFrame->MainWindow = this;
    LeftFrame->MainWindow = this;

    LoadSkin();
    LoadButtonSet();
    BringOntoScreen();

    const std::vector<std::string> arguments = platform_.CommandLineArguments();
    if (!arguments.empty()) ShowPicture(arguments.front());
}

// A placement saved on a screen that is no longer there would start the program out of
// sight for good: it comes back onto the main screen, frame included where it fits. A window
// partly on a screen stays where it was put.
void TfrmMiddle::BringOntoScreen() {
    const Rect r = BoundsRect();
    if (platform_.IsOnScreen(r)) return;
    const platform::Size screen = platform_.ScreenSize();
    auto within = [](long long value, long long low, long long high) {
        return static_cast<int>(std::max(low, std::min(value, std::max(low, high))));
    };
    const int x = within(r.left, GetLeftWidth(), static_cast<long long>(screen.width) - r.width - GetRightWidth());
    const int y = within(r.top, GetTopHeight(), static_cast<long long>(screen.height) - r.height - GetBottomHeight());
    window_->SetBounds({x, y, r.width, r.height});
}

void TfrmMiddle::Show() {
    window_->SetVisible(true);
    if (!shown_) {
        shown_ = true;
        FormShow();
    }
}

void TfrmMiddle::FormShow() {
    viewProc_.InstallOn(*Image2);
    OldViewProc = viewProc_.Next();
    toolbarProc_.InstallOn(*Toolbar);
    OldToolbarProc = toolbarProc_.Next();
    const Rect r = BoundsRect();
    PlaceWindows(r.left, r.top, r.width, r.height);
}

void TfrmMiddle::FormDestroy() {
    ToolbarBackground.reset();
    ToolbarBackgroundCache.reset();
    ForgetPicture();
    CornerImage.reset();

    if (OldViewProc) viewProc_.RemoveFrom(*Image2);
    if (OldToolbarProc) toolbarProc_.RemoveFrom(*Toolbar);
    OldViewProc = OldToolbarProc = nullptr;

    WriteSettings();
    ButtonList.clear();
}

void TfrmMiddle::SessionEnds() { WriteSettings(); }

void TfrmMiddle::WriteSettings() {
    if (settingsWritten_) return;
    settingsWritten_ = true;
    // Rolled up, the window's own height is that of the animation's last step: the next
    // start opens the window as the user had it.
    const Rect r = PlacedRect();
    try {
        platform::IniFile settings(platform_.Files(), SettingsPath());
        settings.WriteInteger("Placement", "X", r.left);
        settings.WriteInteger("Placement", "Y", r.top);
        settings.WriteInteger("Placement", "Width", r.width);
        settings.WriteInteger("Placement", "Height", r.height);
        settings.WriteString("Skin", "Dir", SkinDir);
        settings.WriteString("Buttons", "Dir", ButtonsDir);
        // A slideshow's while the user never changed leaves the file as it was.
        if (Slides.Seconds() != Slideshow::DefaultSeconds || !settings.ReadString("Slideshow", "Interval", "").empty())
            settings.WriteInteger("Slideshow", "Interval", Slides.Seconds());
        // Only an order chosen is written: a file without one stays as it was.
        const view::FolderOrder order = FileListBox1.Order();
        if (orderSaved_ || order != view::FolderOrder{}) {
            settings.WriteString("Folder", "Order", view::OrderWord(order.by));
            settings.WriteInteger("Folder", "Reversed", order.reversed ? 1 : 0);
        }
    } catch (const platform::IniWriteError& error) {
        // The first failed write ends this shutdown's writes; the user learns of it.
        platform_.ShowMessage(window_.get(), error.what(), "Zylora", platform::MessageIcon::Error);
    }
}

std::string TfrmMiddle::ProgramFolder() const { return platform::DirectoryOf(platform_.ExecutablePath()); }

std::string TfrmMiddle::SettingsPath() const {
    const std::string exe = platform_.ExecutablePath();
    const std::size_t nameStart = exe.size() - platform::FileNameOf(exe).size();
    const std::size_t dot = exe.rfind('.');
    if (dot == std::string::npos || dot < nameStart) return exe + ".ini";
    return exe.substr(0, dot) + ".ini";
}

std::string TfrmMiddle::GetSkinPath() const { return ProgramFolder() + "\\" + SkinDir + "\\"; }

int TfrmMiddle::GetLeftWidth() const { return Active ? Metrics.LeftWidth : Metrics.LeftInactiveWidth; }

int TfrmMiddle::GetRightWidth() const {
    return Active ? Metrics.RightWidth : Metrics.RightInactiveWidth;
}

int TfrmMiddle::GetTopHeight() const {
    if (Active) return RolledUp ? Metrics.TopRolledUpHeight : Metrics.TopHeight;
    return RolledUp ? Metrics.TopRolledUpInactiveHeight : Metrics.TopInactiveHeight;
}

int TfrmMiddle::GetBottomHeight() const {
    return Active ? Metrics.BottomHeight : Metrics.BottomInactiveHeight;
}

FrameRects FrameAround(Rect m, int l, int r, int t, int b) {
    const int x = m.left, y = m.top, width = m.width, height = m.height;
    return {m,
            {Add(x, -l), Add(y, -t), Add(l, width, r), t},
            {x, Add(y, height), width, b},
            {Add(x, width), y, r, Add(height, b)},
            {Add(x, -l), y, l, Add(height, b)}};
}

Rect TfrmMiddle::PlacedRect() const {
    if (FullScreen) return Windowed.placed;
    Rect r = BoundsRect();
    if (RolledUp) r.height = UnrolledHeight;
    return r;
}

platform::Size TfrmMiddle::SmallestSize() const {
    long long width = 0;
    for (const auto& button : ButtonList)
        if (button->Width > 0 && button->Height > 0)
            width = std::max(width, static_cast<long long>(button->X) + button->Width);
    return {static_cast<int>(std::min<long long>(width, platform::MaxWindowExtent)),
            Add(ToolbarHeight(), platform::ScaledToDpi(SmallestViewHeight, Dpi))};
}

platform::Size TfrmMiddle::PictureArea() const {
    const Rect r = PlacedRect();
    const long long view = static_cast<long long>(r.height) - ToolbarHeight();
    return {static_cast<int>(std::lround(r.width * PictureShareX)),
            static_cast<int>(std::lround(static_cast<double>(std::max(0LL, view)) * PictureShareY))};
}

Rect TfrmMiddle::PlaceForPicture(platform::Size area) {
    const Rect now = BoundsRect();
    const platform::Size least = SmallestSize();
    const int width = std::max(area.width, least.width);
    const int height = std::max(Add(area.height, ToolbarHeight()), least.height);
    const int view = Add(height, -static_cast<long long>(ToolbarHeight()));
    PictureShareX = width > 0 && area.width > 0 ? std::min(1.0, static_cast<double>(area.width) / width) : 1;
    PictureShareY = view > 0 && area.height > 0 ? std::min(1.0, static_cast<double>(area.height) / view) : 1;
    PlaceWindows(now.left, now.top, width, height);
    return {now.left, now.top, width, height};
}

void TfrmMiddle::PlaceWindows(int x, int y, int width, int height) {
    // Full screen, the window keeps the screen: a new picture or a turn is fitted to it, and
    // leaving fits the window to the picture shown then.
    if (FullScreen) return FitPictureToScreen();
    const platform::Size least = SmallestSize();
    width = std::max(width, least.width);
    height = std::max(height, least.height);
    // The hidden main window's own height is the roll animation's last step; a fit or a
    // turn while rolled up must not be lost to it at the unroll.
    if (RolledUp) UnrolledHeight = height;
    frameFollowUps_ = 0;
    unrolledTo_.reset();  // placed anew: where the unroll put the windows no longer counts
    const FrameRects to = FrameAround({x, y, width, height}, GetLeftWidth(), GetRightWidth(),
                                      GetTopHeight(), GetBottomHeight());
    // The frames take their new sizes and places with their new pictures first, each moved
    // and sized in one step of the window system; the batch then moves the main window and
    // any frame whose look was kept. Rendered from within the batch instead, each would be
    // sized twice, and under Wine every sizing or move costs (a corner drag's step renders
    // all four and moves two).
    if (!RolledUp && !RollingUp && !Unrolling) RenderFramesAround(to, true);
    auto batch = platform_.BeginPositionBatch(5);
    const unsigned flags = platform::KeepZOrder;
    batch->Add(TopFrame->Form(), to.top, flags);
    batch->Add(*window_, to.main, flags);
    batch->Add(BottomFrame->Form(), to.bottom, flags);
    batch->Add(RightFrame->Form(), to.right, flags);
    batch->Add(LeftFrame->Form(), to.left, flags);
    batch->Commit();

    if (!RolledUp && !BottomFrame->Form().Visible()) BottomFrame->Form().SetVisible(true);
    if (!TopFrame->Form().Visible()) TopFrame->Form().SetVisible(true);
    if (!RolledUp && !RightFrame->Form().Visible()) RightFrame->Form().SetVisible(true);
    if (!RolledUp && !LeftFrame->Form().Visible()) LeftFrame->Form().SetVisible(true);
}

void TfrmMiddle::DragResizeTo(Rect r) {
    const platform::Size least = SmallestSize();
    const Rect now = BoundsRect();
    // The left edge dragged too far right stops where the window is at its narrowest.
    if (r.width < least.width && r.left != now.left) r.left = Add(now.left, now.width, -static_cast<long long>(least.width));
    ResizeDragging = true;
    PlaceWindows(r.left, r.top, r.width, r.height);
    ResizeDragging = false;
}

void TfrmMiddle::RenderFrames(int x, int y, int width, int height) {
    RenderFramesAround(FrameAround({x, y, width, height}, GetLeftWidth(), GetRightWidth(), GetTopHeight(),
                                   GetBottomHeight()),
                       false);
}

void TfrmMiddle::RenderFramesAround(const FrameRects& to, bool place) {
    if (FullScreen) return;  // hidden: drawn anew when they come back
    const std::pair<skin::TFrameWindow*, Rect> frames[] = {
        {TopFrame.get(), to.top}, {LeftFrame.get(), to.left}, {BottomFrame.get(), to.bottom}, {RightFrame.get(), to.right}};
    for (const auto& [frame, rect] : frames) {
        if (place)
            frame->RenderInto(rect);
        else
            frame->RenderAt(rect.width, rect.height);
    }
}

// A window manager moves the one window it was asked to (Alt+drag) or keeps it on the screen
// by itself (at a screen's edge): the other four follow once the move is done.
void TfrmMiddle::FrameFollowTimerTimer() {
    FrameFollowTimer->SetEnabled(false);
    const bool mainMoved = std::exchange(mainMoved_, false);
    if (RolledUp || RollingUp || Unrolling || FullScreen) return;
    const Rect main = BoundsRect();
    // Under openbox the main window shown again by the unroll may end at a size or a place
    // of one of the unroll's steps: a late answer Wine took for the last word, often inside
    // the program's own placing, where no move is reported. For a moment after the unroll
    // the main window is looked at, and put back where the unroll put it.
    constexpr double LateAnswerMs = 1000;
    if (unrolledTo_ && platform_.SteadyMilliseconds() - unrolledAt_ > LateAnswerMs) unrolledTo_.reset();
    if (unrolledTo_) {
        FrameFollowTimer->SetEnabled(true);
        if (main != *unrolledTo_) {
            const Rect back = *unrolledTo_;
            PlaceWindows(back.left, back.top, back.width, back.height);
            unrolledTo_ = back;
            return;
        }
    }
    const FrameRects to = FrameAround(main, GetLeftWidth(), GetRightWidth(), GetTopHeight(), GetBottomHeight());
    const std::pair<platform::Window*, Rect> frames[] = {{&TopFrame->Form(), to.top},
                                                         {&LeftFrame->Form(), to.left},
                                                         {&RightFrame->Form(), to.right},
                                                         {&BottomFrame->Form(), to.bottom}};
    const auto moved = std::find_if(std::begin(frames), std::end(frames),
                                    [](const auto& frame) { return frame.first->Bounds() != frame.second; });
    if (moved == std::end(frames)) return;
    if (mainMoved) {
        AlignFrames();
        TopFrame->KeepTitleOnScreen();
        return;
    }
    // Either may be a fight with a window manager that places each window on its own: tried
    // twice until the next placement the program makes itself.
    if (frameFollowUps_ >= 2) return;
    const int followUps = frameFollowUps_ + 1;
    // A frame window that was to lie partly off the screen and was moved is one the window
    // manager keeps on it (icewm, at the edges): the other four follow it there. One that
    // was wholly on the screen had no reason to move: a late answer to one of the program's
    // own earlier placements (openbox's, during a roll) that Wine took for the last word. It
    // goes back.
    const platform::Size desktop = platform_.DesktopSize();
    const Rect& wanted = moved->second;
    const bool wasOnScreen = wanted.left >= 0 && wanted.top >= 0 &&
                             static_cast<long long>(wanted.left) + wanted.width <= desktop.width &&
                             static_cast<long long>(wanted.top) + wanted.height <= desktop.height;
    if (wasOnScreen) {
        AlignFrames();
    } else {
        const Rect now = moved->first->Bounds();
        PlaceWindows(Add(main.left, now.left, -static_cast<long long>(wanted.left)),
                     Add(main.top, now.top, -static_cast<long long>(wanted.top)), main.width, main.height);
    }
    frameFollowUps_ = followUps;
}

void TfrmMiddle::Timer1Timer() {
    if (ResizePacer.TakeStep()) CornerStep();
}

void TfrmMiddle::CornerStep() {
    const platform::Point cursor = platform_.CursorPos();
    const Rect now = BoundsRect();
    const int width = Add(now.width, cursor.x, -static_cast<long long>(DragLastX));
    const int height = Add(now.height, cursor.y, -static_cast<long long>(DragLastY));
    DragLastX = cursor.x;
    DragLastY = cursor.y;
    DragResizeTo({now.left, now.top, width, height});
}

void TfrmMiddle::ScreenDpiChanged(int dpi) {
    if (dpi <= 0 || dpi == Dpi) return;
    // The picture keeps its size on the screen; the frame and the toolbar around it change.
    const platform::Size area = PictureArea();
    Dpi = dpi;
    FrameImages.SetDpi(Dpi);
    ButtonImages.SetDpi(Dpi);
    LoadSkin();
    LoadButtonSet();
    if (!shown_) return;
    const Rect placed = PlaceForPicture(area);
    RenderFrames(placed.left, placed.top, placed.width, placed.height);
    Toolbar->Invalidate();
    Image2->Invalidate();
}

void TfrmMiddle::SetToolbarHeight(int height) {
    Rect r = Toolbar->Bounds();
    r.height = height;
    Toolbar->SetBounds(r);
    LayoutPanels({BoundsRect().width, BoundsRect().height});
}

void TfrmMiddle::Resized(platform::Size size) { LayoutPanels(size); }

void TfrmMiddle::LayoutPanels(platform::Size client) {
    // The toolbar is aligned to the top; the view panel fills the rest.
    const int toolbarHeight = Toolbar->Bounds().height;
    Toolbar->SetBounds({0, 0, client.width, toolbarHeight});
    const int top = std::max(0, toolbarHeight);
    Image2->SetBounds({0, top, client.width, std::max(0, Add(client.height, -top))});
}

}  // namespace zylora::app
