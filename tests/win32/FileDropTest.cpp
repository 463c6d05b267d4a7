// Files dropped on a window, synthesized as the shell sends them (WM_DROPFILES with a
// DROPFILES block).
#include "tests/win32/Win32TestSupport.h"

#include <shlobj.h>

#include <cstring>

namespace zylora::win32test {
namespace {

class FileDropTest : public PlatformTest {
protected:
    void SetUp() override { form = Form(); }
    // A drop as the shell allocates it; the receiver frees it.
    void Drop(const std::vector<std::string>& names, POINT at) {
        std::string list;
        for (const std::string& name : names) list += name + '\0';
        list += '\0';
        HGLOBAL memory = ::GlobalAlloc(GHND, sizeof(DROPFILES) + list.size());
        auto* drop = static_cast<DROPFILES*>(::GlobalLock(memory));
        drop->pFiles = sizeof(DROPFILES);
        drop->pt = at;
        std::memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), list.data(), list.size());
        ::GlobalUnlock(memory);
        ::SendMessageA(HandleOf(*form), WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
    }
    std::unique_ptr<Window> form;
};

TEST_F(FileDropTest, HookedWindowPassesOnNamesInOrderAndThePoint) {
    form->AcceptFileDrops(true);
    EXPECT_TRUE(::GetWindowLongA(HandleOf(*form), GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
    std::vector<DroppedFiles> drops;
    auto hook = platform->HookFileDrops(*form, [&](const DroppedFiles& d) { drops.push_back(d); });
    Drop({"C:\\pictures\\b.png", "C:\\pictures\\a picture.jpg", "D:\\x.bmp"}, {12, 34});
    ASSERT_EQ(drops.size(), 1u);
    EXPECT_EQ(drops[0].names, (std::vector<std::string>{"C:\\pictures\\b.png", "C:\\pictures\\a picture.jpg",
                                                        "D:\\x.bmp"}));
    EXPECT_EQ(drops[0].point, (Point{12, 34}));

    // Other messages still reach the window's own sink.
    RecordingSink sink;
    form->SetEvents(&sink);
    ::SendMessageA(HandleOf(*form), WM_KEYDOWN, 'H', 0);
    EXPECT_EQ(sink.log, (Log{"key 72"}));

    hook.reset();
    Drop({"C:\\late.png"}, {1, 1});
    EXPECT_EQ(drops.size(), 1u) << "unhooked";
    form->AcceptFileDrops(false);
    EXPECT_FALSE(::GetWindowLongA(HandleOf(*form), GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
}

TEST_F(FileDropTest, NewestHookFirstAndAHookMayEndItselfInItsDrop) {
    Log order;
    auto older = platform->HookFileDrops(*form, [&](const DroppedFiles&) { order.push_back("older"); });
    std::unique_ptr<FileDropHook> newer;
    newer = platform->HookFileDrops(*form, [&](const DroppedFiles&) {
        order.push_back("newer");
        newer.reset();
    });
    Drop({"C:\\one.png"}, {0, 0});
    Drop({"C:\\two.png"}, {0, 0});
    EXPECT_EQ(order, (Log{"newer", "older"}));
}

TEST_F(FileDropTest, HookOutlivingItsWindowIsHarmless) {
    auto hook = platform->HookFileDrops(*form, [](const DroppedFiles&) { FAIL(); });
    form.reset();
    hook.reset();
}

}  // namespace
}  // namespace zylora::win32test
