// A window's message handler that stands in front of another one and passes on everything
// it doesn't handle itself, as a replaced window procedure does.
#pragma once

#include "platform/Platform.h"

namespace zylora::app {

class EventChain : public platform::WindowEvents {
public:
    // Installs this handler on the window, keeping the one it replaces.
    void InstallOn(platform::Window& window) { next_ = window.SetEvents(this); }
    // Gives the window back the handler this one replaced.
    void RemoveFrom(platform::Window& window) {
        if (next_) window.SetEvents(next_);
        next_ = nullptr;
    }
    platform::WindowEvents* Next() const { return next_; }

    void MouseDown(platform::MouseButton b, platform::ShiftState s, platform::Point p) override {
        if (next_) next_->MouseDown(b, s, p);
    }
    void MouseMove(platform::ShiftState s, platform::Point p) override {
        if (next_) next_->MouseMove(s, p);
    }
    void MouseUp(platform::MouseButton b, platform::ShiftState s, platform::Point p) override {
        if (next_) next_->MouseUp(b, s, p);
    }
    void DoubleClick(platform::Point p) override {
        if (next_) next_->DoubleClick(p);
    }
    void CaptureLost() override {
        if (next_) next_->CaptureLost();
    }
    void CanResize(platform::Size proposed) override {
        if (next_) next_->CanResize(proposed);
    }
    void Resized(platform::Size now) override {
        if (next_) next_->Resized(now);
    }
    void Moved(platform::Point topLeft) override {
        if (next_) next_->Moved(topLeft);
    }
    void KeyDown(int key, platform::ShiftState s, bool repeat) override {
        if (next_) next_->KeyDown(key, s, repeat);
    }
    void WheelNotch(int direction) override {
        if (next_) next_->WheelNotch(direction);
    }
    bool Paint(platform::ScreenTarget& screen) override { return next_ && next_->Paint(screen); }
    bool EraseBackground() override { return next_ && next_->EraseBackground(); }
    void MouseLeave() override {
        if (next_) next_->MouseLeave();
    }
    bool ContextPopup() override { return next_ && next_->ContextPopup(); }
    void CloseRequested() override {
        if (next_) next_->CloseRequested();
    }
    void SessionEnds() override {
        if (next_) next_->SessionEnds();
    }

private:
    platform::WindowEvents* next_ = nullptr;
};

}  // namespace zylora::app
