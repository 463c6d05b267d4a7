// The main window's keyboard commands and its wheel.
#include <algorithm>
#include <climits>

#include <utility>

#include "app/KeyMap.h"
#include "app/MainWindow.h"

namespace zylora::app {

namespace {

bool IsStep(const std::string& command) {
    return command == "next" || command == "prev" || command == "first" || command == "last";
}

}  // namespace

void TfrmMiddle::FormKeyDown(int key, platform::ShiftState shift, bool repeat) {
    const KeyBinding* binding = BindingOf(key, shift);
    if (!binding) return;
    // A held key repeats faster than a large picture opens. The repeats that came while one
    // opened are one step, taken once they are all read (the timer comes only then), so
    // letting go stops within a picture instead of working off a backlog. Presses are
    // never merged: each is a step the user meant.
    if (repeat && IsStep(binding->command)) {
        pendingStep_ = binding->command;
        StepTimer->SetEnabled(true);
        LookAheadOfStep(pendingStep_);
        return;
    }
    RunCommand(binding->command);
}

void TfrmMiddle::StepTimerTimer() {
    StepTimer->SetEnabled(false);
    // The picture stepped to last isn't shown yet: the repeats wait for it (LookArrived
    // takes them then), so that each step shows its picture.
    if (PendingLook) return;
    // While the folder is being read, the repeats' step waits as one with those after it.
    takingRepeats_ = true;
    const unsigned before = opens_;
    const std::string command = std::exchange(pendingStep_, std::string());
    RunCommand(command);
    takingRepeats_ = false;
    // The step opened nothing (it waits for the folder's list, or there is nothing to go to):
    // the full decode left for it begins. Where it opened the next picture, the key is most
    // likely still held: the one after it is looked at now rather than at the next repeat.
    if (opens_ != before)
        LookAheadOfStep(command);
    else if (PendingPicture)
        PendingPicture->Begin();
}

void TfrmMiddle::FormMouseWheelUp() {
    CompletePicture();  // as any zoom
    if (ZoomFactor < INT_MAX) ++ZoomFactor;
    Image2->Invalidate();
}

void TfrmMiddle::FormMouseWheelDown() {
    CompletePicture();
    ZoomFactor = std::max(1, ZoomFactor - 1);
    Image2->Invalidate();
}

void TfrmMiddle::SwitchToOtherInstance() {
    const platform::ForeignWindow own = platform_.IdentityOf(*window_);
    platform::ForeignWindow other = platform_.FindTopLevelWindow("TfrmMiddle", 0);
    if (other == own) other = platform_.FindTopLevelWindow("TfrmMiddle", own);
    if (other != 0 && other != own) platform_.SwitchToWindow(other);
}

}  // namespace zylora::app
