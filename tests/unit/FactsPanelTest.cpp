// The facts panel: its lines from what the file says, and the panel over the view on I.
#include <algorithm>

#include "tests/unit/Harness.h"
#include "view/FactsPanel.h"

namespace zylora::testing {
namespace {

using Lines = std::vector<std::string>;

TEST(FactsPanelTest, EachGivenFactHasItsLineAndTheRestNone) {
    imaging::PhotoFacts full{"JPEG", "2024-05-17 14:03:22", "Canon EOS R5", "RF24-105mm", "1/250 s", "f/2.8",
                             "ISO 200", "35 mm", "48.85837\u00B0 N, 2.29448\u00B0 E", "Display P3"};
    imaging::PhotoFacts some;
    some.format = "PNG";
    some.aperture = "f/4";
    const std::vector<std::tuple<platform::Size, std::uint64_t, imaging::PhotoFacts, Lines>> cases = {
        {{4032, 3024},
         2516582,
         full,
         {"IMG_0042.jpg", "4032 x 3024, 2.4 MB, JPEG", "Taken 2024-05-17 14:03:22", "Canon EOS R5", "RF24-105mm",
          "1/250 s, f/2.8, ISO 200, 35 mm", "Colours Display P3", "48.85837\u00B0 N, 2.29448\u00B0 E"}},
        {{8, 6}, 900, some, {"IMG_0042.jpg", "8 x 6, 900 bytes, PNG", "f/4"}},
        {{0, 0}, 0, {}, {"IMG_0042.jpg"}},  // a file that showed nothing
    };
    for (const auto& [size, bytes, facts, lines] : cases)
        EXPECT_EQ(view::FactsLines("IMG_0042.jpg", size, bytes, facts), lines) << bytes;
}

TEST(FactsPanelTest, FileSizesReadAsTheFileManagerSaysThem) {
    const std::vector<std::pair<std::uint64_t, std::string>> cases = {
        {0, "0 bytes"},        {1023, "1023 bytes"},         {1024, "1.0 KB"},
        {35328, "34.5 KB"},    {150 * 1024, "150 KB"},       {5ull << 30, "5.0 GB"},
        {1ull << 52, "4096 TB"},
    };
    for (const auto& [bytes, text] : cases) EXPECT_EQ(view::FileSizeText(bytes), text) << bytes;
}

TEST_F(ViewerTest, TheKeyIShowsAndHidesThePanelOverTheViewsTopLeft) {
    platform.AddImage("C:\\Pics\\IMG_0042.jpg", 400, 300);
    platform.images.at("C:\\Pics\\IMG_0042.jpg").facts.camera = "Canon EOS R5";
    platform.files.files["C:\\Pics\\IMG_0042.jpg"] = std::string(2048, 'x');
    platform.arguments = {"C:\\Pics\\IMG_0042.jpg"};
    Start().Show();
    auto& view = dynamic_cast<fake::FakeWindow&>(*main->Image2);
    const auto painted = [&] {
        auto screen = view.GetScreenTarget();
        view.Events().Paint(*screen);
        Lines texts;
        for (const std::string& draw : view.screenDraws)
            if (draw.rfind("text '", 0) == 0) texts.push_back(draw.substr(6, draw.find('\'', 6) - 6));
        return texts;
    };
    main->FormKeyDown(platform::keys::I, {});
    EXPECT_EQ(painted(), (Lines{"IMG_0042.jpg", "400 x 300, 2.0 KB", "Canon EOS R5"}));
    EXPECT_TRUE(std::any_of(view.screenDraws.begin(), view.screenDraws.end(),
                            [](const std::string& draw) { return draw.rfind("evenodd 0,0,", 0) == 0; }));
    main->FormKeyDown(platform::keys::I, {});
    EXPECT_EQ(painted(), Lines{});
}

}  // namespace
}  // namespace zylora::testing
