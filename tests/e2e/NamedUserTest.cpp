// The real program run by a user whose name the code page cannot spell
// (scripts/wine-user.sh gives each such user a prefix of their own): the name
// it shows and copies is theirs, and what it keeps in that user's profile is
// where it belongs.
#include <gtest/gtest.h>

#include <windows.h>

#include <shlobj.h>

#include <algorithm>
#include <string>
#include <vector>

#include "e2e/RunningProgram.h"
#include "e2e/ScreenPixels.h"
#include "platform/Utf8.h"
#include "support/ShortcutFile.h"

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

std::wstring userName()
{
    WCHAR name[256] = {};
    DWORD length = ARRAYSIZE(name);
    return GetUserNameW(name, &length) ? name : L"";
}

// The name as the narrow calls hand it over: what the code page makes of it.
std::wstring throughCodePage(const std::wstring& text)
{
    char narrow[256] = {};
    WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, narrow, sizeof narrow, nullptr, nullptr);
    WCHAR wide[256] = {};
    MultiByteToWideChar(CP_ACP, 0, narrow, -1, wide, ARRAYSIZE(wide));
    return wide;
}

constexpr DWORD kYellow = 0xFFFF00;

// The rightmost run of ink (pixels of the text colour) as wide as the given
// width: one string of '#' and '.' per pixel row, cut to the rows it covers.
std::vector<std::string> inkAtRight(const std::vector<DWORD>& pixels, int width, int inkWidth)
{
    const int height = static_cast<int>(pixels.size()) / width;
    int right = -1;
    for (int x = 0; x < width; ++x)
        for (int y = 0; y < height; ++y)
            if (pixels[static_cast<size_t>(y * width + x)] == kYellow)
                right = x;
    std::vector<std::string> rows;
    for (int y = 0; y < height && right >= 0; ++y) {
        std::string row;
        for (int x = std::max(0, right - inkWidth + 1); x <= right; ++x)
            row += pixels[static_cast<size_t>(y * width + x)] == kYellow ? '#' : '.';
        if (row.find('#') != std::string::npos || !rows.empty())
            rows.push_back(row);
    }
    while (!rows.empty() && rows.back().find('#') == std::string::npos)
        rows.pop_back();
    return rows;
}

// The text drawn right-aligned with the wide call in the overlay's default
// font (a cell 14 pixels high at 96 DPI) and colour, as the ink rows of inkAtRight, and the width
// of its ink.
std::vector<std::string> probeInk(const std::wstring& text, int width, int height, int& inkWidth)
{
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    MemoryDC probe(screen);
    GdiObject<HBITMAP> bitmap(CreateCompatibleBitmap(screen, width, height));
    ReleaseDC(nullptr, screen);
    Selection picture(probe.get(), bitmap.get());
    RECT rect{0, 0, width, height};
    FillRect(probe.get(), &rect, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    GdiObject<HFONT> font(CreateFontW(MulDiv(14, dpi, 96), 0, 0, 0, 0, FALSE, FALSE, FALSE,
                                      DEFAULT_CHARSET, OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS,
                                      NONANTIALIASED_QUALITY, DEFAULT_PITCH | FF_SWISS,
                                      L"Courier New"));
    Selection selectedFont(probe.get(), font.get());
    SetBkMode(probe.get(), TRANSPARENT);
    SetTextColor(probe.get(), RGB(255, 255, 0));
    DrawTextW(probe.get(), text.c_str(), -1, &rect, DT_RIGHT | DT_NOPREFIX);
    const std::vector<DWORD> pixels = pixelsOf(probe.get(), 0, 0, width, height);
    int left = width, right = -1;
    for (int x = 0; x < width; ++x)
        for (int y = 0; y < height; ++y)
            if (pixels[static_cast<size_t>(y * width + x)] == kYellow) {
                left = std::min(left, x);
                right = x;
            }
    inkWidth = right - left + 1;
    return inkAtRight(pixels, width, inkWidth);
}

}  // namespace

// The user line shows the name glyph for glyph as the wide call draws it, and
// Ctrl + double-click copies it letter for letter.
TEST(NamedUser, TheUserLineShowsAndCopiesTheNameExactly)
{
    const std::wstring name = userName();
    ASSERT_NE(throughCodePage(name), name) << "the code page spells this user's name";
    const std::wstring settingsFile = userFolder(CSIDL_LOCAL_APPDATA) + L"\\Dashvane\\Dashvane.ini";
    CreateDirectoryW((userFolder(CSIDL_LOCAL_APPDATA) + L"\\Dashvane").c_str(), nullptr);
    std::string text = "[DisplayItems]\r\n";
    for (const char* key : kItemKeys)
        text += std::string(key) + (std::string(key) == "User" ? "=Yes\r\n" : "=No\r\n");
    text += "[Options]\r\nRight Align=Yes\r\nText Outline=No\r\n";
    text += "[Font]\r\nName=Courier New\r\nPoint=14\r\nRGBColour=255,255,0\r\n";
    FILE* out = _wfopen(settingsFile.c_str(), L"wb");
    ASSERT_NE(out, nullptr);
    std::fwrite(text.data(), 1, text.size(), out);
    std::fclose(out);

    RunningProgram running;
    HWND window = running.waitForWindow(kStartMs);
    ASSERT_NE(window, nullptr);
    const RECT rect = windowRect(window);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    int inkWidth = 0;
    const std::vector<std::string> expected = probeInk(name, width, height, inkWidth);
    int lossyWidth = 0;
    ASSERT_NE(probeInk(throughCodePage(name), width, height, lossyWidth), expected)
        << "the check cannot tell the name from its code-page spelling";
    std::vector<std::string> shown;
    EXPECT_TRUE(pumpUntil(
        [&] { return (shown = inkAtRight(screenPixels(rect), width, inkWidth)) == expected; },
        3000));
    EXPECT_EQ(shown, expected);

    emptyClipboard();
    controlDoubleClick(rect.right - 5, rect.top + 5);
    std::string copied;
    ASSERT_TRUE(pumpUntil([&] { return !(copied = clipboardText()).empty(); }, 5000));
    EXPECT_NE(("\n" + copied).find("\n" + toUtf8(name) + "\n"), std::string::npos) << copied;
    // The program took its file from this user's own profile and added what it lacked.
    EXPECT_EQ(iniValueW(settingsFile, L"Options", L"Separator"), L"=");
}

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
        const std::wstring shortcut = readShortcut(link);
        EXPECT_EQ(lstrcmpiW(shortcut.substr(0, shortcut.find(L'|')).c_str(), program.c_str()), 0);
        // And the shortcut it made can be removed again.
        ASSERT_TRUE(chooseFromMenu(running, window, runAtStartup));
        EXPECT_TRUE(stored(L"No"));
        EXPECT_EQ(GetFileAttributesW(link.c_str()), INVALID_FILE_ATTRIBUTES);
    }
    CoUninitialize();
}
