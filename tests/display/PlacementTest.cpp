// Corner placement and the clamp of a custom position.
#include <gtest/gtest.h>

#include "display/DisplayRenderer.h"
#include "display/Placement.h"
#include "support/FakeMeasure.h"
#include "support/IniFile.h"

namespace {

const ScreenFigures kScreen{1920, 1080, 1040};

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
        EXPECT_TRUE(sameRect(cornerRect(corner, 300, 200, kScreen), expected[corner])) << corner;
}

TEST(Placement, ClampPullsBackOnlyPastTheRightOrBottomEdge)
{
    struct Row {
        RECT before, after;
        bool movedLeft, movedUp;
    } rows[] = {
        {{2000, 50, 2300, 250}, {1610, 50, 1910, 250}, true, false},
        {{50, 1000, 350, 1200}, {50, 870, 350, 1070}, false, true},
        {{1700, 900, 2000, 1100}, {1610, 870, 1910, 1070}, true, true},
        {{-400, -300, -100, -100}, {-400, -300, -100, -100}, false, false},
        {{1620, 880, 1920, 1080}, {1620, 880, 1920, 1080}, false, false},
    };
    for (Row& row : rows) {
        RECT rect = row.before;
        ClampResult result = clampToScreen(rect, 300, 200, kScreen);
        EXPECT_TRUE(sameRect(rect, row.after)) << row.before.left << "," << row.before.top;
        EXPECT_EQ(result.movedLeft, row.movedLeft);
        EXPECT_EQ(result.movedUp, row.movedUp);
    }
}

TEST_F(ItemTest, PlacementMovesTheRealWindowAndStoresItsOrigin)
{
    DisplayRenderer renderer(settings);
    renderer.pictureWidth = 120;
    renderer.pictureHeight = 40;
    ScreenFigures screen = primaryScreenFigures();

    PlaceAtCorner(window.handle(), settings, renderer, BottomRight);
    RECT placed{};
    GetWindowRect(window.handle(), &placed);
    EXPECT_TRUE(sameRect(placed, cornerRect(BottomRight, 120, 40, screen)));
    EXPECT_EQ(settings.screenPosition, BottomRight);
    EXPECT_EQ(iniValue(path, "Position", "X"), std::to_string(placed.left));
    EXPECT_EQ(iniValue(path, "Position", "Y"), std::to_string(placed.top));
    EXPECT_EQ(iniValue(path, "Options", "ScreenPosition"), "<missing>");

    // A custom position past the right edge is pulled back; one inside keeps
    // its corner. Both take the picture's size.
    settings.screenPosition = Custom;
    settings.windowRect = RECT{screen.width + 50, 20, screen.width + 170, 60};
    RefreshPlacement(window.handle(), settings, renderer);
    GetWindowRect(window.handle(), &placed);
    EXPECT_EQ(placed.right, screen.width - kScreenMargin);
    EXPECT_EQ(placed.top, 20);
    settings.windowRect = RECT{30, 30, 150, 70};
    RefreshPlacement(window.handle(), settings, renderer);
    GetWindowRect(window.handle(), &placed);
    EXPECT_TRUE(sameRect(placed, RECT{30, 30, 150, 70}));
}
