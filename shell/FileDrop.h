// TFileDrop: files dropped from the file manager onto a control. The component hooks the
// control's window in front of its own handling, reads the dropped names and fires OnDrop.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace zylora::shell {

class TFileDrop {
public:
    explicit TFileDrop(platform::Platform& platform);
    ~TFileDrop();
    TFileDrop(const TFileDrop&) = delete;
    TFileDrop& operator=(const TFileDrop&) = delete;

    // Full paths of the last drop, in the order the shell lists them. Opening a file by other
    // ways than a drop also goes through this list.
    std::vector<std::string>& Files() { return files_; }
    const std::vector<std::string>& Files() const { return files_; }
    int FileCount() const { return fileCount_; }

    bool EnableDrop() const { return enableDrop_; }
    // Stored only while a DropControl is set.
    void SetEnableDrop(bool value);

    platform::Window* DropControl() const { return dropControl_; }
    // Hooks the control's window (releasing a previous one first) and enables drops on it;
    // nullptr unhooks.
    void SetDropControl(platform::Window* control);

    std::function<void(TFileDrop& sender)> OnDrop;

    platform::Point DropPoint() const { return dropPoint_; }

    // A drop arrived on the hooked window.
    void HandleDrop(const platform::DroppedFiles& drop);

private:
    void Hook();
    void Unhook();

    platform::Platform& platform_;
    std::vector<std::string> files_;
    int fileCount_ = 0;
    bool enableDrop_ = false;
    platform::Window* dropControl_ = nullptr;
    std::unique_ptr<platform::FileDropHook> hook_;
    platform::Point dropPoint_;
};

}  // namespace zylora::shell
