// The real overlay window driven with real messages.
#include <gtest/gtest.h>

#include <windows.h>

#include <dbt.h>

#include <functional>
#include <vector>

#include "display/AppState.h"
#include "display/Placement.h"
#include "display/Stacking.h"
#include "measures/Measure_Battery.h"
#include "menu/Commands.h"
#include "menu/MenuIds.h"
#include "platform/GdiGuards.h"
#include "platform/Messages.h"
#include "support/IniFile.h"
#include "support/MainWindowFixture.h"
#include "support/Pixels.h"

TEST_F(MainWindowTest, ClickWhileUnlockedMakesThePositionCustom)
{
    PlaceAtCorner(app.mainWindow, settings, renderer, TopLeft);
    send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    send(WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(iniValue(path, "Position", "X"), std::to_string(settings.windowRect.left));
    EXPECT_EQ(iniValue(path, "Position", "Y"), std::to_string(settings.windowRect.top));
    EXPECT_EQ(iniValue(path, "Options", "ScreenPosition"), "C");
    EXPECT_EQ(settings.screenPosition, Custom);
}

TEST_F(MainWindowTest, LockedPressAndReleaseWriteNothing)
{
    settings.locked = true;
    std::string before = readTextFile(path);
    send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    send(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(40, 40));
    send(WM_LBUTTONUP, 0, MAKELPARAM(40, 40));
    EXPECT_EQ(readTextFile(path), before);
    EXPECT_FALSE(app.dragging);
}

// The window follows every step, whatever the mode and wherever it rests.
TEST_F(MainWindowTest, DragMovesTheWindowByTheCursorStepInEveryMode)
{
    ShowWindow(app.mainWindow, SW_SHOWNOACTIVATE);
    for (StackingMode mode : {Bottom, Normal, AlwaysOnTop}) {
        SetStackingMode(app.mainWindow, settings, mode);
        RECT before{};
        GetWindowRect(app.mainWindow, &before);
        send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        send(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(25, 15));
        RECT after{};
        GetWindowRect(app.mainWindow, &after);
        EXPECT_EQ(after.left, before.left + 20) << mode;
        EXPECT_EQ(after.top, before.top + 10) << mode;
        EXPECT_EQ(settings.windowRect.left, after.left) << mode;
        send(WM_LBUTTONUP, 0, MAKELPARAM(25, 15));
        EXPECT_EQ(iniValue(path, "Position", "X"), std::to_string(after.left)) << mode;
    }
}

// Re-layouts and display changes that come while a corner-placed window is
// dragged leave it under the cursor; the release then stores where it is.
TEST_F(MainWindowTest, ARelayoutDuringADragLeavesTheWindowUnderTheCursor)
{
    PlaceAtCorner(app.mainWindow, settings, renderer, TopLeft);
    send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    send(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(45, 35));
    RECT dragged{};
    GetWindowRect(app.mainWindow, &dragged);
    item(1).setValue("a value far wider than any before it");
    for (UINT message : {WM_RELAYOUT, UINT(WM_DISPLAYCHANGE), WM_RELAYOUTANDPLACE}) {
        send(message);
        RECT now{};
        GetWindowRect(app.mainWindow, &now);
        EXPECT_EQ(now.left, dragged.left) << message;
        EXPECT_EQ(now.top, dragged.top) << message;
        EXPECT_EQ(now.right - now.left, renderer.pictureWidth) << message;
    }
    send(WM_LBUTTONUP, 0, MAKELPARAM(45, 35));
    EXPECT_EQ(iniValue(path, "Position", "X"), std::to_string(dragged.left));
    EXPECT_EQ(iniValue(path, "Position", "Y"), std::to_string(dragged.top));
}

TEST_F(MainWindowTest, MovesLeftOfOrAboveThePrimaryMonitorAreRecorded)
{
    send(WM_MOVE, 0, MAKELPARAM(-20, -30));
    EXPECT_EQ(settings.windowRect.left, -20);
    EXPECT_EQ(settings.windowRect.top, -30);
    EXPECT_EQ(settings.windowRect.right, -20 + renderer.pictureWidth);
}

// The clock turns on the screen as the second starts, and the program wakes
// once a second: each tick comes just after a second of the wall clock.
TEST_F(MainWindowTest, RefreshTicksComeJustAfterEachSecondStarts)
{
    StartTimers(app);
    std::vector<int> millisecondsPast;
    const ULONGLONG end = GetTickCount64() + 5000;
    while (millisecondsPast.size() < 3 && GetTickCount64() < end) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
        MSG msg{};
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_TIMER && msg.hwnd == app.mainWindow
                && msg.wParam == IDT_REFRESH) {
                SYSTEMTIME now{};
                GetSystemTime(&now);
                millisecondsPast.push_back(now.wMilliseconds);
            }
            DispatchMessageA(&msg);
        }
    }
    ASSERT_EQ(millisecondsPast.size(), 3u);
    for (int past : millisecondsPast)
        EXPECT_LT(past, 300);
}

TEST_F(MainWindowTest, SuspendHoldsItemUpdatesUntilResumeAsksForLayout)
{
    EXPECT_EQ(send(WM_POWERBROADCAST, PBT_APMSUSPEND), 0);
    int held = item(0).updates;
    send(WM_TIMER, IDT_REFRESH);
    send(WM_TIMER, IDT_REFRESH);
    EXPECT_EQ(item(0).updates, held);

    send(WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC);
    EXPECT_TRUE(takePosted(WM_RELAYOUT));
    send(WM_TIMER, IDT_REFRESH);
    EXPECT_EQ(item(0).updates, held + 1);
}

TEST_F(MainWindowTest, RelayoutAfterExitDoesNothing)
{
    item(1).setValue("a value far wider than any before it");
    app.exiting = true;
    int width = renderer.pictureWidth;
    send(WM_RELAYOUT);
    EXPECT_EQ(renderer.pictureWidth, width);
    app.exiting = false;
    send(WM_RELAYOUT);
    EXPECT_GT(renderer.pictureWidth, width);
    RECT rect{};
    GetWindowRect(app.mainWindow, &rect);
    EXPECT_EQ(rect.right - rect.left, renderer.pictureWidth);
}

// In a custom position inside the screen the window keeps its corner and
// takes the new width at once.
TEST_F(MainWindowTest, AChangedSeparatorRelaysAndResizesTheWindow)
{
    settings.screenPosition = Custom;
    int width = renderer.separatorWidth;
    settings.setSeparator("=====");
    send(WM_RELAYOUTANDPLACE);
    EXPECT_GT(renderer.separatorWidth, width);
    RECT rect{};
    GetWindowRect(app.mainWindow, &rect);
    EXPECT_EQ(rect.left, 100);
    EXPECT_EQ(rect.right - rect.left, renderer.pictureWidth);
}

TEST_F(MainWindowTest, SettingAndDeviceChangesAlwaysAnswerZero)
{
    for (WPARAM code : {WPARAM(0), WPARAM(SPI_SETDESKWALLPAPER), WPARAM(DBT_DEVNODES_CHANGED),
                        WPARAM(0x8000), WPARAM(47)}) {
        EXPECT_EQ(send(WM_SETTINGCHANGE, code), 0);
        EXPECT_EQ(send(WM_DEVICECHANGE, code), 0);
    }
}

TEST_F(MainWindowTest, ResampleTriggersCollapseIntoOneTimer)
{
    settings.autoBgColor = true;
    send(WM_SETTINGCHANGE, SPI_SETDESKWALLPAPER);
    send(WM_DEVICECHANGE, DBT_DEVNODES_CHANGED);
    send(WM_DISPLAYCHANGE);
    EXPECT_TRUE(KillTimer(app.mainWindow, IDT_RESAMPLE));
    EXPECT_FALSE(KillTimer(app.mainWindow, IDT_RESAMPLE));

    settings.autoBgColor = false;
    send(WM_SETTINGCHANGE, SPI_SETDESKWALLPAPER);
    EXPECT_FALSE(KillTimer(app.mainWindow, IDT_RESAMPLE));
}

TEST_F(MainWindowTest, ControlDoubleClickCopiesEveryValueHiddenOnesToo)
{
    item(0).setValue("R&D-Łódź");
    item(2).setShown(false, false);
    setControlKey(true);
    send(WM_LBUTTONDBLCLK, MK_LBUTTON | MK_CONTROL, MAKELPARAM(2, 2));
    setControlKey(false);

    // Without an owner the copy fails on Windows, though not here.
    EXPECT_EQ(GetClipboardOwner(), app.mainWindow);
    ASSERT_TRUE(OpenClipboard(nullptr));
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    std::wstring text = data != nullptr ? static_cast<const wchar_t*>(GlobalLock(data)) : L"";
    if (data != nullptr)
        GlobalUnlock(data);
    CloseClipboard();
    EXPECT_EQ(text, L"R&D-Łódź\n37%\n\n");
}

// The hotkey lifts a Bottom-mode window over everything for a look, and the
// next press puts it back; the settings file is not touched.
TEST_F(MainWindowTest, HotkeyRaisesTheWindowAndTheNextPressReturnsIt)
{
    SetStackingMode(app.mainWindow, settings, Bottom);
    ShowWindow(app.mainWindow, SW_SHOWNOACTIVATE);
    TestWindow cover;
    SetWindowPos(cover.handle(), HWND_TOP, 100, 100, 50, 50, SWP_SHOWWINDOW | SWP_NOACTIVATE);
    std::string stored = readTextFile(path);
    auto overlayOnTop = [&] {
        HWND next = app.mainWindow;
        while (next != nullptr && next != cover.handle())
            next = GetWindow(next, GW_HWNDNEXT);
        return next != nullptr;
    };
    ASSERT_FALSE(overlayOnTop());
    send(WM_HOTKEY);
    send(WM_TIMER, IDT_REFRESH);  // the bottom upkeep leaves a raised window alone
    EXPECT_TRUE(overlayOnTop());
    EXPECT_TRUE(GetWindowLongPtrA(app.mainWindow, GWL_EXSTYLE) & WS_EX_TOPMOST);
    send(WM_HOTKEY);
    EXPECT_FALSE(overlayOnTop());
    EXPECT_FALSE(GetWindowLongPtrA(app.mainWindow, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(readTextFile(path), stored);
}

// A second start lifts the window the same way, and its timer puts it back;
// a raise the user made with the hotkey outlives that timer.
TEST_F(MainWindowTest, ASecondStartRaisesTheWindowForAWhileOnly)
{
    const UINT showRequest = RegisterWindowMessageW(kShowOverlayMessageName);
    SetStackingMode(app.mainWindow, settings, Bottom);
    ShowWindow(app.mainWindow, SW_SHOWNOACTIVATE);
    auto topmost = [&] {
        return (GetWindowLongPtrA(app.mainWindow, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    };

    send(showRequest);
    EXPECT_TRUE(topmost());
    send(WM_TIMER, IDT_BRIEF_RAISE);
    EXPECT_FALSE(topmost());
    EXPECT_EQ(settings.stackingMode, Bottom);

    send(WM_HOTKEY);
    send(showRequest);
    send(WM_TIMER, IDT_BRIEF_RAISE);
    EXPECT_TRUE(topmost());
    send(WM_HOTKEY);
    EXPECT_FALSE(topmost());
}

TEST_F(MainWindowTest, DoubleClickRunsTheActionOfTheItemUnderTheCursor)
{
    SetWindowPos(app.mainWindow, nullptr, 200, 150, renderer.pictureWidth, renderer.pictureHeight,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    SetCursorPos(210, 150 + renderer.lineHeight + renderer.lineHeight / 2);
    setControlKey(false);
    send(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(10, renderer.lineHeight + 2));
    EXPECT_EQ(item(0).activatedLine, 0);
    EXPECT_EQ(item(1).activatedLine, 1);
}

TEST_F(MainWindowTest, AnItemUpdateRequestRunsOnlyForItemsOfTheList)
{
    int before = item(2).updates;
    send(WM_UPDATEITEM, reinterpret_cast<WPARAM>(&item(2)));
    EXPECT_EQ(item(2).updates, before + 1);
    int stranger = 0;
    send(WM_UPDATEITEM, reinterpret_cast<WPARAM>(&stranger));
    EXPECT_EQ(item(2).updates, before + 1);
}

TEST_F(MainWindowTest, RightReleasePostsTheMenuRequestWithCtrl)
{
    send(WM_RBUTTONUP, MK_CONTROL, MAKELPARAM(3, 3));
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, app.mainWindow, WM_SHOWMENU, WM_SHOWMENU, PM_REMOVE));
    EXPECT_EQ(msg.wParam, static_cast<WPARAM>(MK_CONTROL));
}

namespace {

// Mains power at 57 %, charging; each reading counted.
int powerReadings = 0;
BOOL WINAPI chargingAt57(LPSYSTEM_POWER_STATUS status)
{
    ++powerReadings;
    *status = SYSTEM_POWER_STATUS{};
    status->ACLineStatus = 1;
    status->BatteryFlag = 8;
    status->BatteryLifePercent = 57;
    return TRUE;
}

}  // namespace

TEST(MainWindowPower, AStatusEventRereadsTheBatteryAtOnce)
{
    TempDir dir;
    Settings settings(dir.file("Dashvane.ini"));
    DisplayRenderer renderer(settings);
    AppState app;
    app.settings = &settings;
    app.renderer = &renderer;
    RegisterMainWindowClass(GetModuleHandleA(nullptr));
    CreateMainWindow(GetModuleHandleA(nullptr), app);
    std::vector<std::unique_ptr<Measure>> items;
    items.push_back(std::make_unique<Measure_Battery>(app, settings, chargingAt57));
    MeasureList list(std::move(items));
    app.measures = &list;

    int before = powerReadings;
    EXPECT_EQ(SendMessageA(app.mainWindow, WM_POWERBROADCAST, PBT_APMPOWERSTATUSCHANGE, 0), 0);
    EXPECT_EQ(powerReadings, before + 1);
    EXPECT_EQ(app.battery, &list.at(0));
    EXPECT_EQ(list.at(0).valueText(), "Charging: 57%");
    list.destroyAll();
    DestroyWindow(app.mainWindow);
}

namespace {

// The overlay shown on screen, topmost, in a font colour nothing else uses,
// with five items: a change to the first and one to the last touch rows too
// far apart for one band.
struct PictureTest : MainWindowTest {
    static constexpr int kX = 700, kY = 500, kItems = 5;
    static constexpr COLORREF kInk = RGB(20, 200, 90);
    // As the screen's pixels read: 0x00RRGGBB, where a COLORREF is 0x00BBGGRR.
    static constexpr DWORD kInkPixel = DWORD{GetRValue(kInk)} << 16 | DWORD{GetGValue(kInk)} << 8
                                       | GetBValue(kInk);

    PictureTest()
    {
        app.measures = nullptr;
        std::vector<std::unique_ptr<Measure>> items;
        for (const char* name : {"First", "Second", "Third", "Fourth", "Fifth"})
            items.push_back(std::make_unique<FakeMeasure>(app, settings, name, 20));
        list = std::make_unique<MeasureList>(std::move(items));
        app.measures = list.get();
        item(0).setValue("9:05:07");
        item(1).setValue("37%");
        item(3).setValue("12");
        item(4).setValue("up");
        settings.stackingMode = AlwaysOnTop;
        settings.setFontColour(kInk);
        app.displayFont.reset(CreateFontA(14, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET,
                                          OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS,
                                          NONANTIALIASED_QUALITY, FF_SWISS, "Courier New"));
        item(0).setGraph(true, 300);
        item(1).setGraph(true, 300);
        item(2).setValue("0");
        renderer.layout(*list, font());
        ApplyColourKey(app.mainWindow);
        SetWindowPos(app.mainWindow, HWND_TOPMOST, kX, kY, renderer.pictureWidth,
                     renderer.pictureHeight, SWP_SHOWWINDOW | SWP_NOACTIVATE);
    }

    std::vector<DWORD> picture()
    {
        return pixelsOf(renderer.memoryDC(), 0, 0, renderer.pictureWidth, renderer.pictureHeight);
    }
    // The same state drawn whole, by a renderer of its own.
    std::vector<DWORD> wholePicture()
    {
        DisplayRenderer whole(settings);
        whole.layout(*list, font());
        whole.paint(whole.memoryDC(), *list, font(), false);
        return pixelsOf(whole.memoryDC(), 0, 0, whole.pictureWidth, whole.pictureHeight);
    }
    // The screen shows every opaque pixel of the picture, and the ink nowhere
    // else: no text is left behind where the picture is transparent now.
    bool onScreen(const std::vector<DWORD>& expected)
    {
        ScreenDC screen;
        std::vector<DWORD> shown =
            pixelsOf(screen.get(), kX, kY, renderer.pictureWidth, renderer.pictureHeight);
        for (size_t i = 0; i < expected.size(); ++i) {
            bool transparent = expected[i] == 0xFF00FF;
            if (transparent ? shown[i] == kInkPixel : shown[i] != expected[i])
                return false;
        }
        return true;
    }
    int draws(int i) { return item(i).draws; }
    int allDraws()
    {
        int sum = 0;
        for (int i = 0; i < kItems; ++i)
            sum += draws(i);
        return sum;
    }
    void tick() { send(WM_TIMER, IDT_REFRESH); }

    HFONT font() const { return app.displayFont.get(); }
};

}  // namespace

// After every kind of update, the lines redrawn at the refresh tick leave the
// bitmap and the screen as one full repaint of the same state would; items
// two lines from every change are not drawn, and a tick without a change
// draws nothing.
TEST_F(PictureTest, PartialRepaintsLeaveThePictureOfOneFullRepaint)
{
    auto value = [this](int i, const char* text) {
        item(i).setValue(text);
        item(i).markChanged();
    };
    auto bar = [this](int i, int percent) {
        item(i).setGraph(true, percent);
        item(i).markChanged();
    };
    const struct {
        const char* what;
        std::function<void()> change;
        int untouched;  // an item that must not be drawn, or -1
    } steps[] = {
        {"a shorter value", [&] { value(1, "5%"); }, -1},
        {"a longer value", [&] { value(1, "100%"); }, -1},
        {"the first line alone", [&] { value(0, "9:05:08"); }, 2},
        {"the last line alone", [&] { value(4, "down"); }, 2},
        {"graphs switched on", [&] { ExecuteMenuCommand(app, IDM_SHOW_GRAPHS); }, -1},
        {"a bar grows", [&] { bar(0, 80); }, 2},
        {"the first and the last line, far apart",
         [&] {
             value(0, "9:05:10");
             bar(4, 50);
         },
         2},
        {"a bar shrinks; its outline lay on the next line", [&] { bar(0, 20); }, 2},
        {"two lines at once",
         [&] {
             value(0, "9:05:09");
             bar(1, 64);
         },
         -1},
        // Outlined text reaches a few pixels into the rows beside it, so the
        // rows next to a change are redrawn too.
        {"text outline switched on", [&] { ExecuteMenuCommand(app, IDM_TEXT_OUTLINE); }, -1},
        {"the first line alone, outlined", [&] { value(0, "9:05:11"); }, 3},
        {"the last line alone, outlined", [&] { value(4, "up"); }, 1},
        {"a bar shrinks, outlined", [&] { bar(0, 10); }, 3},
    };
    tick();  // the first picture, whole
    for (const auto& step : steps) {
        int untouchedBefore = step.untouched < 0 ? 0 : draws(step.untouched);
        step.change();
        tick();
        std::vector<DWORD> partial = picture();
        EXPECT_EQ(step.untouched < 0 ? 0 : draws(step.untouched), untouchedBefore) << step.what;
        int drawn = allDraws();
        tick();
        EXPECT_EQ(allDraws(), drawn) << step.what;

        std::vector<DWORD> whole = wholePicture();
        ASSERT_EQ(partial.size(), whole.size());
        int differing = 0;
        for (size_t i = 0; i < whole.size(); ++i)
            differing += partial[i] != whole[i];
        EXPECT_EQ(differing, 0) << step.what;
        // Shown at this tick: the platform copies the window out when idle.
        EXPECT_TRUE(pumpUntil([&] { return onScreen(partial); }, 3000)) << step.what;
        // The check sees ink left where the picture is transparent.
        EXPECT_FALSE(onScreen(std::vector<DWORD>(partial.size(), 0xFF00FF))) << step.what;
    }
}
