#include "skin/TitleWindow.h"

#include <algorithm>

#include "app/MainWindow.h"
#include "platform/Dpi.h"
#include "platform/Text.h"

namespace zylora::skin {

namespace {

int Index(TitleVariant v) { return static_cast<int>(v); }
int Index(CaptionButton b) { return static_cast<int>(b) - 1; }

}  // namespace

int AlignOffset(int align, int width) {
    switch (align) {
        case 1: return width / 2;
        case 2: return width;
        default: return 0;
    }
}

TfrmTop::TfrmTop(platform::Platform& platform)
    : TFrameWindow(platform, "TfrmTop"), Timer1(platform.CreateTimer(1, [this] { Timer1Timer(); })) {}

std::string TfrmTop::SkinPath() const { return MainWindow ? MainWindow->GetSkinPath() : ""; }

TitleVariant TfrmTop::CurrentVariant() const {
    if (!MainWindow) return TitleVariant::Active;
    if (MainWindow->IsRolledUp())
        return MainWindow->Active ? TitleVariant::RolledUp : TitleVariant::RolledUpInactive;
    return MainWindow->Active ? TitleVariant::Active : TitleVariant::Inactive;
}

const ButtonPlacement& TfrmTop::CurrentPlacement(CaptionButton button) const {
    return ButtonPlace[Index(CurrentVariant())][Index(button)];
}

const platform::Image* TfrmTop::ButtonImage(CaptionButton button, ImageKind kind) const {
    if (!MainWindow) return nullptr;
    // Decoded at first use with the frame's images: the start decodes only the look the first
    // frame shows.
    return &MainWindow->FrameImages.Get(SkinPath() + CaptionButtonFiles[static_cast<std::size_t>(Index(button))]
                                                                        [static_cast<std::size_t>(kind)]);
}

const platform::Image* TfrmTop::CurrentButtonImage(CaptionButton button) const {
    return ButtonImage(button, HoverButton == static_cast<int>(button) ? Mouseover : Normal);
}

const platform::Image* TfrmTop::InactiveButtonImage(CaptionButton button) const {
    return ButtonImage(button, InactiveImage);
}

std::vector<std::string> TfrmTop::LookImages() const {
    std::vector<std::string> paths;
    if (!MainWindow) return paths;
    const std::string strip = SkinPath() + StripPrefix();
    for (const char* piece : {files::LeftTop, files::RightTop, files::Top}) paths.push_back(strip + piece);
    const ImageKind kind = MainWindow->Active ? Normal : InactiveImage;
    for (const auto& button : CaptionButtonFiles) paths.push_back(SkinPath() + button[static_cast<std::size_t>(kind)]);
    return paths;
}

void TfrmTop::ReadSkinValues(const SkinValues& values) {
    ForgetLook();
    static_cast<TitleValues&>(*this) = values.Title;
}

std::string TfrmTop::StripPrefix() const {
    return LookPrefixes[static_cast<std::size_t>(Index(CurrentVariant()))];
}

void TfrmTop::PaintTitle(int width, int height, std::optional<platform::Point> topLeft) {
    if (MainWindow) PaintedActive = MainWindow->Active;
    // Nothing beyond the desktop can be seen: a larger surface would only cost time and memory.
    const platform::Size most = platform_.DesktopSize();
    width = std::min(width, most.width);
    height = std::min(height, most.height);
    const std::string look = std::to_string(static_cast<int>(CurrentVariant())) + " " + std::to_string(PaintedActive) +
                             " " + std::to_string(TitleAlpha) + " " + std::to_string(HoverButton) + " " +
                             (MainWindow ? MainWindow->Form().Caption() : "");
    const bool shown = ShowLook(width, height, look, TitleAlpha, [&](platform::Surface& surface) {
        // A title of no extent shows nothing; there is nothing to decode for it.
        if (MainWindow && width > 0 && height > 0) {
            DrawStrip(surface, width, height);
            DrawCaption(surface, width, height);
            DrawButtons(surface, width);
        }
    }, topLeft);
    if (!shown) return;

    Sizing = true;
    const platform::Rect now = window_->Bounds();
    window_->SetBounds({now.left, now.top, width, height});
    Sizing = false;
}

// Left end at its natural width, right end likewise, and the middle piece stretched so that
// one copy spans the middle; its texture stays anchored at the surface origin.
void TfrmTop::DrawStrip(platform::Surface& surface, int width, int height) {
    const std::string path = SkinPath() + StripPrefix();
    SkinImages& images = MainWindow->FrameImages;
    const platform::Image& left = images.Get(path + files::LeftTop);
    const int leftWidth = left.Width();
    surface.DrawImage(left, {0, 0, leftWidth, height});

    const platform::Image& right = images.Get(path + files::RightTop);
    const int rightWidth = right.Width();
    surface.DrawImage(right, {width - rightWidth, 0, rightWidth, height});

    const long long middle = static_cast<long long>(width) - leftWidth - rightWidth;
    const platform::Image& top = images.Get(path + files::Top);
    if (middle <= 0 || top.Width() <= 0) return;
    const float scaleX = static_cast<float>(middle) / static_cast<float>(top.Width());
    surface.FillTexture(top, scaleX, 1.0f,
                        {static_cast<float>(leftWidth), 0, static_cast<float>(middle),
                         static_cast<float>(height)});
}

void TfrmTop::DrawCaption(platform::Surface& surface, int width, int height) {
    const CaptionRectPercent& r = CaptionRect[static_cast<std::size_t>(CurrentVariant())];
    const float w = static_cast<float>(width) / 100.0f;
    const float h = static_cast<float>(height) / 100.0f;
    const platform::RectF layout{w * static_cast<float>(r.X), h * static_cast<float>(r.Y),
                                 w * static_cast<float>(r.Width), h * static_cast<float>(r.Height)};
    // The font's size, like every size of the skin, is a 96-DPI screen's.
    const float scale = static_cast<float>(MainWindow->Dpi) / platform::BaseDpi;
    const platform::TextStyle style{FontName, FontStyle, static_cast<float>(FontSize) * scale, HorAlign,
                                    VerAlign};
    surface.SetAntiAlias(true);
    // A caption longer than its rectangle ends in an ellipsis rather than running under the
    // buttons or being cut mid-letter.
    const std::string& whole = MainWindow->Form().Caption();
    const std::string key = whole + '\n' + style.fontFamily + ' ' + std::to_string(style.style) + ' ' +
                            std::to_string(style.emSize);
    if (key != measuredCaption_) {
        measuredCaption_ = key;
        measuredWidth_ = surface.TextWidth(whole, style);
    }
    const std::string caption =
        measuredWidth_ <= layout.width
            ? whole
            : platform::EllipsisToFit(whole, layout.width,
                                      [&](const std::string& text) { return surface.TextWidth(text, style); });
    surface.FillText(caption, style, layout, CaptionColor);
}

// Close, minimise, maximise, roll: a later button covers an earlier one. The pointer-over
// look belongs to the active variants only.
void TfrmTop::DrawButtons(platform::Surface& surface, int width) {
    for (CaptionButton button : {CaptionButton::Close, CaptionButton::Min, CaptionButton::Max,
                                 CaptionButton::Roll}) {
        const ButtonPlacement& place = CurrentPlacement(button);
        const platform::Image* image =
            PaintedActive ? CurrentButtonImage(button) : InactiveButtonImage(button);
        if (!image || image->Width() <= 0) continue;
        const int left = platform::SaturatingSum(place.X, AlignOffset(place.Align, width));
        surface.DrawImage(*image, {left, place.Y, image->Width(), image->Height()});
    }
}

void TfrmTop::FormCanResize(platform::Size proposed) {
    if (Sizing) return;
    const platform::Rect now = window_->Bounds();
    if (proposed.width != now.width || proposed.height != now.height)
        PaintTitle(proposed.width, proposed.height);
}

}  // namespace zylora::skin
