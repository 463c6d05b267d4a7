#include "platform/win32/Win32Menus.h"

#include <shlobj.h>
#include <shobjidl.h>

#include "platform/win32/Win32Handles.h"
#include "platform/win32/Win32LateImports.h"
#include "platform/win32/Win32Text.h"

namespace zylora::platform::win32 {

namespace {

// A menu shown by a window that isn't the foreground one would not close when the user
// clicks elsewhere.
UINT TrackAt(HMENU menu, HWND owner, Point at) {
    ::SetForegroundWindow(owner);
    const UINT chosen = static_cast<UINT>(::TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x,
                                                           at.y, 0, owner, nullptr));
    ::PostMessageA(owner, WM_NULL, 0, 0);
    return chosen;
}

class ItemList {
public:
    ItemList() = default;
    ~ItemList() { ::CoTaskMemFree(list_); }
    ItemList(const ItemList&) = delete;
    ItemList& operator=(const ItemList&) = delete;
    PIDLIST_RELATIVE Get() const { return list_; }
    PIDLIST_RELATIVE* Receive() { return &list_; }

private:
    PIDLIST_RELATIVE list_ = nullptr;
};

// The shell parses a text of at most 259 characters; a longer one is no text at all.
std::wstring Fitted(const std::string& text) {
    std::wstring wide = WideFromUtf8(text);
    if (wide.size() > MAX_PATH - 1) wide.clear();
    return wide;
}

// The item list of a text the folder parses.
bool Parse(IShellFolder& folder, HWND owner, const std::string& text, ItemList& list) {
    std::wstring buffer = Fitted(text);
    return SUCCEEDED(folder.ParseDisplayName(owner, nullptr, buffer.data(), nullptr, list.Receive(), nullptr)) &&
           list.Get();
}

// Hands the open menu's messages to the shell's menu object, so that its owner-drawn and
// late-filled submenus ("Open with", "Send to") fill and draw.
class MenuMessageForwarder : public MessageHook {
public:
    MenuMessageForwarder(Win32Window& window, IContextMenu* menu) : window_(&window) {
        menu->QueryInterface(IID_IContextMenu3, menu3_.ReceiveVoid());
        if (!menu3_.Get()) menu->QueryInterface(IID_IContextMenu2, menu2_.ReceiveVoid());
        if (menu3_.Get() || menu2_.Get()) window_->AddHook(this);
    }
    ~MenuMessageForwarder() override {
        if (window_) window_->RemoveHook(this);
    }
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
        switch (message) {
            case WM_INITMENUPOPUP:
            case WM_DRAWITEM:
            case WM_MEASUREITEM:
            case WM_MENUCHAR: break;
            default: return false;
        }
        if (menu3_.Get()) return SUCCEEDED(menu3_->HandleMenuMsg2(message, wParam, lParam, &result));
        if (message == WM_MENUCHAR || !menu2_.Get()) return false;
        result = message == WM_INITMENUPOPUP ? 0 : TRUE;
        return SUCCEEDED(menu2_->HandleMenuMsg(message, wParam, lParam));
    }
    void WindowGone() override { window_ = nullptr; }

private:
    Win32Window* window_;
    Com<IContextMenu3> menu3_;
    Com<IContextMenu2> menu2_;
};

}  // namespace

std::optional<int> ShowCaptionMenu(HWND owner, const std::vector<std::string>& captions, Point at) {
    MenuHandle menu;
    if (!menu.Get()) return std::nullopt;
    for (std::size_t i = 0; i < captions.size(); ++i) {
        // "&" would mark the next letter as the accelerator and vanish: doubled, it shows.
        std::wstring text;
        for (wchar_t c : WideFromUtf8(captions[i])) {
            if (c == L'&') text += L'&';
            text += c;
        }
        ::AppendMenuW(menu.Get(), MF_STRING, i + 1, text.c_str());
    }
    const UINT chosen = TrackAt(menu.Get(), owner, at);
    if (chosen == 0 || chosen > captions.size()) return std::nullopt;
    return static_cast<int>(chosen - 1);
}

bool ShowShellMenu(Win32Window& owner, HWND application, const std::string& folderPart,
                   const std::string& namePart) {
    const HWND window = owner.Handle();
    Com<IShellFolder> desktop;
    static auto* const desktopFolder = LateFunction<decltype(::SHGetDesktopFolder)>("shell32.dll", "SHGetDesktopFolder");
    if (!desktopFolder || FAILED(desktopFolder(desktop.Receive())) || !desktop.Get()) return false;

    ItemList folderItem;
    if (!Parse(*desktop.Get(), window, folderPart, folderItem)) return false;
    Com<IShellFolder> folder;
    if (FAILED(desktop->BindToObject(folderItem.Get(), nullptr, IID_IShellFolder, folder.ReceiveVoid())) ||
        !folder.Get())
        return false;
    ItemList fileItem;
    if (!Parse(*folder.Get(), window, namePart, fileItem)) return false;
    Com<IContextMenu> menuObject;
    PCUITEMID_CHILD items[] = {reinterpret_cast<PCUITEMID_CHILD>(fileItem.Get())};
    folder->GetUIObjectOf(application, 1, items, IID_IContextMenu, nullptr, menuObject.ReceiveVoid());
    MenuHandle menu;
    if (!menuObject.Get() || !menu.Get()) return false;

    menuObject->QueryContextMenu(menu.Get(), 0, 1, 0x7FFF, CMF_EXPLORE);
    POINT cursor{};
    ::GetCursorPos(&cursor);
    UINT chosen = 0;
    {
        MenuMessageForwarder forwarder(owner, menuObject.Get());
        chosen = TrackAt(menu.Get(), window, {cursor.x, cursor.y});
    }
    if (chosen != 0) {
        CMINVOKECOMMANDINFO invoke{};
        // 36 bytes in the 32-bit program; the 64-bit test build has its own size.
        static_assert(sizeof(void*) != 4 || sizeof invoke == 36, "the invoke record of a 32-bit program");
        invoke.cbSize = sizeof invoke;
        invoke.hwnd = window;
        invoke.lpVerb = MAKEINTRESOURCEA(chosen - 1);
        invoke.nShow = SW_SHOWNORMAL;
        menuObject->InvokeCommand(&invoke);
    }
    return true;
}

}  // namespace zylora::platform::win32
