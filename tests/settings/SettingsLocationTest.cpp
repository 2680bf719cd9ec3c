// Where the settings file goes, on machines whose folders misbehave.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <string>

#include "settings/Settings.h"
#include "support/IniFile.h"
#include "support/TempDir.h"

namespace {

// What the fake machine answers.
struct Machine {
    std::wstring special;
    BOOL specialResult;
    DWORD createError;  // 0: create the folder for real
    std::string windows;
} machine;
int askedFolder = -1;

BOOL WINAPI fakeSpecialFolder(HWND, LPWSTR out, int folder, BOOL create)
{
    askedFolder = create ? folder : -1;
    lstrcpynW(out, machine.special.c_str(), MAX_PATH);
    return machine.specialResult;
}

BOOL WINAPI fakeCreateDirectory(LPCWSTR path, LPSECURITY_ATTRIBUTES attributes)
{
    if (machine.createError == 0)
        return CreateDirectoryW(path, attributes);
    SetLastError(machine.createError);
    return FALSE;
}

UINT WINAPI fakeWindowsDirectory(LPSTR out, UINT size)
{
    lstrcpynA(out, machine.windows.c_str(), static_cast<int>(size));
    return static_cast<UINT>(machine.windows.size());
}

std::wstring wide(const std::string& text)
{
    return std::wstring(text.begin(), text.end());
}

FolderSource fakeFolders()
{
    FolderSource folders;
    folders.getSpecialFolder = fakeSpecialFolder;
    folders.createDirectory = fakeCreateDirectory;
    folders.getWindowsDirectory = fakeWindowsDirectory;
    return folders;
}

}  // namespace

TEST(SettingsLocation, PerUserFolderOrWindowsFolder)
{
    TempDir home;
    const std::wstring at = wide(home.path());
    const std::string own = home.path() + "\\Dashvane", ownFile = own + "\\Dashvane.ini";
    const std::string win = "C:\\Win", winFile = "C:\\Win\\Dashvane.ini";
    struct Row {
        Machine machine;
        std::string expected;
    } rows[] = {
        {{at, TRUE, 0, win}, ownFile},
        {{at + L"\\", TRUE, 0, win}, ownFile},
        {{at, TRUE, ERROR_ALREADY_EXISTS, win}, ownFile},
        {{at, 2, 0, win}, winFile},
        {{at, FALSE, 0, win + "\\"}, winFile},
        {{L"", TRUE, 0, win}, winFile},
        {{at, TRUE, ERROR_ACCESS_DENIED, win}, winFile},
        {{at, TRUE, ERROR_ACCESS_DENIED, ""}, ""},
    };
    for (const Row& row : rows) {
        machine = row.machine;
        askedFolder = -1;
        RemoveDirectoryA(own.c_str());
        EXPECT_EQ(locateSettingsFile(fakeFolders()), row.expected)
            << machine.specialResult << ' ' << machine.createError;
        EXPECT_EQ(askedFolder, CSIDL_LOCAL_APPDATA);
        // The per-user folder is made when it is used.
        EXPECT_EQ(fileExists(own), machine.createError == 0 && row.expected == ownFile);
    }
}

TEST(SettingsLocation, NoFolderAtAllMeansDefaultsAndNoFile)
{
    TempDir home;
    machine = {wide(home.path()), FALSE, 0, ""};
    Settings settings(std::string(), fakeFolders());
    EXPECT_TRUE(settings.path.empty());
    EXPECT_TRUE(settings.readBool("Options", "Show Graphs", true));
    EXPECT_EQ(settings.readInt("Network", "SelectedInterface", 10000), 10000);
    EXPECT_STREQ(settings.readString("Font", "Name", "Courier New"), "Courier New");
    settings.writeString("DashvaneProbe", "Key", "x");

    // Nothing may land in win.ini, the working folder or the offered folder.
    char text[16] = {};
    GetProfileStringA("DashvaneProbe", "Key", "(missing)", text, sizeof text);
    EXPECT_STREQ(text, "(missing)");
    EXPECT_FALSE(fileExists("Dashvane.ini") || fileExists(".ini"));
    EXPECT_TRUE(RemoveDirectoryA(home.path().c_str())) << "the offered folder is not empty";
}

// A profile folder named in letters the code page lacks (Polish, Cyrillic and
// Chinese on a Western one) still gets a real settings file.
TEST(SettingsLocation, ProfileFolderOutsideTheCodePage)
{
    TempDir home;
    const std::wstring profile = wide(home.path()) + L"\\\u0141ukasz \u0414\u0438\u043c\u0430 \u738b";
    ASSERT_TRUE(CreateDirectoryW(profile.c_str(), nullptr));
    machine = {profile, TRUE, 0, "C:\\Win"};
    {
        Settings first(std::string(), fakeFolders());
        first.writeString("Options", "Separator", ":");
    }
    Settings second(std::string(), fakeFolders());
    EXPECT_EQ(second.separator(), ":");
    // The temporary folder's clean-up cannot spell these names either.
    EXPECT_TRUE(DeleteFileW((profile + L"\\Dashvane\\Dashvane.ini").c_str()));
    EXPECT_TRUE(RemoveDirectoryW((profile + L"\\Dashvane").c_str()));
    EXPECT_TRUE(RemoveDirectoryW(profile.c_str()));
}
