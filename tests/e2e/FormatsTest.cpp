// Every format the viewer reads itself, in one session as a person meets them: a folder made
// by Debian's own encoders stepped through with the keys, each picture at its size, an
// animated GIF seen moving, and the second page of a TIFF.
#include <algorithm>
#include <filesystem>

#include "tests/e2e/SkinnedAppTest.h"

namespace zylora::e2e {
namespace {

namespace fs = std::filesystem;

constexpr const char* kCaption = "Zylora Formats E2E";
constexpr int kX = 200, kY = 150;

class Formats : public SkinnedAppTest {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(SkinnedAppTest::SetUp());
        UseBareSkin("Formats", kCaption, kX, kY);
        toolbarHeight_ = ReadButtonSet("Buttons/Default").toolbarHeight;
        fs::create_directories(app_.Dir() / "Pictures");
        for (const auto& file : fs::directory_iterator(ZYLORA_E2E_FORMATS))
            fs::copy_file(file.path(), app_.Dir() / "Pictures" / file.path().filename());
    }
    // The window as wide as the picture or as the toolbar's buttons reach, whichever is more.
    void Expect(const std::string& after, int pictureWidth, int viewHeight) {
        const int width = std::max(pictureWidth, NarrowestWindow());
        const auto w = ExpectWindowAt(kCaption, kX, kY, width, viewHeight + toolbarHeight_, after);
        ASSERT_TRUE(w) << after;
        window_ = *w;
    }
    void Key(const std::string& chord) {
        x_.Focus(window_);
        x_.KeyChord(chord);
    }
    // The colour in the middle of the view.
    Rgb ViewMiddle() const {
        const int x = kX + window_.width / 2, y = kY + toolbarHeight_ + (window_.height - toolbarHeight_) / 2;
        return x_.Capture(x, y, 1, 1).At(0, 0);
    }

    int toolbarHeight_ = 0;
    TopLevelWindow window_;
};

TEST_F(Formats, EachFormatOpensAtItsSizeTheGifMovesAndTheTiffTurnsItsPage) {
    app_.Start({app_.WindowsPath("Pictures/a.webp")});
    ASSERT_NO_FATAL_FAILURE(Expect("the WebP", 300, 200));
    // The heights tell the formats apart; an icon shows its largest entry.
    const std::pair<const char*, std::pair<int, int>> steps[] = {
        {"the AVIF", {320, 210}}, {"the JPEG XL", {330, 220}}, {"the HEIC", {340, 230}}, {"the TGA", {360, 240}},
        {"the PSD", {380, 250}},  {"the icon", {256, 256}}, {"the GIF", {400, 270}},
    };
    for (const auto& [what, size] : steps) {
        Key("Right");
        ASSERT_NO_FATAL_FAILURE(Expect(what, size.first, size.second));
    }
    bool red = false, blue = false;
    PollUntil(
        [&] {
            const Rgb c = ViewMiddle();
            red = red || c == Rgb{200, 40, 40};
            blue = blue || c == Rgb{40, 40, 200};
            return red && blue;
        },
        10s, 50ms);
    EXPECT_TRUE(red && blue) << "the GIF's two frames";
    Key("Right");
    ASSERT_NO_FATAL_FAILURE(Expect("the TIFF", 420, 280));
    Key("ctrl+Next");
    ASSERT_NO_FATAL_FAILURE(Expect("the TIFF's second page", 200, 300));
    CloseWithCtrlW(window_);
}

}  // namespace
}  // namespace zylora::e2e
