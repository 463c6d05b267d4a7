// The keyboard commands of the main window: the key map's every row, held keys, Delete,
// Escape and the key list.
#include <algorithm>
#include <sstream>

#include "app/KeyMap.h"
#include "platform/Paths.h"
#include "tests/unit/Harness.h"

namespace zylora::testing {
namespace {

using platform::ShiftState;
namespace keys = platform::keys;

constexpr ShiftState Ctrl{false, true, false};

class KeysTest : public ViewerTest {
protected:
    void SetUp() override { Start(); }
    void Press(int key, ShiftState shift) { MainForm().Events().KeyDown(key, shift); }
};

TEST_F(KeysTest, CtrlMAndCtrlHMinimise) {
    Press(keys::M, Ctrl);
    Press(keys::H, Ctrl);
    EXPECT_EQ(platform.minimizations, 2);
    EXPECT_EQ(platform.closes, 0);
}

TEST_F(KeysTest, CtrlWClosesAndCtrlQTerminates) {
    Press(keys::W, Ctrl);
    EXPECT_EQ(platform.closes, 1);
    EXPECT_EQ(platform.terminations, 0);
    Press(keys::Q, Ctrl);
    EXPECT_EQ(platform.terminations, 1);
}

TEST_F(KeysTest, OnlyCtrlAloneCounts) {
    for (ShiftState shift : {ShiftState{}, ShiftState{true, true, false}, ShiftState{false, true, true},
                             ShiftState{false, false, true}, ShiftState{true, false, false}}) {
        for (int key : {keys::M, keys::H, keys::W, keys::Q, keys::BackQuote}) Press(key, shift);
    }
    Press(0x41, Ctrl);  // Ctrl+A means nothing
    EXPECT_EQ(platform.minimizations, 0);
    EXPECT_EQ(platform.closes, 0);
    EXPECT_EQ(platform.terminations, 0);
    EXPECT_TRUE(platform.switchedTo.empty());
}

TEST_F(KeysTest, KeysReachingAFrameWindowActLikeOnTheMainWindow) {
    FormOf(*main->TopFrame).Events().KeyDown(keys::W, Ctrl);
    EXPECT_EQ(platform.closes, 1);
}

TEST_F(KeysTest, CtrlBackQuoteSwitchesToAnotherInstanceNeverToItself) {
    Press(keys::BackQuote, Ctrl);
    EXPECT_TRUE(platform.switchedTo.empty());  // alone: nothing happens

    platform.foreignWindows = {{"TfrmMiddle", 0x1234}, {"TfrmMiddle", 0x5678}};
    Press(keys::BackQuote, Ctrl);
    EXPECT_EQ(platform.switchedTo, (std::vector<platform::ForeignWindow>{0x1234}));
}

TEST_F(KeysTest, AnInstanceFoundBeforeOurOwnIsTakenFirst) {
    // A second viewer whose window lies above ours in z-order.
    fake::FakePlatform& p = platform;
    auto other = p.CreateForm({"TfrmMiddle", false});
    std::rotate(p.windows.begin(), p.windows.end() - 1, p.windows.end());
    Press(keys::BackQuote, Ctrl);
    EXPECT_EQ(p.switchedTo, (std::vector<platform::ForeignWindow>{p.IdentityOf(*other)}));
}

// A viewer on c.gif of a folder of five, at zoom 4 with the view moved to (100, 100).
class KeyMapTest : public ViewerTest {
protected:
    void SetUp() override {
        for (const char* name : {"a.png", "B.jpg", "c.gif", "d.png", "e.png"})
            platform.AddImage(std::string("C:\\Pics\\") + name, 400, 300);
        platform.files.folders.insert("C:\\Pics");  // there also when emptied
        platform.arguments = {"C:\\Pics\\c.gif"};
        platform.openDialogAnswer = std::nullopt;
        Start().Show();
        main->ZoomFactor = 4;
        main->OffsetX = main->OffsetY = 100;
    }
    void Press(int key, ShiftState shift, bool repeat = false) { MainForm().Events().KeyDown(key, shift, repeat); }
    // What a command changed, in words.
    std::string Seen() {
        std::ostringstream out;
        out << platform::FileNameOf(main->PicturePath) << " zoom " << main->ZoomFactor << " at "
            << static_cast<double>(main->OffsetX) << "," << static_cast<double>(main->OffsetY)
            << (main->MoveMode ? "" : " select");
        const auto& draws = dynamic_cast<const fake::FakeImage&>(*main->Picture).draws;
        if (!draws.empty()) out << " " << draws.back();
        for (const std::string& entry : platform.log)
            if (entry.rfind("open dialog", 0) == 0 || entry.rfind("recycle", 0) == 0 || entry == "minimize" ||
                entry == "terminate")
                out << " " << entry.substr(0, entry.find(' ', entry.find(' ') + 1));
        if (main->FactsShown) out << " facts";
        if (!platform.clipboard.empty()) out << " copied " << platform.clipboard;
        const view::FolderOrder order = main->FileListBox1.Order();
        if (order != view::FolderOrder{})
            out << " by " << view::OrderWord(order.by) << (order.reversed ? " reversed" : "");
        if (platform.closes) out << " close";
        for (const auto& m : platform.messages) out << " box " << m.caption;
        return out.str();
    }
};

TEST_F(KeyMapTest, EveryKeyOfTheMapRunsItsCommand) {
    const std::string next = "d.png zoom 4 at 100,100", prev = "B.jpg zoom 4 at 100,100";
    const std::map<std::string, std::string> expected = {
        {"Right", next}, {"Page Down", next}, {"Space", next},
        {"Left", prev}, {"Page Up", prev}, {"Backspace", prev},
        {"Home", "a.png zoom 4 at 100,100"}, {"End", "e.png zoom 4 at 100,100"},
        {"+", "c.gif zoom 8 at 100,100"}, {"=", "c.gif zoom 8 at 100,100"}, {"Numpad +", "c.gif zoom 8 at 100,100"},
        {"-", "c.gif zoom 2 at 100,100"}, {"Numpad -", "c.gif zoom 2 at 100,100"},
        {"0", "c.gif zoom 1 at 100,100"}, {"Numpad 0", "c.gif zoom 1 at 100,100"},
        {"*", "c.gif zoom 1 at 100,100"}, {"Shift+8", "c.gif zoom 1 at 100,100"},
        // A tenth of the 400 x 300 view.
        {"Up", "c.gif zoom 4 at 100,70"}, {"Down", "c.gif zoom 4 at 100,130"},
        {"Shift+Left", "c.gif zoom 4 at 60,100"}, {"Shift+Right", "c.gif zoom 4 at 140,100"},
        {"R", "c.gif zoom 4 at 100,100 rotateflip 1"}, {"L", "c.gif zoom 4 at 100,100 rotateflip 3"},
        {"H", "c.gif zoom 4 at 100,100 rotateflip 4"}, {"V", "c.gif zoom 4 at 100,100 rotateflip 6"},
        {"M", "c.gif zoom 4 at 100,100"}, {"S", "c.gif zoom 4 at 100,100 select"},
        {"Ctrl+O", "c.gif zoom 4 at 100,100 open dialog"},
        {"Delete", "d.png zoom 4 at 100,100 recycle C:\\Pics\\c.gif"},
        {"Escape", "c.gif zoom 4 at 100,100"}, {"F1", "c.gif zoom 4 at 100,100 box Zylora keys"},
        {"Ctrl+M", "c.gif zoom 4 at 100,100 minimize"}, {"Ctrl+H", "c.gif zoom 4 at 100,100 minimize"},
        {"Ctrl+W", "c.gif zoom 4 at 100,100 close"}, {"Ctrl+Q", "c.gif zoom 4 at 100,100 terminate"},
        {"Ctrl+`", "c.gif zoom 4 at 100,100"},
        // c.gif is a still: nothing plays.
        {"P", "c.gif zoom 4 at 100,100"}, {"Ctrl+Page Down", "c.gif zoom 4 at 100,100"},
        {"Ctrl+Page Up", "c.gif zoom 4 at 100,100"}, {".", "c.gif zoom 4 at 100,100"}, {",", "c.gif zoom 4 at 100,100"},
        // The slideshow's keys change nothing at once.
        {"F5", "c.gif zoom 4 at 100,100"}, {"F11", "c.gif zoom 4 at 100,100"}, {"Ctrl++", "c.gif zoom 4 at 100,100"},
        {"Ctrl+=", "c.gif zoom 4 at 100,100"}, {"Ctrl+Numpad +", "c.gif zoom 4 at 100,100"},
        {"Ctrl+-", "c.gif zoom 4 at 100,100"}, {"Ctrl+Numpad -", "c.gif zoom 4 at 100,100"},
        {"I", "c.gif zoom 4 at 100,100 facts"},
        {"Ctrl+C", "c.gif zoom 4 at 100,100 copied image 400x300"},
        {"Ctrl+Shift+C", "c.gif zoom 4 at 100,100 copied text C:\\Pics\\c.gif"},
        {"Ctrl+1", "c.gif zoom 4 at 100,100"}, {"Ctrl+2", "c.gif zoom 4 at 100,100 by modified"},
        {"Ctrl+3", "c.gif zoom 4 at 100,100 by taken"}, {"Ctrl+4", "c.gif zoom 4 at 100,100 by size"},
        {"Ctrl+0", "c.gif zoom 4 at 100,100 by name reversed"},
    };
    for (const app::KeyBinding& binding : app::KeyBindings()) {
        SCOPED_TRACE(binding.keyName);
        ASSERT_TRUE(expected.count(binding.keyName));
        main->MoveMode = binding.command != std::string("movemode");
        Press(binding.key, binding.shift);
        if (binding.command == std::string("movemode")) EXPECT_TRUE(main->MoveMode);
        EXPECT_EQ(Seen(), expected.at(binding.keyName));
        TearDown();
        platform = fake::FakePlatform();
        SetUp();
    }
}

// F5's slideshow steps once a picture's full pixels have been shown for the while the
// settings keep; Ctrl++ and Ctrl+- change the while, a step key stops it.
TEST_F(KeyMapTest, TheSlideshowStepsAfterEachPicturesFullPixelsUntilAStepKey) {
    const auto armed = [&]() -> int {
        for (fake::FakeTimer* t : platform.timers)
            if (t->Enabled() && t->interval >= 1000) return t->interval;
        return 0;
    };
    const auto tick = [&] {
        for (fake::FakeTimer* t : platform.timers)
            if (t->Enabled() && t->interval >= 1000) return t->Tick();
    };
    platform.previews["C:\\Pics\\d.png"] = {100, 75};
    Press(keys::F5, {});
    EXPECT_EQ(armed(), 4000);
    tick();
    EXPECT_EQ(platform::FileNameOf(main->PicturePath), "d.png");
    EXPECT_EQ(armed(), 0) << "its first look shows: the while waits for the full pixels";
    platform.RunBackground();
    EXPECT_EQ(armed(), 4000);
    Press(keys::Plus, {true, true, false});
    EXPECT_EQ(armed(), 5000);
    tick();
    EXPECT_EQ(platform::FileNameOf(main->PicturePath), "e.png");
    Press(keys::Right, {});
    EXPECT_EQ(armed(), 0);
    EXPECT_EQ(platform::FileNameOf(main->PicturePath), "a.png") << "one step, the user's";
    EXPECT_NE(Stop().find("[Slideshow]\r\nInterval=5\r\n"), std::string::npos);
}

TEST_F(KeyMapTest, AHeldStepKeysRepeatsWaitingAfterAnOpenAreOneStep) {
    main->ZoomFactor = 1;
    for (const char* name : {"d.png", "e.png"}) platform.previews[std::string("C:\\Pics\\") + name] = {100, 75};
    Press(keys::Right, {});
    EXPECT_EQ(platform::FileNameOf(main->PicturePath), "d.png") << "a press steps at once";
    for (int i = 0; i < 5; ++i) Press(keys::Right, {}, true);
    EXPECT_EQ(platform::FileNameOf(main->PicturePath), "d.png") << "the repeats wait";
    fake::FakeTimer& merged = dynamic_cast<fake::FakeTimer&>(*main->StepTimer);
    merged.Tick();
    merged.Tick();
    EXPECT_EQ(platform::FileNameOf(main->PicturePath), "e.png") << "one step for all of them";
    EXPECT_EQ(platform.previewNeeded, (std::vector<platform::Size>{{200, 150}, {200, 150}}))
        << "a glance at half the sharpness";
    Press(keys::R, {}, true);  // other keys' repeats act each
    Press(keys::R, {}, true);
    EXPECT_EQ(dynamic_cast<const fake::FakeImage&>(*main->Picture).draws.size(), 2u);
}

// Where a look is made on another thread, the window shows what it showed until it is in, and
// a held key's repeats wait for it: each step shows its picture.
TEST_F(KeyMapTest, AStepWhoseLookIsBeingMadeShowsItOnceInAndTheRepeatsWaitForIt) {
    main->ZoomFactor = 1;
    for (const char* name : {"d.png", "e.png"}) {
        platform.previews[std::string("C:\\Pics\\") + name] = {100, 75};
        platform.lateLooks.insert(std::string("C:\\Pics\\") + name);
    }
    const fake::FakeWindow& view = dynamic_cast<fake::FakeWindow&>(*main->Image2);
    const std::string before = main->Form().Caption();
    Press(keys::Right, {});
    EXPECT_EQ(platform::FileNameOf(main->PicturePath), "d.png");
    EXPECT_TRUE(!main->Preview && !main->Picture);
    EXPECT_EQ(main->Form().Caption(), before) << "the window shows what it showed";
    for (int i = 0; i < 5; ++i) Press(keys::Right, {}, true);
    using Ahead = std::vector<std::pair<std::string, platform::Size>>;
    EXPECT_EQ(platform.lookedAhead, Ahead(5, {"C:\\Pics\\e.png", {200, 150}}))
        << "the repeats' step has its look made beside";
    fake::FakeTimer& merged = dynamic_cast<fake::FakeTimer&>(*main->StepTimer);
    merged.Tick();
    EXPECT_EQ(platform::FileNameOf(main->PicturePath), "d.png") << "the repeats wait for the look";
    EXPECT_FALSE(merged.Enabled());
    const int invalidations = view.invalidations;
    platform.RunBackground();
    const std::string skinText = before.substr(before.find(" - ") + 3);
    EXPECT_EQ(main->Form().Caption(), "d.png - " + skinText) << "d.png shown";
    EXPECT_GT(view.invalidations, invalidations) << "and to be painted before the step's timer";
    ASSERT_TRUE(merged.Enabled()) << "the repeats' step comes next";
    merged.Tick();
    EXPECT_EQ(platform::FileNameOf(main->PicturePath), "e.png");
    const auto begun = [&](const std::string& name) {
        return std::count(platform.log.begin(), platform.log.end(), "full decode C:\\Pics\\" + name);
    };
    EXPECT_EQ(begun("e.png"), 0) << "the picture stepped to waits for its look";
    EXPECT_EQ(platform.lookedAhead.back(), (std::pair<std::string, platform::Size>{"C:\\Pics\\a.png", {200, 150}}))
        << "and from the picture stepped to, at the step, round the folder's end";
    main->RunCommand("zoomin");  // what needs the pixels takes the look and the full pixels
    EXPECT_TRUE(main->Picture && !main->PendingLook);
    EXPECT_EQ(main->ShownPictureSize(), (platform::Size{400, 300}));
    EXPECT_EQ(main->Form().Caption(), "e.png - " + skinText);
    EXPECT_EQ(main->ZoomFactor, 2);
    EXPECT_EQ(begun("d.png"), 0) << "the picture the held key passed isn't decoded whole";
    EXPECT_EQ(begun("e.png"), 1);
    Press(keys::Left, {});
    platform.RunBackground();
    EXPECT_EQ(begun("d.png"), 1) << "a look in with no step waiting has the whole picture decoded";
}

// The viewer asks in its own words; a file the bin keeps stays with a message of the
// viewer's, and one already gone is stepped past, unasked, with a note.
TEST_F(KeyMapTest, DeleteAsksItselfKeepsWhatTheBinRefusesAndStepsPastAFileAlreadyGone) {
    const std::string ask = "ask Move \"c.gif\" to the Recycle Bin?";
    const struct {
        bool gone, binKeeps;
        std::string shown, asked, message, note;
    } cases[] = {
        {false, false, "d.png", ask, "", ""},
        {false, true, "c.gif", ask, "\"c.gif\" could not be moved to the Recycle Bin; it was left where it is.", ""},
        {true, false, "d.png", "", "", "\"c.gif\" was already gone"},
    };
    for (const auto& c : cases) {
        if (c.gone) platform.files.files.erase("C:\\Pics\\c.gif");
        platform.recycleKeeps = c.binKeeps;
        Press(keys::Delete, {});
        EXPECT_EQ(platform::FileNameOf(main->PicturePath), c.shown);
        EXPECT_EQ(platform.files.FileExists("C:\\Pics\\c.gif"), c.binKeeps);
        EXPECT_EQ(std::count(platform.log.begin(), platform.log.end(), ask), c.asked.empty() ? 0 : 1);
        EXPECT_EQ(platform.messages.empty() ? "" : platform.messages.back().text, c.message);
        EXPECT_EQ(main->ViewNote(), c.note);
        TearDown();
        platform = fake::FakePlatform();
        SetUp();
    }
}

// A picture dropped while the question stands is not what the answer was about; one dropped
// while the shell moves the file stays, and the move done is told as done.
TEST_F(KeyMapTest, APictureDroppedWhileDeleteWaitsOnTheSystemStays) {
    const struct {
        std::function<void()> fake::FakePlatform::*during;
        bool recycled;
    } cases[] = {{&fake::FakePlatform::whileAsking, false}, {&fake::FakePlatform::whileRecycling, true}};
    for (const auto& c : cases) {
        platform.*c.during = [this] { main->OpenFile("C:\\Pics\\a.png"); };
        Press(keys::Delete, {});
        EXPECT_EQ(platform::FileNameOf(main->PicturePath), "a.png");
        EXPECT_TRUE(platform.files.FileExists("C:\\Pics\\a.png"));
        EXPECT_EQ(platform.files.FileExists("C:\\Pics\\c.gif"), !c.recycled);
        EXPECT_TRUE(platform.messages.empty());
        TearDown();
        platform = fake::FakePlatform();
        SetUp();
    }
}

TEST_F(KeyMapTest, DeleteShowsTheNextPictureOrTheBackgroundAndARefusalChangesNothing) {
    platform.askAnswer = false;
    Press(keys::Delete, {});
    EXPECT_EQ(platform::FileNameOf(main->PicturePath), "c.gif");
    EXPECT_TRUE(platform.files.FileExists("C:\\Pics\\c.gif"));
    platform.askAnswer = true;
    main->OpenFile("C:\\Pics\\e.png");
    Press(keys::Delete, {});
    EXPECT_EQ(platform::FileNameOf(main->PicturePath), "a.png") << "after the last, the first";
    for (const char* name : {"B.jpg", "c.gif", "d.png"}) platform.files.files.erase(std::string("C:\\Pics\\") + name);
    const platform::Rect window = main->BoundsRect();
    Press(keys::Delete, {});
    EXPECT_FALSE(main->HasPicture()) << "none left: the background";
    EXPECT_EQ(main->BoundsRect(), window);
}

TEST_F(KeyMapTest, EscapeDropsASelectionWithoutCroppingAndEndsThePress) {
    main->MoveMode = false;
    fake::FakeWindow& view = dynamic_cast<fake::FakeWindow&>(*main->Image2);
    view.Events().MouseDown(platform::MouseButton::Left, {}, {10, 10});
    view.Events().MouseMove({}, {60, 50});
    const platform::Image* before = main->Picture.get();
    Press(keys::Escape, {});
    EXPECT_FALSE(main->Dragging);
    EXPECT_GT(view.pressesCancelled, 0) << "its release will do nothing";
    view.Events().MouseUp(platform::MouseButton::Left, {}, {60, 50});
    EXPECT_EQ(main->Picture.get(), before);
}

TEST_F(KeyMapTest, TheKeyListHasALineForEachCommandWithAllItsKeys) {
    Press(keys::F1, {});
    ASSERT_EQ(platform.messages.size(), 1u);
    const std::string& list = platform.messages[0].text;
    EXPECT_NE(list.find("Right, Page Down, Space\tnext picture of the folder\n"), std::string::npos) << list;
    EXPECT_NE(list.find("Ctrl+W\tclose"), std::string::npos) << list;
    std::set<std::string> commands;
    for (const app::KeyBinding& binding : app::KeyBindings()) commands.insert(binding.command);
    EXPECT_EQ(static_cast<std::size_t>(std::count(list.begin(), list.end(), '\n')), commands.size());
}

}  // namespace
}  // namespace zylora::testing
