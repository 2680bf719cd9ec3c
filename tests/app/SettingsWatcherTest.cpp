// The settings watcher, served by the message loop, against real file
// writes in a temporary folder.
#include <gtest/gtest.h>

#include <string>

#include "app/MessageLoop.h"
#include "app/SettingsWatcher.h"
#include "platform/Messages.h"
#include "settings/Settings.h"
#include "support/IniFile.h"
#include "support/TempDir.h"
#include "support/TestWindow.h"

TEST(SettingsWatcher, WatchesTheDriveAndDirectoryOfTheFile)
{
    struct Row {
        std::string path;
        const char* folder;  // nullptr: nothing to watch
    } rows[] = {
        {"E:\\Users\\someone\\Dashvane\\Dashvane.ini", "E:\\Users\\someone\\Dashvane\\"},
        {"C:\\Dashvane.ini", "C:\\"},
        {"\\\\server\\share\\Dashvane.ini", "\\\\server\\share\\"},
        {"Dashvane.ini", nullptr},
        {"C:\\" + std::string(300, 'd') + "\\Dashvane.ini", nullptr},
    };
    for (const Row& row : rows) {
        char folder[MAX_PATH] = {};
        bool watched = watchedFolder(row.path.c_str(), folder, sizeof folder);
        EXPECT_EQ(watched, row.folder != nullptr) << row.path;
        if (row.folder != nullptr) {
            EXPECT_STREQ(folder, row.folder);
        }
    }
}

class LiveWatcher : public ::testing::Test {
protected:
    LiveWatcher() { writeTextFile(path, "[Options]\r\nSeparator==\r\n"); }

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
    // Messages that reached the window within the time.
    size_t relayoutsWithin(DWORD milliseconds)
    {
        serveUntil([] { return false; }, milliseconds);
        size_t count = 0;
        for (UINT message : window.privateMessages())
            count += message == WM_RELAYOUTANDPLACE;
        return count;
    }

    TempDir dir;
    std::string path = dir.file("Dashvane.ini");
    Settings settings{path};
    TestWindow window;
    SettingsWatcher watcher{settings, window.handle()};
};

TEST_F(LiveWatcher, AnEditedSeparatorArrivesAndNothingElseDoes)
{
    ASSERT_NE(watcher.changeHandle(), nullptr);
    writeTextFile(path, "[Options]\r\nSeparator=->\r\n");
    EXPECT_TRUE(serveUntil([&] { return settings.separator() == "->"; }, 1000));
    EXPECT_EQ(relayoutsWithin(200), 1u);

    // Saved again unchanged, an unrelated file, another key: no new layout.
    writeTextFile(path, "[Options]\r\nSeparator=->\r\nShow Graphs=Yes\r\n");
    writeTextFile(dir.file("notes.txt"), "unrelated");
    EXPECT_EQ(relayoutsWithin(500), 1u);
    EXPECT_FALSE(settings.showGraphs);

    writeTextFile(path, "[Options]\r\nSeparator=" + std::string(60, '-') + "\r\n");
    EXPECT_TRUE(serveUntil([&] { return settings.separator() == std::string(49, '-'); }, 1000));
}

TEST_F(LiveWatcher, TheLoopEndsWithTheQuitCode)
{
    PostQuitMessage(3);
    EXPECT_EQ(RunMessageLoop(watcher), 3);
}
