// The real program in a prefix set to 144 DPI: the 96-DPI picture at one and
// a half times, drawn sharp, and drawn anew for the DPI a WM_DPICHANGED brings.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <map>

#include "e2e/RunningProgram.h"
#include "e2e/ScreenPixels.h"
#include "support/IniFile.h"

namespace {

// As the platform tells a window that it now shows at dpi, suggesting a
// place; returns the window's size once it is there. The suggested rectangle
// goes by address, so it is written into the program's own memory.
SIZE changeDpi(const RunningProgram& program, HWND window, int dpi, LONG left, LONG top)
{
    RECT suggested{left, top, left + 100, top + 100};
    void* copy = VirtualAllocEx(program.handle(), nullptr, sizeof suggested,
                                MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (copy != nullptr
        && WriteProcessMemory(program.handle(), copy, &suggested, sizeof suggested, nullptr))
        SendMessageA(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(copy));
    RECT rect{};
    EXPECT_TRUE(pumpUntil(
        [&] { return (rect = windowRect(window)).left == left && rect.top == top; }, 3000))
        << dpi << " DPI: " << rect.left << "," << rect.top;
    return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

}  // namespace

TEST(HighDpi, TheSamePictureLargerAndSharp)
{
    std::string settingsFile = userSettingsFile();
    DeleteFileA(settingsFile.c_str());
    RunningProgram program;
    HWND window = program.waitForWindow(kStartMs);
    ASSERT_NE(window, nullptr);
    pumpMessages(1500);  // placed, and a few repaints
    RECT atStart = windowRect(window);
    EXPECT_EQ(atStart.right, GetSystemMetrics(SM_CXSCREEN) - 15);
    EXPECT_EQ(atStart.top, 0);

    // Text and outlines in the text colour, the frame box in the graph colour,
    // the black screen behind everything else: no blended edges, no key colour.
    std::map<DWORD, int> colours;
    for (DWORD pixel : screenPixels(atStart))
        ++colours[pixel];
    EXPECT_GT(colours[0xFFFF00], 200);
    for (const auto& [colour, count] : colours)
        EXPECT_TRUE(colour == 0xFFFF00 || colour == 0x47608D || colour == 0)
            << std::hex << colour << std::dec << " × " << count;

    std::string written = readTextFile(settingsFile);
    SIZE at96 = changeDpi(program, window, 96, 100, 120);
    SIZE at192 = changeDpi(program, window, 192, 40, 60);
    EXPECT_EQ(readTextFile(settingsFile), written);

    // Each line's height and each column's width round on their own: one pixel
    // per line is allowed. At 96 DPI no line of the 14-pixel default font is
    // lower than 10 pixels.
    const LONG lines = at96.cy / 10;
    auto scaled = [&](LONG actual, LONG base, double factor) {
        return std::abs(actual - static_cast<LONG>(base * factor)) <= lines;
    };
    EXPECT_TRUE(scaled(atStart.right - atStart.left, at96.cx, 1.5)) << atStart.right - atStart.left;
    EXPECT_TRUE(scaled(atStart.bottom - atStart.top, at96.cy, 1.5)) << atStart.bottom - atStart.top;
    EXPECT_TRUE(scaled(at192.cx, at96.cx, 2)) << at192.cx << " / " << at96.cx;
    EXPECT_TRUE(scaled(at192.cy, at96.cy, 2)) << at192.cy << " / " << at96.cy;
}
