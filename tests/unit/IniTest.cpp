// Reading and writing INI files against the in-memory file system.
#include <gtest/gtest.h>

#include <string>

#include "platform/Ini.h"
#include "tests/fake/MemoryFileSystem.h"

namespace zylora::platform {
namespace {

constexpr const char* Path = "C:\\Zylora\\zylora.ini";

class IniTest : public ::testing::Test {
protected:
    fake::MemoryFileSystem files;

    IniFile Open(const std::string& content) {
        files.files[Path] = content;
        return IniFile(files, Path);
    }
    // The file after writing one string into it.
    std::string AfterWrite(const std::string& content, const std::string& section, const std::string& key,
                           const std::string& value) {
        IniFile ini = Open(content);
        ini.WriteString(section, key, value);
        return files.files[Path];
    }
};

TEST(ParseIniIntegerTest, DecimalWithOptionalSign) {
    EXPECT_EQ(ParseIniInteger("0"), 0);
    EXPECT_EQ(ParseIniInteger("42"), 42);
    EXPECT_EQ(ParseIniInteger("+42"), 42);
    EXPECT_EQ(ParseIniInteger("-42"), -42);
    EXPECT_EQ(ParseIniInteger("007"), 7);
    EXPECT_EQ(ParseIniInteger("  320\t"), 320);
    EXPECT_EQ(ParseIniInteger("2147483647"), 2147483647);
    EXPECT_EQ(ParseIniInteger("-2147483648"), -2147483647 - 1);
    EXPECT_EQ(ParseIniInteger("000000000000000000000000012"), 12);
}

TEST(ParseIniIntegerTest, HexAfterDollarOr0x) {
    EXPECT_EQ(ParseIniInteger("$1F"), 31);
    EXPECT_EQ(ParseIniInteger("0x1F"), 31);
    EXPECT_EQ(ParseIniInteger("0X1f"), 31);
    EXPECT_EQ(ParseIniInteger("0x140"), 320);
    EXPECT_EQ(ParseIniInteger("-$10"), -16);
    EXPECT_EQ(ParseIniInteger("+0x10"), 16);
    EXPECT_EQ(ParseIniInteger("$7FFFFFFF"), 2147483647);
    EXPECT_EQ(ParseIniInteger("$FFFFFFFF"), -1);
    EXPECT_EQ(ParseIniInteger("$80000000"), -2147483647 - 1);
    EXPECT_EQ(ParseIniInteger("$00000000FF"), 255);  // leading zeros are not significant
}

TEST(ParseIniIntegerTest, AnythingElseGivesNothing) {
    for (const char* text : {"", "   ", "+", "-", "0x", "0X", "$", "-$", "12abc", "abc", "1 2", "- 5",
                             "$ 10", "0x1G", "--5", "+-5", "1.5", "1e3", "00x5", "0x-5", "$$1",
                             "2147483648", "-2147483649", "99999999999999999999", "$100000000",
                             "0x123456789", "\x01\x02", "5\n6"}) {
        EXPECT_EQ(ParseIniInteger(text), std::nullopt) << '"' << text << '"';
    }
}

TEST_F(IniTest, ReadsKeysOfTheirOwnSectionIgnoringBlanksAndCase) {
    IniFile ini = Open(
        "Orphan=1\n"
        "; Width=99\n"
        "[Placement]\n"
        "  Width = 640  \n"
        "no equals sign here\n"
        "HEIGHT=$1E0\n"
        "[ skin ]\n"
        "Dir = Skins\\Blue \n");
    EXPECT_EQ(ini.ReadInteger("Placement", "Width", 0), 640);
    EXPECT_EQ(ini.ReadInteger("placement", "width", 0), 640);
    EXPECT_EQ(ini.ReadInteger("PLACEMENT", "Height", 0), 480);
    EXPECT_EQ(ini.ReadString("Skin", "DIR", ""), "Skins\\Blue");
    EXPECT_EQ(ini.ReadInteger("Skin", "Width", -1), -1);       // other section's key
    EXPECT_EQ(ini.ReadInteger("Placement", "Orphan", -1), -1);  // lines before any section
    EXPECT_EQ(ini.ReadString("Placement", "no equals sign here", "d"), "d");
    EXPECT_EQ(ini.ReadString("Placement", "; Width", "d"), "d");
}

TEST_F(IniTest, MissingFileSectionOrKeyOrBadValueGivesTheDefault) {
    IniFile missing(files, "C:\\nowhere.ini");
    EXPECT_EQ(missing.ReadInteger("A", "x", 7), 7);
    EXPECT_EQ(missing.ReadString("A", "x", "def"), "def");

    IniFile ini = Open("[A]\nx=12abc\ny=\nz=0x\n");
    EXPECT_EQ(ini.ReadInteger("B", "x", 7), 7);
    EXPECT_EQ(ini.ReadInteger("A", "w", 7), 7);
    EXPECT_EQ(ini.ReadInteger("A", "x", 7), 7);
    EXPECT_EQ(ini.ReadInteger("A", "y", 7), 7);
    EXPECT_EQ(ini.ReadInteger("A", "z", 7), 7);
    EXPECT_EQ(ini.ReadString("A", "x", "def"), "12abc");
    EXPECT_EQ(ini.ReadString("A", "y", "def"), "");  // present but empty is not missing
}

TEST_F(IniTest, FirstSectionAndFirstKeyWin) {
    IniFile ini = Open("[A]\nx=1\nX=2\n[B]\nx=3\n[a]\nx=4\ny=5\n");
    EXPECT_EQ(ini.ReadInteger("A", "x", 0), 1);
    EXPECT_EQ(ini.ReadInteger("B", "x", 0), 3);
    EXPECT_EQ(ini.ReadInteger("A", "y", 0), 0);  // only in a later section of the same name
}

TEST_F(IniTest, LineEndingsCrLfLfAndNoFinalBreak) {
    for (const char* content : {"[A]\r\nx=5\r\ny=six\r\n", "[A]\nx=5\ny=six\n", "[A]\r\nx=5\r\ny=six"}) {
        IniFile ini = Open(content);
        EXPECT_EQ(ini.ReadInteger("A", "x", 0), 5) << content;
        EXPECT_EQ(ini.ReadString("A", "y", ""), "six") << content;
    }
}

TEST_F(IniTest, AByteOrderMarkHidesNoSectionAndIsKept) {
    const std::string mark = "\xEF\xBB\xBF";
    IniFile ini = Open(mark + "[Placement]\r\nX=7\r\n");
    EXPECT_EQ(ini.ReadInteger("Placement", "X", 0), 7);
    ini.WriteInteger("Placement", "X", 8);
    EXPECT_EQ(files.files[Path], mark + "[Placement]\r\nX=8\r\n") << "no second section, the mark kept";
}

TEST_F(IniTest, TextIsUtf8InsideAndTheFileKeepsItsOwnEncoding) {
    const std::string cafe = "Caf\xC3\xA9", cjk = "\xE5\x86\x99";
    // A file in the code page (the fake's is Latin-1) reads as UTF-8 and keeps its bytes.
    IniFile ansi = Open("[Skin]\nDir=Skins\\Caf\xE9\n[Old]\nNote=\xE9t\xE9\n");
    EXPECT_EQ(ansi.ReadString("Skin", "Dir", ""), "Skins\\" + cafe);
    ansi.WriteString("Skin", "Dir", "Skins\\" + cafe + "2");
    EXPECT_EQ(files.files[Path], "[Skin]\nDir=Skins\\Caf\xE9" "2\n[Old]\nNote=\xE9t\xE9\n");
    // A text the code page can't hold: the file becomes UTF-8, every text kept.
    ansi.WriteString("Skin", "Dir", cjk);
    EXPECT_EQ(files.files[Path], "[Skin]\nDir=" + cjk + "\n[Old]\nNote=\xC3\xA9t\xC3\xA9\n");
    EXPECT_EQ(IniFile(files, Path).ReadString("Old", "Note", ""), "\xC3\xA9t\xC3\xA9");
    // UTF-8 stays UTF-8; ASCII takes the code page for a text it holds.
    EXPECT_EQ(AfterWrite("[A]\nx=" + cjk + "\n", "A", "y", cafe), "[A]\nx=" + cjk + "\ny=" + cafe + "\n");
    EXPECT_EQ(AfterWrite("[A]\nx=1\n", "A", "y", cafe), "[A]\nx=1\ny=Caf\xE9\n");
    // "\xC3\xBC" in the code page is the UTF-8 of another text: the file takes a mark, so
    // the next start reads what was written, and keeps it.
    const std::string looksUtf8 = "\xC3\x83\xC2\xBC" "ber";  // the two characters of "Ã¼", then "ber"
    IniFile written = Open("[Skin]\nDir=x\n");
    written.WriteString("Skin", "Dir", looksUtf8);
    EXPECT_EQ(files.files[Path], "\xEF\xBB\xBF[Skin]\nDir=" + looksUtf8 + "\n");
    EXPECT_EQ(IniFile(files, Path).ReadString("Skin", "Dir", ""), looksUtf8);
    written.WriteString("Skin", "Dir", cafe);
    EXPECT_EQ(files.files[Path], "\xEF\xBB\xBF[Skin]\nDir=" + cafe + "\n");
}

TEST_F(IniTest, StringsAreCutTo2047CharactersAndQuotesKept) {
    const std::string longValue(3000, 'v');
    IniFile ini = Open("[A]\nlong=" + longValue + "\nexact=" + std::string(2047, 'e') +
                       "\nquoted=\"a b\"\nhalf=\"a\nwide=" + std::string(2046, 'w') + "\xC3\xA9" + "\n");
    EXPECT_EQ(ini.ReadString("A", "long", ""), std::string(2047, 'v'));
    EXPECT_EQ(ini.ReadString("A", "wide", ""), std::string(2046, 'w')) << "no half of the last character";
    EXPECT_EQ(ini.ReadString("A", "exact", ""), std::string(2047, 'e'));
    EXPECT_EQ(ini.ReadString("A", "quoted", ""), "\"a b\"");
    EXPECT_EQ(ini.ReadString("A", "half", ""), "\"a");
}

TEST_F(IniTest, ReplacingAValueKeepsEveryOtherByte) {
    const std::string before =
        "; settings\r\n"
        "\r\n"
        "[Placement]\r\n"
        "  X = 10  \r\n"
        "odd line\r\n"
        "Y=20\r\n"
        "x=30\r\n"
        "[Other]\r\n"
        "Y=40";
    EXPECT_EQ(AfterWrite(before, "placement", "x", "-5"),
              "; settings\r\n"
              "\r\n"
              "[Placement]\r\n"
              "  X = -5  \r\n"
              "odd line\r\n"
              "Y=20\r\n"
              "x=30\r\n"
              "[Other]\r\n"
              "Y=40");
    EXPECT_EQ(AfterWrite(before, "Other", "y", "41"), before.substr(0, before.size() - 2) + "41");
    EXPECT_EQ(AfterWrite("[A]\nk=\nm=1\n", "A", "K", "full"), "[A]\nk=full\nm=1\n");
    EXPECT_EQ(AfterWrite("[A]\nk=old\n", "A", "k", ""), "[A]\nk=\n");
}

TEST_F(IniTest, NewKeyGoesAfterTheLastKeyOfItsSection) {
    EXPECT_EQ(AfterWrite("[A]\nx=1\n; note\n\n\n[B]\nx=2\n", "a", "Y", "7"),
              "[A]\nx=1\nY=7\n; note\n\n\n[B]\nx=2\n");
    EXPECT_EQ(AfterWrite("[A]\r\n\r\n[B]\r\n", "A", "k", "v"), "[A]\r\nk=v\r\n\r\n[B]\r\n");
    EXPECT_EQ(AfterWrite("[B]\nx=2\n[A]\nx=1", "A", "y", "2"), "[B]\nx=2\n[A]\nx=1\ny=2");
    EXPECT_EQ(AfterWrite("[A]", "A", "y", "2"), "[A]\r\ny=2");
    // Into the first of two sections of one name, as reads look only there.
    EXPECT_EQ(AfterWrite("[A]\nx=1\n[A]\ny=1\n", "A", "y", "2"), "[A]\nx=1\ny=2\n[A]\ny=1\n");
}

TEST_F(IniTest, NewSectionIsAppendedAfterABlankLine) {
    EXPECT_EQ(AfterWrite("[A]\nx=1\n", "B", "y", "2"), "[A]\nx=1\n\n[B]\ny=2\n");
    EXPECT_EQ(AfterWrite("[A]\r\nx=1", "B", "y", "2"), "[A]\r\nx=1\r\n\r\n[B]\r\ny=2\r\n");
    EXPECT_EQ(AfterWrite("[A]\nx=1\n\n", "B", "y", "2"), "[A]\nx=1\n\n[B]\ny=2\n");
    EXPECT_EQ(AfterWrite("x=1\n", "A", "x", "2"), "x=1\n\n[A]\nx=2\n");  // not a key of any section
    EXPECT_EQ(AfterWrite("", "A", "x", "2"), "[A]\r\nx=2\r\n");
    EXPECT_EQ(AfterWrite("single line", "A", "x", "2"), "single line\r\n\r\n[A]\r\nx=2\r\n");
}

TEST_F(IniTest, LineBreaksInAWrittenValueBecomeSpaces) {
    IniFile ini = Open("[A]\nx=1\n");
    ini.WriteString("A", "x", "two\nlines\r\n[B]");
    ini.WriteString("A", "y", "\r\n");
    EXPECT_EQ(files.files[Path], "[A]\nx=two lines  [B]\ny=  \n");
    EXPECT_EQ(ini.ReadString("A", "x", ""), "two lines  [B]");
    EXPECT_EQ(ini.ReadString("B", "x", "none"), "none");
}

TEST_F(IniTest, ReadsAfterAWriteSeeTheNewValue) {
    IniFile ini = Open("[A]\nx=1\n");
    ini.WriteInteger("A", "x", -12);
    ini.WriteInteger("A", "y", 2147483647);
    ini.WriteString("B", "s", "  padded  ");
    EXPECT_EQ(ini.ReadInteger("A", "x", 0), -12);
    EXPECT_EQ(ini.ReadInteger("A", "y", 0), 2147483647);
    EXPECT_EQ(ini.ReadString("B", "s", ""), "padded");
    EXPECT_EQ(files.files[Path], "[A]\nx=-12\ny=2147483647\n\n[B]\ns=  padded  \n");
    // Read once at opening, then one replacement per write.
    EXPECT_EQ(files.log, (std::vector<std::string>{"read " + std::string(Path), "write " + std::string(Path),
                                                   "write " + std::string(Path), "write " + std::string(Path)}));
}

TEST_F(IniTest, FailedWriteThrowsAndChangesNothing) {
    const std::string before = "[A]\nx=1\n";
    IniFile ini = Open(before);
    files.unwritable.insert(Path);
    try {
        ini.WriteInteger("A", "x", 2);
        FAIL() << "no IniWriteError";
    } catch (const IniWriteError& error) {
        EXPECT_STREQ(error.what(), "Unable to write to C:\\Zylora\\zylora.ini");
    }
    EXPECT_THROW(ini.WriteString("B", "y", "v"), IniWriteError);
    EXPECT_EQ(files.files[Path], before);
    EXPECT_EQ(ini.ReadInteger("A", "x", 0), 1);
    EXPECT_EQ(ini.ReadString("B", "y", "none"), "none");

    // Once writable again, the next write starts from the unchanged content.
    files.unwritable.clear();
    ini.WriteInteger("A", "z", 3);
    EXPECT_EQ(files.files[Path], "[A]\nx=1\nz=3\n");
}

TEST_F(IniTest, SettingsRoundTripIntoANewFile) {
    {
        IniFile settings(files, Path);
        settings.WriteInteger("Placement", "X", 100);
        settings.WriteInteger("Placement", "Y", -20);
        settings.WriteInteger("Placement", "Width", 640);
        settings.WriteInteger("Placement", "Height", 480);
        settings.WriteString("Skin", "Dir", "Skins\\Default\\");
        settings.WriteString("Buttons", "Dir", "Buttons\\Default\\");
    }
    EXPECT_EQ(files.files[Path],
              "[Placement]\r\nX=100\r\nY=-20\r\nWidth=640\r\nHeight=480\r\n"
              "\r\n[Skin]\r\nDir=Skins\\Default\\\r\n"
              "\r\n[Buttons]\r\nDir=Buttons\\Default\\\r\n");

    IniFile reopened(files, Path);
    EXPECT_EQ(reopened.ReadInteger("Placement", "X", 0), 100);
    EXPECT_EQ(reopened.ReadInteger("Placement", "Y", 0), -20);
    EXPECT_EQ(reopened.ReadInteger("Placement", "Width", 0), 640);
    EXPECT_EQ(reopened.ReadInteger("Placement", "Height", 0), 480);
    EXPECT_EQ(reopened.ReadString("Skin", "Dir", ""), "Skins\\Default\\");
    EXPECT_EQ(reopened.ReadString("Buttons", "Dir", ""), "Buttons\\Default\\");

    // Writing the same values again leaves the file as it was.
    const std::string first = files.files[Path];
    reopened.WriteInteger("Placement", "width", 640);
    reopened.WriteString("skin", "dir", "Skins\\Default\\");
    EXPECT_EQ(files.files[Path], first);
}

TEST_F(IniTest, GarbageNeverBreaksReadsOrWrites) {
    std::string binary;
    for (int i = 0; i < 4096; ++i) binary += static_cast<char>((i * 131 + 7) % 256);
    binary += std::string("\0[A]\0\n\0=\0\n", 11);
    IniFile garbage = Open(binary);
    EXPECT_EQ(garbage.ReadInteger("A", "x", 3), 3);
    garbage.WriteInteger("Zylora", "Key", 9);
    EXPECT_EQ(files.files[Path].compare(0, binary.size(), binary), 0);  // only appended to
    EXPECT_EQ(garbage.ReadInteger("Zylora", "Key", 0), 9);

    const std::string megabyte(1 << 20, '[');
    IniFile longLine = Open("[A]\nx=" + megabyte + "\n" + megabyte + "=v\n" + std::string(1 << 20, '\n'));
    EXPECT_EQ(longLine.ReadString("A", "x", "").size(), IniFile::MaxStringLength);
    EXPECT_EQ(longLine.ReadInteger("A", "x", 4), 4);
    EXPECT_EQ(longLine.ReadString("A", megabyte, ""), "v");
    longLine.WriteString("A", "x", "short");
    EXPECT_EQ(longLine.ReadString("A", "x", ""), "short");

    // Many unclosed headers: each line is scanned on its own, not to the end of the file.
    std::string unclosed;
    for (int i = 0; i < 200000; ++i) unclosed += "[A\n";
    IniFile brackets = Open(unclosed + "x=1\n");
    EXPECT_EQ(brackets.ReadString("A", "x", "d"), "d");
}

}  // namespace
}  // namespace zylora::platform
