// The real program run by a user whose name the code page cannot spell
// (scripts/wine-user.sh gives each such user a prefix of their own): what it
// keeps in that user's profile is where it belongs.
#include <gtest/gtest.h>

#include <windows.h>

#include <shlobj.h>

#include <string>
#include <vector>

#include "e2e/RunningProgram.h"

namespace {

std::wstring userFolder(int folder)
{
    WCHAR path[MAX_PATH] = {};
    SHGetSpecialFolderPathW(nullptr, path, folder, TRUE);
    return path;
}

std::wstring iniValueW(const std::wstring& path, const WCHAR* section, const WCHAR* key)
{
    WCHAR text[64] = {};
    GetPrivateProfileStringW(section, key, L"<missing>", text, ARRAYSIZE(text), path.c_str());
    return text;
}

// The target a shortcut file starts, as the shell finds it through the item
// list, or empty when it cannot be read.
std::wstring linkTarget(const std::wstring& file)
{
    WCHAR target[MAX_PATH] = {};
    IShellLinkW* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&link))))
        return target;
    IPersistFile* persist = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist)))) {
        LPITEMIDLIST items = nullptr;
        if (SUCCEEDED(persist->Load(file.c_str(), STGM_READ))
            && SUCCEEDED(link->GetIDList(&items))) {
            SHGetPathFromIDListW(items, target);
            CoTaskMemFree(items);
        }
        persist->Release();
    }
    link->Release();
    return target;
}


}  // namespace

TEST(NamedUser, RunAtStartupPutsTheShortcutInTheUsersOwnStartupFolder)
{
    WCHAR name[256] = {};
    DWORD length = ARRAYSIZE(name);
    ASSERT_TRUE(GetUserNameW(name, &length));
    BOOL inexact = FALSE;
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, name, -1, nullptr, 0, nullptr, &inexact);
    ASSERT_TRUE(inexact) << "the code page spells this user's name";
    const std::wstring startup = userFolder(CSIDL_STARTUP);
    ASSERT_NE(startup.find(name), std::wstring::npos);

    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    const std::wstring link = startup + L"\\Dashvane.lnk";
    const std::wstring settingsFile = userFolder(CSIDL_LOCAL_APPDATA) + L"\\Dashvane\\Dashvane.ini";
    DeleteFileW(link.c_str());
    DeleteFileW(settingsFile.c_str());
    const std::string folder = programFolder();
    const std::wstring program = std::wstring(folder.begin(), folder.end()) + L"\\dashvane.exe";
    auto stored = [&](const WCHAR* value) {
        return pumpUntil(
            [&] { return iniValueW(settingsFile, L"Options", L"Run At Startup") == value; }, 3000);
    };
    {
        RunningProgram running;
        HWND window = running.waitForWindow(kStartMs);
        ASSERT_NE(window, nullptr);
        // "Options" is the entry above "Exit"; "Run At Startup" is its last.
        const std::vector<WPARAM> runAtStartup{VK_UP, VK_UP, VK_RIGHT, VK_UP, VK_RETURN};
        ASSERT_TRUE(chooseFromMenu(running, window, runAtStartup));
        EXPECT_TRUE(stored(L"Yes"));
        EXPECT_EQ(lstrcmpiW(linkTarget(link).c_str(), program.c_str()), 0);
        // And the shortcut it made can be removed again.
        ASSERT_TRUE(chooseFromMenu(running, window, runAtStartup));
        EXPECT_TRUE(stored(L"No"));
        EXPECT_EQ(GetFileAttributesW(link.c_str()), INVALID_FILE_ATTRIBUTES);
    }
    CoUninitialize();
}
