// The main window, TfrmMiddle: toolbar and view panel, the hub whose fields the frame
// windows, the toolbar and the view share, the settings file, the placement of the five
// windows and the keyboard commands.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/AnimationPlayer.h"
#include "app/Slideshow.h"
#include "app/DragPacer.h"
#include "app/EventChain.h"
#include "app/FrameMetrics.h"
#include "platform/Platform.h"
#include "skin/SkinImages.h"
#include "toolbar/ToolbarInput.h"
#include "toolbar/ToolbarProc.h"
#include "view/FileListBox.h"
#include "view/ViewInput.h"
#include "view/ViewProc.h"

namespace zylora::app {
// Both sides halved together until they fit the room; 0 x 0 when nothing fits.
platform::Size HalvedToFit(platform::Size size, long long roomWidth, long long roomHeight);
}  // namespace zylora::app

namespace zylora::skin {
class TfrmTop;
class TfrmLeft;
class TfrmRight;
class TfrmBottom;
}  // namespace zylora::skin

namespace zylora::toolbar {
class TZylButton;
}

namespace zylora::shell {
class TFileDrop;
}

namespace zylora::app {

class TfrmMiddle;

class TfrmMiddle : public platform::WindowEvents {
    // First, so that they outlive everything that refers to them.
    platform::Platform& platform_;
    std::unique_ptr<platform::Window> window_;

public:
    // The settings file and the skin are read here (FormCreate).
    explicit TfrmMiddle(platform::Platform& platform);
    // Writes the settings file (FormDestroy).
    ~TfrmMiddle() override;
    TfrmMiddle(const TfrmMiddle&) = delete;
    TfrmMiddle& operator=(const TfrmMiddle&) = delete;

    // Shows the main window; the first time also runs FormShow.
    void Show();

    // Frame metrics of the current state.
    int GetLeftWidth() const;
    int GetRightWidth() const;
    int GetTopHeight() const;
    int GetBottomHeight() const;
    bool IsRolledUp() const { return RolledUp; }
    // Program folder + "\" + SkinDir + "\".
    std::string GetSkinPath() const;
    // The executable's folder without trailing separator (a drive root keeps its own).
    std::string ProgramFolder() const;
    // The executable's path with its extension replaced by ".ini".
    std::string SettingsPath() const;

    // Moves and resizes all five windows around the main window's new rectangle, in one
    // batch, and shows the frame windows that are to be seen. Rolled up, the height is the
    // one the unroll gives back.
    void PlaceWindows(int x, int y, int width, int height);
    // One step of a resize drag by the pointer: PlaceWindows, the view drawn quickly while the
    // step lasts (its fine drawing follows once the drag rests). A step that would make the
    // window smaller than it may be keeps the edge the pointer doesn't move.
    void DragResizeTo(platform::Rect r);
    // The smallest main window: as wide as the toolbar's buttons reach, so that every one of
    // them can be clicked, and as high as the toolbar and a view still of use.
    platform::Size SmallestSize() const;
    // Places the five windows for a picture shown at the size: the main window as wide as it
    // and as high as it and the toolbar, though no smaller than SmallestSize, the view then
    // showing the picture at that size in its middle. Returns the main window's rectangle.
    platform::Rect PlaceForPicture(platform::Size area);
    // The size the view shows the picture at in the placed window (PlacedRect).
    platform::Size PictureArea() const;
    // Renders the four frame windows for a main window of the given size.
    void RenderFrames(int x, int y, int width, int height);
    // A tick of the corner resize drag: a step, once a display frame has passed since the last.
    void Timer1Timer();
    void FrameFollowTimerTimer();
    // One step of the corner resize drag: the main window resized by the pointer's travel since
    // the last step, its left and top kept.
    void CornerStep();

    void LoadSkin();
    void LoadButtonSet();

    // The application became active, or another program did: the frame and the toolbar
    // buttons take the state's looks and sizes.
    void ApplicationEvents1Activate();
    void ApplicationEvents1Deactivate();
    // Rolls the window up into its title window (true) or back down (false), animated.
    void SetRolledUp(bool value);

    // A key of the key map (app/KeyMap.h) runs its command; `repeat` is a held key's repeat.
    void FormKeyDown(int key, platform::ShiftState shift, bool repeat = false);
    // A command of the key map or a toolbar button's action word, whatever its case;
    // unknown words do nothing.
    void RunCommand(const std::string& command);
    // The step of a held key, taken once the repeats waiting are read.
    void StepTimerTimer();
    // One wheel notch away from the user zooms in by one, towards the user out by one, down
    // to 1; the offsets stay.
    void FormMouseWheelUp();
    void FormMouseWheelDown();

    // Halves both sides together until the picture with the frame of the current state fits
    // on the screen; ends at 0 x 0 when even the frame alone doesn't fit.
    platform::Size FitToScreen(int width, int height);
    // Opens the first entry of FileDrop1's list, sizing the window to it.
    void FileDrop1Drop();
    // Makes the path the only entry of FileDrop1's list and opens it as a drop would.
    void OpenFile(const std::string& path);
    // Opens the next (or previous) picture of the current picture's folder, wrapping around.
    void StepInFolder(bool forward);
    // Opens the first (or last) picture of the current picture's folder.
    void StepToEnd(bool first);
    // Shows the next (or previous) page of a file of several pages.
    void StepPage(bool forward);
    // The main window's text (the title's and the taskbar's) names the picture shown, as the
    // skin lays it out; the title is drawn again when it changed.
    void UpdateTitle();
    // F5: the slideshow starts from the picture shown, or stops.
    void ToggleSlideshow();
    // F11, a double click on the picture: the picture alone on its screen, or back.
    void ToggleFullScreen();
    void EnterFullScreen();
    void LeaveFullScreen();
    // The picture's share of the screen: fitted where it is larger, its own size where smaller.
    void FitPictureToScreen();
    void ShowFrames(bool show);
    std::string TitleText();
    // The skin's layout shows the picture's place in its folder ({index}, {count}).
    bool TitleTellsPlace() const;
    // Moves the picture's file to the Recycle Bin through the shell, which asks the user;
    // once it is gone the folder's next picture shows, or the background when none is left.
    void DeleteCurrentFile();
    // Every drag in progress ends where it is (Escape).
    void CancelDrags();
    // The viewer has been idle since a picture was shown: the pictures a step would open
    // next are read ahead, the way of the last step first.
    void ReadAheadTimerTimer();
    // A right-button release on the toolbar: the button set menu.
    void ShowButtonSetMenu();
    // A button set chosen in the menu, by its folder's name.
    void DUMMYITEM1Click(const std::string& caption);
    // The folder's pictures are stepped in the order from now on.
    void SetFolderOrder(view::FolderOrder order);
    // The picture as shown (turned, mirrored, cropped) on the clipboard; its file's path.
    void CopyPicture();
    void CopyPicturePath();
    // The modal "Skin Info" box of the current skin.
    void ShowSkinInfo();
    // The view's context menu: the shell's own menu for the picture's file.
    void Image2ContextPopup(bool& handled);
    // A picture with pixels: none was opened, or the one opened didn't decode. While a large
    // picture's full decode runs, this waits for it: whatever asks works on the full pixels.
    bool HasPicture() {
        CompletePicture();
        return Picture && Picture->Width() > 0 && Picture->Height() > 0;
    }
    // The full pixels in Picture in the place of the preview, once their decode is done;
    // waits for it first if need be. Nothing without a decode under way.
    void CompletePicture();
    // The first look in Preview, waited for if need be, and the window fitted to it.
    // Nothing without a look being made.
    void TakeLook();
    // The first look made: taken, and a held key's step that waited for it taken next.
    void LookArrived();
    // No picture any more, nor its preview or decode.
    void ForgetPicture() {
        Player.Stop();
        PendingLook.reset();
        PendingPicture.reset();
        Preview.reset();
        Picture.reset();
        PictureDamaged = false;
        PictureFacts = {};
    }
    // The line the view shows over the picture: the note, and that the file is damaged or
    // why it can't be shown; empty for none.
    std::string ViewNote() const;
    // The picture's size as shown, the previewed picture's while its decode runs; 0 x 0
    // without a picture.
    platform::Size ShownPictureSize() const;

    // The main window's rectangle on the screen.
    platform::Rect BoundsRect() const { return window_->Bounds(); }
    // The same, but rolled up with the height the unroll gives back.
    platform::Rect PlacedRect() const;
    int ToolbarHeight() const { return Toolbar->Bounds().height; }
    void SetToolbarHeight(int height);

    platform::Platform& Platform() { return platform_; }
    platform::Window& Form() { return *window_; }

    // WindowEvents of the main window itself.
    void KeyDown(int key, platform::ShiftState shift, bool repeat) override { FormKeyDown(key, shift, repeat); }
    void WheelNotch(int direction) override {
        if (direction > 0) FormMouseWheelUp();
        if (direction < 0) FormMouseWheelDown();
    }
    void Resized(platform::Size size) override;
    // The main window is where the frame belongs: where the window system moves it on its
    // own, the frame follows, and a frame window it moves away is brought back
    // (FrameFollowTimerTimer).
    void Moved(platform::Point) override {
        mainMoved_ = true;
        FrameMoved();
    }
    void FrameMoved() {
        if (FrameFollowTimer) FrameFollowTimer->SetEnabled(true);
    }
    // The windows go elsewhere by the user's hand (a title drag): where the unroll put them
    // is no longer to be kept.
    void MovedByUser() { unrolledTo_.reset(); }
    void CloseRequested() override { window_->Close(); }
    // The window went onto a screen of another scale: the skin and the button set are taken
    // at the new one, the picture staying at one screen pixel per picture pixel.
    void ScreenDpiChanged(int dpi) override;
    // Logoff or shutdown: no destruction follows, so the settings are written now.
    void SessionEnds() override;

    // The view panel's handler, for the parts that change what it shows.
    view::ViewProc& View() { return viewProc_; }
    // The toolbar panel's pointer events.
    toolbar::ToolbarInput& ToolbarEvents() { return toolbarInput_; }
    // The view panel's pointer events.
    view::ViewInput& ViewEvents() { return viewInput_; }

    // Shared fields, named as the other parts of the program know them.
    std::string SkinDir;
    std::string ButtonsDir;
    std::string PicturePath;
    std::unique_ptr<platform::Image> Picture;
    // A large picture's first look, shown while Picture stays empty until the full pixels
    // of PendingPicture are in; PreviewOf is the whole picture's size it stands for.
    std::unique_ptr<platform::Image> Preview;
    platform::Size PreviewOf;
    std::unique_ptr<platform::Platform::PendingImage> PendingPicture;
    // The first look still being made on another thread; Preview and everything shown of the
    // picture come once it is in (TakeLook).
    std::unique_ptr<platform::Platform::PendingImage> PendingLook;
    // The file ended or broke off before the whole picture: what is shown is what it held.
    bool PictureDamaged = false;
    // Why the picture opened shows nothing, naming its file; empty while it shows.
    std::string Unshown;
    // The page shown of a file of several (a TIFF's), from 0, and how many it has.
    int Page = 0;
    int PageCount = 1;
    // What the picture's file says of it, and its size in bytes; the facts panel shows them
    // over the view while FactsShown. The size is asked of the file system the first time the
    // panel needs it: a look there at every open cost a stepping key up to 20 ms on a busy
    // machine, for a panel most opens never show.
    imaging::PhotoFacts PictureFacts;
    std::uint64_t PictureFileSize();
    bool FactsShown = false;
    // A word about the last command, shown until the next picture opens.
    std::string Note;
    // Full screen, and what leaving it gives back: the window's place and size, its roll,
    // and the picture it showed as it was shown.
    bool FullScreen = false;
    struct WindowedState {
        platform::Rect placed;
        bool rolledUp = false;
        int toolbarHeight = 0;
        double shareX = 1, shareY = 1;
        std::string picturePath;
        platform::Size pictureSize;
    } Windowed;
    // The skin's text and its layout of the title (empty: the usual "name - text").
    std::string CaptionText;
    std::string CaptionFormat;
    std::unique_ptr<platform::Image> CornerImage;
    bool Active = false;
    bool RolledUp = false;
    bool RollingUp = false;
    bool Unrolling = false;
    int UnrolledHeight = 0;
    FrameMetrics Metrics;
    // The dots per inch of the screen the window is on, which the skin and the button set are
    // drawn for (platform/Dpi.h).
    int Dpi = 96;
    // The toolbar's height as the button set gives it, for a 96-DPI screen.
    int ToolbarHeightAt96 = DesignToolbarHeight;
    // The share of the view's width and height the picture is drawn over (1: all of it), as
    // the window was last sized for the picture: below 1 where the window is wider or higher
    // than the picture at its own size; a resize by the user keeps the shares.
    double PictureShareX = 1;
    double PictureShareY = 1;
    int BgColorR = 0;
    int BgColorG = 0;
    int BgColorB = 0;
    int CaptionAlphaActive = 0;
    int CaptionAlphaInactive = 0;
    int ZoomFactor = 0;
    long double OffsetX = 0;
    long double OffsetY = 0;
    bool MoveMode = false;
    bool Dragging = false;
    // Inside a step of a resize drag (DragResizeTo).
    bool ResizeDragging = false;
    int PanAnchorX = 0;
    int PanAnchorY = 0;
    float SelectionX = 0;
    float SelectionY = 0;
    float SelectionWidth = 0;
    float SelectionHeight = 0;
    DragPacer ResizePacer{platform_};
    int DragLastX = 0;
    int DragLastY = 0;
    std::vector<std::unique_ptr<toolbar::TZylButton>> ButtonList;
    std::unique_ptr<platform::Image> ToolbarBackground;
    std::unique_ptr<platform::Image> ToolbarBackgroundCache;
    bool OwnToolbarBackground = false;

    // Components.
    std::unique_ptr<platform::Window> Toolbar;
    std::unique_ptr<platform::Window> Image2;
    std::unique_ptr<platform::Timer> Timer1;
    std::unique_ptr<platform::Timer> ReadAheadTimer;
    // Brings the frame to the main window after a move of the main window alone.
    std::unique_ptr<platform::Timer> FrameFollowTimer;
    int frameFollowUps_ = 0;
    bool mainMoved_ = false;
    // Where the unroll put the main window, and when: a window manager may answer the
    // unroll's steps late, and Wine take an old size or place for the last word
    // (FrameFollowTimerTimer).
    std::optional<platform::Rect> unrolledTo_;
    double unrolledAt_ = 0;
    std::unique_ptr<platform::Timer> StepTimer;
    // Plays an animated picture: each frame takes Picture's place.
    AnimationPlayer Player{platform_, [this](const imaging::PixelBuffer& frame) { ShowFrame(frame); }};
    Slideshow Slides{platform_, [this] { StepInFolder(true); }};
    std::unique_ptr<shell::TFileDrop> FileDrop1;
    // The button set menu's captions, as last shown.
    std::vector<std::string> PopupMenu1;
    // The pictures a step goes to: the formats the decoders open, the system's and our own.
    static constexpr const char* PictureMask =
        "*.png;*.jpg;*.gif;*.tif;*.tiff;*.jpeg;*.bmp;*.jpe;*.jfif;*.webp;*.avif;*.heic;*.heif;*.jxl;*.tga;*.psd;*.qoi;"
        "*.apng;*.ico";
    view::TFileListBox FileListBox1{platform_.Files(), PictureMask};
    // The frame windows' skin images, kept between repaints.
    skin::SkinImages FrameImages{platform_};
    // The toolbar buttons' images, from the button set in force.
    skin::SkinImages ButtonImages{platform_};

    // The frame windows (declared after the components they refer to).
    std::unique_ptr<skin::TfrmTop> TopFrame;
    std::unique_ptr<skin::TfrmRight> RightFrame;
    std::unique_ptr<skin::TfrmBottom> BottomFrame;
    std::unique_ptr<skin::TfrmLeft> LeftFrame;

    static constexpr int DesignToolbarHeight = 53;
    // The view's least height, in pixels of a 96-DPI screen: room for the corner grip and a
    // small picture.
    static constexpr int SmallestViewHeight = 64;
    static constexpr const char* DefaultSkinDir = "Skins/Default";
    static constexpr const char* DefaultButtonsDir = "Buttons/Default";

private:
    // The four frames rendered at their rectangles' sizes, in a fixed order; `place` also
    // moves each one drawn anew to its rectangle with its presentation.
    void RenderFramesAround(const FrameRects& to, bool place);
    void FormCreate();
    void FormShow();
    void FormDestroy();
    void WriteSettings();
    void LayoutPanels(platform::Size client);
    void SwitchToOtherInstance();
    void BringOntoScreen();
    // The frame windows rendered for the state now in force, and the title's width.
    void RenderFramesForState();
    void RedrawToolbarButtons();
    // Moves the frame windows onto the main window again after the frame sizes changed.
    void AlignFrames();
    // One batch of the roll animations: the main window `height` high, the frame below it.
    void RollStep(int height, unsigned extraFlags);
    // Decodes the picture and places and renders the five windows for its fitted size; where
    // its first look is made on another thread, once that is in.
    void ShowPicture(const std::string& path);
    // What an open does once there is something to show: the facts, the window fitted, the
    // title, the neighbours read ahead.
    void PictureOpened();
    // For a picture's size, the size of the reduced copy its first paint draws from.
    std::function<platform::Size(platform::Size)> FirstPaintReduction() const;
    // For a picture's size, the size its first look is decoded at.
    std::function<platform::Size(platform::Size)> LookSize();
    // A held key's repeats: the picture their step goes to has its look made now, beside
    // the one being made.
    void LookAheadOfStep(const std::string& command);
    // Places and renders the five windows for the picture's fitted size.
    void FitWindowToPicture();
    // Notes in Unshown why the picture opened shows nothing.
    void NoteWhyNotShown();
    // A frame of the animation playing, in the place of the picture.
    void ShowFrame(const imaging::PixelBuffer& frame);
    // Runs `then` once FileListBox1 lists the picture's folder as it is now, after what
    // waits already; the user is told when that folder can't be read, and nothing waiting
    // runs.
    void WithPictureFolder(std::function<void()> then);
    // Opens the entry of FileListBox1.
    void OpenEntry(int index);
    // The entry of FileListBox1 a step goes to from the picture, round at either end; -1
    // where the folder lists none.
    int StepEntry(bool forward) const;

    view::ViewProc viewProc_{*this};
    view::ViewInput viewInput_{*this};
    toolbar::ToolbarInput toolbarInput_{*this};
    toolbar::ToolbarProc toolbarProc_{*this};
    platform::WindowEvents* OldViewProc = nullptr;
    platform::WindowEvents* OldToolbarProc = nullptr;
    bool shown_ = false;
    // Written once: at the session's end, or else when the window goes.
    bool settingsWritten_ = false;
    bool lastStepForward_ = true;
    bool orderSaved_ = false;  // the settings file held a folder order
    std::string pendingStep_;     // the command of the held key's merged repeats
    unsigned opens_ = 0;          // pictures opened so far: whether a step opened one
    std::optional<std::uint64_t> pictureFileSize_;  // the file's size, once asked for it
    bool takingRepeats_ = false;  // that command is running
    bool listing_ = false;        // the picture's folder is being read on another thread
    // What waits for the listing, in order: each press's step, and a held key's repeats as
    // one step at most (a later one replaces it while it is the last to wait).
    struct Waiting {
        std::function<void()> then;
        bool repeats;
    };
    std::vector<Waiting> afterListing_;
    void WaitForFolder(Waiting waiting);
    // Gone with the window: what another thread finishes later finds it expired.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace zylora::app
