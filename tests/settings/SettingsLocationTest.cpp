// Where the settings file goes, on machines whose folders misbehave.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <string>

#include "platform/Utf8.h"
#include "settings/Settings.h"
#include "support/IniFile.h"
#include "support/TempDir.h"

namespace {

// What the fake machine answers.
struct Machine {
    std::string special;
    BOOL specialResult;
    DWORD createError;  // 0: create the folder for real
    std::string windows;
} machine;
// Instead of machine.special, for names the code page lacks.
std::wstring wideSpecial;
int askedFolder = -1;

BOOL WINAPI fakeSpecialFolder(HWND, LPWSTR out, int folder, BOOL create)
{
    askedFolder = create ? folder : -1;
    const std::string& special = machine.special;
    std::wstring wide = wideSpecial.empty() ? std::wstring(special.begin(), special.end())
                                            : wideSpecial;
    lstrcpynW(out, wide.c_str(), MAX_PATH);
    return machine.specialResult;
}

BOOL WINAPI fakeCreateDirectory(LPCWSTR path, LPSECURITY_ATTRIBUTES attributes)
{
    if (machine.createError == 0)
        return CreateDirectoryW(path, attributes);
    SetLastError(machine.createError);
    return FALSE;
}

UINT WINAPI fakeWindowsDirectory(LPWSTR out, UINT size)
{
    lstrcpynW(out, toWide(machine.windows).c_str(), static_cast<int>(size));
    return static_cast<UINT>(machine.windows.size());
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
    const std::string own = home.path() + "\\Dashvane", ownFile = own + "\\Dashvane.ini";
    const std::string win = "C:\\Win", winFile = "C:\\Win\\Dashvane.ini";
    struct Row {
        Machine machine;
        std::string expected;
    } rows[] = {
        {{home.path(), TRUE, 0, win}, ownFile},
        {{home.path() + "\\", TRUE, 0, win}, ownFile},
        {{home.path(), TRUE, ERROR_ALREADY_EXISTS, win}, ownFile},
        {{home.path(), 2, 0, win}, winFile},
        {{home.path(), FALSE, 0, win + "\\"}, winFile},
        {{"", TRUE, 0, win}, winFile},
        {{home.path(), TRUE, ERROR_ACCESS_DENIED, win}, winFile},
        {{home.path(), TRUE, ERROR_ACCESS_DENIED, ""}, ""},
    };
    for (const Row& row : rows) {
        machine = row.machine;
        askedFolder = -1;
        RemoveDirectoryA(own.c_str());
        EXPECT_EQ(locateSettingsFile(fakeFolders()), row.expected)
            << machine.special << ' ' << machine.specialResult << ' ' << machine.createError;
        EXPECT_EQ(askedFolder, CSIDL_LOCAL_APPDATA);
        // The per-user folder is made when it is used.
        EXPECT_EQ(fileExists(own), machine.createError == 0 && row.expected == ownFile);
    }
}

TEST(SettingsLocation, NoFolderAtAllMeansDefaultsAndNoFile)
{
    TempDir home;
    machine = {home.path(), FALSE, 0, ""};
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
// Chinese on a Western one) still gets a real settings file, by its own name.
TEST(SettingsLocation, ProfileFolderOutsideTheCodePage)
{
    TempDir home;
    const std::wstring profile = std::wstring(home.path().begin(), home.path().end())
                                 + L"\\\u0141ukasz \u0414\u0438\u043c\u0430 \u738b";
    ASSERT_TRUE(CreateDirectoryW(profile.c_str(), nullptr));
    machine = {"", TRUE, 0, "C:\\Win"};
    wideSpecial = profile;
    Settings(std::string(), fakeFolders()).writeString("Options", "Separator", ":");
    Settings restarted(std::string(), fakeFolders());
    EXPECT_EQ(restarted.path, toUtf8(profile) + "\\Dashvane\\Dashvane.ini");
    EXPECT_EQ(restarted.separator(), ":");
    wideSpecial.clear();
    // The temporary folder's clean-up cannot spell these names either.
    EXPECT_TRUE(DeleteFileW((profile + L"\\Dashvane\\Dashvane.ini").c_str()));
    EXPECT_TRUE(RemoveDirectoryW((profile + L"\\Dashvane").c_str()));
    EXPECT_TRUE(RemoveDirectoryW(profile.c_str()));
}
