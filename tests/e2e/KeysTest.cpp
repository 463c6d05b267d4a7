// The keyboard on the real exe, in one session as a person would use it: stepping through a
// folder in Explorer's order, a photo added meanwhile (stored turned, shown upright), zoom
// and turn keys, Escape during a selection, Delete with the viewer's confirmation, and the
// key list.
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "tests/e2e/SkinnedAppTest.h"

namespace zylora::e2e {
namespace {

namespace fs = std::filesystem;

constexpr const char* kCaption = "Zylora Keys E2E";
constexpr int kX = 200, kY = 150;

class Keys : public SkinnedAppTest {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(SkinnedAppTest::SetUp());
        UseBareSkin("Keys", kCaption, kX, kY);
        toolbarHeight_ = ReadButtonSet("Buttons/Default").toolbarHeight;
        // Sizes that tell the pictures apart; in name order img10 would come before img2.
        // Wider than the bundled button set reaches, turned too: the window's least width.
        QuartersPng("Pictures/img1.png", 520, 440, 260, 220);
        SolidPng("Pictures/img2.png", 500, 300, {200, 100, 0});
        SolidPng("Pictures/img10.png", 520, 260, {0, 100, 200});
    }
    void Expect(const std::string& after, int viewWidth, int viewHeight) {
        const auto w = ExpectWindowAt(kCaption, kX, kY, viewWidth, viewHeight + toolbarHeight_, after);
        ASSERT_TRUE(w);
        window_ = *w;
    }
    void Key(const std::string& chord) {
        x_.Focus(window_);
        x_.KeyChord(chord);
    }
    void ExpectCorners(const std::string& name, Rgb topLeft, Rgb topRight, Rgb bottomLeft, Rgb bottomRight) {
        const int top = kY + toolbarHeight_;
        ExpectColours(name, kX, top, 520, 440,
                      {{name + ": top left", kX + 12, top + 12, topLeft},
                       {name + ": top right", kX + 520 - 12, top + 12, topRight},
                       {name + ": bottom left", kX + 12, top + 440 - 12, bottomLeft},
                       {name + ": bottom right", kX + 520 - 12, top + 440 - 12, bottomRight}});
    }
    // A window mapped now whose name wasn't among `before`.
    std::optional<TopLevelWindow> NewWindow(const std::set<std::string>& before) {
        std::optional<TopLevelWindow> found;
        PollUntil(
            [&] {
                for (const TopLevelWindow& w : x_.TopLevelWindows())
                    if (w.mapped && !w.name.empty() && !before.count(w.name)) found = w;
                return found.has_value();
            },
            30s);
        return found;
    }
    // The desktop's trash tells where each of its files came from.
    static bool InTheTrash(const fs::path& original) {
        const char* home = std::getenv("HOME");
        const fs::path info = fs::path(home ? home : "") / ".local/share/Trash/info";
        std::error_code error;
        for (const auto& entry : fs::directory_iterator(info, error)) {
            std::ifstream in(entry.path());
            const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            if (text.find("Path=" + original.string() + "\n") != std::string::npos) return true;
        }
        return false;
    }
    std::set<std::string> MappedNames() {
        std::set<std::string> names;
        for (const TopLevelWindow& w : x_.TopLevelWindows())
            if (w.mapped) names.insert(w.name);
        return names;
    }

    int toolbarHeight_ = 0;
    TopLevelWindow window_;
};

TEST_F(Keys, StepsZoomTurnsEscapeDeleteAndTheKeyListInOneSession) {
    app_.Start({app_.WindowsPath("Pictures/img1.png")});
    ASSERT_NO_FATAL_FAILURE(Expect("start", 520, 440));

    Key("Right");
    ASSERT_NO_FATAL_FAILURE(Expect("Right from img1", 500, 300));
    Key("Right");
    ASSERT_NO_FATAL_FAILURE(Expect("Right from img2", 520, 260));
    Key("Left");
    ASSERT_NO_FATAL_FAILURE(Expect("Left from img10", 500, 300));
    Key("End");
    ASSERT_NO_FATAL_FAILURE(Expect("End", 520, 260));
    Key("Home");
    ASSERT_NO_FATAL_FAILURE(Expect("Home", 520, 440));

    Key("shift+equal");  // "+": the top-left quarter over the whole view
    ExpectCorners("zoomed", kRed, kRed, kRed, kRed);
    Key("0");
    ExpectCorners("actual size", kRed, kLime, kBlue, kYellow);
    Key("r");
    const int turnedWidth = 440 + toolbarHeight_, turnedHeight = 520 - toolbarHeight_;
    ASSERT_NO_FATAL_FAILURE(Expect("R", turnedWidth, turnedHeight));
    Key("l");
    ASSERT_NO_FATAL_FAILURE(Expect("L", 520, 440));

    // A selection dragged, then Escape before the release: nothing is cropped.
    Key("s");
    const int top = kY + toolbarHeight_;
    x_.MovePointer(kX + 40, top + 40);
    x_.PressButton();
    x_.MovePointer(kX + 120, top + 100);
    x_.MovePointer(kX + 200, top + 160);
    Key("Escape");
    x_.ReleaseButton();
    ASSERT_NO_FATAL_FAILURE(Expect("Escape during a selection", 520, 440));
    ExpectCorners("uncropped", kRed, kLime, kBlue, kYellow);
    Key("m");

    // A picture added while the viewer runs is reached by the next step: a photo a camera
    // stored turned left (orientation tag 6), which shows upright at its upright size.
    const fs::path added = app_.Dir() / "Pictures/img3.jpg";
    Convert({"-size", "480x560", "xc:#00A03C", "-rotate", "-90", added.string()});
    ASSERT_EQ(std::system(("exiftool -q -overwrite_original -Orientation#=6 '" + added.string() + "'").c_str()), 0);
    Key("Right");
    ASSERT_NO_FATAL_FAILURE(Expect("Right from img1", 500, 300));
    Key("Right");
    ASSERT_NO_FATAL_FAILURE(Expect("Right to the new img3, upright", 480, 560));

    // Delete asks the user in the viewer's own box; once the file is in the trash the next
    // picture shows.
    std::set<std::string> before = MappedNames();
    Key("Delete");
    const auto confirm = NewWindow(before);
    ASSERT_TRUE(confirm) << "no confirmation";
    x_.Focus(*confirm);
    x_.KeyChord("Return");
    ASSERT_NO_FATAL_FAILURE(Expect("Delete of img3", 520, 260));
    EXPECT_FALSE(fs::exists(added));
    EXPECT_TRUE(InTheTrash(added)) << "not in the trash";

    before = MappedNames();
    Key("F1");
    const auto list = x_.WaitForMappedWindow("Zylora keys", 30s);
    ASSERT_TRUE(list) << "no key list";
    x_.Focus(*list);
    x_.KeyChord("Return");
    EXPECT_TRUE(x_.WaitForNoMappedWindow("Zylora keys", 30s));

    ASSERT_NO_FATAL_FAILURE(CloseWithCtrlW(window_));
}

}  // namespace
}  // namespace zylora::e2e
