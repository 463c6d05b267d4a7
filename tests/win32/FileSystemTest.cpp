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
    content.push_back('\0');
    content += std::string(200000, 'x');  // more than one write's worth
    ASSERT_TRUE(files.ReplaceFile(path, content));
    EXPECT_EQ(files.ReadFile(path), content);
    EXPECT_EQ(folder.Entries(), (std::vector<std::string>{"settings.ini"}));

    ASSERT_TRUE(files.ReplaceFile(path, "short"));
    EXPECT_EQ(files.ReadFile(path), "short");
    ASSERT_TRUE(files.ReplaceFile(path, ""));
    EXPECT_EQ(files.ReadFile(path), "");
    EXPECT_EQ(folder.Entries(), (std::vector<std::string>{"settings.ini"}));
}

TEST_F(FileSystemTest, ReplacingAFolderFailsAndLeavesIt) {
    const std::string path = folder.File("settings.ini");
    ASSERT_TRUE(::CreateDirectoryA(path.c_str(), nullptr));
    EXPECT_FALSE(files.ReplaceFile(path, "data"));
    EXPECT_TRUE(::GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(folder.Entries(), (std::vector<std::string>{"settings.ini"}));
    EXPECT_FALSE(files.ReplaceFile(folder.File("no such folder\\settings.ini"), "data"));
    EXPECT_FALSE(files.ReplaceFile("", "data"));
}

TEST_F(FileSystemTest, AFailedReplaceKeepsTheOriginal) {
    const std::string path = folder.File("locked.ini");
    WriteBytes(path, "original");
    // Held open without sharing: the rename over it can't happen.
    HANDLE held = ::CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(files.ReplaceFile(path, "new content"));
    ::CloseHandle(held);
    EXPECT_EQ(files.ReadFile(path), "original");
    EXPECT_EQ(folder.Entries(), (std::vector<std::string>{"locked.ini"}));
}

TEST_F(FileSystemTest, ExistsAndReadAnswerForPlainFilesOnly) {
    const std::string path = folder.File("picture.png");
    WriteBytes(path, "bytes");
    EXPECT_TRUE(files.FileExists(path));
    EXPECT_FALSE(files.FileExists(folder.Path()));
    EXPECT_FALSE(files.FileExists(folder.File("missing.png")));
    EXPECT_FALSE(files.FileExists(""));
    EXPECT_EQ(files.ReadFile(path), "bytes");
    EXPECT_EQ(files.ReadFile(folder.File("missing.png")), std::nullopt);
    EXPECT_EQ(files.ReadFile(folder.Path()), std::nullopt);
    EXPECT_EQ(files.ReadFile(""), std::nullopt);
}

TEST_F(FileSystemTest, IniFileWritesAndReadsBack) {
    const std::string path = folder.File("zylora.ini");
    {
        platform::IniFile ini(files, path);
        ini.WriteInteger("Main", "Left", -120);
        ini.WriteString("Main", "Skin", "Default");
        ini.WriteInteger("Main", "Width", 640);
    }
    platform::IniFile again(files, path);
    EXPECT_EQ(again.ReadInteger("main", "LEFT", 0), -120);
    EXPECT_EQ(again.ReadString("Main", "Skin", ""), "Default");
    EXPECT_EQ(again.ReadInteger("Main", "Width", 0), 640);
    EXPECT_EQ(again.ReadInteger("Main", "Missing", 7), 7);
    EXPECT_EQ(folder.Entries(), (std::vector<std::string>{"zylora.ini"}));
    const auto content = files.ReadFile(path);
    ASSERT_TRUE(content);
    EXPECT_NE(content->find("Left=-120"), std::string::npos) << *content;
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
