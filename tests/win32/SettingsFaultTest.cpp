// The settings file at the ends of a run: a file the viewer can't write is reported once
// and stays as it was; a logoff writes it although no close follows.
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

TEST_F(SettingsFaultTest, TheSessionsEndWritesTheSettingsBeforeTheProcessIsEnded) {
    ::DeleteFileA(SettingsFile().c_str());
    Start().Show();
    main->PlaceWindows(150, 160, 400, 300);
    const HWND form = HandleOfAny(main->Form());
    EXPECT_TRUE(::SendMessageA(form, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF));
    EXPECT_FALSE(recording.Files().ReadFile(SettingsFile()).has_value()) << "only asked so far";
    ::SendMessageA(form, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    const std::string written = recording.Files().ReadFile(SettingsFile()).value_or("");
    EXPECT_NE(written.find("X=150"), std::string::npos) << written;
    EXPECT_NE(written.find("Height=300"), std::string::npos) << written;
}

}  // namespace
}  // namespace zylora::win32test
