// A settings file the viewer can't write: it says so once and the user's file stays as it
// was.
#include "tests/win32/ViewerTestSupport.h"

namespace zylora::win32test {
namespace {

class SettingsFaultTest : public ViewerTest {
protected:
    // Shuts the viewer down and hands back what it said.
    std::vector<std::string> StopAndTakeMessages() {
        main.reset();
        return std::exchange(recording.messages, {});
    }
};

TEST_F(SettingsFaultTest, AReadOnlyFileIsReportedOnceAndLeftAsItWas) {
    const std::string before = recording.Files().ReadFile(SettingsFile()).value_or("");
    ::SetFileAttributesA(SettingsFile().c_str(), FILE_ATTRIBUTE_READONLY);
    Start().Show();
    main->PlaceWindows(150, 160, 400, 300);
    EXPECT_EQ(StopAndTakeMessages(), std::vector<std::string>{"Unable to write to " + SettingsFile()});
    EXPECT_EQ(recording.Files().ReadFile(SettingsFile()), before);
    EXPECT_TRUE(::GetFileAttributesA(SettingsFile().c_str()) & FILE_ATTRIBUTE_READONLY);
    ::SetFileAttributesA(SettingsFile().c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(SettingsFaultTest, AFolderInTheFilesPlaceIsReportedOnceAndKept) {
    ::DeleteFileA(SettingsFile().c_str());
    ASSERT_TRUE(::CreateDirectoryA(SettingsFile().c_str(), nullptr));
    Start().Show();
    EXPECT_EQ(StopAndTakeMessages(), std::vector<std::string>{"Unable to write to " + SettingsFile()});
    EXPECT_TRUE(::GetFileAttributesA(SettingsFile().c_str()) & FILE_ATTRIBUTE_DIRECTORY);
    ::RemoveDirectoryA(SettingsFile().c_str());
}

}  // namespace
}  // namespace zylora::win32test
