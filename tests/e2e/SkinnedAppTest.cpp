#include "tests/e2e/SkinnedAppTest.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>
#include <stdexcept>

extern char** environ;

namespace zylora::e2e {

namespace fs = std::filesystem;

void Convert(const std::vector<std::string>& args) {
    std::vector<std::string> argv{"convert"};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> cargv;
    for (auto& a : argv) cargv.push_back(a.data());
    cargv.push_back(nullptr);
    pid_t pid = 0;
    if (const int error = posix_spawnp(&pid, "convert", nullptr, nullptr, cargv.data(), environ)) {
        throw std::runtime_error("cannot run ImageMagick's convert: " + std::string(std::strerror(error)));
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::string line;
        for (const auto& a : argv) line += " " + a;
        throw std::runtime_error("convert failed:" + line);
    }
}

std::string Hex(Rgb c) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02X%02X%02X", c.r, c.g, c.b);
    return text;
}

std::optional<std::string> IniValue(const std::string& bytes, const std::string& section,
                                    const std::string& key) {
    auto trim = [](const std::string& s) {
        const auto first = s.find_first_not_of(" \t\r");
        if (first == std::string::npos) return std::string();
        return s.substr(first, s.find_last_not_of(" \t\r") - first + 1);
    };
    std::string current;
    std::istringstream in(bytes);
    for (std::string line; std::getline(in, line);) {
        line = trim(line);
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            current = line.substr(1, line.size() - 2);
        } else if (const auto eq = line.find('=');
                   eq != std::string::npos && current == section && trim(line.substr(0, eq)) == key) {
            return trim(line.substr(eq + 1));
        }
    }
    return std::nullopt;
}

void SkinnedAppTest::SetUp() {
    ASSERT_TRUE(fs::is_regular_file(app_.Exe()))
        << "zylora.exe is not built: nothing at " << ZYLORA_DIST_DIR << "/zylora.exe";
    // With no window manager the pointer stays wherever the last test left it; over a
    // frame it would change what the frame shows and where a press lands.
    x_.MovePointer(x_.ScreenWidth() - 1, x_.ScreenHeight() - 1);
}

void SkinnedAppTest::TearDown() {
    if (!HasFailure()) return;
    std::ostringstream windows;
    for (const auto& w : x_.TopLevelWindows()) {
        if (w.mapped) windows << "  " << w << "\n";
    }
    std::cerr << "mapped top-level windows:\n"
              << windows.str() << "program output:\n"
              << app_.Output() << "\n";
}

void SkinnedAppTest::SolidPng(const fs::path& relative, int width, int height, Rgb colour) const {
    fs::create_directories((app_.Dir() / relative).parent_path());
    Convert({"-size", std::to_string(width) + "x" + std::to_string(height), "xc:" + Hex(colour),
             "PNG32:" + (app_.Dir() / relative).string()});
}

void SkinnedAppTest::TwoPartPng(const fs::path& relative, int width, int height, Rgb first, Rgb second,
                                bool stacked) const {
    fs::create_directories((app_.Dir() / relative).parent_path());
    const int firstRight = stacked ? width - 1 : width / 2 - 1;
    const int firstBottom = stacked ? height / 2 - 1 : height - 1;
    Convert({"-size", std::to_string(width) + "x" + std::to_string(height), "xc:" + Hex(second), "-fill",
             Hex(first), "-draw",
             "rectangle 0,0 " + std::to_string(firstRight) + "," + std::to_string(firstBottom),
             "PNG32:" + (app_.Dir() / relative).string()});
}

void SkinnedAppTest::QuartersPng(const fs::path& relative, int width, int height, int splitX, int splitY) const {
    fs::create_directories((app_.Dir() / relative).parent_path());
    auto box = [](int x0, int y0, int x1, int y1) {
        return "rectangle " + std::to_string(x0) + "," + std::to_string(y0) + " " + std::to_string(x1) + "," +
               std::to_string(y1);
    };
    Convert({"-size", std::to_string(width) + "x" + std::to_string(height), "xc:" + Hex(kYellow), "-fill",
             Hex(kRed), "-draw", box(0, 0, splitX - 1, splitY - 1), "-fill", Hex(kLime), "-draw",
             box(splitX, 0, width - 1, splitY - 1), "-fill", Hex(kBlue), "-draw", box(0, splitY, splitX - 1, height - 1),
             "PNG32:" + (app_.Dir() / relative).string()});
}

void SkinnedAppTest::UseBareSkin(const std::string& name, const std::string& caption, int x, int y,
                                 bool titleNamesPicture) const {
    // The windows are found by their caption: it stays the skin's text unless asked.
    app_.WriteFile("Skins/" + name + "/values.ini",
                   "[Caption]\r\nText=" + caption + (titleNamesPicture ? "" : "\r\nFormat={text}") +
                       "\r\n[left]\r\nWidth=10\r\n[right]\r\nWidth=10\r\n[top]\r\nHeight=30\r\n"
                       "[bottom]\r\nHeight=10\r\n[bg]\r\nColorR=40\r\nColorG=40\r\nColorB=40\r\n");
    app_.WriteFile("zylora.ini", "[Placement]\r\nX=" + std::to_string(x) + "\r\nY=" + std::to_string(y) +
                                     "\r\n[Skin]\r\nDir=Skins/" + name + "\r\n");
}

ButtonSetLayout SkinnedAppTest::ReadButtonSet(const std::string& folder) const {
    ButtonSetLayout layout;
    const auto set = app_.ReadFile(folder + "/values.ini");
    EXPECT_TRUE(set) << "no button set in " << folder;
    if (!set) return layout;
    auto number = [&](const std::string& section, const char* key) {
        return std::stoi(IniValue(*set, section, key).value_or("0"));
    };
    layout.toolbarHeight = number("Main", "ToolbarHeight");
    for (int n = 0; n < number("Main", "NumOfButtons"); ++n) {
        const std::string section = "Button-" + std::to_string(n);
        layout.buttons[IniValue(*set, section, "Action").value_or("")] = {
            number(section, "X"), number(section, "Y"), number(section, "Width"), number(section, "Height"),
            IniValue(*set, section, "normalImage").value_or(""), IniValue(*set, section, "mouseoverImage").value_or("")};
    }
    return layout;
}

int SkinnedAppTest::NarrowestWindow(const std::string& folder) const {
    int reach = 0;
    for (const auto& [action, b] : ReadButtonSet(folder).buttons) reach = std::max(reach, b.x + b.width);
    return reach;
}

RgbImage SkinnedAppTest::ReadPicture(const fs::path& relative, const std::string& background) const {
    const fs::path ppm = app_.Dir() / "read-picture.ppm";
    Convert({(app_.Dir() / relative).string(), "-background", background, "-alpha", "remove", "-depth", "8",
             "ppm:" + ppm.string()});
    std::ifstream in(ppm, std::ios::binary);
    std::string magic;
    int maxValue = 0;
    RgbImage image;
    in >> magic >> image.width >> image.height >> maxValue;
    in.get();  // the one blank after the header
    if (magic != "P6" || maxValue != 255 || image.width <= 0 || image.height <= 0)
        throw std::runtime_error("not a picture convert could read: " + relative.string());
    image.pixels.resize(static_cast<std::size_t>(image.width) * image.height);
    for (Rgb& c : image.pixels) {
        char rgb[3];
        in.read(rgb, 3);
        c = {static_cast<std::uint8_t>(rgb[0]), static_cast<std::uint8_t>(rgb[1]), static_cast<std::uint8_t>(rgb[2])};
    }
    fs::remove(ppm);
    return image;
}

std::optional<TopLevelWindow> SkinnedAppTest::WaitForMainWindow(
    const std::string& caption, const std::function<bool(const TopLevelWindow&)>& settled) {
    auto window = x_.WaitForMappedWindow(caption, 60s);
    if (!window) return window;
    PollUntil(
        [&] {
            if (auto now = x_.FindMappedWindow(caption)) window = now;
            return settled(*window);
        },
        10s);
    return window;
}

std::optional<TopLevelWindow> SkinnedAppTest::ExpectWindowAt(const std::string& caption, int x, int y,
                                                            int width, int height, const std::string& after) {
    const auto w = WaitForMainWindow(caption, [&](const TopLevelWindow& t) {
        return t.x == x && t.y == y && t.width == width && t.height == height;
    });
    if (!w) {
        ADD_FAILURE() << "no mapped window named \"" << caption << "\" " << after;
        return w;
    }
    EXPECT_EQ(w->x, x) << after;
    EXPECT_EQ(w->y, y) << after;
    EXPECT_EQ(w->width, width) << after;
    EXPECT_EQ(w->height, height) << after;
    return w;
}

std::optional<TopLevelWindow> SkinnedAppTest::MappedWindowAt(int x, int y, int width, int height) const {
    std::optional<TopLevelWindow> found;
    for (auto& w : x_.TopLevelWindows()) {
        if (w.mapped && w.x == x && w.y == y && w.width == width && w.height == height) found = std::move(w);
    }
    return found;
}

std::optional<TopLevelWindow> SkinnedAppTest::WindowById(unsigned long id) const {
    for (auto& w : x_.TopLevelWindows()) {
        if (w.id == id) return std::move(w);
    }
    return std::nullopt;
}

namespace {

void WritePpm(const RgbImage& image, const fs::path& path) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << "P6\n" << image.width << " " << image.height << "\n255\n";
    for (const Rgb& c : image.pixels) out << c.r << c.g << c.b;
}

}  // namespace

void SkinnedAppTest::ExpectColours(const std::string& name, int x, int y, int width, int height,
                                   const std::vector<Probe>& probes, std::chrono::milliseconds timeout) {
    RgbImage shot;
    auto at = [&](const Probe& p) { return shot.At(p.x - x, p.y - y); };
    PollUntil(
        [&] {
            shot = x_.Capture(x, y, width, height);
            for (const Probe& p : probes) {
                if (!(at(p) == p.expected)) return false;
            }
            return true;
        },
        timeout, 100ms);
    if (const char* dir = std::getenv("ZYLORA_E2E_SCREENSHOTS"); dir && *dir) {
        WritePpm(shot, fs::path(dir) / (name + ".ppm"));
    }
    for (const Probe& p : probes) {
        EXPECT_EQ(at(p), p.expected) << p.what << " at (" << p.x << ", " << p.y << ")";
    }
}

void SkinnedAppTest::CloseWithCtrlW(const TopLevelWindow& window) {
    x_.Focus(window);
    x_.KeyChord("ctrl+w");
    const auto exitCode = app_.WaitForExit(60s);
    ASSERT_TRUE(exitCode.has_value()) << "zylora.exe still runs after Ctrl+W";
    EXPECT_EQ(*exitCode, 0);
}

}  // namespace zylora::e2e
