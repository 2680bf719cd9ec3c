// The run-at-startup shortcut, made in a folder of the test's own and read
// back through the shell's link object.
#include <gtest/gtest.h>

#include <windows.h>

#include <shlobj.h>

#include <string>

#include "menu/StartupShortcut.h"
#include "support/IniFile.h"
#include "support/TempDir.h"

namespace {

std::string startupFolder, commandLine, modulePath;

BOOL WINAPI fakeStartupFolder(HWND, LPSTR path, int folder, BOOL)
{
    lstrcpynA(path, startupFolder.c_str(), MAX_PATH);
    return folder == CSIDL_STARTUP;
}

LPSTR WINAPI fakeCommandLine()
{
    return &commandLine[0];
}

DWORD WINAPI fakeModulePath(HMODULE, LPSTR path, DWORD size)
{
    lstrcpynA(path, modulePath.c_str(), static_cast<int>(size));
    return static_cast<DWORD>(modulePath.size());
}

// "target|arguments" of a shortcut file.
std::string readLink(const std::string& file)
{
    IShellLinkA* link = nullptr;
    IPersistFile* persist = nullptr;
    char target[MAX_PATH] = {}, arguments[1024] = {};
    WCHAR wide[MAX_PATH] = {};
    MultiByteToWideChar(CP_ACP, 0, file.c_str(), -1, wide, MAX_PATH);
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   reinterpret_cast<void**>(&link)))) {
        if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist)))) {
            if (SUCCEEDED(persist->Load(wide, STGM_READ))) {
                link->GetPath(target, sizeof target, nullptr, SLGP_RAWPATH);
                link->GetArguments(arguments, sizeof arguments);
            }
            persist->Release();
        }
        link->Release();
    }
    return std::string(target) + "|" + arguments;
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
        startupFolder = dir.path();
        char self[MAX_PATH] = {};
        GetModuleFileNameA(nullptr, self, sizeof self);
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
    std::string shortcut = dir.file("Dashvane.lnk");
    std::string program;
};

// The program's own full path goes to the target, whatever the command line
// calls it; what follows its name there goes to the arguments.
TEST_F(StartupShortcutTest, MadeForTheProgramAndRemoved)
{
    const std::string spaced = dir.path() + "\\Dash vane\\dash vane.exe";
    CreateDirectoryA((dir.path() + "\\Dash vane").c_str(), nullptr);
    writeTextFile(spaced, "");
    const std::string quoted = "\"" + program + "\"";
    const std::string name = program.substr(program.rfind('\\') + 1);
    struct Case {
        std::string module, line, arguments;
    };
    for (const Case& c :
         {Case{program, quoted + " ", ""}, Case{program, quoted + " -x \"a b\"", "-x \"a b\""},
          Case{program, program + "  --gtest_filter=X  ", "--gtest_filter=X"},
          Case{program, "\"" + program, ""},
          Case{program, name + " -x", "-x"},      // from a console in its folder
          Case{spaced, spaced + " -x", "-x"}}) {  // unquoted, with blanks
        SCOPED_TRACE(c.line);
        modulePath = c.module, commandLine = c.line;
        EXPECT_TRUE(UpdateStartupShortcut(true, sources));
        std::string link = readLink(shortcut);
        EXPECT_EQ(lstrcmpiA(link.c_str(), (c.module + "|" + c.arguments).c_str()), 0) << link;
        EXPECT_FALSE(UpdateStartupShortcut(false, sources));
        EXPECT_FALSE(fileExists(shortcut));
    }
    // Arguments the program set at start replace the command line's.
    SetStartupArguments("/ini \"C:\\Shared\\my settings.ini\"");
    modulePath = program, commandLine = program + " /ini my.ini";
    EXPECT_TRUE(UpdateStartupShortcut(true, sources));
    EXPECT_EQ(lstrcmpiA(readLink(shortcut).c_str(),
                        (program + "|/ini \"C:\\Shared\\my settings.ini\"").c_str()),
              0)
        << readLink(shortcut);
    SetStartupArguments("");
    EXPECT_FALSE(UpdateStartupShortcut(false, sources));

    // Someone else's shortcut of that name stays as it is.
    writeTextFile(shortcut, "the user's own");
    EXPECT_TRUE(UpdateStartupShortcut(true, sources));
    EXPECT_EQ(readTextFile(shortcut), "the user's own");
    // A shortcut that cannot be saved is reported as none.
    startupFolder = dir.path() + "\\missing";
    EXPECT_FALSE(UpdateStartupShortcut(true, sources));
}

// Folder and name must fit MAX_PATH with the terminator; one byte more and
// nothing is made, not even a shortcut under a cut name.
TEST_F(StartupShortcutTest, FolderTooLongForTheNameMakesNothing)
{
    const size_t name = std::string("\\Dashvane.lnk").size();
    for (size_t length : {MAX_PATH - 1 - name, MAX_PATH - name}) {
        SCOPED_TRACE(length);
        startupFolder = dir.path() + "\\" + std::string(length - dir.path().size() - 1, 'f');
        ASSERT_TRUE(CreateDirectoryA(startupFolder.c_str(), nullptr));
        UpdateStartupShortcut(true, sources);
        bool fits = length + name < MAX_PATH;
        EXPECT_EQ(entriesIn(startupFolder), fits ? 1 : 0);
        EXPECT_EQ(fileExists(startupFolder + "\\Dashvane.lnk"), fits);
        EXPECT_EQ(entriesIn(dir.path()), 1);
        UpdateStartupShortcut(false, sources);
        EXPECT_EQ(entriesIn(startupFolder), 0);
        RemoveDirectoryA(startupFolder.c_str());
    }
}

}  // namespace

TEST_F(StartupShortcutTest, TheUsersRealStartupFolder)
{
    char folder[MAX_PATH] = {};
    ASSERT_TRUE(SHGetSpecialFolderPathA(nullptr, folder, CSIDL_STARTUP, TRUE));
    std::string link = std::string(folder) + "\\Dashvane.lnk";
    DeleteFileA(link.c_str());

    UpdateStartupShortcut(true);
    EXPECT_TRUE(fileExists(link));
    UpdateStartupShortcut(false);
    EXPECT_FALSE(fileExists(link));
}
