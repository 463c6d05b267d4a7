// The skin checker on real folders: a clean skin and button set made here, each case breaking
// one thing, and the bundled assets, which must check clean.
#include <gtest/gtest.h>
#include <stb_image_write.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <vector>

#include "skin/SkinImages.h"
#include "tools/skincheck/SkinCheck.h"

namespace zylora::testing {
namespace {

namespace fs = std::filesystem;

class Folder {
public:
    Folder() : path_(fs::temp_directory_path() / ("zylora-skincheck-" + std::to_string(++count_))) {
        fs::remove_all(path_);
        fs::create_directories(path_);
    }
    ~Folder() { fs::remove_all(path_); }
    std::string Path() const { return path_.string(); }
    void Write(const std::string& name, const std::string& bytes) const {
        std::ofstream(path_ / name, std::ios::binary) << bytes;
    }
    void Append(const std::string& name, const std::string& text) const {
        std::ofstream(path_ / name, std::ios::binary | std::ios::app) << text;
    }
    // A PNG of one colour; alpha 0 makes it wholly transparent.
    void Png(const std::string& name, int width, int height, unsigned char alpha = 255) const {
        std::vector<unsigned char> rgba(static_cast<std::size_t>(width) * height * 4, 128);
        for (std::size_t i = 3; i < rgba.size(); i += 4) rgba[i] = alpha;
        stbi_write_png((path_ / name).string().c_str(), width, height, 4, rgba.data(), width * 4);
    }
    void Remove(const std::string& name) const { fs::remove(path_ / name); }

private:
    static inline int count_ = 0;
    fs::path path_;
};

// Edges 2 thick, a title 8 high in every look, caption buttons 4 x 4 at the title's corner.
void MakeSkin(const Folder& f, const std::string& font = "DejaVu Sans") {
    f.Write("values.ini",
            "[left]\nWidth=2\nInActiveWidth=2\n[right]\nWidth=2\nInActiveWidth=2\n"
            "[bottom]\nHeight=2\nInActiveHeight=2\n"
            "[top]\nHeight=8\nInActiveHeight=8\nRolledUpHeight=8\nRolledUpInActiveHeight=8\n"
            "[Caption]\nFontName=" + font + "\n");
    for (const char* look : {"", "inactive_", "rolled_", "rolled_inactive_"}) {
        f.Png(std::string(look) + "left_top.png", 2, 8);
        f.Png(std::string(look) + "top.png", 4, 8);
        f.Png(std::string(look) + "right_top.png", 2, 8);
    }
    for (const std::string look : {"", "inactive_"}) {
        for (const char* side : {"left", "right"}) {
            f.Png(look + side + "_middle.png", 2, 4);
            f.Png(look + side + "_bottom.png", 2, 2);
        }
        f.Png(look + "bottom.png", 4, 2);
    }
    for (const auto& button : skin::CaptionButtonFiles)
        for (const char* name : button) f.Png(name, 4, 4);
    stbi_write_bmp((fs::path(f.Path()) / "bg.bmp").string().c_str(), 1, 1, 3, "\x10\x20\x30");
}

// Two 32 x 32 buttons side by side on a toolbar 40 high.
void MakeButtonSet(const Folder& f, int toolbarHeight = 40, int secondX = 44) {
    std::string ini = "[Main]\nNumOfButtons=2\nToolbarHeight=" + std::to_string(toolbarHeight) + "\n";
    for (int n = 0; n < 2; ++n) {
        const std::string b = "b" + std::to_string(n);
        ini += "[Button-" + std::to_string(n) + "]\nAction=open\nX=" + std::to_string(n == 0 ? 4 : secondX) +
               "\nY=4\nWidth=32\nHeight=32\nnormalImage=" + b + "n.png\nmouseoverImage=" + b +
               "m.png\ninactiveImage=" + b + "i.png\nselectedImage=" + b + "s.png\n";
        for (const char* state : {"n", "m", "i", "s"}) f.Png(b + state + ".png", 32, 32);
    }
    f.Write("values.ini", ini);
}

struct Case {
    const char* name;
    std::function<void(const Folder&)> make;
    std::vector<std::string> lines;
    int exitStatus;
};

std::vector<std::string> Lines(const std::vector<skincheck::Finding>& findings) {
    std::vector<std::string> lines;
    for (const auto& f : findings) lines.push_back(f.text);
    return lines;
}

class SkinCheckTest : public ::testing::TestWithParam<Case> {
protected:
    std::unique_ptr<platform::SkinSystem> system = platform::CreateSkinSystem();
};

TEST_P(SkinCheckTest, PrintsTheFaultAndItsStatus) {
    const Folder folder;
    GetParam().make(folder);
    const auto findings = skincheck::CheckFolder(*system, folder.Path());
    EXPECT_EQ(Lines(findings), GetParam().lines);
    EXPECT_EQ(skincheck::ExitStatus(findings), GetParam().exitStatus);
}

auto Skin(std::function<void(const Folder&)> fault) {
    return [fault](const Folder& f) { MakeSkin(f), fault(f); };
}
auto Set(std::function<void(const Folder&)> fault) {
    return [fault](const Folder& f) { MakeButtonSet(f), fault(f); };
}

INSTANTIATE_TEST_SUITE_P(Faults, SkinCheckTest, ::testing::Values(
    Case{"CleanSkin", Skin([](const Folder&) {}), {}, 0},
    Case{"CleanButtonSet", Set([](const Folder&) {}), {}, 0},
    Case{"ScaledImagesOfTheirScalesSize", Skin([](const Folder& f) { f.Png("top@2x.png", 8, 16), f.Png("top@1.5x.png", 6, 12); }), {}, 0},
    Case{"ScaledImageOfAnotherSize", Set([](const Folder& f) { f.Png("b0n@2x.png", 64, 60); }),
         {"b0n@2x.png: 64 x 60, 2 times b0n.png is 64 x 64: drawn at the wrong size at that scale"}, 1},
    Case{"ScaledImageWithoutItsBase", Skin([](const Folder& f) { f.Png("grip@2x.png", 8, 8); }),
         {"grip@2x.png: no grip.png beside it: the viewer never looks for it"}, 1},
    Case{"Empty", [](const Folder&) {}, {"values.ini: missing: the folder is neither a skin nor a button set"}, 2},
    Case{"MisspeltKey", Skin([](const Folder& f) { f.Append("values.ini", "FontSise=12\n"); }),
         {"values.ini: [Caption] FontSise: did you mean FontSize?"}, 1},
    Case{"MisspeltSection", Skin([](const Folder& f) { f.Append("values.ini", "[Captoin]\nText=x\n"); }),
         {"values.ini: [Captoin]: did you mean [Caption]?"}, 1},
    Case{"RepeatedKey", Skin([](const Folder& f) { f.Append("values.ini", "FontName=Other\n"); }),
         {"values.ini: [Caption] FontName: never read: an earlier line or section of the name comes first"}, 1},
    Case{"UnknownTitleField", Skin([](const Folder& f) { f.Append("values.ini", "Format={nme} - {text}\n"); }),
         {"values.ini: [Caption] Format: {nme} is no field (name, index, count, width, height, zoom, text): it shows as written"}, 1},
    Case{"NotANumber", Skin([](const Folder& f) { f.Append("values.ini", "[bg]\nColorR=red\n"); }),
         {"values.ini: [bg] ColorR: \"red\" is not a number: 255 is used"}, 1},
    Case{"FontMissing", [](const Folder& f) { MakeSkin(f, "No Such Font"); },
         {"values.ini: [Caption] FontName: the system has no font \"No Such Font\": the caption is drawn in a generic sans serif"}, 1},
    Case{"RequiredPieceMissing", Skin([](const Folder& f) { f.Remove("top.png"); }),
         {"top.png: missing: the middle of the active title is transparent"}, 2},
    Case{"LookPieceMissing", Skin([](const Folder& f) { f.Remove("inactive_left_middle.png"); }),
         {"inactive_left_middle.png: missing: the inactive left edge is transparent above its bottom piece"}, 1},
    Case{"PieceDoesNotDecode", Skin([](const Folder& f) { f.Write("rolled_top.png", "not a picture"); }),
         {"rolled_top.png: does not decode: the middle of the rolled-up title is transparent"}, 2},
    Case{"PieceTooLarge", Skin([](const Folder& f) { f.Png("right_bottom.png", 4097, 1); }),
         {"right_bottom.png: too large (4097 x 1, at most 4096 a side and 1048576 pixels): the active right edge has no bottom piece"}, 2},
    Case{"SideWiderThanEdge", Skin([](const Folder& f) { f.Png("left_middle.png", 3, 4); }),
         {"left_middle.png: 3 wide, the active left edge 2: cut off"}, 1},
    Case{"StripLowerThanTitle", Skin([](const Folder& f) { f.Png("inactive_top.png", 4, 6); }),
         {"inactive_top.png: 6 high, the inactive title 8: scaled to fit"}, 1},
    Case{"CaptionButtonReachesOut", Skin([](const Folder& f) { f.Append("values.ini", "[Buttons]\nRolledUpCloseY=6\n"); }),
         {"values.ini: [Buttons] RolledUpClose: the close button (4 x 4 at 0, 6) reaches outside the rolled-up title (644 x 8)"}, 1},
    Case{"CaptionButtonOutside", Skin([](const Folder& f) { f.Append("values.ini", "[Buttons]\nInActiveMaxAlign=2\n"); }),
         {"values.ini: [Buttons] InActiveMax: the maximise button (4 x 4 at 644, 0) lies outside the inactive title (644 x 8): never seen",
          "values.ini: [Buttons] RolledUpInActiveMax: the maximise button (4 x 4 at 644, 0) lies outside the rolled-up inactive title (644 x 8): never seen"}, 1},
    Case{"CaptionButtonNeverHit", Skin([](const Folder& f) { f.Png("active_min.png", 4, 4, 0); }),
         {"active_min.png: no opaque pixel: the minimise button can never be hit"}, 2},
    Case{"CaptionButtonMissing", Skin([](const Folder& f) { f.Remove("mouseover_Roll.png"); }),
         {"mouseover_Roll.png: missing: the roll button vanishes under the pointer"}, 1},
    Case{"StateImageNotGiven", Set([](const Folder& f) {
             f.Write("values.ini", "[Main]\nNumOfButtons=1\nToolbarHeight=40\n[Button-0]\nX=4\nY=4\nnormalImage=b0n.png\n"
                                   "inactiveImage=b0i.png\nselectedImage=b0s.png\n"); }),
         {"values.ini: [Button-0] mouseoverImage: not given: b0n.png serves"}, 1},
    Case{"NormalImageMissing", Set([](const Folder& f) { f.Remove("b1n.png"); }),
         {"b1n.png: [Button-1] normalImage: missing: the button is never drawn nor hit"}, 2},
    Case{"ButtonNeverHit", Set([](const Folder& f) { f.Png("b0n.png", 32, 32, 0); }),
         {"b0n.png: [Button-0] normalImage: no opaque pixel: the button can never be hit"}, 2},
    Case{"ButtonImageSmaller", Set([](const Folder& f) { f.Png("b1s.png", 16, 16); }),
         {"b1s.png: [Button-1] selectedImage: 16 x 16, the button 32 x 32: drawn stretched, hit on its own pixels"}, 1},
    Case{"ButtonReachesOut", [](const Folder& f) { MakeButtonSet(f, 30); },
         {"values.ini: [Button-0]: the button (32 x 32 at 4, 4) reaches outside the toolbar (640 x 30)",
          "values.ini: [Button-1]: the button (32 x 32 at 44, 4) reaches outside the toolbar (640 x 30)"}, 1},
    Case{"ButtonOutside", [](const Folder& f) { MakeButtonSet(f, 40, 700); },
         {"values.ini: [Button-1]: the button (32 x 32 at 700, 4) lies outside the toolbar (640 x 40): never seen nor hit"}, 2},
    Case{"ButtonsOverlap", [](const Folder& f) { MakeButtonSet(f, 40, 20); },
         {"values.ini: [Button-1]: overlaps [Button-0], which takes the pointer there"}, 1},
    Case{"SectionBeyondCount", Set([](const Folder& f) { f.Append("values.ini", "[Button-2]\nX=1\n"); }),
         {"values.ini: [Button-2]: never read: NumOfButtons is 2"}, 1},
    Case{"BackgroundDoesNotDecode", Set([](const Folder& f) { f.Write("bg.bmp", "BM"); }),
         {"bg.bmp: does not decode: the toolbar shows no background"}, 2}),
    [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

TEST(SkinCheckBundled, AssetsCheckClean) {
    auto system = platform::CreateSkinSystem();
    for (const char* folder : {"Skins/Default", "Skins/Aurora", "Buttons/Default", "Buttons/Slate"}) {
        const auto findings = skincheck::CheckFolder(*system, std::string(ZYLORA_ASSETS_DIR) + "/" + folder);
        EXPECT_EQ(Lines(findings), std::vector<std::string>{}) << folder;
    }
}

TEST(SkinCheckSummary, CountsErrorsAndWarnings) {
    using skincheck::Severity;
    EXPECT_EQ(skincheck::Summary({}), "");
    EXPECT_EQ(skincheck::Summary({{Severity::Error, "a"}, {Severity::Warning, "b"}, {Severity::Warning, "c"}}),
              "1 error, 2 warnings");
}

}  // namespace
}  // namespace zylora::testing
