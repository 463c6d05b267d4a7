// The move into the Recycle Bin under the real shell, which would offer to delete for good
// what the bin can't take: the file stays instead, and no dialog is shown.
#include "tests/win32/ViewerTestSupport.h"
#include "tests/win32/Win32TestSupport.h"

namespace zylora::win32test {
namespace {

using Outcome = Platform::RecycleOutcome;

class RecycleTest : public PlatformTest {
protected:
    ScratchFolder folder;
    std::unique_ptr<Window> owner = Form();
};

// The decoders read with delete sharing: a Delete while a large photo's full decode runs
// moves it into the bin.
TEST_F(RecycleTest, APictureBeingDecodedGoesIntoTheBin) {
    const std::string path = folder.File("large.jpg");
    WritePicture(path, 4000, 3000, "image/jpeg", [](int x, int y) { return MakeArgb(255, x & 255, y & 255, 90); });
    auto preview = platform->DecodePreview(path, [](Size) { return Size{500, 375}; }, nullptr);
    ASSERT_TRUE(preview && preview->full);
    EXPECT_EQ(platform->MoveToRecycleBin(*owner, path), Outcome::Recycled);
    EXPECT_FALSE(platform->Files().FileExists(path));
    preview->full->Take();  // the decode ends, whatever became of its file
}

// Under Wine the bin is the desktop's trash folder, found at the shell's first use in a
// process (ctest runs each test in one of its own); a home without one stands for a drive
// without a bin, where the shell would delete the file for good without a word.
TEST_F(RecycleTest, WhereNoBinIsTheFileStays) {
    ASSERT_TRUE(::SetEnvironmentVariableA("XDG_DATA_HOME", "/proc/no-trash-here"));
    const std::string path = folder.File("photo.jpg");
    WriteBytes(path, "picture bytes");
    EXPECT_EQ(platform->MoveToRecycleBin(*owner, path), Outcome::Kept);
    EXPECT_TRUE(platform->Files().FileExists(path));
}

}  // namespace
}  // namespace zylora::win32test
