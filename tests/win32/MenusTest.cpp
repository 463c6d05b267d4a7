// Popup menus on real windows: the folders offered for skins and button sets, the caption
// menu and the shell's menu of a file, each closed again by the program itself.
#include "tests/win32/Win32TestSupport.h"

#include "platform/Paths.h"

namespace zylora::win32test {
namespace {

class MenusTest : public PlatformTest {
protected:
    // Closes whatever menu is open at the timer's first tick inside the menu's own loop.
    std::unique_ptr<Timer> CloseMenuSoon() {
        auto timer = platform->CreateTimer(50, [] { ::EndMenu(); });
        timer->SetEnabled(true);
        return timer;
    }
    ScratchFolder folder;
};

TEST_F(MenusTest, OnlyVisibleFoldersAreOffered) {
    for (const char* name : {"Plain", "Hidden", "Sys"})
        ASSERT_TRUE(::CreateDirectoryA(folder.File(name).c_str(), nullptr));
    ::SetFileAttributesA(folder.File("Hidden").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_DIRECTORY);
    ::SetFileAttributesA(folder.File("Sys").c_str(), FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY);
    WriteBytes(folder.File("file.txt"), "x");
    EXPECT_EQ(platform::VisibleSubfolders(platform->Files(), folder.Path()), (std::vector<std::string>{"Plain"}));
    EXPECT_TRUE(platform::VisibleSubfolders(platform->Files(), folder.File("missing")).empty());
}

TEST_F(MenusTest, ADismissedMenuChoosesNothing) {
    auto owner = Form();
    owner->SetVisible(true);
    auto closer = CloseMenuSoon();
    EXPECT_EQ(platform->ShowPopupMenu(*owner, {"One & Two", "Three"}, {50, 50}), std::nullopt);
}

TEST_F(MenusTest, TheShellMenuComesOnlyForAFileItCanResolve) {
    auto owner = Form();
    owner->SetVisible(true);
    WriteBytes(folder.File("pic.png"), "x");
    const std::string dir = folder.Path() + "\\";
    EXPECT_FALSE(platform->ShowShellContextMenu(*owner, "", ""));
    EXPECT_FALSE(platform->ShowShellContextMenu(*owner, dir + "missing\\", "pic.png"));
    EXPECT_FALSE(platform->ShowShellContextMenu(*owner, dir, std::string(300, 'p') + ".png"))
        << "a name longer than the buffer is no name";
    auto closer = CloseMenuSoon();
    EXPECT_TRUE(platform->ShowShellContextMenu(*owner, dir, "pic.png"));
}

}  // namespace
}  // namespace zylora::win32test
