// Stacking rules, checked by the z-order they leave among real windows standing
// in for the desktop's own windows and for an application.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "display/Stacking.h"
#include "support/IniFile.h"
#include "support/TempDir.h"

namespace {

// Counts the overlay's z-order changes; while routed, it answers
// WM_WINDOWPOSCHANGING as the main window does.
struct OverlayState {
    int changes = 0;
    const Settings* routed = nullptr;
};

LRESULT CALLBACK OverlayProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* state = reinterpret_cast<OverlayState*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (message == WM_WINDOWPOSCHANGING && state != nullptr) {
        auto& pos = *reinterpret_cast<WINDOWPOS*>(lParam);
        if (state->routed != nullptr && RedirectToBottom(window, pos, *state->routed))
            return 0;
        state->changes += (pos.flags & SWP_NOZORDER) ? 0 : 1;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

bool isBelow(HWND upper, HWND lower)
{
    HWND next = GetWindow(upper, GW_HWNDNEXT);
    while (next != nullptr && next != lower)
        next = GetWindow(next, GW_HWNDNEXT);
    return next != nullptr;
}

// Puts window directly under after (or HWND_TOPMOST).
void place(HWND window, HWND after)
{
    SetWindowPos(window, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

struct StackingTest : ::testing::Test {
    StackingTest()
    {
        SetWindowLongPtrA(overlay, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&state));
    }
    ~StackingTest() override
    {
        while (!windows.empty())
            closeLast();
    }

    // Each window has a class of its own: class names are case-insensitive, so
    // "workerw" can only exist once "WorkerW" is gone.
    HWND open(const char* className, WNDPROC procedure = DefWindowProcA)
    {
        WNDCLASSA wc{};
        wc.lpfnWndProc = procedure;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = className;
        RegisterClassA(&wc);
        HWND window = CreateWindowExA(0, className, "", WS_POPUP, 10, 10, 50, 50, nullptr, nullptr,
                                      GetModuleHandleA(nullptr), nullptr);
        ShowWindow(window, SW_SHOWNOACTIVATE);
        windows.push_back({window, className});
        return window;
    }

    void closeLast()
    {
        DestroyWindow(windows.back().first);
        UnregisterClassA(windows.back().second.c_str(), GetModuleHandleA(nullptr));
        windows.pop_back();
    }

    std::vector<std::pair<HWND, std::string>> windows;
    TempDir dir;
    Settings settings{dir.file("Dashvane.ini")};
    OverlayState state;
    HWND overlay = open("DashvaneOverlay", OverlayProcedure);
};

}  // namespace

TEST_F(StackingTest, NeedsBottomPushAndRestsOnWallpaperByClassBelow)
{
    const struct {
        const char* className;
        bool needsPush;
    } cases[] = {{"WorkerW", false},    {"Progman", false}, {"MSCTFIME UI", false},
                 {"AppWindow", true},   {"workerw", true},  {"PROGMAN", true},
                 {"MSCTFIME UI ", true}};
    for (const auto& c : cases) {
        place(open(c.className), overlay);
        // A hidden window in between is looked through by both tests.
        HWND hidden = open("Hidden");
        ShowWindow(hidden, SW_HIDE);
        place(hidden, overlay);
        EXPECT_EQ(NeedsBottomPush(overlay), c.needsPush) << c.className;
        EXPECT_EQ(RestsOnWallpaper(overlay), std::string(c.className) == "WorkerW") << c.className;
        closeLast();
        closeLast();
    }
    // Hidden windows below are looked through; at the very bottom no push is
    // needed any more.
    HWND application = open("AppWindow");
    HWND hidden = open("AppWindow");
    ShowWindow(hidden, SW_HIDE);
    place(application, overlay);
    place(hidden, overlay);
    EXPECT_TRUE(NeedsBottomPush(overlay));
    PushToBottom(overlay);
    EXPECT_FALSE(NeedsBottomPush(overlay));
}

TEST_F(StackingTest, KeepAtBottomPushesOnlyInBottomModeAndNotOffTheDesktop)
{
    HWND application = open("AppWindow");
    HWND progman = open("Progman");
    for (StackingMode mode : {Normal, AlwaysOnTop, Desktop, Bottom}) {
        settings.stackingMode = mode;
        place(application, overlay);
        state.changes = 0;
        KeepAtBottom(overlay, settings);
        EXPECT_EQ(isBelow(application, overlay), mode == Bottom) << mode;
        EXPECT_EQ(state.changes, mode == Bottom ? 1 : 0) << mode;
    }
    place(progman, overlay);
    state.changes = 0;
    KeepAtBottom(overlay, settings);
    EXPECT_EQ(GetWindow(overlay, GW_HWNDNEXT), progman);
    EXPECT_EQ(state.changes, 0);
}

TEST_F(StackingTest, RedirectToBottomExceptOnWorkerWOrTextInput)
{
    const struct {
        const char* className;
        StackingMode mode;
        bool redirected;
    } cases[] = {{"Progman", Bottom, true},    {"AppWindow", Bottom, true},
                 {"WorkerW", Bottom, false},   {"MSCTFIME UI", Bottom, false},
                 {"AppWindow", Normal, false}, {"AppWindow", AlwaysOnTop, false},
                 {"AppWindow", Desktop, false}};
    const UINT flags = SWP_NOZORDER | SWP_NOSIZE | SWP_NOACTIVATE;
    for (const auto& c : cases) {
        settings.stackingMode = c.mode;
        place(open(c.className), overlay);
        WINDOWPOS pos{overlay, HWND_TOP, 5, 5, 0, 0, flags};
        EXPECT_EQ(RedirectToBottom(overlay, pos, settings), c.redirected) << c.className;
        EXPECT_EQ(pos.hwndInsertAfter, c.redirected ? HWND_BOTTOM : HWND_TOP) << c.className;
        EXPECT_EQ(pos.flags, c.redirected ? flags & ~SWP_NOZORDER : flags) << c.className;
        closeLast();
    }
}

TEST_F(StackingTest, SetStackingModeMovesAndStoresTheWord)
{
    state.routed = &settings;  // leaving Bottom mode must get past the window's own redirect
    HWND application = open("AppWindow");
    const struct {
        StackingMode mode;
        const char* word;
        bool topmost;
    } steps[] = {{AlwaysOnTop, "AlwaysOnTop", true},
                 {Normal, "Normal", false},
                 {AlwaysOnTop, "AlwaysOnTop", true},
                 {Bottom, "Bottom", false}};
    for (const auto& step : steps) {
        SetStackingMode(overlay, settings, step.mode);
        EXPECT_EQ(settings.stackingMode, step.mode);
        EXPECT_EQ(iniValue(settings.path, "Options", "Position"), step.word);
        bool topmost = (GetWindowLongPtrA(overlay, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
        EXPECT_EQ(topmost, step.topmost) << step.word;
        EXPECT_EQ(isBelow(overlay, application), step.mode != Bottom) << step.word;
    }
}

TEST_F(StackingTest, RestackAfterMenu)
{
    HWND application = open("AppWindow");
    settings.stackingMode = Bottom;
    place(application, overlay);
    RestackAfterMenu(overlay, settings);
    EXPECT_TRUE(isBelow(application, overlay));

    // Already on top of everything: no move, and the foreground stays where it was.
    settings.stackingMode = AlwaysOnTop;
    place(overlay, HWND_TOPMOST);
    ASSERT_FALSE(HasWindowAbove(overlay));
    HWND foreground = GetForegroundWindow();
    state.changes = 0;
    RestackAfterMenu(overlay, settings);
    EXPECT_EQ(state.changes, 0);
    EXPECT_EQ(GetForegroundWindow(), foreground);

    place(application, HWND_TOPMOST);
    ASSERT_TRUE(HasWindowAbove(overlay));
    RestackAfterMenu(overlay, settings);
    EXPECT_FALSE(HasWindowAbove(overlay));
}
