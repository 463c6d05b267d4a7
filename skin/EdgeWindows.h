// The left, right and bottom frame windows: skin images with per-pixel alpha, and the
// resize bands that drag the main window's edges.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "app/DragPacer.h"
#include "skin/FrameWindow.h"

namespace zylora::skin {

class TEdgeWindow : public TFrameWindow {
public:
    TEdgeWindow(platform::Platform& platform, const std::string& className, std::string section);

    // Renders the window at the size for the current state and presents it.
    void PaintEdge(int width, int height, std::optional<platform::Point> topLeft = std::nullopt);
    void ReadSkinValues(const SkinValues& values) override;
    std::vector<std::string> LookImages() const override;

    // Repaints only when the size really changes; the resize is always allowed.
    void FormCanResize(platform::Size proposed);
    void CanResize(platform::Size proposed) override { FormCanResize(proposed); }

    // Pointer handling: the cursor over the band, a press in it starts a resize that follows
    // the pointer at the timer's ticks (a step per display frame at most), the release of any
    // button ends it where the pointer is.
    void FormMouseMove(platform::Point at);
    void FormMouseDown(platform::Point at);
    void FormMouseUp();
    void MouseMove(platform::ShiftState, platform::Point at) override { FormMouseMove(at); }
    void MouseDown(platform::MouseButton, platform::ShiftState, platform::Point at) override {
        FormMouseDown(at);
    }
    void MouseUp(platform::MouseButton, platform::ShiftState, platform::Point) override {
        FormMouseUp();
    }
    // The resize stops where it is.
    void CaptureLost() override { StopResize(); }
    // A tick of the resize: a step, once a display frame has passed since the last.
    void Timer1Timer();
    // One step: DragAnchor moves to the pointer and the windows are placed for the
    // displacement (`corner`: the right window's corner resize).
    void ResizeStep(bool corner);

    // "left", "right" or "bottom": the skin file section of this window.
    const std::string& Section() const { return section_; }

    std::unique_ptr<platform::Timer> Timer1;
    platform::Point DragAnchor;
    int ResizeBorder1 = 0;
    int ResizeBorder2 = 0;

protected:
    void Render(int width, int height, std::optional<platform::Point> topLeft) override {
        PaintEdge(width, height, topLeft);
    }
    // Whether a point of the window lies in its resize band (bounds exclusive).
    virtual bool InBand(platform::Point at) const = 0;
    virtual platform::CursorShape BandCursor(platform::Point at) const = 0;
    // Starts the resize for a press inside the band.
    virtual void StartResize(platform::Point at);
    virtual void StopResize();
    // The main window's new rectangle for a pointer displacement of one step; `corner` is the
    // right window's corner resize.
    virtual platform::Rect Step(platform::Rect main, int dx, int dy, bool corner) const = 0;
    // The step the running timer takes (true: the corner's); none without a resize.
    virtual std::optional<bool> RunningStep() const;
    app::DragPacer pacer_{platform_};

    // The state prefix of the edge images: "inactive_" while the application is inactive.
    std::string Prefix() const;
    // A skin image of the current state.
    const platform::Image& LoadImage(const std::string& baseName) const;
    // Draws the window's images on a surface of its new size (both above 0).
    virtual void DrawEdge(platform::Surface& surface, int width, int height) = 0;
    // The base names of the images DrawEdge draws.
    virtual std::vector<std::string> Pieces() const = 0;

private:
    std::string section_;
};

// The left and right windows: a bottom piece at the foot and a tiled middle above it.
class TSideWindow : public TEdgeWindow {
public:
    TSideWindow(platform::Platform& platform, const std::string& className, const std::string& side,
                std::string middlePiece, std::string bottomPiece);

protected:
    void DrawEdge(platform::Surface& surface, int width, int height) override;
    std::vector<std::string> Pieces() const override { return {bottomPiece_, middlePiece_}; }

private:
    std::string middlePiece_;
    std::string bottomPiece_;
};

class TfrmLeft : public TSideWindow {
public:
    explicit TfrmLeft(platform::Platform& platform);

protected:
    bool InBand(platform::Point at) const override;
    platform::CursorShape BandCursor(platform::Point at) const override;
    platform::Rect Step(platform::Rect main, int dx, int dy, bool corner) const override;
};

class TfrmBottom : public TEdgeWindow {
public:
    explicit TfrmBottom(platform::Platform& platform);

protected:
    void DrawEdge(platform::Surface& surface, int width, int height) override;
    std::vector<std::string> Pieces() const override;
    bool InBand(platform::Point at) const override;
    platform::CursorShape BandCursor(platform::Point at) const override;
    platform::Rect Step(platform::Rect main, int dx, int dy, bool corner) const override;
};

class TfrmRight : public TSideWindow {
public:
    explicit TfrmRight(platform::Platform& platform);
    void ReadSkinValues(const SkinValues& values) override;
    // One step of the corner resize: width and height together.
    void Timer2Timer();

    std::unique_ptr<platform::Timer> Timer2;
    int ResizeBorder3 = 0;
    int ResizeBorder4 = 0;

protected:
    bool InBand(platform::Point at) const override;
    bool InCornerBand(platform::Point at) const;
    platform::CursorShape BandCursor(platform::Point at) const override;
    void StartResize(platform::Point at) override;
    void StopResize() override;
    std::optional<bool> RunningStep() const override;
    platform::Rect Step(platform::Rect main, int dx, int dy, bool corner) const override;
};

}  // namespace zylora::skin
