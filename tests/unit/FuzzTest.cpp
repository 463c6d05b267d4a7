// Generated inputs for the readers, under the sanitizers: INI files, picture headers, and
// skins and button sets through a started viewer. Fixed seeds, so a failure reproduces;
// ZYLORA_FUZZ_RUNS=100000 runs each for longer.
#include <cstdlib>
#include <random>

#include "platform/ImageHeader.h"
#include "platform/Ini.h"
#include "tests/unit/Harness.h"

namespace zylora::testing {
namespace {

int Runs(int normal) {
    const char* wanted = std::getenv("ZYLORA_FUZZ_RUNS");
    return wanted ? std::max(1, std::atoi(wanted)) : normal;
}

class Generator {
public:
    explicit Generator(unsigned seed) : random_(seed) {}
    int Int(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }
    std::string Bytes(int most) {
        std::string s(static_cast<std::size_t>(Int(0, most)), '\0');
        for (char& c : s) c = static_cast<char>(Int(0, 255));
        return s;
    }
    std::string Pick(const std::vector<std::string>& from) { return from[static_cast<std::size_t>(Int(0, static_cast<int>(from.size()) - 1))]; }
    // Mostly well-formed lines, with noise between them.
    std::string IniText(const std::vector<std::string>& sections, const std::vector<std::string>& keys) {
        std::string text = Int(0, 9) == 0 ? "\xEF\xBB\xBF" : "";
        const std::vector<std::string> ends{"\n", "\r\n", "\r", ""};
        for (int lines = Int(0, 30); lines > 0; --lines) {
            switch (Int(0, 6)) {
                case 0: text += "[" + Pick(sections) + "]"; break;
                case 1: text += " " + Pick(sections) + "]"; break;
                case 2: text += "; " + Bytes(10); break;
                case 3: text += Bytes(12); break;
                default: text += Pick(keys) + Pick({"=", " = ", "=="}) + Value(); break;
            }
            text += Pick(ends);
        }
        return text;
    }
    std::string Value() {
        switch (Int(0, 5)) {
            case 0: return std::to_string(Int(-2147483647 - 1, 2147483647));
            case 1: return "$" + std::to_string(Int(0, 99999999));
            case 2: return "0x7FFFFFFFFFFF";
            case 3: return std::to_string(Int(-100, 100000));
            default: return Bytes(8);
        }
    }
    std::string AsciiValue() {
        std::string s(static_cast<std::size_t>(Int(0, 20)), ' ');
        for (char& c : s) c = static_cast<char>(Int(0x21, 0x7E));
        return s;
    }

private:
    std::mt19937 random_;
};

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= text.size(); ++i)
        if (i == text.size() || text[i] == '\n') {
            lines.push_back(text.substr(start, i - start));
            start = i + 1;
        }
    if (lines.back().empty()) lines.pop_back();  // what follows the last break
    return lines;
}

TEST(FuzzTest, IniWritesReadBackAndTouchOnlyTheirOwnPlace) {
    Generator g(20261208);
    const std::vector<std::string> sections{"A", "a", "Placement", "", " B ", "[", "x y"};
    const std::vector<std::string> keys{"k", "K", "X", " k ", "=", ";k", "Width"};
    for (int run = 0, runs = Runs(3000); run < runs; ++run) {
        fake::MemoryFileSystem files;
        const std::string before = g.IniText(sections, keys);
        files.files["C:\\\\f.ini"] = before;
        platform::IniFile ini(files, "C:\\\\f.ini");
        for (const std::string& s : sections)
            for (const std::string& k : keys) {
                ini.ReadInteger(s, k, 0);
                ini.ReadString(s, k, "");
            }
        const std::string section = g.Pick({"A", "Placement", "New"}), key = g.Pick({"k", "X", "Fresh"});
        const std::string value = g.AsciiValue();
        ini.WriteString(section, key, value);
        const std::string after = files.files["C:\\\\f.ini"];
        ASSERT_EQ(platform::IniFile(files, "C:\\\\f.ini").ReadString(section, key, "<none>"), value)
            << "run " << run << ": " << ::testing::PrintToString(before);
        // One line replaced, or a key added (with its section, a blank line before it and a
        // break ending the last line): all else as it was.
        const auto a = Lines(before), b = Lines(after);
        std::size_t p = 0, q = 0;
        while (p < a.size() && p < b.size() && a[p] == b[p]) ++p;
        while (q < a.size() - p && q < b.size() - p && a[a.size() - 1 - q] == b[b.size() - 1 - q]) ++q;
        ASSERT_LE(a.size() - p - q, 1u) << "run " << run << ": " << ::testing::PrintToString(before);
        ASSERT_LE(b.size() - p - q, 4u) << "run " << run << ": " << ::testing::PrintToString(before) << " -> " << ::testing::PrintToString(after);
    }
}

TEST(FuzzTest, PictureHeadersOfAnyBytesGiveASizeAndOrientationOrNothing) {
    Generator g(4711);
    const std::vector<std::string> starts{"\x89PNG\r\n\x1a\n", "GIF89a", "BM", "\xFF\xD8\xFF", "II*\0", "MM\0*"};
    for (int run = 0, runs = Runs(5000); run < runs; ++run) {
        std::string bytes = g.Int(0, 3) ? g.Pick(starts) + g.Bytes(300) : g.Bytes(64);
        const platform::ByteReader read = [&](std::uint64_t offset, std::size_t length) {
            return offset >= bytes.size() ? std::string() : bytes.substr(static_cast<std::size_t>(offset), length);
        };
        const auto size = platform::DeclaredImageSize(read);
        if (size) {
            EXPECT_GE(size->width, 0);
            EXPECT_GE(size->height, 0);
        }
        const int orientation = platform::DeclaredOrientation(read);
        EXPECT_TRUE(orientation >= 0 && orientation <= 8);
    }
}

class SkinFuzzTest : public ViewerTest {};

TEST_F(SkinFuzzTest, GeneratedSkinsAndButtonSetsStartDrawAndStop) {
    Generator g(1234);
    const std::vector<std::string> sections{"left", "right", "top", "bottom", "Caption", "Buttons", "bg", "Main",
                                            "Button-0", "Button-1", "Button-2"};
    const std::vector<std::string> keys{"Width", "Height", "InActiveWidth", "InActiveHeight", "RolledUpHeight",
                                        "ResizeBorder1", "ResizeBorder2", "ResizeBorder3", "FontSize", "FontName",
                                        "X", "Y", "CloseAlign", "CloseX", "RollY", "AlphaInActive", "ColorR",
                                        "NumOfButtons", "ToolbarHeight", "Action", "normalImage"};
    for (const char* name : {"left_top.png", "top.png", "bottom.png", "left_middle.png", "active_close.png"})
        platform.AddImage(std::string(SkinPath) + name, 7, 5);
    for (int run = 0, runs = Runs(300); run < runs; ++run) {
        WriteSkin(g.IniText(sections, keys));
        platform.files.files["C:\\\\Zylora\\\\Buttons/Default\\\\values.ini"] = g.IniText(sections, keys);
        app::TfrmMiddle& m = Start();
        m.Show();
        m.PlaceWindows(g.Int(-5000, 5000), g.Int(-5000, 5000), g.Int(-100, 5000), g.Int(-100, 5000));
        platform.SetApplicationActive(g.Int(0, 1) == 1);
        m.SetRolledUp(true);
        m.SetRolledUp(false);
        m.TopFrame->FormMouseMove({g.Int(-10, 500), g.Int(-10, 40)});
        Stop();
    }
}

}  // namespace
}  // namespace zylora::testing
