// The left, right and bottom frame windows: skin images with per-pixel alpha, and the
// resize bands that drag the main window's edges.
#pragma once

#include <memory>
#include <string>

#include "skin/FrameWindow.h"

namespace zylora::skin {

class TEdgeWindow : public TFrameWindow {
public:
    TEdgeWindow(platform::Platform& platform, const std::string& className, std::string section);

    // Renders the window at the size for the current state and presents it.
    void PaintEdge(int width, int height);
    void RenderAt(int width, int height) override { PaintEdge(width, height); }
    void ReadSkinValues(const platform::IniFile& skinFile) override;

    // Repaints only when the size really changes; the resize is always allowed.
    void FormCanResize(platform::Size proposed);
    void CanResize(platform::Size proposed) override { FormCanResize(proposed); }

    // "left", "right" or "bottom": the skin file section of this window.
    const std::string& Section() const { return section_; }

    std::unique_ptr<platform::Timer> Timer1;
    platform::Point DragAnchor;
    int ResizeBorder1 = 0;
    int ResizeBorder2 = 0;

protected:
    // The state prefix of the edge images: "inactive_" while the application is inactive.
    std::string Prefix() const;

private:
    std::string section_;
};

class TfrmLeft : public TEdgeWindow {
public:
    explicit TfrmLeft(platform::Platform& platform);
};

class TfrmBottom : public TEdgeWindow {
public:
    explicit TfrmBottom(platform::Platform& platform);
};

class TfrmRight : public TEdgeWindow {
public:
    explicit TfrmRight(platform::Platform& platform);
    void ReadSkinValues(const platform::IniFile& skinFile) override;

    std::unique_ptr<platform::Timer> Timer2;
    int ResizeBorder3 = 0;
    int ResizeBorder4 = 0;
};

}  // namespace zylora::skin
