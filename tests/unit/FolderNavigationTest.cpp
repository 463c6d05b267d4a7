// Stepping through the current picture's folder, and the list of that folder's pictures.
#include "platform/Paths.h"
#include "platform/Text.h"
#include "tests/unit/ExifFiles.h"
#include "tests/unit/Harness.h"

namespace zylora::testing {
namespace {

class FolderNavigationTest : public ViewerTest {
protected:
    void SetUp() override {
        for (const char* name : {"a.png", "B.jpg", "c.gif"}) Picture(std::string("C:\\Pics\\") + name);
    }
    // A picture file whose size tells it apart from the others.
    void Picture(const std::string& path) {
        platform.AddImage(path, 100 + static_cast<int>(platform.images.size()) * 10, 50);
    }
    void Step(bool forward) { main->StepInFolder(forward); }
    // The names of the pictures a run of steps opens.
    std::vector<std::string> Walk(const std::string& directions) {
        std::vector<std::string> opened;
        for (char d : directions) {
            Step(d == 'n');
            opened.push_back(platform::FileNameOf(main->PicturePath));
        }
        return opened;
    }
};

TEST_F(FolderNavigationTest, TheListHoldsEachMatchingFileOnceInTheFileManagersOrder) {
    for (const char* name : {"E.JPEG", "f.Tif", "g.tiff", "d.bmp", "h.png", "s.jpg", "notes.png.txt", "img10.png",
                             "img2.png"})
        platform.files.files[std::string("C:\\Pics\\") + name] = "x";
    platform.files.folders.insert("C:\\Pics\\Sub.png");
    platform.files.hidden.insert("C:\\Pics\\h.png");
    platform.files.system.insert("C:\\Pics\\s.jpg");
    view::TFileListBox list(platform.files, "*.png;*.jpg;*.gif;*.tif;*.tiff;*.jpeg;*.TIF");
    ASSERT_TRUE(list.SetDirectory("C:\\Pics"));
    EXPECT_EQ(list.Items(),
              (std::vector<std::string>{"a.png", "B.jpg", "c.gif", "E.JPEG", "f.Tif", "g.tiff", "img2.png", "img10.png"}));
    EXPECT_EQ(list.IndexOf("b.JPG"), 1);
    EXPECT_EQ(list.IndexOf("x.png"), -1);
    list.SetItemIndex(8);
    EXPECT_EQ(list.FileName(), "");
    list.SetItemIndex(5);
    EXPECT_EQ(list.FileName(), "C:\\Pics\\g.tiff");
}

// a.jpg taken in 2024, d.jpg in 2001; b.jpg and c.png say nothing of it and were changed
// long before (the fake's times are seconds since 1970). Each is of a size of its own.
class FolderOrderTest : public FolderNavigationTest {
protected:
    void SetUp() override {
        const std::pair<const char*, std::string> files[] = {
            {"a.jpg", ExifJpeg(TakenTiff("2024:05:17 14:03:22"))},
            {"b.jpg", std::string(500, 'b')},
            {"c.png", "cccccccccc"},
            {"d.jpg", ExifJpeg(TakenTiff("2001:01:01 00:00:00")) + std::string(20, 'd')},
        };
        const std::uint64_t modified[] = {300, 100, 200, 400};
        for (std::size_t i = 0; i < 4; ++i) {
            const std::string path = std::string("C:\\Pics\\") + files[i].first;
            platform.AddImage(path, 100 + static_cast<int>(i), 50);
            platform.files.files[path] = files[i].second;
            platform.files.modified[path] = modified[i];
        }
    }
};

TEST_F(FolderOrderTest, TheListTakesEachOrderAndItsReverse) {
    using view::SortOrder;
    const std::vector<std::pair<view::FolderOrder, std::vector<std::string>>> cases = {
        {{SortOrder::Name, false}, {"a.jpg", "b.jpg", "c.png", "d.jpg"}},
        {{SortOrder::Modified, false}, {"b.jpg", "c.png", "a.jpg", "d.jpg"}},
        // Without a date taken, the date modified.
        {{SortOrder::Taken, false}, {"b.jpg", "c.png", "d.jpg", "a.jpg"}},
        {{SortOrder::Size, false}, {"c.png", "a.jpg", "d.jpg", "b.jpg"}},
        {{SortOrder::Name, true}, {"d.jpg", "c.png", "b.jpg", "a.jpg"}},
        {{SortOrder::Size, true}, {"b.jpg", "d.jpg", "a.jpg", "c.png"}},
    };
    for (const auto& [order, names] : cases) {
        view::TFileListBox list(platform.files, "*.jpg;*.png", false, order);
        ASSERT_TRUE(list.SetDirectory("C:\\Pics"));
        EXPECT_EQ(list.Items(), names) << view::OrderWord(order.by) << order.reversed;
    }
}

TEST_F(FolderOrderTest, AnOrderChosenTakesEffectAtTheNextStep) {
    platform.arguments = {"C:\\Pics\\a.jpg"};
    Start();
    EXPECT_EQ(Walk("n"), (std::vector<std::string>{"b.jpg"}));
    main->FormKeyDown(platform::keys::Digit4, {false, true, false});  // by size
    EXPECT_EQ(Walk("nnn"), (std::vector<std::string>{"c.png", "a.jpg", "d.jpg"}));  // round from the largest
}

TEST_F(FolderOrderTest, ADeletedPictureGivesItsPlaceToTheNextInTheOrder) {
    platform.arguments = {"C:\\Pics\\d.jpg"};
    Start();
    main->FormKeyDown(platform::keys::Digit4, {false, true, false});  // by size: c, a, d, b
    main->DeleteCurrentFile();
    EXPECT_EQ(platform::FileNameOf(main->PicturePath), "b.jpg");
}

TEST_F(FolderOrderTest, TheOrderIsKeptInTheSettings) {
    WriteSettings("[Folder]\nOrder=size\nReversed=1\n");
    platform.arguments = {"C:\\Pics\\b.jpg"};
    Start();
    EXPECT_EQ(Walk("n"), (std::vector<std::string>{"d.jpg"}));
    main->FormKeyDown(platform::keys::Digit3, {false, true, false});  // by date taken
    EXPECT_NE(Stop().find("[Folder]\nOrder=taken\nReversed=0\n"), std::string::npos);
}

TEST_F(FolderNavigationTest, StepsWrapAroundAndKeepTheView) {
    platform.arguments = {"C:\\Pics\\B.jpg"};
    Start();
    main->ZoomFactor = 4;
    main->OffsetX = 12;
    main->OffsetY = 8;
    main->MoveMode = false;
    EXPECT_EQ(Walk("nnppp"), (std::vector<std::string>{"c.gif", "a.png", "c.gif", "B.jpg", "a.png"}));
    EXPECT_EQ(main->PicturePath, "C:\\Pics\\a.png");
    EXPECT_EQ(main->BoundsRect().width, main->Picture->Width()) << "the window takes each picture's size";
    EXPECT_EQ(main->ZoomFactor, 4);
    EXPECT_EQ(main->OffsetX, 12);
    EXPECT_EQ(main->OffsetY, 8);
    EXPECT_FALSE(main->MoveMode);
}

TEST_F(FolderNavigationTest, APictureOutsideTheListStepsToTheFirstOrTheLast) {
    platform.arguments = {"C:\\Pics\\scan.ico"};
    Start();
    EXPECT_EQ(Walk("n"), (std::vector<std::string>{"a.png"}));
    main->OpenFile("C:\\Pics\\other.ico");  // the same folder, unchanged: not read again
    EXPECT_EQ(Walk("p"), (std::vector<std::string>{"c.gif"}));
    EXPECT_EQ(platform.files.listings, (std::vector<std::string>{"C:\\Work", "C:\\Pics"}));
}

TEST_F(FolderNavigationTest, BeforeAnyPictureTheWorkingDirectoryIsStepped) {
    platform.files.workingDirectory = "C:\\Pics";
    Start();
    EXPECT_EQ(Walk("n"), (std::vector<std::string>{"a.png"}));
    main->PicturePath = "";
    EXPECT_EQ(Walk("p"), (std::vector<std::string>{"c.gif"}));
    main->PicturePath = "B.jpg";  // a bare name: the list stays where it is
    EXPECT_EQ(Walk("n"), (std::vector<std::string>{"c.gif"}));
}

TEST_F(FolderNavigationTest, AStepSeesTheFolderAsItIsNowReadingItAtMostOnce) {
    platform.arguments = {"C:\\Pics\\a.png"};
    Start();
    Step(true);
    Picture("C:\\Pics\\b2.png");  // added since: reached
    EXPECT_EQ(Walk("n"), (std::vector<std::string>{"b2.png"}));
    platform.files.files.erase("C:\\Pics\\c.gif");  // deleted since: skipped
    for (const char* name : {"z.bmp", "y.jpe", "x.jfif", "w.webp", "v.TGA", "u.psd", "t.qoi", "s.apng", "r.ico", "q.avif",
                             "p.heif", "o.HEIC", "n.jxl"})
        Picture(std::string("C:\\Pics\\") + name);
    const std::size_t listings = platform.files.listings.size();
    EXPECT_EQ(Walk("nnnnnnnnnnnnnnp"),
              (std::vector<std::string>{"n.jxl", "o.HEIC", "p.heif", "q.avif", "r.ico", "s.apng", "t.qoi", "u.psd",
                                        "v.TGA", "w.webp", "x.jfif", "y.jpe", "z.bmp", "a.png", "z.bmp"}));
    EXPECT_EQ(platform.files.listings.size(), listings + 1) << "read once, then unchanged";
    main->StepToEnd(true);
    EXPECT_EQ(platform::FileNameOf(main->PicturePath), "a.png");
    main->StepToEnd(false);
    EXPECT_EQ(platform::FileNameOf(main->PicturePath), "z.bmp");
}

// A changed folder is read on another thread (on a slow share, for seconds). What comes
// meanwhile waits for it: each press of a step key is a step, a held key's repeats are one
// step at most, however many came while the list was read.
TEST_F(FolderNavigationTest, WhileAChangedFolderIsReadEachPressStepsAndAHeldKeysRepeatsAreOneStep) {
    for (const char* name : {"d.png", "e.png"}) Picture(std::string("C:\\Pics\\") + name);
    const struct {
        const char* keys;  // R a press of Right, r its repeat, t the step timer (once the repeats are read)
        const char* opened;
    } cases[] = {
        {"RRR", "d.png"},      // three quick presses
        {"Rrrtrrt", "c.gif"},  // held: the press, then its repeats as one step
        {"RrrtR", "d.png"},    // a press after the repeats
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.keys);
        platform.arguments = {"C:\\Pics\\a.png"};
        platform.deferBackground = false;
        main.reset();
        Start();
        platform.deferBackground = true;
        const std::size_t listings = platform.files.listings.size();
        for (const char* k = c.keys; *k; ++k) {
            if (*k == 't')
                dynamic_cast<fake::FakeTimer&>(*main->StepTimer).Tick();
            else
                MainForm().Events().KeyDown(platform::keys::Right, {}, *k == 'r');
        }
        EXPECT_EQ(platform.files.listings.size(), listings) << "nothing listed on this thread";
        EXPECT_EQ(platform::FileNameOf(main->PicturePath), "a.png");
        platform.RunBackground();
        EXPECT_EQ(platform::FileNameOf(main->PicturePath), c.opened);
        EXPECT_EQ(platform.files.listings.size(), listings + 1);
    }
}

TEST_F(FolderNavigationTest, AStepWithNothingToGoToChangesNothing) {
    platform.AddImage("C:\\Empty\\old.pcx", 300, 200);
    platform.arguments = {"C:\\Empty\\old.pcx"};
    Start();
    const platform::Rect before = main->BoundsRect();
    const std::size_t batches = platform.batches.size();
    Step(true);
    Step(false);
    EXPECT_EQ(main->PicturePath, "C:\\Empty\\old.pcx");
    EXPECT_EQ(main->Picture->Width(), 300);
    EXPECT_EQ(main->BoundsRect(), before);
    EXPECT_EQ(platform.batches.size(), batches);
    EXPECT_TRUE(platform.messages.empty());
}

TEST_F(FolderNavigationTest, AFolderThatIsGoneAbandonsTheStepWithAMessage) {
    platform.arguments = {"C:\\Pics\\a.png"};
    Start();
    Step(true);
    main->PicturePath = "C:\\Gone\\x.png";
    Step(true);
    EXPECT_EQ(main->PicturePath, "C:\\Gone\\x.png");
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].text, "Unable to read the folder C:\\Gone");
    EXPECT_EQ(main->FileListBox1.Directory(), "C:\\Pics") << "the list stays as it was";
}

TEST_F(FolderNavigationTest, WhenIdleTheNeighboursAreReadAheadTheLastStepsWayFirst) {
    platform.AddImage("D:\\One\\only.png", 10, 10);
    platform.AddImage("D:\\Two\\x.png", 10, 10);
    platform.AddImage("D:\\Two\\y.png", 10, 10);
    platform.arguments = {"C:\\Pics\\B.jpg"};
    Start();
    fake::FakeTimer& idle = dynamic_cast<fake::FakeTimer&>(*main->ReadAheadTimer);
    const struct {
        const char* open;  // "n"/"p": a step, else a path opened
        std::vector<std::string> readAhead;
    } cases[] = {{"", {"C:\\Pics\\c.gif", "C:\\Pics\\a.png"}},
                 {"p", {"C:\\Pics\\c.gif", "C:\\Pics\\B.jpg"}},
                 {"D:\\Two\\x.png", {"D:\\Two\\y.png"}},
                 {"D:\\One\\only.png", {}},
                 {"C:\\Gone\\x.png", {}}};
    for (const auto& c : cases) {
        const std::string open = c.open;
        if (open == "n" || open == "p") Step(open == "n");
        else if (!open.empty()) main->OpenFile(open);
        EXPECT_TRUE(idle.Enabled()) << open;
        platform.readAheadWhich = nullptr;
        const std::size_t listings = platform.files.listings.size();
        idle.Tick();
        EXPECT_FALSE(idle.Enabled());
        EXPECT_EQ(platform.files.listings.size(), listings) << "the worker lists the folder, not the idle tick";
        EXPECT_EQ(platform.ReadAheadPaths(), c.readAhead) << open;
    }
    EXPECT_EQ(main->FileListBox1.Directory(), "C:\\Pics") << "stepping's own list went nowhere else";
}

// Ahead, and with a picture opened (the first of a session has nothing read ahead).
TEST_F(FolderNavigationTest, TheReductionMadeAheadOrAtAnOpenIsTheOneTheFirstPaintDrawsFrom) {
    platform.arguments = {"C:\\Pics\\B.jpg"};
    Start();
    const struct {
        int zoom;
        platform::Size picture, reduced;
    } cases[] = {{1, {6000, 4000}, {1500, 1000}}, {2, {6000, 4000}, {3000, 2000}},
                 {1, {800, 600}, {800, 600}},     {1, {9000, 10}, {1125, 1}}};
    for (const auto& c : cases) {
        main->ZoomFactor = c.zoom;
        main->ReadAheadTimerTimer();
        main->OpenFile("C:\\Pics\\B.jpg");
        ASSERT_TRUE(platform.reducedFor && platform.openedReducedFor);
        EXPECT_EQ(platform.reducedFor(c.picture), c.reduced) << c.picture.width << " at zoom " << c.zoom;
        EXPECT_EQ(platform.openedReducedFor(c.picture), c.reduced);
    }
}

TEST(PathsTest, FoldersAndNamesOfPaths) {
    const struct {
        const char* path;
        const char* folder;
        const char* name;
    } cases[] = {{"C:\\Pics\\a.png", "C:\\Pics", "a.png"}, {"C:\\a.png", "C:\\", "a.png"},
                 {"a.png", "", "a.png"},                  {"\\a.png", "\\", "a.png"},
                 {"C:a.png", "C:", "a.png"},              {"\\\\srv\\share\\a.png", "\\\\srv\\share", "a.png"},
                 {"D:/x/y.jpg", "D:/x", "y.jpg"},         {"", "", ""}};
    for (const auto& c : cases) {
        EXPECT_EQ(platform::DirectoryOf(c.path), c.folder) << c.path;
        EXPECT_EQ(platform::FileNameOf(c.path), c.name) << c.path;
    }
    EXPECT_EQ(platform::JoinPath("C:\\", "a.png"), "C:\\a.png");
    EXPECT_EQ(platform::JoinPath("C:\\Pics", "a.png"), "C:\\Pics\\a.png");
}

TEST(PathsTest, ArgumentsAfterTheProgramsPath) {
    const std::pair<const wchar_t*, bool> cases[] = {
        {L"zylora.exe", false},           {L"\"C:\\Program Files\\z.exe\"", false},
        {L"\"C:\\Program Files\\z.exe\" \t ", false}, {L"\"C:\\Program Files\\z.exe\" a.jpg", true},
        {L"\"C:\\Program Files\\z.exe\"a.jpg", true}, {L"z.exe\t\"a b.jpg\"", true},
        {L"C:\\Program Files\\z.exe", true},  // an unquoted path with a blank: the rest is an argument
        {L"\"unclosed quote a.jpg", false},  {L"", false}};
    for (const auto& [line, has] : cases) EXPECT_EQ(platform::HasArgumentsAfterProgram(line), has) << line;
}

TEST(TextTest, WildcardsAndOrderIgnoreCase) {
    const struct {
        const char* name;
        const char* pattern;
        bool matches;
    } cases[] = {{"a.PNG", "*.png", true},   {"a.png.txt", "*.png", false}, {"x.tiff", "*.tif", false},
                 {".png", "*.png", true},    {"ab.c", "a?.c", true},        {"a.c", "a?.c", false},
                 {"aXbXc", "a*b*c", true},   {"abcab", "*ab", true},        {"abc", "**", true}};
    for (const auto& c : cases)
        EXPECT_EQ(platform::MatchesWildcard(c.name, c.pattern), c.matches) << c.name << " " << c.pattern;
    const struct {
        const char* a;
        const char* b;
        int order;
    } orders[] = {{"a.png", "B.jpg", -1}, {"B.jpg", "b.JPG", 0}, {"img2.png", "img10.png", -1},
                  {"img010.png", "img9.png", 1}, {"img07.png", "img7.png", 0}, {"x1", "x1a", -1}};
    for (const auto& o : orders) EXPECT_EQ(platform::CompareNatural(o.a, o.b), o.order) << o.a << " " << o.b;
}

}  // namespace
}  // namespace zylora::testing
