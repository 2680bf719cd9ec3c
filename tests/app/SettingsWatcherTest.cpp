// The settings watcher, served by the message loop, against real file
// writes in a temporary folder.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/LiveSettings.h"
#include "app/MessageLoop.h"
#include "app/SettingsWatcher.h"
#include "platform/Utf8.h"
#include "settings/Settings.h"
#include "support/IniFile.h"
#include "support/MainWindowFixture.h"
#include "support/TempDir.h"

TEST(SettingsWatcher, WatchesTheDriveAndDirectoryOfTheFile)
{
    std::string cyrillic;
    for (int i = 0; i < 200; ++i)
        cyrillic += "\u0434";
    struct Row {
        std::string path;
        std::string folder;  // empty: nothing to watch
    } rows[] = {
        {"E:\\Users\\someone\\Dashvane\\Dashvane.ini", "E:\\Users\\someone\\Dashvane\\"},
        {"C:\\Dashvane.ini", "C:\\"},
        {"\\\\server\\share\\Dashvane.ini", "\\\\server\\share\\"},
        {"Dashvane.ini", ""},
        {"C:\\" + std::string(300, 'd') + "\\Dashvane.ini", ""},
        // Within the room by characters, not by their UTF-8 bytes.
        {"C:\\" + cyrillic + "\\Dashvane.ini", "C:\\" + cyrillic + "\\"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(toUtf8(watchedFolder(row.path)), row.folder) << row.path;
}

// A file as every start leaves it, with the given graph setting.
std::string completeFile(const char* showGraphs)
{
    return std::string("[Options]\r\nSeparator==\r\nShow Graphs=") + showGraphs
           + "\r\n[Font]\r\nName=Courier New\r\n[Graph]\r\nRGBColour=71,96,141\r\n";
}

class LiveWatcher : public ::testing::Test {
protected:
    LiveWatcher() { writeTextFile(path, completeFile("No")); }

    // Runs the program's loop until done() holds or the time is up.
    template <typename Done>
    bool serveUntil(Done done, DWORD milliseconds)
    {
        ULONGLONG end = GetTickCount64() + milliseconds;
        int exitCode = 0;
        while (!done() && GetTickCount64() < end)
            RunMessageLoopOnce(watcher, 10, exitCode);
        return done();
    }
    size_t readsWithin(DWORD milliseconds)
    {
        serveUntil([] { return false; }, milliseconds);
        return graphsRead.size();
    }

    TempDir dir;
    std::string path = dir.file("Dashvane.ini");
    // What each read handed over said of "Show Graphs".
    std::vector<bool> graphsRead;
    SettingsWatcher watcher{path,
                            [this](Settings& fresh) { graphsRead.push_back(fresh.showGraphs); }};
};

TEST_F(LiveWatcher, AChangedFileIsReadOnceAndLeftAsTheUserWroteIt)
{
    ASSERT_NE(watcher.changeHandle(), nullptr);
    // Keys the file lacks are taken as defaults, not written under the editor.
    std::string edited =
        "[Options]\r\nShow Graphs=Yes\r\n[Font]\r\nPoint=900\r\n[Graph]\r\nX=1\r\n";
    writeTextFile(path, edited);
    EXPECT_TRUE(serveUntil([&] { return !graphsRead.empty(); }, 1000));
    EXPECT_EQ(readsWithin(300), 1u);
    EXPECT_TRUE(graphsRead.back());
    EXPECT_EQ(readTextFile(path), edited);

    // Another file in the folder, or the same file untouched, reads nothing.
    writeTextFile(dir.file("notes.txt"), "unrelated");
    EXPECT_EQ(readsWithin(400), 1u);
}

TEST_F(LiveWatcher, AFileSavedInTwoStepsIsReadOnlyWhole)
{
    // Emptied first, then written a moment later, as some editors save: the
    // empty file is no read at all, the whole one is.
    writeTextFile(path, "");
    serveUntil([] { return false; }, 50);
    writeTextFile(path, completeFile("Yes"));
    EXPECT_TRUE(serveUntil([&] { return !graphsRead.empty(); }, 2000));
    ASSERT_FALSE(graphsRead.empty());
    for (bool graphs : graphsRead)
        EXPECT_TRUE(graphs) << "no read saw the file half written";

    // A file that never becomes whole is given up on, and the loop sleeps again.
    writeTextFile(path, "[Options]\r\nShow Graphs=No\r\n");
    size_t before = readsWithin(2600);
    EXPECT_EQ(watcher.waitLimit(), INFINITE);
    EXPECT_TRUE(graphsRead.size() == before && graphsRead.back());
}

TEST(SettingsFile, IsCompleteOnlyWhenItOpensWithItsSections)
{
    TempDir dir;
    std::string path = dir.file("Dashvane.ini");
    EXPECT_FALSE(settingsFileComplete(path.c_str()));
    writeTextFile(path, "[Options]\r\nShow Graphs=Yes\r\n[Font]\r\nName=Arial\r\n");
    EXPECT_FALSE(settingsFileComplete(path.c_str()));
    writeTextFile(path, completeFile("Yes"));
    EXPECT_TRUE(settingsFileComplete(path.c_str()));
}

TEST_F(LiveWatcher, TheLoopEndsWithTheQuitCode)
{
    PostQuitMessage(3);
    EXPECT_EQ(RunMessageLoop(watcher), 3);
}

using LiveApply = MainWindowTest;

// The program's own writes come back as a changed file: reading them again
// undoes nothing and writes nothing; a hand edit beside them is taken over.
TEST_F(LiveApply, OwnWritesReadBackChangeNothingAndHandEditsApply)
{
    HotkeyBinding hotkey{app.mainWindow, 9, "CTRL,ALT,L"};
    item(1).setShown(false, false);
    settings.showGraphs = true;
    settings.writeBool("Options", "Show Graphs", true);
    const std::string written = readTextFile(path);
    {
        Settings fresh(path, FolderSource(), Settings::Writes::Never);
        ApplyFreshSettings(app, fresh, hotkey);
    }
    EXPECT_FALSE(item(1).isShown());
    EXPECT_TRUE(settings.showGraphs);
    EXPECT_EQ(readTextFile(path), written);

    WritePrivateProfileStringA("DisplayItems", "Second", "Yes", path.c_str());
    WritePrivateProfileStringA("Font", "RGBColour", "1,2,3", path.c_str());
    const std::string edited = readTextFile(path);
    {
        Settings fresh(path, FolderSource(), Settings::Writes::Never);
        ApplyFreshSettings(app, fresh, hotkey);
    }
    EXPECT_TRUE(item(1).isShown());
    EXPECT_EQ(settings.fontColour, RGB(1, 2, 3));
    EXPECT_TRUE(settings.showGraphs);
    EXPECT_EQ(readTextFile(path), edited) << "nothing is written back under the editor";
}
