// Corner placement and keeping a custom position on the monitors.
#include <gtest/gtest.h>

#include <climits>

#include "display/DisplayRenderer.h"
#include "display/Placement.h"
#include "support/FakeMeasure.h"
#include "support/IniFile.h"

namespace {

const Monitor kPrimary{{0, 0, 1920, 1080}, {0, 0, 1920, 1040}};
const Monitor kRight{{1920, 0, 3200, 1024}, {1920, 0, 3200, 1024}};
const Monitor kLeftAbove{{-1280, -200, 0, 824}, {-1280, -200, 0, 824}};
const Monitor kTiny{{0, 0, 250, 150}, {0, 0, 250, 150}};

bool sameRect(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

}  // namespace

TEST(Placement, CornersOfA300By200Picture)
{
    const RECT expected[4] = {
        {10, 10, 310, 210}, {1610, 10, 1910, 210}, {10, 830, 310, 1030}, {1610, 830, 1910, 1030}};
    for (int corner = TopLeft; corner <= BottomRight; ++corner)
        EXPECT_TRUE(sameRect(cornerRect(corner, 300, 200, kPrimary, 10), expected[corner]))
            << corner;
    RECT wideMargin = cornerRect(BottomRight, 450, 300, kPrimary, 15);
    EXPECT_TRUE(sameRect(wideMargin, RECT{1455, 725, 1905, 1025}));
}

// A 300 × 200 window with a 10-pixel margin.
TEST(Placement, ACustomPositionIsPulledFullyOntoTheNearestMonitor)
{
    struct Row {
        const char* what;
        std::vector<Monitor> monitors;
        LONG left, top;
        POINT expected;
    } rows[] = {
        {"on the right monitor", {kPrimary, kRight}, 2000, 50, {2000, 50}},
        {"on a monitor left of and above", {kPrimary, kLeftAbove}, -1000, -150, {-1000, -150}},
        {"touching the primary's edges", {kPrimary}, 1620, 880, {1620, 880}},
        {"right monitor unplugged", {kPrimary}, 2000, 50, {1610, 50}},
        {"left monitor unplugged", {kPrimary}, -1000, -150, {10, 10}},
        {"across the seam, mostly right", {kPrimary, kRight}, 1800, 50, {1930, 50}},
        {"past the primary's corner", {kPrimary, kRight}, 1700, 900, {1610, 870}},
        {"far off left", {kPrimary, kRight, kLeftAbove}, -3000, 500, {-1270, 500}},
        {"largest X", {kPrimary}, INT_MAX - 47, 0, {1610, 0}},
        {"largest X and Y, two monitors", {kPrimary, kRight}, INT_MAX, INT_MAX, {2890, 814}},
        {"smallest X and Y", {kPrimary, kRight}, INT_MIN, INT_MIN, {10, 10}},
        {"larger than the monitor", {kTiny}, 40, 40, {10, 10}},
    };
    for (const Row& row : rows) {
        POINT origin = pullOntoMonitors(row.left, row.top, 300, 200, row.monitors, 10);
        EXPECT_EQ(origin.x, row.expected.x) << row.what;
        EXPECT_EQ(origin.y, row.expected.y) << row.what;
    }
}

// Only the user's placing is written, and only what changed: a re-layout in a
// corner places the window again where it is, and a custom place that the
// monitors cannot hold stays stored while the window sits where they can.
TEST_F(ItemTest, PlacementMovesTheRealWindowAndStoresOnlyTheUsersPlace)
{
    TestWindow window;
    DisplayRenderer renderer(settings);
    renderer.pictureWidth = 120;
    renderer.pictureHeight = 40;
    Monitor primary = ConnectedMonitors().front();

    PlaceAtCorner(window.handle(), settings, renderer, BottomRight);
    RECT placed{};
    GetWindowRect(window.handle(), &placed);
    EXPECT_TRUE(sameRect(placed, cornerRect(BottomRight, 120, 40, primary, kScreenMargin)));
    EXPECT_EQ(settings.screenPosition, BottomRight);
    EXPECT_EQ(iniValue(path, "Position", "X"), std::to_string(placed.left));
    EXPECT_EQ(iniValue(path, "Position", "Y"), std::to_string(placed.top));
    EXPECT_EQ(iniValue(path, "Options", "ScreenPosition"), "<missing>");
    std::string before = readTextFile(path);
    FitToPicture(window.handle(), settings, renderer);
    EXPECT_EQ(readTextFile(path), before);
    renderer.pictureHeight = 60;
    FitToPicture(window.handle(), settings, renderer);
    EXPECT_EQ(iniValue(path, "Position", "X"), std::to_string(placed.left));
    EXPECT_EQ(iniValue(path, "Position", "Y"), std::to_string(placed.top - 20));

    // Past the right edge: pulled back onto the screen in memory only. Inside
    // it: the window goes to the stored place, wherever it was.
    settings.screenPosition = Custom;
    before = readTextFile(path);
    settings.storedPlace = POINT{primary.bounds.right + 50, 20};
    RefreshPlacement(window.handle(), settings, renderer);
    GetWindowRect(window.handle(), &placed);
    EXPECT_EQ(placed.right, primary.bounds.right - kScreenMargin);
    EXPECT_EQ(placed.top, 20);
    settings.storedPlace = POINT{30, 30};
    RefreshPlacement(window.handle(), settings, renderer);
    GetWindowRect(window.handle(), &placed);
    EXPECT_TRUE(sameRect(placed, RECT{30, 30, 150, 90}));
    EXPECT_EQ(readTextFile(path), before);
}
