// Generated inputs for the readers, under the sanitizers: INI files, picture headers, damaged
// files of the formats the program decodes itself, and skins and button sets through a
// started viewer. Fixed seeds, so a failure reproduces;
// ZYLORA_FUZZ_RUNS=100000 runs each for longer.
#include <algorithm>
#include <cstdlib>
#include <random>

#include "imaging/Decoding.h"
#include "imaging/ImageHeader.h"
#include "imaging/PhotoFacts.h"
#include "platform/Ini.h"
#include "tests/unit/Harness.h"
#include "tests/unit/ExifFiles.h"
#include "tests/unit/HeicFiles.h"
#include "tests/unit/JxlFiles.h"
#include "tests/unit/PictureFiles.h"

namespace zylora::testing {
namespace {

int Runs(int normal) {
    const char* wanted = std::getenv("ZYLORA_FUZZ_RUNS");
    return wanted ? std::max(1, std::atoi(wanted)) : normal;
}

imaging::PhotoFacts FactsOf(const std::string& bytes) {
    return imaging::DeclaredPhotoFacts([&](std::uint64_t offset, std::size_t length) {
        return offset >= bytes.size() ? std::string() : bytes.substr(static_cast<std::size_t>(offset), length);
    });
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
    const std::vector<std::string> starts{"\x89PNG\r\n\x1a\n", "GIF89a", "BM", "\xFF\xD8\xFF", "\xFF\xD8\xFF\xFF\xFF\xE1",
                                          std::string("\xFF\xD8\xFF\xE1\0\x40" "Exif\0\0", 12), "II*\0", "MM\0*",
                                          std::string("RIFF\0\0\0\0WEBPVP8X\x0A\0\0\0\x28", 21),
                                          std::string("RIFF\0\0\0\0WEBPVP8L", 16), std::string("RIFF\0\0\0\0WEBPVP8 ", 16),
                                          "8BPS", "qoif", std::string("\0\0\x0A", 3)};
    for (int run = 0, runs = Runs(5000); run < runs; ++run) {
        std::string bytes = g.Int(0, 3) ? g.Pick(starts) + g.Bytes(300) : g.Bytes(64);
        const imaging::ByteReader read = [&](std::uint64_t offset, std::size_t length) {
            return offset >= bytes.size() ? std::string() : bytes.substr(static_cast<std::size_t>(offset), length);
        };
        const auto size = imaging::DeclaredImageSize(read);
        if (size) {
            EXPECT_GE(size->width, 0);
            EXPECT_GE(size->height, 0);
        }
        const int orientation = imaging::DeclaredOrientation(read);
        EXPECT_TRUE(orientation >= 0 && orientation <= 8);
        EXPECT_LE(imaging::DeclaredColourProfile(read).size(), bytes.size());
        const imaging::PhotoFacts facts = imaging::DeclaredPhotoFacts(read);
        EXPECT_LE(facts.camera.size() + facts.lens.size() + facts.taken.size(), bytes.size());
    }
}

// A broken Exif structure gives nothing of what it breaks: directories and values pointing
// outside it, at themselves or at each other, counts beyond what it holds.
TEST(FuzzTest, BrokenExifDirectoriesTellNothingAndNeverHang) {
    const std::string date = "2024:05:17 14:03:22";
    struct Row {
        const char* what;
        std::string tiff;
        const char* taken;
    };
    const Row rows[] = {
        {"sound", TakenTiff(date), "2024-05-17 14:03:22"},
        {"Exif directory beyond the end", TakenTiff(date, 5000), ""},
        {"Exif directory at the first one", TakenTiff(date, 8), ""},
        {"Exif directory at its own pointer", TakenTiff(date, 18), ""},
        {"Exif directory at the last byte", TakenTiff(date, 63), ""},
        {"count beyond the entries", TakenTiff(date, 26, 65535), ""},
        {"no entries", TakenTiff(date, 26, 0), ""},
        {"value beyond the end", TakenTiff(date, 26, 1, 0xFFFFFFF0), ""},
        {"value running past the end", TakenTiff(date, 26, 1, 60), ""},
        {"value at the directory", TakenTiff(date, 26, 1, 26), ""},
        {"cut in the Exif directory", TakenTiff(date).substr(0, 30), ""},
        {"cut in the date", TakenTiff(date).substr(0, 50), ""},
        {"header alone", TakenTiff(date).substr(0, 8), ""},
    };
    for (const Row& row : rows)
        EXPECT_EQ(FactsOf(ExifJpeg(row.tiff)).taken, row.taken) << row.what;
    // Random structures in every container: whatever they hold, each fact is bounded.
    Generator g(1913);
    for (int run = 0, runs = Runs(3000); run < runs; ++run) {
        std::string tiff = TakenTiff(date, static_cast<std::uint32_t>(g.Int(0, 80)), static_cast<std::uint32_t>(g.Int(0, 70000)),
                                     static_cast<std::uint32_t>(g.Int(0, 80)));
        for (int n = g.Int(0, 6); n > 0; --n)
            tiff[static_cast<std::size_t>(g.Int(4, static_cast<int>(tiff.size()) - 1))] = static_cast<char>(g.Int(0, 255));
        tiff += g.Bytes(200);
        const imaging::PhotoFacts facts = FactsOf(g.Int(0, 1) ? ExifJpeg(tiff) : tiff);
        for (const std::string* fact : {&facts.taken, &facts.camera, &facts.lens, &facts.exposureTime, &facts.position})
            EXPECT_LE(fact->size(), 4200u);
    }
}

// A JPEG's parts up to its scan: the Exif (orientation 6), the frame and an ICC profile in
// pieces, in any order among fill bytes, comments and standalone markers. Each part is
// marked 'e' Exif, 'f' frame, 'i' ICC piece or ' ' anything else.
struct JpegLayout {
    std::vector<std::pair<char, std::string>> parts;
    std::string profile;
};

JpegLayout MakeJpegLayout(Generator& g) {
    auto segment = [](char marker, const std::string& content) {
        const auto length = static_cast<unsigned>(content.size() + 2);
        return std::string("\xFF", 1) + marker + static_cast<char>(length >> 8) + static_cast<char>(length) + content;
    };
    JpegLayout layout;
    auto& parts = layout.parts;
    parts = {
        {'e', segment('\xE1', std::string("Exif\0\0MM\0*\0\0\0\x08\0\x01\x01\x12\0\x03\0\0\0\x01\0\x06\0\0", 28))},
        {'f', segment('\xC0', std::string("\x08\0\x1E\0\x14\x01\x01\x11\0", 9))}};
    const int pieces = g.Int(0, 3);
    for (int n = 1; n <= pieces; ++n) {
        const std::string bytes = g.Bytes(300) + "p";  // an empty piece counts as missing
        layout.profile += bytes;
        parts.push_back({'i', segment('\xE2', std::string("ICC_PROFILE\0", 12) + char(n) + char(pieces) + bytes)});
    }
    // Under 64 KB in all, so that a segment claiming 0xFFFF bytes runs past the end.
    for (int others = g.Int(0, 4); others > 0; --others)
        parts.push_back({' ', g.Pick({segment('\xFE', std::string(static_cast<std::size_t>(g.Int(0, 10240)), 'c')),
                                      segment('\xE0', "JFIF"), segment('\xDB', g.Bytes(70)),
                                      std::string(static_cast<std::size_t>(g.Int(1, 4000)), '\xFF'),
                                      std::string("\xFF\xD5\xFF\x01", 4)})});
    std::shuffle(parts.begin(), parts.end(), std::mt19937(static_cast<unsigned>(g.Int(0, 1 << 30))));
    parts.insert(parts.begin(), {' ', "\xFF\xD8"});
    parts.push_back({' ', segment('\xDA', std::string("\x01\x01\0\0\x3F\0", 6)) + g.Bytes(200)});
    return layout;
}

TEST(FuzzTest, JpegLayoutsGiveTheirExifFrameAndProfileUpToTheFirstBrokenSegment) {
    Generator g(41);
    for (int run = 0, runs = Runs(1500); run < runs; ++run) {
        const JpegLayout layout = MakeJpegLayout(g);
        // Whole, cut short, or with one segment claiming more bytes than the file holds.
        const int damage = g.Int(0, 2), broken = g.Int(1, static_cast<int>(layout.parts.size()) - 1);
        std::string bytes;
        std::vector<std::size_t> ends;
        std::size_t lied = layout.parts.size();
        for (std::size_t i = 0; i < layout.parts.size(); ++i) {
            std::string part = layout.parts[i].second;
            if (damage == 2 && static_cast<int>(i) == broken && part[1] != '\xFF' && part[1] != '\xD5') {
                part.replace(2, 2, "\xFF\xFF");
                lied = i;
            }
            bytes += part;
            ends.push_back(bytes.size());
        }
        const std::size_t cut = damage == 1 ? static_cast<std::size_t>(g.Int(2, static_cast<int>(bytes.size()))) : bytes.size();
        bytes.resize(cut);
        // A part counts when it is whole in the file and every segment before it is sound;
        // the frame's size is in its first nine bytes.
        bool exif = false, frame = false, profile = true, sound = true;
        for (std::size_t i = 0; i < layout.parts.size(); ++i) {
            const auto& [kind, part] = layout.parts[i];
            const bool counts = sound && ends[i] <= cut && i != lied;
            if (kind == 'e') exif = counts;
            if (kind == 'f') frame = sound && ends[i] - part.size() + 9 <= cut;
            if (kind == 'i') profile = profile && counts;
            sound = sound && i != lied;
        }
        const imaging::ByteReader read = [&](std::uint64_t offset, std::size_t length) {
            return offset >= bytes.size() ? std::string() : bytes.substr(static_cast<std::size_t>(offset), length);
        };
        const std::string context = "run " + std::to_string(run) + ", damage " + std::to_string(damage);
        EXPECT_EQ(imaging::DeclaredOrientation(read), exif ? 6 : 0) << context;
        EXPECT_EQ(imaging::DeclaredImageSize(read).has_value(), frame) << context;
        EXPECT_EQ(imaging::DeclaredColourProfile(read), profile ? layout.profile : "") << context;
    }
}

// Files of the formats decoded by the program's own libraries, damaged: cut short, bytes
// overwritten (lengths, sizes, chunk names), a run repeated. Each gives pixels of the size it
// says within the limit, or nothing.
TEST(FuzzTest, DamagedFilesOfTheProgramsOwnFormatsDecodeWithinTheLimitOrNot) {
    Generator g(20261210);
    const Rgba pixels = {255, 0, 0, 128, 0, 0, 255, 255, 9, 9, 9, 0, 40, 200, 60, 255, 1, 2, 3, 4, 200, 40, 40, 255};
    const std::vector<std::string> files{
        WebpFile(3, 2, pixels, false), WebpFile(3, 2, pixels, true),
        WithWebpChunks(WebpFile(3, 2, pixels, false), {{"ICCP", "not a profile"}, {"EXIF", "II*\0"}}),
        AnimatedWebpFile(3, 2, {pixels, Rgba(pixels.rbegin(), pixels.rend())}), TgaFile(3, 2, pixels),
        PsdFile(3, 2, pixels), QoiFile(3, 2, pixels), AvifFile(3, 2, pixels),
        AvifFile(3, 2, pixels, {10, AVIF_PIXEL_FORMAT_YUV444, 1, 1, "not a profile"}),
        AvifFile(64, 64, Rgba(64 * 64 * 4, 100), {.cells = 1}), HeicFile(3, 2, pixels),
        HeicFile(3, 2, pixels, {.alpha = true}),
        HeicFile(3, 2, pixels, {.profile = "not a profile", .orientation = heif_orientation_flip_vertically}),
        JxlFile(3, 2, {pixels}), JxlFile(3, 2, {pixels}, {false}),
        JxlFile(3, 2, {pixels, Rgba(pixels.rbegin(), pixels.rend())},
                {true, "", false, 6, {{"Exif", std::string("\0\0\0\0II*", 7)}}})};
    const imaging::DecodeLimit limit{4096, 256};
    for (int run = 0, runs = Runs(3000); run < runs; ++run) {
        std::string bytes = files[static_cast<std::size_t>(run) % files.size()];
        for (int damage = g.Int(1, 3); damage > 0; --damage) {
            const auto at = static_cast<std::size_t>(g.Int(0, static_cast<int>(bytes.size())));
            const int kind = g.Int(0, 2);
            if (kind == 0) bytes.resize(at);
            if (kind == 1) bytes.replace(at, static_cast<std::size_t>(g.Int(1, 4)), g.Bytes(4));
            if (kind == 2) bytes.insert(at, bytes.substr(at, static_cast<std::size_t>(g.Int(1, 64))));
        }
        const imaging::ByteReader read = [&](std::uint64_t offset, std::size_t length) {
            return offset >= bytes.size() ? std::string() : bytes.substr(static_cast<std::size_t>(offset), length);
        };
        std::optional<imaging::HeaderFacts> facts = imaging::ReadHeaderFacts(read, bytes.size(), limit);
        if (!facts) continue;
        if (g.Int(0, 1)) facts->whole.clear();  // as a large file, read after its header
        const auto decoded = imaging::DecodeInTurn(
            *facts, limit, {nullptr, [&] { return std::optional(bytes); }, nullptr, [] { return LinkedHeif(); }}, {});
        if (!decoded) continue;
        const imaging::PixelBuffer& p = decoded->pixels;
        ASSERT_TRUE(limit.Allows({p.width, p.height}) || limit.Allows({p.height, p.width})) << "run " << run;
        ASSERT_EQ(p.pixels.size(), static_cast<std::size_t>(p.width) * static_cast<std::size_t>(p.height)) << run;
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
