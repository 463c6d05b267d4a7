// The release zip as a user gets it: exactly the files of the runnable folder and the
// README, and once unpacked into an empty folder the exe runs there with the bundled skin
// and keeps its settings beside itself.
#include <algorithm>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "tests/e2e/SkinnedAppTest.h"

namespace zylora::e2e {
namespace {

namespace fs = std::filesystem;

// What a shell command printed, or nullopt when it failed.
std::optional<std::string> Shell(const std::string& command) {
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return std::nullopt;
    std::string out;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
    return pclose(pipe) == 0 ? std::optional(out) : std::nullopt;
}

std::string Quoted(const fs::path& path) { return "'" + path.string() + "'"; }

class ReleaseZip : public SkinnedAppTest {
protected:
    ReleaseZip() : SkinnedAppTest(Launcher::Contents::Empty) {}

    void SetUp() override {
        ASSERT_TRUE(fs::is_regular_file(ZYLORA_RELEASE_ZIP)) << "no release zip at " << ZYLORA_RELEASE_ZIP;
        ASSERT_TRUE(Shell("unzip -q " + Quoted(ZYLORA_RELEASE_ZIP) + " -d " + Quoted(app_.Dir())))
            << "unzip failed";
        ASSERT_NO_FATAL_FAILURE(SkinnedAppTest::SetUp());
    }
};

TEST_F(ReleaseZip, HoldsTheExeTheReadmeAndTheBundledFoldersAndNothingElse) {
    std::set<std::string> expected = {"zylora.exe", "README.txt", "libheif.dll", "libde265.dll",
                                      "libheif-COPYING.txt", "libde265-COPYING.txt"};
    // The skin checker is packed when the build has it, and the build puts it beside the exe.
    if (fs::exists(fs::path(ZYLORA_DIST_DIR) / "zylora-skincheck.exe")) expected.insert("zylora-skincheck.exe");
    for (const char* folder : {"Skins", "Buttons", "Samples"}) {
        expected.insert(std::string(folder) + "/");
        for (const auto& e : fs::recursive_directory_iterator(fs::path(ZYLORA_ASSETS_DIR) / folder)) {
            const std::string name = (folder / e.path().lexically_relative(fs::path(ZYLORA_ASSETS_DIR) / folder)).string();
            expected.insert(e.is_directory() ? name + "/" : name);
        }
    }
    const auto listing = Shell("unzip -Z1 " + Quoted(ZYLORA_RELEASE_ZIP));
    ASSERT_TRUE(listing);
    std::vector<std::string> entries;
    for (std::size_t at = 0, end; (end = listing->find('\n', at)) != std::string::npos; at = end + 1)
        entries.push_back(listing->substr(at, end - at));
    EXPECT_EQ(std::set<std::string>(entries.begin(), entries.end()), expected);
    EXPECT_EQ(entries.size(), expected.size()) << "an entry twice";

    // For Windows users: CRLF line ends only, and the version it is of on the first line.
    const std::string readme = app_.ReadFile("README.txt").value_or("");
    long lineEnds = 0;
    for (std::size_t at = 0; (at = readme.find("\r\n", at)) != std::string::npos; at += 2) ++lineEnds;
    EXPECT_GT(lineEnds, 0);
    EXPECT_EQ(std::count(readme.begin(), readme.end(), '\n'), lineEnds) << "a line ends in LF alone";
    EXPECT_EQ(readme.rfind("Zylora " ZYLORA_VERSION " ", 0), 0u) << readme.substr(0, readme.find('\r'));
}

TEST_F(ReleaseZip, UnpackedExeShowsTheDefaultSkinAndSavesItsSettingsBesideItself) {
    ASSERT_FALSE(fs::exists(app_.Dir() / "zylora.ini"));
    app_.Start();
    // Without a settings file: the default placement and the Default skin, whose caption it is.
    // 320 wide, or as wide as the toolbar's buttons reach where that is more.
    const int width = std::max(320, NarrowestWindow());
    const auto window = ExpectWindowAt("Zylora", 100, 100, width, 320, "at the first start");
    ASSERT_TRUE(window);
    x_.Focus(*window);

    // The left edge shows the skin's left_middle.png tiled down from the top; its opaque
    // pixels (the same over black and white) must be on screen as they are in the file.
    const RgbImage overBlack = ReadPicture("Skins/Default/left_middle.png");
    const RgbImage overWhite = ReadPicture("Skins/Default/left_middle.png", "white");
    const int edgeX = window->x - overBlack.width;
    std::vector<Probe> probes;
    for (int y = 0; y < overBlack.height; ++y) {
        for (int x = 0; x < overBlack.width; ++x) {
            if (overBlack.At(x, y) == overWhite.At(x, y)) {
                for (int tile : {0, 10})
                    probes.push_back({"left_middle.png", edgeX + x, window->y + tile * overBlack.height + y,
                                      overBlack.At(x, y)});
            }
        }
    }
    ASSERT_FALSE(probes.empty()) << "left_middle.png has no opaque pixel";
    ExpectColours("release-left-edge", edgeX, window->y, overBlack.width, 11 * overBlack.height, probes);

    ASSERT_NO_FATAL_FAILURE(CloseWithCtrlW(*window));
    const auto saved = app_.ReadFile("zylora.ini");
    ASSERT_TRUE(saved) << "no zylora.ini beside the unpacked exe";
    EXPECT_EQ(IniValue(*saved, "Skin", "Dir"), std::optional<std::string>("Skins/Default"));
    EXPECT_EQ(IniValue(*saved, "Placement", "Width"), std::optional<std::string>(std::to_string(width)));
}

}  // namespace
}  // namespace zylora::e2e
