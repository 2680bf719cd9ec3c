// The real dashvane.exe, started as a user would, in the test prefix.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <string>

#include "support/IniFile.h"

namespace {

std::string programFolder()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string folder(path);
    return folder.substr(0, folder.find_last_of('\\'));
}

std::string userSettingsFile()
{
    char folder[MAX_PATH] = {};
    SHGetSpecialFolderPathA(nullptr, folder, CSIDL_LOCAL_APPDATA, TRUE);
    return std::string(folder) + "\\Dashvane\\Dashvane.ini";
}

// Runs the program to its end; false when it did not start or did not end in time.
bool runProgram(DWORD timeoutMs, DWORD& exitCode)
{
    std::string command = "\"" + programFolder() + "\\dashvane.exe\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return false;
    bool ended = WaitForSingleObject(process.hProcess, timeoutMs) == WAIT_OBJECT_0;
    if (!ended)
        TerminateProcess(process.hProcess, 1);
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return ended;
}

}  // namespace

TEST(FirstStart, CreatesTheSettingsFileWithTheYesNoDefaults)
{
    std::string settingsFile = userSettingsFile();
    DeleteFileA(settingsFile.c_str());

    DWORD exitCode = 1;
    ASSERT_TRUE(runProgram(10000, exitCode));
    EXPECT_EQ(exitCode, 0u);

    ASSERT_TRUE(fileExists(settingsFile));
    EXPECT_EQ(iniSection(settingsFile, "Options"),
              "Show Graphs=No\nShow Tooltips=No\nLocked=No\nRight Align=Yes\n"
              "Run At Startup=No\nAuto BG Color=No\n");
    EXPECT_EQ(iniSection(settingsFile, "Font"), "Italic=No\n");
}

TEST(FirstStart, KeepsWhatTheUserWrote)
{
    std::string settingsFile = userSettingsFile();
    writeTextFile(settingsFile,
                  "[Options]\r\nShow Graphs=yes\r\nSeparator=:\r\n[Font]\r\nPoint=10\r\n");

    DWORD exitCode = 1;
    ASSERT_TRUE(runProgram(10000, exitCode));

    EXPECT_EQ(iniValue(settingsFile, "Options", "Show Graphs"), "yes");
    EXPECT_EQ(iniValue(settingsFile, "Options", "Separator"), ":");
    EXPECT_EQ(iniValue(settingsFile, "Font", "Point"), "10");
    EXPECT_EQ(iniValue(settingsFile, "Options", "Right Align"), "Yes");
    DeleteFileA(settingsFile.c_str());
}
