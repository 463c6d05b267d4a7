#include "skin/EdgeWindows.h"

#include <algorithm>
#include <utility>

#include "app/MainWindow.h"
#include "skin/SkinFile.h"

namespace zylora::skin {

TEdgeWindow::TEdgeWindow(platform::Platform& platform, const std::string& className,
                         std::string section)
    : TFrameWindow(platform, className),
      Timer1(platform.CreateTimer(1, [this] { Timer1Timer(); })),
      section_(std::move(section)) {}

std::string TEdgeWindow::Prefix() const {
    return LookPrefixes[static_cast<std::size_t>(ActiveLook() ? TitleVariant::Active : TitleVariant::Inactive)];
}

void TEdgeWindow::PaintEdge(int width, int height, std::optional<platform::Point> topLeft) {
    const platform::Size most = platform_.DesktopSize();
    width = std::min(width, most.width);
    height = std::min(height, most.height);
    ShowLook(width, height, Prefix(), 255, [&](platform::Surface& surface) {
        // A window of no extent shows nothing; there is nothing to decode for it.
        if (MainWindow && width > 0 && height > 0) DrawEdge(surface, width, height);
    }, topLeft);
}

const platform::Image& TEdgeWindow::LoadImage(const std::string& baseName) const {
    return MainWindow->FrameImages.Get(MainWindow->GetSkinPath() + Prefix() + baseName);
}

std::vector<std::string> TEdgeWindow::LookImages() const {
    std::vector<std::string> paths;
    if (!MainWindow) return paths;
    for (const std::string& piece : Pieces()) paths.push_back(MainWindow->GetSkinPath() + Prefix() + piece);
    return paths;
}

std::vector<std::string> TfrmBottom::Pieces() const { return {files::Bottom}; }

// One image stretched to the full width, repeating downwards at its own height.
void TfrmBottom::DrawEdge(platform::Surface& surface, int width, int height) {
    surface.SetPixelOffset(platform::PixelOffset::Half);
    const platform::Image& image = LoadImage(files::Bottom);
    if (image.Width() <= 0) return;  // no stretch factor without a width
    const float scaleX = static_cast<float>(width) / static_cast<float>(image.Width());
    surface.FillTexture(image, scaleX, 1.0f,
                        {0, 0, static_cast<float>(width), static_cast<float>(height)});
}

// The bottom piece at the foot, stretched to the width; the middle piece tiled above it.
void TSideWindow::DrawEdge(platform::Surface& surface, int width, int height) {
    const platform::Image& bottom = LoadImage(bottomPiece_);
    const int h = bottom.Height();
    surface.DrawImage(bottom, {0, height - h, width, h});
    // A window lower than its bottom piece shows only the piece, cut at the top.
    if (height - h <= 0) return;
    surface.FillTexture(LoadImage(middlePiece_), 1.0f, 1.0f,
                        {0, 0, static_cast<float>(width), static_cast<float>(height - h)});
}

void TEdgeWindow::FormCanResize(platform::Size proposed) {
    const platform::Rect now = window_->Bounds();
    if (proposed.width != now.width || proposed.height != now.height)
        PaintEdge(proposed.width, proposed.height);
}

void TEdgeWindow::ReadSkinValues(const SkinValues& values) {
    ForgetLook();
    const ResizeBorders& own = section_ == "left" ? values.Left : section_ == "right" ? values.Right : values.Bottom;
    ResizeBorder1 = own.ResizeBorder1;
    ResizeBorder2 = own.ResizeBorder2;
}

void TEdgeWindow::FormMouseMove(platform::Point at) {
    window_->SetCursor(InBand(at) ? BandCursor(at) : platform::CursorShape::Arrow);
}

void TEdgeWindow::FormMouseDown(platform::Point at) {
    if (!InBand(at)) return;
    DragAnchor = platform_.CursorPos();
    pacer_.Restart();
    StartResize(at);
}

void TEdgeWindow::FormMouseUp() {
    // A last step, so the edge ends where the pointer let go even when no paced step came
    // after the last move.
    if (const std::optional<bool> corner = RunningStep(); corner && platform_.CursorPos() != DragAnchor)
        ResizeStep(*corner);
    StopResize();
}

std::optional<bool> TEdgeWindow::RunningStep() const {
    return Timer1->Enabled() ? std::optional<bool>(false) : std::nullopt;
}

void TEdgeWindow::StartResize(platform::Point) { Timer1->SetEnabled(true); }

void TEdgeWindow::StopResize() { Timer1->SetEnabled(false); }

void TEdgeWindow::Timer1Timer() {
    if (pacer_.TakeStep()) ResizeStep(false);
}

void TEdgeWindow::ResizeStep(bool corner) {
    if (!MainWindow) return;
    const platform::Point p = platform_.CursorPos();
    const int dx = platform::SaturatingSum(p.x, -static_cast<long long>(DragAnchor.x));
    const int dy = platform::SaturatingSum(p.y, -static_cast<long long>(DragAnchor.y));
    DragAnchor = p;
    MainWindow->DragResizeTo(Step(MainWindow->BoundsRect(), dx, dy, corner));
}

namespace {

// Bands are exclusive at both bounds.
bool Between(int low, int value, int high) { return low < value && value < high; }

}  // namespace

TSideWindow::TSideWindow(platform::Platform& platform, const std::string& className,
                         const std::string& side, std::string middlePiece, std::string bottomPiece)
    : TEdgeWindow(platform, className, side),
      middlePiece_(std::move(middlePiece)),
      bottomPiece_(std::move(bottomPiece)) {}

TfrmLeft::TfrmLeft(platform::Platform& platform)
    : TSideWindow(platform, "TfrmLeft", "left", files::LeftMiddle, files::LeftBottom) {}

bool TfrmLeft::InBand(platform::Point at) const { return Between(ResizeBorder1, at.x, ResizeBorder2); }

platform::CursorShape TfrmLeft::BandCursor(platform::Point) const {
    return platform::CursorShape::SizeWE;
}

// The left edge moves; the right edge stays where it is.
platform::Rect TfrmLeft::Step(platform::Rect m, int dx, int, bool) const {
    return {platform::SaturatingSum(m.left, dx), m.top, platform::SaturatingSum(m.width, -static_cast<long long>(dx)), m.height};
}

TfrmBottom::TfrmBottom(platform::Platform& platform)
    : TEdgeWindow(platform, "TfrmBottom", "bottom") {}

bool TfrmBottom::InBand(platform::Point at) const {
    return Between(ResizeBorder1, at.y, ResizeBorder2);
}

platform::CursorShape TfrmBottom::BandCursor(platform::Point) const {
    return platform::CursorShape::SizeNS;
}

platform::Rect TfrmBottom::Step(platform::Rect m, int, int dy, bool) const {
    return {m.left, m.top, m.width, platform::SaturatingSum(m.height, dy)};
}

TfrmRight::TfrmRight(platform::Platform& platform)
    : TSideWindow(platform, "TfrmRight", "right", files::RightMiddle, files::RightBottom),
      Timer2(platform.CreateTimer(1, [this] { Timer2Timer(); })) {}

bool TfrmRight::InBand(platform::Point at) const { return Between(ResizeBorder1, at.x, ResizeBorder2); }

bool TfrmRight::InCornerBand(platform::Point at) const {
    const int height = window_->Bounds().height;
    return InBand(at) && Between(height - ResizeBorder3, at.y, height - ResizeBorder4);
}

platform::CursorShape TfrmRight::BandCursor(platform::Point at) const {
    return InCornerBand(at) ? platform::CursorShape::SizeNWSE : platform::CursorShape::SizeWE;
}

void TfrmRight::StartResize(platform::Point at) {
    if (InCornerBand(at))
        Timer2->SetEnabled(true);
    else
        Timer1->SetEnabled(true);
}

void TfrmRight::StopResize() {
    Timer1->SetEnabled(false);
    Timer2->SetEnabled(false);
}

void TfrmRight::Timer2Timer() {
    if (pacer_.TakeStep()) ResizeStep(true);
}

std::optional<bool> TfrmRight::RunningStep() const {
    return Timer2->Enabled() ? std::optional<bool>(true) : TSideWindow::RunningStep();
}

platform::Rect TfrmRight::Step(platform::Rect m, int dx, int dy, bool corner) const {
    return {m.left, m.top, platform::SaturatingSum(m.width, dx),
            corner ? platform::SaturatingSum(m.height, dy) : m.height};
}

void TfrmRight::ReadSkinValues(const SkinValues& values) {
    TSideWindow::ReadSkinValues(values);
    ResizeBorder3 = values.Right.ResizeBorder3;
    ResizeBorder4 = values.Right.ResizeBorder4;
}

}  // namespace zylora::skin
