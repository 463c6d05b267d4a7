// Start-up and close of the real zylora.exe: the settings file places the main window
// and picks the skin, and Ctrl+W closes it and writes the settings back.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <iostream>
#include <map>
#include <sstream>
#include <string>

#include "tests/e2e/Launcher.h"
#include "tests/e2e/XDriver.h"

namespace zylora::e2e {
namespace {

using Ini = std::map<std::string, std::map<std::string, std::string>>;

std::string Trim(const std::string& s) {
    const auto first = s.find_first_not_of(" \t\r");
    if (first == std::string::npos) return {};
    return s.substr(first, s.find_last_not_of(" \t\r") - first + 1);
}

// Sections and keys as written, whatever the line endings.
Ini ParseIni(const std::string& bytes) {
    Ini ini;
    std::string section;
    std::istringstream in(bytes);
    for (std::string line; std::getline(in, line);) {
        line = Trim(line);
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            section = line.substr(1, line.size() - 2);
        } else if (const auto eq = line.find('='); eq != std::string::npos) {
            ini[section][Trim(line.substr(0, eq))] = Trim(line.substr(eq + 1));
        }
    }
    return ini;
}

// A skin of values only: the frame still has its widths and the caption its text.
constexpr const char* kSkinValues =
    "[Caption]\r\nText=Zylora E2E\r\n"
    "[left]\r\nWidth=10\r\n"
    "[right]\r\nWidth=10\r\n"
    "[top]\r\nHeight=30\r\n"
    "[bottom]\r\nHeight=10\r\n";
constexpr const char* kCaption = "Zylora E2E";

class Startup : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(std::filesystem::is_regular_file(app_.Exe()))
            << "zylora.exe is not built: nothing at " << ZYLORA_DIST_DIR << "/zylora.exe";
        app_.WriteFile("Skins/E2E/values.ini", kSkinValues);
    }

    void TearDown() override {
        if (!HasFailure()) return;
        std::ostringstream windows;
        for (const auto& w : x_.TopLevelWindows()) {
            if (w.mapped) windows << "  " << w << "\n";
        }
        std::cerr << "mapped top-level windows:\n" << windows.str() << "program output:\n" << app_.Output() << "\n";
    }

    // The main window once it is mapped and `settled` holds for it, or as last seen:
    // it may be shown first and placed after, and what counts is where it settles.
    std::optional<TopLevelWindow> MainWindow(const std::function<bool(const TopLevelWindow&)>& settled) {
        auto window = x_.WaitForMappedWindow(kCaption, 60s);
        if (!window) return window;
        PollUntil(
            [&] {
                if (auto now = x_.FindMappedWindow(kCaption)) window = now;
                return settled(*window);
            },
            10s);
        return window;
    }

    // Closes the program as a person would, and waits for it to be gone.
    void CloseWithCtrlW(const TopLevelWindow& window) {
        x_.Focus(window);
        x_.KeyChord("ctrl+w");
        const auto exitCode = app_.WaitForExit(60s);
        ASSERT_TRUE(exitCode.has_value()) << "zylora.exe still runs after Ctrl+W";
        EXPECT_EQ(*exitCode, 0);
    }

    Ini SavedSettings() {
        const auto bytes = app_.ReadFile("zylora.ini");
        if (!bytes) ADD_FAILURE() << "zylora.ini is gone";
        return ParseIni(bytes.value_or(""));
    }

    Launcher app_;
    XDriver x_;
};

TEST_F(Startup, PlacesWindowFromSettingsAndSavesPlacementAndFoldersOnClose) {
    app_.WriteFile("zylora.ini",
                   "[Placement]\r\nX=-50\r\nY=120\r\nWidth=0x140\r\nHeight=200\r\n"
                   "[Skin]\r\nDir=Skins/E2E\r\n");
    app_.Start();

    const auto window = MainWindow([](const TopLevelWindow& w) {
        return w.x == -50 && w.y == 120 && w.width == 320 && w.height == 200;
    });
    ASSERT_TRUE(window) << "no mapped window named \"" << kCaption << "\"";
    EXPECT_EQ(window->x, -50);
    EXPECT_EQ(window->y, 120);
    EXPECT_EQ(window->width, 320);
    EXPECT_EQ(window->height, 200);

    ASSERT_NO_FATAL_FAILURE(CloseWithCtrlW(*window));
    const Ini saved = SavedSettings();
    const Ini expected{
        {"Placement", {{"X", "-50"}, {"Y", "120"}, {"Width", "320"}, {"Height", "200"}}},
        {"Skin", {{"Dir", "Skins/E2E"}}},
        {"Buttons", {{"Dir", "Buttons/Default"}}},
    };
    for (const auto& [section, keys] : expected) {
        for (const auto& [key, value] : keys) {
            const auto s = saved.find(section);
            const bool present = s != saved.end() && s->second.count(key);
            EXPECT_TRUE(present) << "[" << section << "] " << key << " not saved";
            if (present) {
                EXPECT_EQ(s->second.at(key), value) << "[" << section << "] " << key;
            }
        }
    }
}

TEST_F(Startup, SurvivesNonsenseSettingsAndRewritesThem) {
    std::string nonsense =
        "[Placement]\r\nX=99999999999\r\nY=--7\r\nWidth=abc\r\nHeight=\r\n"
        "\x01\x02\xff\xfe\x80 garbage\r\n";
    nonsense += std::string("\0\0[\0=\0\n", 7);
    nonsense += "[Skin\n=no key\n[]\n==\n" + std::string(20000, 'z') + "\n";
    nonsense += "\xc3\x28 not UTF-8=\xa0\xa1\r\n";
    // The skin is the one thing meant, so the window can be found by its caption.
    nonsense += "[Skin]\r\nDir=Skins/E2E\r\n";
    app_.WriteFile("zylora.ini", nonsense);
    app_.Start();

    const auto window = MainWindow([](const TopLevelWindow& w) { return w.width == 320; });
    ASSERT_TRUE(window) << "no mapped window named \"" << kCaption << "\"";
    EXPECT_EQ(window->width, 320) << "an unreadable width falls back to 320";

    ASSERT_NO_FATAL_FAILURE(CloseWithCtrlW(*window));
    const Ini saved = SavedSettings();
    ASSERT_TRUE(saved.count("Placement") && saved.at("Placement").count("Width")) << "[Placement] Width not saved";
    EXPECT_EQ(saved.at("Placement").at("Width"), "320");
}

}  // namespace
}  // namespace zylora::e2e
