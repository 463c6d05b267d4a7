// The move into the Recycle Bin under the real shell: a file the bin can't take (here, one
// another program holds open without delete sharing) stays, with no dialog shown; a missing
// one is told, not asked about as a folder.
#include "tests/win32/ViewerTestSupport.h"
#include "tests/win32/Win32TestSupport.h"

#include <cstdlib>

namespace zylora::win32test {
namespace {

class RecycleTest : public PlatformTest {
protected:
    ScratchFolder folder;
};

TEST_F(RecycleTest, AFileGoesIntoTheBinOrStaysWhereItIsButIsNeverDeletedForGood) {
    using Outcome = Platform::RecycleOutcome;
    struct Case {
        const char* name;
        bool write;
        DWORD heldSharing;  // 0: not held
        Outcome outcome;
    };
    const DWORD all = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    const Case cases[] = {
        {"plain.jpg", true, 0, Outcome::Recycled},
        {"read while deleted.jpg", true, all, Outcome::Recycled},
        {"held.jpg", true, FILE_SHARE_READ, Outcome::Kept},
        {"missing.jpg", false, 0, Outcome::Missing},
    };
    auto owner = Form();
    for (const Case& c : cases) {
        const std::string path = folder.File(c.name);
        if (c.write) WriteBytes(path, "picture bytes");
        HANDLE held = c.heldSharing ? ::CreateFileA(path.c_str(), GENERIC_READ, c.heldSharing, nullptr, OPEN_EXISTING,
                                                    FILE_ATTRIBUTE_NORMAL, nullptr)
                                    : INVALID_HANDLE_VALUE;
        EXPECT_EQ(platform->MoveToRecycleBin(*owner, path), c.outcome) << c.name;
        if (held != INVALID_HANDLE_VALUE) ::CloseHandle(held);
        EXPECT_EQ(platform->Files().FileExists(path), c.outcome == Outcome::Kept) << c.name;
    }
}

// The decoders read with delete sharing: a Delete while a large photo's full decode runs
// moves it into the bin, where a decoder holding it without that sharing would keep it.
TEST_F(RecycleTest, APictureBeingDecodedGoesIntoTheBin) {
    const std::string path = folder.File("large.jpg");
    WritePicture(path, 4000, 3000, "image/jpeg", [](int x, int y) { return MakeArgb(255, x & 255, y & 255, 90); });
    auto owner = Form();
    auto preview = platform->DecodePreview(path, [](Size) { return Size{500, 375}; }, nullptr);
    ASSERT_TRUE(preview && preview->full);
    EXPECT_EQ(platform->MoveToRecycleBin(*owner, path), Platform::RecycleOutcome::Recycled);
    EXPECT_FALSE(platform->Files().FileExists(path));
    preview->full->Take();  // the decode ends, whatever became of its file
}

// Under Wine the bin is the desktop's trash folder; a home without one stands for a drive
// without a bin, where the shell would silently delete the file for good. Each test runs in
// a process of its own, and the shell finds its trash folder at its first use.
TEST_F(RecycleTest, WhereNoBinIsTheFileStays) {
    ASSERT_TRUE(::SetEnvironmentVariableA("XDG_DATA_HOME", "/proc/no-trash-here"));
    auto owner = Form();
    const std::string path = folder.File("photo.jpg");
    WriteBytes(path, "picture bytes");
    EXPECT_EQ(platform->MoveToRecycleBin(*owner, path), Platform::RecycleOutcome::Kept);
    EXPECT_TRUE(platform->Files().FileExists(path));
}

}  // namespace
}  // namespace zylora::win32test
