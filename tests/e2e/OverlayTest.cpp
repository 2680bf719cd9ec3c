// The real program, started as a user would in the test prefix: what a user
// sees on first start, on a second start, and on screen.
#include <gtest/gtest.h>

#include <vector>

#include "e2e/RunningProgram.h"
#include "support/IniFile.h"

namespace {

struct MessageBoxSeen {
    HWND box = nullptr;
    std::string caption;
    std::string text;
};

// The message box a process shows, found among the top-level dialogs.
MessageBoxSeen findMessageBox(DWORD processId)
{
    MessageBoxSeen seen;
    struct Search {
        DWORD processId;
        HWND found;
    } search{processId, nullptr};
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            char className[64] = {};
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            GetClassNameA(window, className, sizeof className);
            if (owner == s->processId && lstrcmpA(className, "#32770") == 0
                && IsWindowVisible(window)) {
                s->found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    seen.box = search.found;
    if (seen.box == nullptr)
        return seen;
    char text[256] = {};
    GetWindowTextA(seen.box, text, sizeof text);
    seen.caption = text;
    // The message itself is the box's static control with id 0xFFFF.
    GetDlgItemTextA(seen.box, 0xFFFF, text, sizeof text);
    seen.text = text;
    return seen;
}

// The pixels of a screen rectangle as 0x00RRGGBB values.
std::vector<DWORD> screenPixels(const RECT& rect)
{
    int width = rect.right - rect.left;
    int height = rect.bottom - rect.top;
    HDC screen = GetDC(nullptr);
    HDC copy = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(copy, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = SelectObject(copy, bitmap);
    BitBlt(copy, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    GdiFlush();
    std::vector<DWORD> pixels(static_cast<const DWORD*>(bits),
                              static_cast<const DWORD*>(bits) + width * height);
    SelectObject(copy, previous);
    DeleteObject(bitmap);
    DeleteDC(copy);
    ReleaseDC(nullptr, screen);
    for (DWORD& pixel : pixels)
        pixel &= 0xFFFFFF;
    return pixels;
}

}  // namespace

TEST(Overlay, FirstStartShowsTheWindowTopRightAndWritesItsSettings)
{
    std::string settingsFile = userSettingsFile();
    DeleteFileA(settingsFile.c_str());
    RunningProgram program;
    ASSERT_TRUE(program.started());
    HWND window = program.waitForWindow(10000);
    ASSERT_NE(window, nullptr);

    LONG_PTR exStyle = GetWindowLongPtrA(window, GWL_EXSTYLE);
    EXPECT_EQ(exStyle & (WS_EX_LAYERED | WS_EX_TOOLWINDOW), WS_EX_LAYERED | WS_EX_TOOLWINDOW);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtrA(window, GWL_STYLE)) & 0x80000080u, 0x80000080u);
    RECT rect{};
    GetWindowRect(window, &rect);
    EXPECT_EQ(rect.right, GetSystemMetrics(SM_CXSCREEN) - 10);
    EXPECT_EQ(rect.top, 0);

    EXPECT_EQ(iniValue(settingsFile, "Options", "Hotkey"), "CTRL,ALT,L");
    EXPECT_EQ(iniValue(settingsFile, "Position", "X"), std::to_string(rect.left));
    for (const char* key : {"Show Graphs", "Show Tooltips", "Locked", "Run At Startup",
                            "Auto BG Color"})
        EXPECT_EQ(iniValue(settingsFile, "Options", key), "No") << key;
    EXPECT_EQ(iniValue(settingsFile, "Options", "Right Align"), "Yes");
    EXPECT_EQ(iniValue(settingsFile, "Font", "Italic"), "No");
    EXPECT_EQ(iniValue(settingsFile, "DisplayItems", "Machine"), "Yes");
    EXPECT_EQ(iniValue(settingsFile, "DisplayItems", "Time"), "Yes");
}

TEST(Overlay, CarriesItsVersionResource)
{
    std::string exe = programFolder() + "\\dashvane.exe";
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeA(exe.c_str(), &ignored);
    ASSERT_GT(size, 0u);
    std::vector<char> block(size);
    ASSERT_TRUE(GetFileVersionInfoA(exe.c_str(), 0, size, block.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(0, 1));
    EXPECT_EQ(fixed->dwFileVersionLS, MAKELONG(1, 0));
}

TEST(Overlay, SecondStartIsRefusedAndLeavesTheFirstAlone)
{
    RunningProgram first;
    HWND window = first.waitForWindow(10000);
    ASSERT_NE(window, nullptr);

    RunningProgram second;
    MessageBoxSeen seen;
    ASSERT_TRUE(pumpUntil([&] { return (seen = findMessageBox(second.id())).box != nullptr; },
                          10000));
    EXPECT_EQ(seen.caption, "dashvane - error");
    EXPECT_EQ(seen.text, "Application already running.");
    PostMessageA(seen.box, WM_COMMAND, IDOK, 0);
    DWORD exitCode = 1;
    ASSERT_TRUE(second.waitForExit(5000, exitCode));
    EXPECT_EQ(exitCode, 0u);

    EXPECT_EQ(FindWindowA("DashvaneClass", "DashvaneWindow"), window);
    EXPECT_EQ(WaitForSingleObject(first.handle(), 0), static_cast<DWORD>(WAIT_TIMEOUT));
}

TEST(Overlay, TheKeyColourNeverReachesTheScreenButTheTextDoes)
{
    RunningProgram program;
    HWND window = program.waitForWindow(10000);
    ASSERT_NE(window, nullptr);
    pumpMessages(1200);  // a few repaints

    RECT rect{};
    GetWindowRect(window, &rect);
    int magenta = 0;
    int text = 0;
    for (DWORD pixel : screenPixels(rect)) {
        magenta += pixel == 0xFF00FF;
        text += pixel == 0xFFFF00;  // the default font colour, yellow
    }
    EXPECT_EQ(magenta, 0);
    EXPECT_GT(text, 20);
}
