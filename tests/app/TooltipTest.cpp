// The tracking tooltip on the real window, with real cursor positions.
#include <gtest/gtest.h>

#include "app/Tooltip.h"
#include "platform/Messages.h"
#include "support/MainWindowFixture.h"
#include "support/PopupMenu.h"

namespace {

class TooltipTest : public MainWindowTest {
protected:
    TooltipTest()
    {
        settings.locked = true;
        settings.showTooltips = true;
        SetWindowPos(app.mainWindow, HWND_TOP, 200, 150, renderer.pictureWidth,
                     renderer.pictureHeight, SWP_SHOWWINDOW | SWP_NOACTIVATE);
        item(1).tip = "120 GBytes";
        setControlKey(true);
    }
    ~TooltipTest() override
    {
        setControlKey(false);
        DestroyWindow(app.tooltip);
    }

    // Moves the cursor over the second item's line and tells the window.
    POINT hover(int dx = 0)
    {
        POINT cursor{210 + dx, 150 + renderer.lineHeight + renderer.lineHeight / 2};
        SetCursorPos(cursor.x, cursor.y);
        send(WM_MOUSEMOVE, 0, MAKELPARAM(cursor.x - 200, cursor.y - 150));
        return cursor;
    }
    bool tipVisible() { return app.tooltipShowing && IsWindowVisible(app.tooltip); }
    // Where the tip's text area begins; its border lies outside the point.
    POINT tipOrigin()
    {
        POINT origin{0, 0};
        ClientToScreen(app.tooltip, &origin);
        return origin;
    }
};

}  // namespace

TEST_F(TooltipTest, ShowsTheLinesTextBesideTheCursorAndFollowsIt)
{
    ASSERT_EQ(app.tooltip, nullptr);
    POINT cursor = hover();
    ASSERT_NE(app.tooltip, nullptr);
    ASSERT_TRUE(tipVisible());
    EXPECT_EQ(item(1).tipLine, 1);
    EXPECT_EQ(tipOrigin().x, cursor.x + 15);
    EXPECT_EQ(tipOrigin().y, cursor.y + 15);

    SetCursorPos(cursor.x + 30, cursor.y);
    EXPECT_TRUE(pumpUntil([&] { return tipOrigin().x == cursor.x + 45; }, 500));
    EXPECT_TRUE(tipVisible());
}

TEST_F(TooltipTest, ReleasingControlHidesItWithinATick)
{
    hover();
    ASSERT_TRUE(tipVisible());
    setControlKey(false);
    pumpMessages(200);
    EXPECT_FALSE(tipVisible());
    EXPECT_FALSE(KillTimer(app.mainWindow, IDT_TOOLTIP));
}

// The cursor rests on a control of the covering window, not on the window.
TEST_F(TooltipTest, AWindowCoveringTheOverlayHidesItEvenOverItsControls)
{
    POINT cursor = hover();
    ASSERT_TRUE(tipVisible());
    TestWindow cover;
    SetWindowPos(cover.handle(), HWND_TOPMOST, cursor.x - 20, cursor.y - 20, 60, 60,
                 SWP_SHOWWINDOW | SWP_NOACTIVATE);
    HWND button = CreateWindowExA(0, "BUTTON", "OK", WS_CHILD | WS_VISIBLE, 0, 0, 60, 60,
                                  cover.handle(), nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_EQ(WindowFromPoint(cursor), button);
    pumpMessages(300);
    EXPECT_FALSE(tipVisible());
}

TEST_F(TooltipTest, NeverShowsUnlockedOrWithoutControl)
{
    settings.locked = false;
    hover();
    EXPECT_FALSE(tipVisible());
    settings.locked = true;
    setControlKey(false);
    hover();
    EXPECT_FALSE(tipVisible());
    EXPECT_EQ(app.tooltip, nullptr);
}

TEST_F(TooltipTest, TheMenuHidesItFirst)
{
    hover();
    ASSERT_TRUE(tipVisible());
    std::thread escape = dismissNextPopup();
    send(WM_SHOWMENU);
    escape.join();
    EXPECT_FALSE(tipVisible());
}
