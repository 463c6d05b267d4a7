#include "platform/win32/Win32FileDrop.h"

#include "platform/win32/Win32LateImports.h"
#include "platform/win32/Win32Text.h"

#include <shellapi.h>

#include <vector>

namespace zylora::platform::win32 {

namespace {

// A drop's functions come from the shell, loaded at the first drop.
struct DropFunctions {
    decltype(::DragQueryFileW)* queryFile = LateFunction<decltype(::DragQueryFileW)>("shell32.dll", "DragQueryFileW");
    decltype(::DragQueryPoint)* queryPoint = LateFunction<decltype(::DragQueryPoint)>("shell32.dll", "DragQueryPoint");
    decltype(::DragFinish)* finish = LateFunction<decltype(::DragFinish)>("shell32.dll", "DragFinish");
};

const DropFunctions& Drops() {
    static const DropFunctions functions;
    return functions;
}

class Win32FileDropHook : public FileDropHook, public MessageHook {
public:
    Win32FileDropHook(Win32Window& window, std::function<void(const DroppedFiles&)> onDrop)
        : window_(&window), onDrop_(std::move(onDrop)) {
        window_->AddHook(this);
    }
    ~Win32FileDropHook() override {
        if (window_) window_->RemoveHook(this);
    }

    bool OnMessage(UINT message, WPARAM wParam, LPARAM, LRESULT& result) override {
        if (message != WM_DROPFILES) return false;
        const auto drop = reinterpret_cast<HDROP>(wParam);
        const DroppedFiles files = ReadDrop(drop);
        if (Drops().finish) Drops().finish(drop);
        result = 0;
        // The handler may end this hook; the copy keeps the running function alive.
        const auto onDrop = onDrop_;
        if (onDrop) onDrop(files);
        return true;
    }

    void WindowGone() override { window_ = nullptr; }

private:
    Win32Window* window_;
    std::function<void(const DroppedFiles&)> onDrop_;
};

}  // namespace

DroppedFiles ReadDrop(HANDLE handle) {
    const auto drop = static_cast<HDROP>(handle);
    DroppedFiles files;
    const DropFunctions& shell = Drops();
    if (!shell.queryFile || !shell.queryPoint) return files;
    const UINT count = shell.queryFile(drop, 0xFFFFFFFF, nullptr, 0);
    // One buffer for all names, grown to exactly what a longer name needs.
    std::vector<wchar_t> buffer(128);
    for (UINT i = 0; i < count; ++i) {
        const UINT needed = shell.queryFile(drop, i, nullptr, 0) + 1;
        if (buffer.size() < needed) buffer.assign(needed, L'\0');
        const UINT copied = shell.queryFile(drop, i, buffer.data(), static_cast<UINT>(buffer.size()));
        // An empty list reads as one empty name: that is no file.
        if (copied > 0) files.names.push_back(Utf8FromWide(std::wstring(buffer.data(), copied).c_str()));
    }
    POINT point{};
    shell.queryPoint(drop, &point);
    files.point = {point.x, point.y};
    return files;
}

std::unique_ptr<FileDropHook> HookDrops(Win32Window& window,
                                        std::function<void(const DroppedFiles&)> onDrop) {
    return std::make_unique<Win32FileDropHook>(window, std::move(onDrop));
}

}  // namespace zylora::platform::win32
