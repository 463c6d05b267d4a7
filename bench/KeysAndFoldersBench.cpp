#include "bench/KeysAndFoldersBench.h"

#include "app/MainWindow.h"
#include "bench/BenchSupport.h"
#include "platform/win32/Win32Text.h"

namespace zylora::bench {

namespace {

struct Keyboard {
    HWND form;
    double holdMs;
    int perSecond;
    double release = 0;
};

// Posts Right as a held key repeats it, then its release (a thread's start routine, which
// a 32-bit build wants with the system's calling convention).
DWORD WINAPI Typist(void* state) {
    auto* k = static_cast<Keyboard*>(state);
    const double start = Now();
    for (int n = 0; Now() - start < k->holdMs; ++n) {
        // The repeat count 1; from the second on, the key was down already.
        ::PostMessageW(k->form, WM_KEYDOWN, VK_RIGHT, n == 0 ? 1 : (1 | (1 << 30)));
        const double next = start + (n + 1) * 1000.0 / k->perSecond;
        while (Now() < next) ::Sleep(1);
    }
    k->release = Now();
    ::PostMessageW(k->form, WM_KEYUP, VK_RIGHT, static_cast<LPARAM>(0xC0000001u));
    return 0;
}

}  // namespace

HeldKey HoldRight(app::TfrmMiddle& main, double holdMs, int perSecond) {
    auto& platform = main.Platform();
    const HWND form = reinterpret_cast<HWND>(platform.IdentityOf(main.Form()));
    HeldKey result;
    // A picture counts once, whether it shows its preview or its full pixels first.
    std::string shown = main.PicturePath;
    double lastPaint = Now();
    // Dispatches what waits; a new picture counts once the view has painted it. Looked at
    // after each message: a picture painted and stepped past within one message still showed.
    auto look = [&] {
        const std::string& painted = main.View().PaintedPath();
        if (!painted.empty() && painted != shown) {
            shown = painted;
            ++result.shown;
            lastPaint = Now();
        }
    };
    auto pump = [&] {
        Idle(look);
        look();
    };
    // The keyboard repeats on its own, whatever the program is busy with: the keys come from
    // a thread of their own.
    Keyboard keyboard{form, holdMs, perSecond};
    const HANDLE thread = ::CreateThread(nullptr, 0, &Typist, &keyboard, 0, nullptr);
    if (!thread) return result;
    while (::WaitForSingleObject(thread, 0) == WAIT_TIMEOUT) {
        pump();
        AwaitMessage(1);
    }
    ::CloseHandle(thread);
    const double release = keyboard.release;
    // Until nothing new was shown for two seconds.
    while (Now() - std::max(release, lastPaint) < 2000) {
        pump();
        AwaitMessage(1);
    }
    result.lastPaintAfterRelease = std::max(0.0, lastPaint - release);
    return result;
}

std::string LargeFolder(const std::string& benchFolder, int count) {
    const std::string folder = benchFolder + "bench-folder-" + std::to_string(count);
    const std::string done = folder + "\\complete";
    if (::GetFileAttributesW(platform::win32::WideFromUtf8(done).c_str()) != INVALID_FILE_ATTRIBUTES) return folder;
    std::printf("writing %d files into %s ...\n", count, folder.c_str());
    ::CreateDirectoryW(platform::win32::WideFromUtf8(folder).c_str(), nullptr);
    for (int i = 0; i <= count; ++i) {
        const std::string name = i == count ? done : folder + "\\img" + std::to_string(i + 1) + ".jpg";
        const HANDLE file = ::CreateFileW(platform::win32::WideFromUtf8(name).c_str(), GENERIC_WRITE, 0, nullptr,
                                          CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) ::CloseHandle(file);
    }
    return folder;
}

double ListFolder(app::TfrmMiddle& main, const std::string& folder) {
    return Time(3, [&] {
        view::TFileListBox list(main.Platform().Files(), app::TfrmMiddle::PictureMask, false);
        list.SetDirectory(folder);
    });
}

}  // namespace zylora::bench
