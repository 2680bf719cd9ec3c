// The real program started from a folder of its own, as a user who unzipped
// the archive into Downloads starts it: what it takes from that folder.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>

#include "e2e/RunningProgram.h"
#include "support/TempDir.h"

namespace {

// Libraries the program, or a system library working for it, loads by name;
// none is one of the system's known libraries, so without care the copy
// beside the program would be taken. Not "version.dll": Wine's own user32
// links it (Windows' does not) and Wine takes it from beside the program
// before any of the program's code runs; the release archive's test checks
// that the program itself does not link it.
const char* const kPlantedNames[] = {"iphlpapi.dll", "pdh.dll",    "powrprof.dll", "netapi32.dll",
                                     "comctl32.dll", "psapi.dll",  "dnsapi.dll",   "nsi.dll",
                                     "uxtheme.dll",  "dwmapi.dll", "winmm.dll"};

// Wine's settings for the programs of one file name, removed afterwards.
class WineProgramSettings {
public:
    explicit WineProgramSettings(const std::string& exeName)
        : key_("Software\\Wine\\AppDefaults\\" + exeName)
    {
    }
    ~WineProgramSettings() { RegDeleteTreeA(HKEY_CURRENT_USER, key_.c_str()); }
    WineProgramSettings(const WineProgramSettings&) = delete;
    WineProgramSettings& operator=(const WineProgramSettings&) = delete;

    bool set(const std::string& subkey, const char* name, const char* value) const
    {
        HKEY key = nullptr;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, (key_ + subkey).c_str(), 0, nullptr, 0,
                            KEY_SET_VALUE, nullptr, &key, nullptr)
            != ERROR_SUCCESS)
            return false;
        LONG status = RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                                     static_cast<DWORD>(std::strlen(value) + 1));
        RegCloseKey(key);
        return status == ERROR_SUCCESS;
    }

private:
    std::string key_;
};

bool exists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

TEST(Start, LibrariesPlantedBesideTheProgramNeverRun)
{
    TempDir folder;
    const std::string planted = programFolder() + "\\dashvane_planted.dll";
    // The stand-in does leave its mark once loaded.
    ASSERT_TRUE(CopyFileA(planted.c_str(), folder.file("control.dll").c_str(), FALSE));
    HMODULE control = LoadLibraryA(folder.file("control.dll").c_str());
    ASSERT_NE(control, nullptr);
    FreeLibrary(control);
    ASSERT_TRUE(exists(folder.file("control.dll.loaded")));

    ASSERT_TRUE(CopyFileA((programFolder() + "\\dashvane.exe").c_str(),
                          folder.file("dashvane.exe").c_str(), FALSE));
    // Wine takes its own libraries first; native before builtin gives Windows'
    // order, in which the program's own folder comes before the system folder.
    WineProgramSettings wine("dashvane.exe");
    for (const char* name : kPlantedNames) {
        ASSERT_TRUE(CopyFileA(planted.c_str(), folder.file(name).c_str(), FALSE)) << name;
        std::string library(name, std::strlen(name) - 4);
        ASSERT_TRUE(wine.set("\\DllOverrides", library.c_str(), "native,builtin")) << name;
    }
    {
        RunningProgram program(folder.file("dashvane.exe"));
        ASSERT_TRUE(program.started());
        EXPECT_NE(program.waitForWindow(kStartMs), nullptr);
        // Every item has updated by then, from the libraries it holds.
        pumpUntil([] { return false; }, 2500);
        EXPECT_EQ(WaitForSingleObject(program.handle(), 0), static_cast<DWORD>(WAIT_TIMEOUT));
    }
    for (const char* name : kPlantedNames)
        EXPECT_FALSE(exists(folder.file(name) + ".loaded")) << name;
}

// Windows Vista is the oldest system with the calls the program is linked to:
// an older one gets the program's own message and no window.
TEST(Start, RunsFromWindowsVistaOnAndSaysSoOnOlderSystems)
{
    TempDir folder;
    // A name of its own, so that Wine's setting reaches no other test's program.
    const std::string exe = folder.file("dashvane-on-older-system.exe");
    ASSERT_TRUE(CopyFileA((programFolder() + "\\dashvane.exe").c_str(), exe.c_str(), FALSE));
    WineProgramSettings wine("dashvane-on-older-system.exe");
    const struct {
        const char* system;
        bool runs;
    } rows[] = {{"winxp64", false}, {"vista", true}};
    for (const auto& row : rows) {
        ASSERT_TRUE(wine.set("", "Version", row.system));
        RunningProgram program(exe);
        ASSERT_TRUE(program.started());
        if (row.runs) {
            EXPECT_NE(program.waitForWindow(kStartMs), nullptr) << row.system;
            continue;
        }
        MessageBoxSeen seen;
        ASSERT_TRUE(pumpUntil([&] { return (seen = findMessageBox(program.id())).box != nullptr; },
                              kStartMs))
            << row.system;
        EXPECT_EQ(seen.caption, "dashvane - error");
        EXPECT_EQ(seen.text, "This application does not run on Win9X.\n\n\t  Sorry!");
        EXPECT_EQ(FindWindowA("DashvaneClass", "DashvaneWindow"), nullptr);
        PostMessageA(seen.box, WM_COMMAND, IDOK, 0);
        DWORD exitCode = 1;
        EXPECT_TRUE(program.waitForExit(5000, exitCode));
        EXPECT_EQ(exitCode, 0u);
    }
}
