// The file system and the INI layer on real Windows paths.
#include "tests/win32/Win32TestSupport.h"

#include "platform/Ini.h"

namespace zylora::win32test {
namespace {

class FileSystemTest : public PlatformTest {
protected:
    FileSystem& files = platform->Files();
    ScratchFolder folder;
};

TEST_F(FileSystemTest, ReplaceWritesTheWholeFileAndLeavesNoTemporary) {
    const std::string path = folder.File("settings.ini");
    std::string content = "[Main]\r\nLeft=1\r\n";
    content += std::string(1, '\0') + std::string(200000, 'x');  // more than one write's worth
    for (const std::string& text : {content, std::string("short"), std::string()}) {
        ASSERT_TRUE(files.ReplaceFile(path, text));
        EXPECT_EQ(files.ReadFile(path), text);
        EXPECT_EQ(folder.Entries(), (std::vector<std::string>{"settings.ini"}));
    }
}

TEST_F(FileSystemTest, FailedReplaceKeepsTheOriginalAndNoTemporary) {
    const std::string folderPath = folder.File("settings.ini");
    ASSERT_TRUE(::CreateDirectoryA(folderPath.c_str(), nullptr));
    EXPECT_FALSE(files.ReplaceFile(folderPath, "data"));
    EXPECT_TRUE(::GetFileAttributesA(folderPath.c_str()) & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_FALSE(files.ReplaceFile(folder.File("no such folder\\settings.ini"), "data"));
    EXPECT_FALSE(files.ReplaceFile("", "data"));

    // Held open without sharing: the rename over it can't happen.
    const std::string locked = folder.File("locked.ini");
    WriteBytes(locked, "original");
    HANDLE held = ::CreateFileA(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(files.ReplaceFile(locked, "new content"));
    ::CloseHandle(held);
    EXPECT_EQ(files.ReadFile(locked), "original");
    EXPECT_EQ(folder.Entries(), (std::vector<std::string>{"locked.ini", "settings.ini"}));
}

TEST_F(FileSystemTest, ExistsAndReadAnswerForPlainFilesOnly) {
    const std::string path = folder.File("picture.png");
    WriteBytes(path, "bytes");
    EXPECT_TRUE(files.FileExists(path));
    EXPECT_EQ(files.ReadFile(path), "bytes");
    for (const std::string& other : {folder.Path(), folder.File("missing.png"), std::string()}) {
        EXPECT_FALSE(files.FileExists(other)) << other;
        EXPECT_EQ(files.ReadFile(other), std::nullopt) << other;
    }
}

TEST_F(FileSystemTest, IniFileWritesAndReadsBack) {
    const std::string path = folder.File("zylora.ini");
    {
        platform::IniFile ini(files, path);
        ini.WriteInteger("Main", "Left", -120);
        ini.WriteString("Main", "Skin", "Default");
    }
    platform::IniFile again(files, path);
    EXPECT_EQ(again.ReadInteger("main", "LEFT", 0), -120);
    EXPECT_EQ(again.ReadString("Main", "Skin", ""), "Default");
    EXPECT_EQ(again.ReadInteger("Main", "Missing", 7), 7);
    EXPECT_EQ(folder.Entries(), (std::vector<std::string>{"zylora.ini"}));
    EXPECT_NE(files.ReadFile(path).value_or("").find("Left=-120"), std::string::npos);
}

TEST_F(FileSystemTest, IniWriteToAFolderThrowsUnableToWrite) {
    const std::string path = folder.File("zylora.ini");
    ASSERT_TRUE(::CreateDirectoryA(path.c_str(), nullptr));
    platform::IniFile ini(files, path);
    try {
        ini.WriteInteger("Main", "Left", 1);
        FAIL() << "no error";
    } catch (const platform::IniWriteError& error) {
        EXPECT_STREQ(error.what(), ("Unable to write to " + path).c_str());
    }
    EXPECT_EQ(folder.Entries(), (std::vector<std::string>{"zylora.ini"}));
}

}  // namespace
}  // namespace zylora::win32test
