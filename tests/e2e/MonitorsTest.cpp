// The real program on two monitors (Xorg with the dummy video driver, its
// outputs arranged with xrandr): a position dragged onto either monitor is
// kept over a restart, and a monitor switched off and on again lends the
// window to the one left and takes it back.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "e2e/RunningProgram.h"
#include "support/IniFile.h"

namespace {

const RECT kPrimary{0, 0, 1280, 800};

BOOL CALLBACK addMonitor(HMONITOR, HDC, LPRECT rect, LPARAM monitors)
{
    reinterpret_cast<std::vector<RECT>*>(monitors)->push_back(*rect);
    return TRUE;
}

bool listed(const std::vector<RECT>& expected)
{
    std::vector<RECT> monitors;
    EnumDisplayMonitors(nullptr, nullptr, addMonitor, reinterpret_cast<LPARAM>(&monitors));
    auto same = [](const RECT& a, const RECT& b) { return EqualRect(&a, &b) != FALSE; };
    return monitors.size() == expected.size()
           && std::is_permutation(monitors.begin(), monitors.end(), expected.begin(), same);
}

// Sets the outputs with the host's xrandr (Wine starts host programs too) and
// waits until Wine lists these monitors. The query after the change makes the
// X server report its outputs, which Wine's desktop process, kept running by a
// window of this test, passes on; a report made while that process was still
// starting is lost, so the query is repeated.
bool arrange(const std::string& arguments, const std::vector<RECT>& monitors)
{
    static TestWindow keepsTheDesktop;
    std::string command = "Z:\\bin\\sh -c \"xrandr " + arguments + "; xrandr --query >/dev/null\"";
    for (int attempt = 0; attempt < 3; ++attempt) {
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};  // a host program has no handles to close
        if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                            &startup, &process))
            return false;
        if (pumpUntil([&] { return listed(monitors); }, 3000))
            return true;
    }
    return false;
}

// Once the window is there and the settings file holds that position.
bool placedAt(HWND window, LONG left, LONG top)
{
    return pumpUntil(
        [&] {
            RECT rect = windowRect(window);
            return rect.left == left && rect.top == top
                   && iniValue(userSettingsFile(), "Position", "X") == std::to_string(left)
                   && iniValue(userSettingsFile(), "Position", "Y") == std::to_string(top);
        },
        5000);
}

// Started at (100, 100) and dragged to (left, top), in one run of the program.
void dragTo(LONG left, LONG top)
{
    // Normal stacking: every drag step moves the window at once.
    writeUserSettings("[Options]\r\nPosition=Normal\r\n[Position]\r\nX=100\r\nY=100\r\n");
    RunningProgram program;
    HWND window = program.waitForWindow(kStartMs);
    ASSERT_TRUE(window != nullptr && placedAt(window, 100, 100));
    // A drag as the window receives it: a press, one step, the release.
    PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    PostMessageA(window, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(left - 95, top - 95));
    PostMessageA(window, WM_LBUTTONUP, 0, 0);
    EXPECT_TRUE(placedAt(window, left, top));
}

}  // namespace

// Switched off while the program runs, the monitor leaves the window on the
// one left, the place stays in the file, and switched on again it takes the
// window back. The platform tells the window of each change.
TEST(Monitors, APlaceOnAMonitorSwitchedOffIsKeptAndRetakenWhenItIsBack)
{
    const std::vector<RECT> both{kPrimary, {1280, 0, 2304, 768}};
    ASSERT_TRUE(
        arrange("--output DUMMY0 --mode 1280x800 --pos 0x0 --primary "
                "--output DUMMY1 --mode 1024x768 --pos 1280x0",
                both));
    dragTo(1500, 150);
    RunningProgram program;
    HWND window = program.waitForWindow(kStartMs);
    ASSERT_TRUE(window != nullptr && placedAt(window, 1500, 150));

    ASSERT_TRUE(arrange("--output DUMMY1 --off", {kPrimary}));
    SendMessageA(window, WM_DISPLAYCHANGE, 24, MAKELPARAM(1280, 800));
    RECT rect{};
    EXPECT_TRUE(pumpUntil(
        [&] { return (rect = windowRect(window)).right == kPrimary.right - 10 && rect.top == 150; },
        3000))
        << rect.left << "," << rect.top;
    EXPECT_EQ(iniValue(userSettingsFile(), "Position", "X"), "1500");
    EXPECT_EQ(iniValue(userSettingsFile(), "Position", "Y"), "150");

    ASSERT_TRUE(arrange("--output DUMMY1 --mode 1024x768 --pos 1280x0", both));
    SendMessageA(window, WM_DISPLAYCHANGE, 24, MAKELPARAM(2304, 800));
    EXPECT_TRUE(placedAt(window, 1500, 150));
}

TEST(Monitors, APositionOnAMonitorLeftOfThePrimaryIsKept)
{
    // Left of the primary one, the second monitor has negative coordinates.
    ASSERT_TRUE(
        arrange("--output DUMMY1 --mode 1024x768 --pos 0x0 "
                "--output DUMMY0 --mode 1280x800 --pos 1024x0 --primary",
                {kPrimary, {-1024, 0, 0, 768}}));
    dragTo(-800, 150);
    RunningProgram program;
    HWND window = program.waitForWindow(kStartMs);
    EXPECT_TRUE(window != nullptr && placedAt(window, -800, 150));
}
