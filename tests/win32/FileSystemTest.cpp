// The file system and the INI layer on real Windows paths.
#include "tests/win32/Win32TestSupport.h"

#include <algorithm>
#include <thread>

#include "platform/Ini.h"
#include "view/FileListBox.h"

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

    // Held open without sharing for good: the rename over it can't happen.
    const std::string locked = folder.File("locked.ini");
    WriteBytes(locked, "original");
    HANDLE held = ::CreateFileA(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(files.ReplaceFile(locked, "new content"));
    ::CloseHandle(held);
    EXPECT_EQ(files.ReadFile(locked), "original");
    EXPECT_EQ(folder.Entries(), (std::vector<std::string>{"locked.ini", "settings.ini"}));
}

TEST_F(FileSystemTest, AReplaceWaitsOutAnotherProgramHoldingTheFileForAMoment) {
    const std::string path = folder.File("settings.ini");
    WriteBytes(path, "theirs");
    HANDLE held = ::CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    std::thread other([held] {
        ::Sleep(150);
        ::CloseHandle(held);
    });
    EXPECT_TRUE(files.ReplaceFile(path, "ours"));
    other.join();
    EXPECT_EQ(files.ReadFile(path), "ours");
    EXPECT_EQ(folder.Entries(), (std::vector<std::string>{"settings.ini"}));
}

TEST_F(FileSystemTest, AReadOnlyFileAndTheUsersOwnFilesBesideItAreNeverReplaced) {
    const std::string path = folder.File("settings.ini");
    WriteBytes(path, "mine");
    ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(files.ReplaceFile(path, "new"));
    EXPECT_EQ(files.ReadFile(path), "mine");
    EXPECT_TRUE(::GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_READONLY) << "still read-only";
    ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);

    // Files named as a temporary might be: untouched, and not renamed over the target.
    std::vector<std::string> planted{"settings.ini.tmp"};
    for (int n = 0; n < 3; ++n)
        planted.push_back("settings.ini." + std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(n) + ".tmp");
    for (const std::string& name : planted) WriteBytes(folder.File(name), "user's " + name);
    ASSERT_TRUE(files.ReplaceFile(path, "new"));
    EXPECT_EQ(files.ReadFile(path), "new");
    for (const std::string& name : planted) EXPECT_EQ(files.ReadFile(folder.File(name)), "user's " + name);
    EXPECT_EQ(folder.Entries().size(), planted.size() + 1) << "no temporary left";
}

TEST_F(FileSystemTest, ExistsAndReadAnswerForPlainFilesOnly) {
    const std::string path = folder.File("picture.png");
    WriteBytes(path, "bytes");
    EXPECT_TRUE(files.FileExists(path));
    EXPECT_FALSE(files.FolderExists(path));
    EXPECT_TRUE(files.FolderExists(folder.Path()));
    EXPECT_EQ(files.ReadFile(path), "bytes");
    for (const std::string& other : {folder.Path(), folder.File("missing.png"), std::string()}) {
        EXPECT_FALSE(files.FileExists(other)) << other;
        EXPECT_EQ(files.ReadFile(other), std::nullopt) << other;
        EXPECT_EQ(files.StampOf(other), std::nullopt) << other;
    }
    EXPECT_FALSE(files.FolderExists(folder.File("missing")));
}

TEST_F(FileSystemTest, NamesCompareAsTheFileManagerShowsThemAndAFolderTellsItChanged) {
    EXPECT_LT(files.CompareNames("img2.png", "IMG10.png"), 0);
    EXPECT_GT(files.CompareNames("img10.png", "img1.png"), 0);
    EXPECT_EQ(files.CompareNames("a.PNG", "A.png"), 0);
    EXPECT_TRUE(files.SameName("\xC3\x84PFEL.PNG", "\xC3\xA4pfel.png"));  // ÄPFEL.PNG, äpfel.png
    EXPECT_FALSE(files.SameName("apfel.png", "\xC3\xA4pfel.png"));
    const auto before = files.FolderStamp(folder.Path());
    ASSERT_TRUE(before.has_value());
    EXPECT_EQ(files.FolderStamp(folder.File("missing")), std::nullopt);
    ::Sleep(20);
    WriteBytes(folder.File("new.png"), "x");
    EXPECT_NE(files.FolderStamp(folder.Path()), before);
}

TEST_F(FileSystemTest, AStampTellsANewContentOfTheSameSizeAndWriteTime) {
    const std::string path = folder.File("scan.png");
    WriteBytes(path, "first");
    const auto before = files.StampOf(path);
    ASSERT_TRUE(before.has_value());
    EXPECT_EQ(files.StampOf(path), before) << "nothing changed";
    FILETIME written{};
    {
        HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        ::GetFileTime(file, nullptr, nullptr, &written);
        ::CloseHandle(file);
    }
    ::Sleep(20);
    // As a copy that keeps times does it: the same size, the old write time.
    WriteBytes(path, "other");
    HANDLE file = ::CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_TRUE(::SetFileTime(file, nullptr, nullptr, &written));
    ::CloseHandle(file);
    const auto after = files.StampOf(path);
    ASSERT_TRUE(after.has_value());
    EXPECT_EQ(after->size, before->size);
    EXPECT_EQ(after->modified, before->modified);
    EXPECT_NE(after, before);
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

TEST_F(FileSystemTest, AFolderListsItsEntriesWithTheirKinds) {
    WriteBytes(folder.File("Plain.PNG"), "x");
    WriteBytes(folder.File("secret.png"), "x");
    ::SetFileAttributesA(folder.File("secret.png").c_str(), FILE_ATTRIBUTE_HIDDEN);
    WriteBytes(folder.File("boot.jpg"), "x");
    ::SetFileAttributesA(folder.File("boot.jpg").c_str(), FILE_ATTRIBUTE_SYSTEM);
    ASSERT_TRUE(::CreateDirectoryA(folder.File("album.png").c_str(), nullptr));
    auto entries = files.ListFolder(folder.Path());
    ASSERT_TRUE(entries);
    std::sort(entries->begin(), entries->end(),
              [](const FolderEntry& a, const FolderEntry& b) { return a.name < b.name; });
    EXPECT_EQ(*entries, (std::vector<FolderEntry>{{"Plain.PNG", false, false, false},
                                                  {"album.png", true, false, false},
                                                  {"boot.jpg", false, false, true},
                                                  {"secret.png", false, true, false}}));
    EXPECT_EQ(files.ListFolder(folder.File("album.png")), std::vector<FolderEntry>{}) << "empty";
    EXPECT_EQ(files.ListFolder(folder.File("album.png\\")), std::vector<FolderEntry>{});
    EXPECT_EQ(files.ListFolder(folder.File("missing")), std::nullopt);
    EXPECT_EQ(files.ListFolder(folder.File("Plain.PNG")), std::nullopt) << "a file is no folder";
    EXPECT_FALSE(files.WorkingDirectory().empty());
}

TEST_F(FileSystemTest, ThePictureListHoldsEachPictureOnceWhateverItsShortName) {
    // photo.tiff has a short name ending in .TIF and pic.jpeg one ending in .JPG, which the
    // system's own pattern matching would find again under the shorter pattern.
    for (const char* name : {"c.Gif", "a.png", "B.JPG", "photo.tiff", "scan.tif", "pic.jpeg",
                             "notes.txt", "x.png.bak", "hidden.png", "sys.jpg"})
        WriteBytes(folder.File(name), "x");
    ::SetFileAttributesA(folder.File("hidden.png").c_str(), FILE_ATTRIBUTE_HIDDEN);
    ::SetFileAttributesA(folder.File("sys.jpg").c_str(), FILE_ATTRIBUTE_SYSTEM);
    ASSERT_TRUE(::CreateDirectoryA(folder.File("folder.png").c_str(), nullptr));
    view::TFileListBox list(files, "*.png;*.jpg;*.gif;*.tif;*.tiff;*.jpeg");
    ASSERT_TRUE(list.SetDirectory(folder.Path()));
    EXPECT_EQ(list.Items(), (std::vector<std::string>{"a.png", "B.JPG", "c.Gif", "photo.tiff",
                                                      "pic.jpeg", "scan.tif"}));
    EXPECT_FALSE(list.SetDirectory(folder.File("gone")));
    EXPECT_EQ(list.Count(), 6);
}

}  // namespace
}  // namespace zylora::win32test
