// The settings store against real INI files in a temporary folder.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <cwchar>
#include <vector>

#include "platform/Utf8.h"
#include "settings/Settings.h"
#include "support/Fixture.h"
#include "support/IniFile.h"
#include "support/TempDir.h"

namespace {

// The start of every file the program makes: UTF-16, little-endian.
const std::string kUtf16Mark = "\xFF\xFE";

bool startsUtf16(const std::string& path)
{
    return readTextFile(path).compare(0, 2, kUtf16Mark) == 0;
}

std::string fixture(const char* name)
{
    return readTextFile(fixturePath(name));
}

}  // namespace

class SettingsStore : public testing::Test {
protected:
    TempDir folder;
    std::string path = folder.file("Dashvane.ini");
};

TEST_F(SettingsStore, FirstStartWritesEveryKeyItReadsAndUsesDefaults)
{
    Settings settings(path);
    EXPECT_EQ(iniSection(path, "Options"),
              "Show Graphs=No\nShow Tooltips=No\nLocked=No\nSeparator==\n"
              "Right Align=Yes\nText Outline=No\nRun At Startup=No\nAuto BG Color=No\n");
    EXPECT_EQ(iniSection(path, "Font"),
              "Name=Courier New\nPoint=14\nWeight=0\nItalic=No\nRGBColour=255,255,0\n");
    EXPECT_EQ(iniSection(path, "Graph"), "RGBColour=71,96,141\n");
    EXPECT_EQ(iniSection(path, "Position"), "");

    EXPECT_FALSE(settings.showGraphs || settings.showTooltips || settings.locked
                 || settings.runAtStartup || settings.autoBgColor || settings.font.lfItalic);
    EXPECT_TRUE(settings.rightAlign);
    EXPECT_STREQ(settings.font.lfFaceName, L"Courier New");
    EXPECT_EQ(settings.screenDpi, 96);  // Wine's display
    EXPECT_TRUE(startsUtf16(path));
    EXPECT_EQ(settings.font.lfHeight, -19);
    EXPECT_EQ(settings.fontColour, RGB(255, 255, 0));
    EXPECT_EQ(settings.graphColour, RGB(71, 96, 141));
    EXPECT_EQ(settings.stackingMode, Bottom);
    EXPECT_EQ(settings.screenPosition, Custom);
    EXPECT_EQ(settings.windowRect.left, 10000);
    EXPECT_EQ(settings.separator(), "=");
}

// A key that is there, even empty, is the user's and stays as it is.
TEST_F(SettingsStore, KeysPresentButEmptyAreNotFilledIn)
{
    writeTextFile(path, "[Options]\r\nSeparator=\r\n[Font]\r\nName=\r\n");
    Settings settings(path);
    EXPECT_EQ(settings.separator(), "");
    EXPECT_EQ(iniValue(path, "Options", "Separator"), "");
    EXPECT_EQ(iniValue(path, "Font", "Name"), "");
}

// Held writes end as the same file the single writes make, and a file that
// already holds anything keeps all of it.
TEST_F(SettingsStore, HeldWritesLeaveTheFileAsSingleWritesWould)
{
    for (const char* before : {"", "; mine\r\n[Options]\r\nSeparator=:\r\n[Mine]\r\nKey=1\r\n"}) {
        std::string atOnce = folder.file("AtOnce.ini");
        writeTextFile(atOnce, before);
        if (*before != '\0')
            writeTextFile(path, before);
        else
            DeleteFileA(path.c_str());
        Settings reference(atOnce);
        Settings held(path, FolderSource(), Settings::Writes::Held);
        for (Settings* settings : {&reference, &held}) {
            settings->writeInt("Position", "X", 5);
            settings->writeInt("position", "x", 7);
            settings->readBool("DisplayItems", "Time", true);
        }
        EXPECT_EQ(held.readInt("Position", "X", 0), 7);
        EXPECT_EQ(readTextFile(path), before);

        held.releaseWrites();
        // Made new, by one text or by single writes into an empty file.
        EXPECT_EQ(startsUtf16(path), *before == '\0');
        EXPECT_EQ(startsUtf16(atOnce), *before == '\0');
        held.writeString("Options", "Hotkey", "CTRL,ALT,K");
        reference.writeString("Options", "Hotkey", "CTRL,ALT,K");
        for (const char* section : {"Options", "Font", "Position", "DisplayItems", "Mine"})
            EXPECT_EQ(iniSection(path, section), iniSection(atOnce, section)) << section;
        EXPECT_EQ(readTextFile(path).find("; mine") == 0, *before != '\0');
    }
}

TEST_F(SettingsStore, LoadsEveryOptionFromItsKey)
{
    std::string sixty;
    while (sixty.size() < 60)
        sixty += static_cast<char>('A' + sixty.size() % 26);
    writeTextFile(path, "[Options]\r\nShow Graphs=yes\r\nShow Tooltips=YES\r\nLocked=Yes\r\n"
                        "Right Align=no\r\nRun At Startup=Yes\r\nAuto BG Color=Yes\r\nSeparator="
                        + sixty + "\r\n[Font]\r\nName=Arial\r\nPoint=10\r\nWeight=700\r\nItalic=Yes\r\n"
                        "RGBColour=1,2,3\r\n[Graph]\r\nRGBColour=4,5,6\r\n"
                        "[Position]\r\nX=-120\r\nY=34\r\n");
    Settings settings(path);
    EXPECT_TRUE(settings.showGraphs && settings.showTooltips && settings.locked
                && settings.runAtStartup && settings.autoBgColor && settings.font.lfItalic == 1);
    EXPECT_FALSE(settings.rightAlign);
    EXPECT_EQ(iniValue(path, "Options", "Show Graphs"), "yes");
    EXPECT_EQ(settings.separator(), sixty.substr(0, kMaxSettingText));  // long texts are cut
    EXPECT_EQ(settings.readString("Options", "Separator", ""), sixty.substr(0, kMaxSettingText));
    EXPECT_STREQ(settings.font.lfFaceName, L"Arial");
    EXPECT_EQ(settings.fontPointSize, 10);
    EXPECT_EQ(settings.font.lfHeight, -13);
    EXPECT_EQ(settings.font.lfWeight, 700);
    EXPECT_EQ(settings.fontColour, RGB(1, 2, 3));
    EXPECT_EQ(settings.graphColour, RGB(4, 5, 6));
    EXPECT_EQ(settings.windowRect.left, -120);
    EXPECT_EQ(settings.windowRect.top, 34);
}

// Sizes past the bounds would lay out a window far larger than the screen.
TEST_F(SettingsStore, FontSizeAndWeightAreClampedAndWrittenBack)
{
    struct Row {
        const char *point, *weight;  // nullptr: key missing
        int points, weightValue;
        const char *pointAfter, *weightAfter;
    } rows[] = {
        {"3000", "5000", 144, 1000, "144", "1000"}, {"0", "-5", 4, 0, "4", "0"},
        {"-5", "1000", 4, 1000, "4", "1000"},       {"10", "0", 10, 0, "10", "0"},
        {nullptr, nullptr, 14, 0, "14", "0"},
    };
    for (const Row& row : rows) {
        writeTextFile(path, "");
        WritePrivateProfileStringA("Font", "Point", row.point, path.c_str());
        WritePrivateProfileStringA("Font", "Weight", row.weight, path.c_str());
        Settings settings(path);
        SCOPED_TRACE(row.pointAfter);
        EXPECT_EQ(settings.font.lfHeight, -MulDiv(row.points, 96, 72));
        EXPECT_EQ(settings.font.lfWeight, row.weightValue);
        EXPECT_EQ(iniValue(path, "Font", "Point"), row.pointAfter);
        EXPECT_EQ(iniValue(path, "Font", "Weight"), row.weightAfter);
    }
}

TEST_F(SettingsStore, StackingModeAndScreenPositionFromFirstLetters)
{
    struct Row {
        const char *position, *screenPosition;
        StackingMode mode;
        ScreenPosition place;
    } rows[] = {
        {"always", "T", Bottom, TopRight}, {"Desktop", "BL", Desktop, BottomLeft},
        {"", "TL", Bottom, TopLeft},       {"AlwaysOnTop", "B", AlwaysOnTop, BottomRight},
        {"Normal", "Xyz", Normal, Custom}, {"normal", "tl", Bottom, Custom},
    };
    for (const Row& row : rows) {
        writeTextFile(path, std::string("[Options]\r\nPosition=") + row.position
                                + "\r\nScreenPosition=" + row.screenPosition + "\r\n");
        Settings settings(path);
        EXPECT_EQ(settings.stackingMode, row.mode) << row.position;
        EXPECT_EQ(settings.screenPosition, row.place) << row.screenPosition;
    }
}

TEST_F(SettingsStore, GarbageLoadsAsDefaults)
{
    std::string junk;
    for (unsigned seed = 12345; junk.size() < 3000; seed = seed * 1103515245 + 12345)
        junk += static_cast<char>(seed >> 16);
    const std::string contents[] = {
        "[Options]\nShow Graphs=maybe\nLocked=true\nRight Align=0\nPosition=?\n"
        "[Font]\nItalic=si\nRGBColour=,,,\n[Graph]\nRGBColour=\n",
        "[Font]\nPoint=-2147483649999\nWeight=99999999999999999999\n[Position]\nX=-9999999999999\n",
        "[Options]\nShow Graphs=Yes" + std::string(200, 's') + "\nSeparator="
            + std::string(300, '-') + "\n[Font]\nName=" + std::string(300, 'N') + "\n",
        "Show Graphs=Yes\n[Unrelated]\nRight Align=No\n[Options\nLocked=Yes\n",
        junk,
        std::string("\0\0[Options]\0Show Graphs=Yes\n", 28),
    };
    for (const std::string& text : contents) {
        writeTextFile(path, text);
        Settings settings(path);
        SCOPED_TRACE(text.substr(0, 40));
        EXPECT_FALSE(settings.showGraphs || settings.locked || settings.font.lfItalic);
        EXPECT_TRUE(settings.rightAlign);
        EXPECT_EQ(settings.fontColour, RGB(255, 255, 0));
        EXPECT_EQ(settings.graphColour, RGB(71, 96, 141));
        EXPECT_EQ(settings.stackingMode, Bottom);
        EXPECT_LT(std::wcslen(settings.font.lfFaceName), size_t(LF_FACESIZE));
        EXPECT_LE(settings.separator().size(), size_t(kMaxSettingText));
    }
}

TEST_F(SettingsStore, YesNoAndIntegerReadsRepairInvalidValues)
{
    Settings settings(path);
    struct BoolRow {
        const char* stored;  // nullptr: key missing
        bool defaultValue, expected;
        const char* storedAfter;
    } bools[] = {
        {"no", true, false, "no"}, {"NO", true, false, "NO"},     {"yes", false, true, "yes"},
        {"1", false, false, "No"}, {"true", false, false, "No"},  {"0", true, true, "Yes"},
        {"", true, true, "Yes"},   {nullptr, false, false, "No"},
    };
    for (const BoolRow& row : bools) {
        WritePrivateProfileStringA("Test", "Flag", row.stored, path.c_str());
        EXPECT_EQ(settings.readBool("Test", "Flag", row.defaultValue), row.expected)
            << (row.stored ? row.stored : "(missing)");
        EXPECT_EQ(iniValue(path, "Test", "Flag"), row.storedAfter);
    }
    const std::string huge = "123456789012345678901234567890";
    struct IntRow {
        const char* stored;
        int defaultValue, expected;
        const char* storedAfter;
    } ints[] = {
        {"-1", 10000, 10000, "10000"},
        {"7abc", 10000, 7, "7abc"},
        {"", 10000, 10000, "10000"},
        {nullptr, -5, -5, "-5"},
        {"x12", 3, 3, "3"},
        {"0042", 1, 42, "0042"},
        {"2147483647", 0, INT_MAX, "2147483647"},
        {huge.c_str(), 0, INT_MAX, huge.c_str()},
    };
    for (const IntRow& row : ints) {
        WritePrivateProfileStringA("Network", "SelectedInterface", row.stored, path.c_str());
        EXPECT_EQ(settings.readInt("Network", "SelectedInterface", row.defaultValue), row.expected)
            << (row.stored ? row.stored : "(missing)");
        EXPECT_EQ(iniValue(path, "Network", "SelectedInterface"), row.storedAfter);
    }
}

TEST_F(SettingsStore, WritesExactTextAndSurvivesAFileItCannotWrite)
{
    Settings settings(path);
    settings.writeInt("Position", "X", -42);
    settings.writeLong("Position", "Y", -2147483647L - 1);
    settings.writeBool("Options", "Locked", true);
    settings.writeBool("Options", "Show Graphs", false);
    EXPECT_EQ(iniSection(path, "Position"), "X=-42\nY=-2147483648\n");
    EXPECT_EQ(iniValue(path, "Options", "Locked") + iniValue(path, "Options", "Show Graphs"),
              "YesNo");

    // Wine run as root ignores the read-only attribute, so the file is also
    // held open for reading only.
    writeTextFile(path, "[Options]\r\nShow Graphs=1\r\n");
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
    HANDLE holder = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    struct Reports : SaveFailureReport {
        std::vector<std::string> paths;
        void settingsNotSaved(const char* file) override { paths.push_back(file); }
    } reports;
    {
        Settings readOnly(path, FolderSource(), Settings::Writes::Held, &reports);
        EXPECT_FALSE(readOnly.showGraphs);
        EXPECT_TRUE(readOnly.rightAlign);
        readOnly.releaseWrites();
        readOnly.writeInt("Position", "X", 5);
        readOnly.writeBool("DisplayItems", "Time", false);
        readOnly.setFontColour(RGB(1, 2, 3));
        EXPECT_EQ(readOnly.fontColour, RGB(1, 2, 3));
        // Read back as changed for the rest of the run.
        EXPECT_EQ(readOnly.readInt("Position", "X", 0), 5);
        EXPECT_FALSE(readOnly.readBool("DisplayItems", "Time", true));
        EXPECT_EQ(reports.paths, std::vector<std::string>{path});
        CloseHandle(holder);
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        EXPECT_EQ(readTextFile(path), "[Options]\r\nShow Graphs=1\r\n");
    }
    // The end of the run tries once more, without telling anyone.
    EXPECT_EQ(iniValue(path, "Position", "X") + iniValue(path, "DisplayItems", "Time"), "5No");
    EXPECT_EQ(reports.paths.size(), 1u);
}

// A file found read-only at start: changes hold for the run, and neither they
// nor the end of the run write or report anything.
TEST_F(SettingsStore, AReadOnlyFileIsNeverWrittenNorReported)
{
    const std::string text = "[Options]\r\nShow Graphs=maybe\r\n";
    writeTextFile(path, text);
    struct Reports : SaveFailureReport {
        int count = 0;
        void settingsNotSaved(const char*) override { ++count; }
    } reports;
    {
        Settings settings(path, FolderSource(), Settings::Writes::Held, &reports);
        settings.readOnly = true;
        settings.releaseWrites();
        settings.writeBool("Options", "Locked", true);
        settings.writeString("Options", "Separator", "\u2192");
        EXPECT_TRUE(settings.readBool("Options", "Locked", false));
        EXPECT_FALSE(settings.readBool("Options", "Show Graphs", true));
        EXPECT_EQ(readTextFile(path), text);
    }
    EXPECT_EQ(readTextFile(path), text);
    EXPECT_FALSE(fileExists(path + ".bak"));
    EXPECT_EQ(reports.count, 0);
}

// A file as the versions before Unicode left it: narrow, in the Western code
// page. It reads as it always did and keeps its bytes, but for a change.
TEST_F(SettingsStore, AFileOfTheNarrowVersionsReadsAsBeforeAndStaysNarrow)
{
    ASSERT_EQ(GetACP(), 1252u) << "the file's code page";
    const std::string before = fixture("narrow-before-unicode.ini");
    ASSERT_NE(before.find("Separator=\xBB\r\n"), std::string::npos);
    writeTextFile(path, before);
    {
        Settings settings(path);
        EXPECT_EQ(settings.separator(), "\u00BB");
        EXPECT_STREQ(settings.font.lfFaceName, L"Lucida Console");
        EXPECT_EQ(settings.fontPointSize, 12);
        EXPECT_EQ(settings.font.lfWeight, 700);
        EXPECT_EQ(settings.fontColour, RGB(200, 220, 255));
        EXPECT_TRUE(settings.showGraphs);
        EXPECT_EQ(settings.stackingMode, Desktop);
        EXPECT_EQ(settings.windowRect.left, 120);
        EXPECT_EQ(settings.windowRect.top, -40);
        EXPECT_EQ(settings.readInt("Network", "SelectedInterface", 0), 2);
        EXPECT_FALSE(settings.readBool("DisplayItems", "R\u00E9seau local", true));
        EXPECT_EQ(readTextFile(path), before);
        settings.writeString("Options", "Separator", "\u00AB");
    }
    std::string after = before;
    after.replace(after.find("Separator=\xBB"), 11, "Separator=\xAB");
    EXPECT_EQ(readTextFile(path), after);
    EXPECT_FALSE(fileExists(path + ".bak"));
}

// A section, key or value the narrow file's code page lacks: the old file is
// kept beside it, the file becomes UTF-16 with every old value, and the next
// start reads the new one exactly, also as the longest value a read returns.
TEST_F(SettingsStore, ANameTheCodePageLacksTurnsTheFileUtf16AndKeepsTheOldOne)
{
    const std::string before = fixture("narrow-before-unicode.ini");
    std::string arrows;
    for (int i = 0; i < kMaxSettingText; ++i)
        arrows += "\u2192";
    const char* network = "\u0421\u0435\u0442\u044c";
    struct Row {
        const char *section, *key;
        std::string text;
    } rows[] = {
        {"Options", "Separator", "\u2192"},
        {"Options", "Separator", arrows},
        {"DisplayItems", network, "No"},
        {network, "Shown", "Yes"},
        {"Font", "Name", "IPA\u30B4\u30B7\u30C3\u30AF"},
    };
    const std::string backup = path + ".bak";
    for (const Row& row : rows) {
        SCOPED_TRACE(row.section + std::string("/") + row.key);
        writeTextFile(path, before);
        writeTextFile(backup, "an older backup");
        {
            Settings settings(path);
            settings.writeString(row.section, row.key, row.text.c_str());
            // At once after the change of encoding: nothing may undo it.
            settings.writeInt("Position", "X", 7);
        }
        EXPECT_EQ(readTextFile(backup), before);
        EXPECT_TRUE(startsUtf16(path));

        Settings restarted(path);
        EXPECT_EQ(restarted.readString(row.section, row.key, ""), row.text);
        EXPECT_EQ(restarted.separator(), row.key == std::string("Separator") ? row.text : "\u00BB");
        EXPECT_STREQ(restarted.font.lfFaceName,
                     row.key == std::string("Name") ? toWide(row.text).c_str() : L"Lucida Console");
        EXPECT_EQ(restarted.windowRect.left, 7);
        EXPECT_EQ(restarted.windowRect.top, -40);
        EXPECT_FALSE(restarted.readBool("DisplayItems", "R\u00E9seau local", true));
        EXPECT_EQ(iniSection(path, "Graph") + iniSection(path, "Network"),
                  "RGBColour=71,96,141\nSelectedInterface=2\n");
    }
}
