// A long session on a real main window: two hundred steps through a folder and the menus
// opened and closed again and again. What the process holds comes back to where it was.
#include "tests/win32/ViewerTestSupport.h"


#include "platform/win32/Win32Memory.h"

namespace zylora::win32test {
namespace {

Argb Shade(int x, int y) { return MakeArgb(255, x * 9, y * 9, 77); }

// Under Wine the system's own counters (GetGuiResources, GetProcessHandleCount, private
// bytes) read 0, so the memory comes from the process's own view of its address space and a
// leak of handles shows in the value a new handle gets: the lowest free slot.
struct Holdings {
    std::uint64_t privateBytes = 0;
    std::uintptr_t nextHandle = 0;
    DWORD gdi = 0, user = 0;
};

Holdings Now() {
    Holdings h;
    h.privateBytes = platform::win32::CommittedPrivateBytes();
    HANDLE probe = ::CreateEventA(nullptr, FALSE, FALSE, nullptr);
    h.nextHandle = reinterpret_cast<std::uintptr_t>(probe);
    ::CloseHandle(probe);
    h.gdi = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
    h.user = ::GetGuiResources(::GetCurrentProcess(), GR_USEROBJECTS);
    return h;
}

class EnduranceTest : public ViewerTest {
protected:
    void Session(int steps, int menus) {
        for (int i = 0; i < steps; ++i) {
            // A folder the list doesn't hold yet is read on another thread first.
            const std::string before = main->PicturePath;
            main->StepInFolder(true);
            PumpUntil([&] { return main->PicturePath != before; });
        }
        auto closer = recording.CreateTimer(20, [] { ::EndMenu(); });
        closer->SetEnabled(true);
        for (int i = 0; i < menus; ++i) {
            main->ShowButtonSetMenu();
            bool handled = false;
            main->Image2ContextPopup(handled);
        }
        PumpPending();
    }
};

TEST_F(EnduranceTest, TwoHundredStepsAndTheMenusLeaveNothingBehind) {
    for (int i = 0; i < 200; ++i)
        WritePicture(pictures.File("p" + std::to_string(1000 + i) + ".png"), 16 + i % 7, 12 + i % 5, "image/png", Shade);
    Start().Show();
    main->OpenFile(pictures.File("p1000.png"));
    Session(20, 3);  // caches, fonts and the shell's own first-use allocations
    const Holdings before = Now();
    ASSERT_GT(before.privateBytes, 0u) << "the memory can't be read";

    Session(200, 20);
    const Holdings after = Now();
    EXPECT_EQ(main->PicturePath, pictures.File("p1020.png")) << "two hundred and twenty steps round 200";
    EXPECT_LE(after.nextHandle, before.nextHandle) << "kernel handles leak";
    EXPECT_LE(after.gdi, before.gdi + 5);
    EXPECT_LE(after.user, before.user + 5);
    EXPECT_LE(after.privateBytes, before.privateBytes + 8u * 1024 * 1024) << "memory grows with the session";
}

}  // namespace
}  // namespace zylora::win32test
