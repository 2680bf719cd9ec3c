// The run-at-startup shortcut, made in a folder of the test's own and read
// back through the shell's link object.
#include <gtest/gtest.h>

#include <windows.h>

#include <shlobj.h>

#include <string>

#include "menu/StartupShortcut.h"
#include "support/IniFile.h"
#include "support/ShortcutFile.h"
#include "support/TempDir.h"

namespace {

std::wstring startupFolder, commandLine, modulePath;

// Test folders are plain ASCII, as the temporary folder is.
std::wstring wide(const std::string& text)
{
    return std::wstring(text.begin(), text.end());
}

BOOL WINAPI fakeStartupFolder(HWND, LPWSTR path, int folder, BOOL)
{
    lstrcpynW(path, startupFolder.c_str(), MAX_PATH);
    return folder == CSIDL_STARTUP;
}

LPWSTR WINAPI fakeCommandLine()
{
    return &commandLine[0];
}

DWORD WINAPI fakeModulePath(HMODULE, LPWSTR path, DWORD size)
{
    lstrcpynW(path, modulePath.c_str(), static_cast<int>(size));
    return static_cast<DWORD>(modulePath.size());
}

bool exists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

int entriesIn(const std::string& folder)
{
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &entry);
    int count = 0;
    for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &entry))
        count += entry.cFileName[0] != '.';
    FindClose(search);
    return count;
}

class StartupShortcutTest : public ::testing::Test {
protected:
    StartupShortcutTest()
    {
        comReady = SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED));
        sources.startupFolder = fakeStartupFolder;
        sources.commandLine = fakeCommandLine;
        sources.modulePath = fakeModulePath;
        startupFolder = wide(dir.path());
        WCHAR self[MAX_PATH] = {};
        GetModuleFileNameW(nullptr, self, MAX_PATH);
        program = modulePath = self;
        commandLine = program;
    }
    ~StartupShortcutTest() override
    {
        if (comReady)
            CoUninitialize();
    }

    bool comReady = false;
    ShortcutSources sources;
    TempDir dir;
    std::wstring shortcut = wide(dir.file("Dashvane.lnk"));
    std::wstring program;
};

// The program's own full path goes to the target, whatever the command line
// calls it; what follows its name there goes to the arguments.
TEST_F(StartupShortcutTest, MadeForTheProgramAndRemoved)
{
    const std::wstring spaced = wide(dir.path()) + L"\\Dash vane\\dash vane.exe";
    CreateDirectoryW((wide(dir.path()) + L"\\Dash vane").c_str(), nullptr);
    CloseHandle(CreateFileW(spaced.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
    const std::wstring quoted = L"\"" + program + L"\"";
    const std::wstring name = program.substr(program.rfind(L'\\') + 1);
    struct Case {
        std::wstring module, line, arguments;
    };
    for (const Case& c :
         {Case{program, quoted + L" ", L""}, Case{program, quoted + L" -x \"a b\"", L"-x \"a b\""},
          Case{program, program + L"  --gtest_filter=X  ", L"--gtest_filter=X"},
          Case{program, L"\"" + program, L""},
          Case{program, name + L" -x", L"-x"},      // from a console in its folder
          Case{spaced, spaced + L" -x", L"-x"}}) {  // unquoted, with blanks
        SCOPED_TRACE(std::string(c.line.begin(), c.line.end()));
        modulePath = c.module, commandLine = c.line;
        EXPECT_TRUE(UpdateStartupShortcut(true, sources));
        std::wstring link = readShortcut(shortcut);
        EXPECT_EQ(lstrcmpiW(link.c_str(), (c.module + L"|" + c.arguments).c_str()), 0);
        EXPECT_FALSE(UpdateStartupShortcut(false, sources));
        EXPECT_FALSE(exists(shortcut));
    }
    // Arguments the program set at start replace the command line's.
    const std::wstring arguments = L"/ini \"C:\\\x0434\x0438\x043C\x0430\\my settings.ini\"";
    SetStartupArguments(arguments);
    modulePath = program, commandLine = program + L" /ini my.ini";
    EXPECT_TRUE(UpdateStartupShortcut(true, sources));
    EXPECT_EQ(readShortcut(shortcut), program + L"|" + arguments);
    SetStartupArguments(L"");
    EXPECT_FALSE(UpdateStartupShortcut(false, sources));

    // Someone else's shortcut of that name stays as it is.
    writeTextFile(dir.file("Dashvane.lnk"), "the user's own");
    EXPECT_TRUE(UpdateStartupShortcut(true, sources));
    EXPECT_EQ(readTextFile(dir.file("Dashvane.lnk")), "the user's own");
    // A shortcut that cannot be saved is reported as none.
    startupFolder = wide(dir.path()) + L"\\missing";
    EXPECT_FALSE(UpdateStartupShortcut(true, sources));
}

// A profile folder and a program folder whose names the code page cannot
// spell ("łukasz", "дима"): the shortcut is made there, points there, and is
// removed again.
TEST_F(StartupShortcutTest, FoldersTheCodePageCannotSpell)
{
    startupFolder = wide(dir.path()) + L"\\\x0142ukasz";
    const std::wstring programFolder = wide(dir.path()) + L"\\\x0434\x0438\x043C\x0430";
    modulePath = programFolder + L"\\dashvane.exe";
    commandLine = L"\"" + modulePath + L"\" -x";
    ASSERT_TRUE(CreateDirectoryW(startupFolder.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(programFolder.c_str(), nullptr));
    CloseHandle(CreateFileW(modulePath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));

    const std::wstring link = startupFolder + L"\\Dashvane.lnk";
    EXPECT_TRUE(UpdateStartupShortcut(true, sources));
    EXPECT_EQ(readShortcut(link), modulePath + L"|-x");
    EXPECT_FALSE(UpdateStartupShortcut(false, sources));
    EXPECT_FALSE(exists(link));
    // The temporary folder's clean-up goes by narrow names.
    DeleteFileW(modulePath.c_str());
    RemoveDirectoryW(programFolder.c_str());
    RemoveDirectoryW(startupFolder.c_str());
}

// Folder and name must fit MAX_PATH with the terminator; one byte more and
// nothing is made, not even a shortcut under a cut name.
TEST_F(StartupShortcutTest, FolderTooLongForTheNameMakesNothing)
{
    const size_t name = std::string("\\Dashvane.lnk").size();
    for (size_t length : {MAX_PATH - 1 - name, MAX_PATH - name}) {
        SCOPED_TRACE(length);
        const std::string folder =
            dir.path() + "\\" + std::string(length - dir.path().size() - 1, 'f');
        startupFolder = wide(folder);
        ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
        UpdateStartupShortcut(true, sources);
        bool fits = length + name < MAX_PATH;
        EXPECT_EQ(entriesIn(folder), fits ? 1 : 0);
        EXPECT_EQ(fileExists(folder + "\\Dashvane.lnk"), fits);
        EXPECT_EQ(entriesIn(dir.path()), 1);
        UpdateStartupShortcut(false, sources);
        EXPECT_EQ(entriesIn(folder), 0);
        RemoveDirectoryA(folder.c_str());
    }
}

}  // namespace

TEST_F(StartupShortcutTest, TheUsersRealStartupFolder)
{
    WCHAR folder[MAX_PATH] = {};
    ASSERT_TRUE(SHGetSpecialFolderPathW(nullptr, folder, CSIDL_STARTUP, TRUE));
    std::wstring link = std::wstring(folder) + L"\\Dashvane.lnk";
    DeleteFileW(link.c_str());

    UpdateStartupShortcut(true);
    EXPECT_TRUE(exists(link));
    UpdateStartupShortcut(false);
    EXPECT_FALSE(exists(link));
}
