// What the platform tells about the program and the desktop, finding a window of another
// instance by class, and the message loop's end.
#include "tests/win32/Win32TestSupport.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/win32/Win32LateImports.h"
#include "platform/win32/Win32Window.h"

namespace zylora::win32test {
namespace {

using ApplicationTest = PlatformTest;

TEST_F(ApplicationTest, ExecutablePathAndArgumentsAreThisProgramsOwn) {
    const std::string path = platform->ExecutablePath();
    EXPECT_NE(path.find("zylora_win32_tests.exe"), std::string::npos) << path;
    EXPECT_TRUE(platform->Files().FileExists(path));
    // The C runtime splits the same command line; the program name is left out.
    std::vector<std::string> expected(__argv + 1, __argv + __argc);
    EXPECT_EQ(platform->CommandLineArguments(), expected);
}

// The shell and the dialogs are loaded when first needed, and only from the system's folder.
TEST_F(ApplicationTest, LateLibrariesComeFromTheSystemsFolder) {
    char system[MAX_PATH] = {};
    ASSERT_GT(::GetSystemDirectoryA(system, MAX_PATH), 0u);
    for (const char* library : {"shell32.dll", "comdlg32.dll"}) {
        const HMODULE module = platform::win32::SystemLibrary(library);
        ASSERT_NE(module, nullptr) << library;
        char file[MAX_PATH] = {};
        ::GetModuleFileNameA(module, file, MAX_PATH);
        EXPECT_EQ(::CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, file, static_cast<int>(std::strlen(system)), system,
                                   -1), CSTR_EQUAL)
            << file;
    }
    EXPECT_EQ(platform::win32::LateFunction<decltype(::GetTickCount)>("shell32.dll", "NoSuchFunction"), nullptr);
}

TEST_F(ApplicationTest, BackgroundWorkRunsOnAThreadOfItsOwnAndEndsHereFromTheMessages) {
    const DWORD here = ::GetCurrentThreadId();
    DWORD worked = 0, ended = 0;
    platform->RunInBackground([&] { worked = ::GetCurrentThreadId(); }, [&] { ended = ::GetCurrentThreadId(); });
    EXPECT_EQ(ended, 0u) << "not before the messages flow";
    ASSERT_TRUE(PumpUntil([&] { return ended != 0; }));
    EXPECT_NE(worked, here);
    EXPECT_EQ(ended, here);
}

TEST_F(ApplicationTest, MainFormIsFoundByItsClassAndIdentity) {
    auto first = Form("TfrmMiddle");
    auto second = Form("TfrmMiddle");
    const ForeignWindow a = platform->IdentityOf(*first), b = platform->IdentityOf(*second);
    ASSERT_NE(a, 0u);
    EXPECT_EQ(reinterpret_cast<HWND>(a), HandleOf(*first));
    // Another program sharing the Wine server may have one too: walk them all.
    std::vector<ForeignWindow> found;
    for (ForeignWindow w = platform->FindTopLevelWindow("TfrmMiddle", 0); w != 0 && found.size() < 100;
         w = platform->FindTopLevelWindow("TfrmMiddle", w))
        found.push_back(w);
    EXPECT_EQ(std::count(found.begin(), found.end(), a), 1);
    EXPECT_EQ(std::count(found.begin(), found.end(), b), 1);

    auto only = Form("TzyOnlyOne");
    EXPECT_EQ(platform->FindTopLevelWindow("TzyOnlyOne", 0), platform->IdentityOf(*only));
    EXPECT_EQ(platform->FindTopLevelWindow("TzyOnlyOne", platform->IdentityOf(*only)), 0u);
    EXPECT_EQ(platform->FindTopLevelWindow("TzyNoSuchClass", 0), 0u);
}

TEST_F(ApplicationTest, SwitchingBringsTheWindowForward) {
    auto other = Form("TzyOther");
    auto own = Form("TzyOwn");
    other->SetBounds({10, 10, 50, 50});
    own->SetBounds({100, 10, 50, 50});
    other->SetVisible(true);
    own->SetVisible(true);
    PumpPending();
    ASSERT_EQ(::GetForegroundWindow(), HandleOf(*own));
    platform->SwitchToWindow(platform->IdentityOf(*other));
    PumpPending();
    EXPECT_EQ(::GetForegroundWindow(), HandleOf(*other));
    platform->SwitchToWindow(0);
}

TEST_F(ApplicationTest, ScreenAndCursorAreThoseOfTheDesktop) {
    EXPECT_GT(platform->ScreenSize().width, 0);
    EXPECT_GT(platform->ScreenSize().height, 0);
    ASSERT_TRUE(::SetCursorPos(123, 45));
    EXPECT_EQ(platform->CursorPos(), (Point{123, 45}));
}

TEST_F(ApplicationTest, TheApplicationWindowReportsActivationAndHandsKeysToTheMainForm) {
    auto main = Form("TzyMainForm");
    RecordingSink sink;
    main->SetEvents(&sink);
    const HWND application = ::GetWindow(HandleOf(*main), GW_OWNER);
    std::vector<bool> changes;
    platform->OnApplicationActivation([&](bool active) { changes.push_back(active); });
    ::SendMessageA(application, WM_ACTIVATEAPP, FALSE, 0);
    ::SendMessageA(application, WM_ACTIVATEAPP, TRUE, 0);
    EXPECT_EQ(changes, (std::vector<bool>{false, true}));
    platform->OnApplicationActivation(nullptr);
    ::SendMessageA(application, WM_ACTIVATEAPP, FALSE, 0);
    EXPECT_EQ(changes.size(), 2u);

    ::SendMessageA(application, WM_KEYDOWN, 'Q', 0);
    EXPECT_EQ(sink.Only("key"), (Log{"key 81"}));
}

// The raise an activation posts comes before the paints waiting in the queue: it paints the
// main form's panels first, so that the first frame doesn't wait for the raise.
TEST_F(ApplicationTest, TheRaiseAfterAnActivationPaintsTheMainFormFirst) {
    auto main = Form("TzyMainForm");
    auto panel = platform->CreatePanel(*main);
    main->SetBounds({100, 100, 200, 150});
    panel->SetBounds({0, 0, 200, 150});
    ::ShowWindow(HandleOf(*main), SW_SHOWNA);  // not activated: the test posts no raise of its own
    PumpPending();
    RecordingSink sink;
    int paints = 0;
    sink.onPaint = [&](ScreenTarget&) { return ++paints > 0; };
    panel->SetEvents(&sink);
    panel->Invalidate();
    ::SendMessageA(::GetWindow(HandleOf(*main), GW_OWNER), platform::win32::RaiseFormsMessage, 0, 0);
    EXPECT_EQ(paints, 1);
    EXPECT_FALSE(::GetUpdateRect(HandleOf(*panel), nullptr, FALSE));
    panel->SetEvents(nullptr);
}

TEST_F(ApplicationTest, TerminatingOrClosingEndsTheMessageLoop) {
    auto form = Form();
    int ticks = 0;
    auto terminate = platform->CreateTimer(1, [&] { ++ticks, platform->TerminateApplication(); });
    terminate->SetEnabled(true);
    platform->RunMessageLoop();
    EXPECT_GE(ticks, 1);

    terminate.reset();
    auto close = platform->CreateTimer(1, [&] { form->Close(); });
    close->SetEnabled(true);
    platform->RunMessageLoop();
    EXPECT_TRUE(::IsWindow(HandleOf(*form))) << "the loop ends, the window stays";
}

}  // namespace
}  // namespace zylora::win32test
