#include "shell/FileDrop.h"

namespace zylora::shell {

TFileDrop::TFileDrop(platform::Platform& platform) : platform_(platform) {}

TFileDrop::~TFileDrop() {
    Unhook();
    SetEnableDrop(false);
}

void TFileDrop::SetEnableDrop(bool value) {
    if (!dropControl_) return;
    enableDrop_ = value;
    dropControl_->AcceptFileDrops(value);
}

void TFileDrop::SetDropControl(platform::Window* control) {
    if (control == dropControl_) return;
    if (!control) {
        Unhook();
        SetEnableDrop(false);  // still reaches the window: the control is cleared afterwards
        dropControl_ = nullptr;
        return;
    }
    if (hook_) Unhook();
    dropControl_ = control;
    Hook();
    SetEnableDrop(true);
}

void TFileDrop::Hook() {
    if (!dropControl_) {
        enableDrop_ = false;
        return;
    }
    hook_ = platform_.HookFileDrops(*dropControl_,
                                    [this](const platform::DroppedFiles& drop) { HandleDrop(drop); });
}

void TFileDrop::Unhook() { hook_.reset(); }

void TFileDrop::HandleDrop(const platform::DroppedFiles& drop) {
    files_.clear();
    fileCount_ = static_cast<int>(drop.names.size());
    dropPoint_ = drop.point;
    files_ = drop.names;
    if (OnDrop) OnDrop(*this);
}

}  // namespace zylora::shell
