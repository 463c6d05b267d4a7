// A started viewer on the fake platform, with helpers to write its files.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/MainWindow.h"
#include "skin/EdgeWindows.h"
#include "skin/TitleWindow.h"
#include "tests/fake/FakePlatform.h"

namespace zylora::testing {

class ViewerTest : public ::testing::Test {
protected:
    static constexpr const char* SettingsPath = "C:\\Zylora\\zylora.ini";
    static constexpr const char* SkinPath = "C:\\Zylora\\Skins/Default\\";

    void WriteSettings(const std::string& text) { platform.files.files[SettingsPath] = text; }
    void WriteSkin(const std::string& text, const std::string& skinPath = SkinPath) {
        platform.files.files[skinPath + "values.ini"] = text;
    }
    app::TfrmMiddle& Start() {
        main = std::make_unique<app::TfrmMiddle>(platform);
        return *main;
    }
    // Shuts the viewer down (FormDestroy) and returns the settings file written.
    std::string Stop() {
        main.reset();
        auto it = platform.files.files.find(SettingsPath);
        return it == platform.files.files.end() ? std::string() : it->second;
    }
    fake::FakeWindow& FormOf(skin::TFrameWindow& frame) {
        return dynamic_cast<fake::FakeWindow&>(frame.Form());
    }
    fake::FakeWindow& MainForm() { return dynamic_cast<fake::FakeWindow&>(main->Form()); }
    // Index of the first log entry starting with the text, or -1.
    int LogIndex(const std::string& start, int from = 0) const {
        if (from < 0) return -1;  // after an entry that isn't there
        for (int i = from; i < static_cast<int>(platform.log.size()); ++i)
            if (platform.log[static_cast<std::size_t>(i)].rfind(start, 0) == 0) return i;
        return -1;
    }

    fake::FakePlatform platform;
    std::unique_ptr<app::TfrmMiddle> main;
};

}  // namespace zylora::testing
