// The real program on two monitors (Xorg with the dummy video driver, its two
// outputs arranged with xrandr): a position dragged onto either monitor is
// kept over a restart, and unplugging the monitor pulls the window onto the
// one left.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "e2e/RunningProgram.h"
#include "support/IniFile.h"

namespace {

// Runs xrandr on the host, then once more to query the outputs: the query
// makes the X server look at its outputs again and report them, and that
// report is what Wine's desktop process passes on to the programs. Wine starts
// the host's programs but gives no handle to wait on, so the host's shell
// leaves the exit status in a file.
bool xrandr(const std::string& arguments)
{
    std::string status = "/tmp/dashvane-xrandr-" + std::to_string(GetCurrentProcessId());
    std::string statusFile = "Z:" + status;
    std::replace(statusFile.begin(), statusFile.end(), '/', '\\');
    DeleteFileA(statusFile.c_str());
    std::string command = "Z:\\bin\\sh -c \"xrandr " + arguments
                          + " && xrandr --query >/dev/null; echo $? >" + status + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::string written;
    bool done = CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &startup, &process)
                && pumpUntil([&] { return (written = readTextFile(statusFile)).size() > 1; }, 10000);
    DeleteFileA(statusFile.c_str());
    return done && written == "0\n";
}

BOOL CALLBACK addMonitor(HMONITOR, HDC, LPRECT rect, LPARAM monitors)
{
    reinterpret_cast<std::vector<RECT>*>(monitors)->push_back(*rect);
    return TRUE;
}

bool seen(const std::vector<RECT>& expected)
{
    std::vector<RECT> monitors;
    EnumDisplayMonitors(nullptr, nullptr, addMonitor, reinterpret_cast<LPARAM>(&monitors));
    auto same = [](const RECT& a, const RECT& b) { return EqualRect(&a, &b) != FALSE; };
    return monitors.size() == expected.size()
           && std::is_permutation(monitors.begin(), monitors.end(), expected.begin(), same);
}

// Sets the outputs and waits until Wine lists these monitors. A window of
// this test keeps Wine's desktop process running; a report that came while it
// was starting is lost, so the outputs are queried once more if need be.
bool arrange(const std::string& arguments, const std::vector<RECT>& monitors)
{
    static TestWindow keepsTheDesktop;
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (!xrandr(attempt == 0 ? arguments : "--query >/dev/null"))
            return false;
        if (pumpUntil([&] { return seen(monitors); }, 2000))
            return true;
    }
    return false;
}

const RECT kPrimary{0, 0, 1280, 800};

void startAt(int x, int y)
{
    // Normal stacking: every drag step moves the window at once.
    writeUserSettings("[Options]\r\nPosition=Normal\r\nScreenPosition=C\r\n[Position]\r\nX="
                      + std::to_string(x) + "\r\nY=" + std::to_string(y) + "\r\n");
}

// A drag as the window receives it: a press, one step by (dx, dy), the release.
void drag(HWND window, int dx, int dy)
{
    PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    PostMessageA(window, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(5 + dx, 5 + dy));
    PostMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(5 + dx, 5 + dy));
}

bool reaches(HWND window, LONG left, LONG top)
{
    return pumpUntil(
        [&] {
            RECT rect = windowRect(window);
            return rect.left == left && rect.top == top;
        },
        5000);
}

bool stored(LONG left, LONG top)
{
    return pumpUntil(
        [&] {
            return iniValue(userSettingsFile(), "Position", "X") == std::to_string(left)
                   && iniValue(userSettingsFile(), "Position", "Y") == std::to_string(top);
        },
        3000);
}

// Dragged to (left, top), then started again.
void dragThenRestart(LONG left, LONG top)
{
    startAt(100, 100);
    {
        RunningProgram program;
        HWND window = program.waitForWindow(10000);
        ASSERT_NE(window, nullptr);
        ASSERT_TRUE(reaches(window, 100, 100));
        drag(window, left - 100, top - 100);
        EXPECT_TRUE(reaches(window, left, top));
        EXPECT_TRUE(stored(left, top));
    }
}

}  // namespace

TEST(Monitors, APositionOnTheRightMonitorIsKeptUntilThatMonitorGoes)
{
    ASSERT_TRUE(arrange("--output DUMMY0 --mode 1280x800 --pos 0x0 --primary "
                        "--output DUMMY1 --mode 1024x768 --pos 1280x0",
                        {kPrimary, {1280, 0, 2304, 768}}));
    dragThenRestart(1500, 150);
    RunningProgram program;
    HWND window = program.waitForWindow(10000);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(reaches(window, 1500, 150));

    // Unplugged while it runs: the platform tells the window through this.
    ASSERT_TRUE(arrange("--output DUMMY1 --off", {kPrimary}));
    SendMessageA(window, WM_DISPLAYCHANGE, 24, MAKELPARAM(1280, 800));
    RECT rect{};
    EXPECT_TRUE(pumpUntil([&] { return (rect = windowRect(window)).right == 1280 - 10; }, 3000))
        << rect.left << "," << rect.top << "," << rect.right << "," << rect.bottom;
    EXPECT_EQ(rect.top, 150);
    EXPECT_GE(rect.left, 0);
    EXPECT_LE(rect.bottom, 800);
    EXPECT_TRUE(stored(rect.left, 150));
}

TEST(Monitors, APositionOnAMonitorLeftOfThePrimaryIsKept)
{
    // Left of the primary one, the second monitor has negative coordinates.
    ASSERT_TRUE(arrange("--output DUMMY1 --mode 1024x768 --pos 0x0 "
                        "--output DUMMY0 --mode 1280x800 --pos 1024x0 --primary",
                        {kPrimary, {-1024, 0, 0, 768}}));
    dragThenRestart(-800, 150);
    RunningProgram program;
    HWND window = program.waitForWindow(10000);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(reaches(window, -800, 150));
}
