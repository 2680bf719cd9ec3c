// The window procedure: a dispatcher to one small handler per message.
#include "app/MainWindow.h"

#include <windowsx.h>
#include <dbt.h>

#include "app/Tooltip.h"
#include "display/DisplayRenderer.h"
#include "display/DpiScaling.h"
#include "display/Placement.h"
#include "display/Stacking.h"
#include "measures/Measure_Battery.h"
#include "measures/MeasureList.h"
#include "menu/ContextMenu.h"
#include "platform/Clipboard.h"
#include "platform/GdiGuards.h"
#include "platform/Messages.h"
#include "platform/SystemLibrary.h"
#include "platform/TraceLine.h"
#include "settings/Settings.h"

namespace {

constexpr DWORD kWindowStyle = WS_POPUP | 0x80;
constexpr DWORD kWindowExStyle = WS_EX_LAYERED | WS_EX_TOOLWINDOW;
constexpr UINT kResampleDelayMs = 500;
// Long enough to find the window on a full screen.
constexpr UINT kBriefRaiseMs = 5000;

UINT showOverlayMessage()
{
    static const UINT message = RegisterWindowMessageW(kShowOverlayMessageName);
    return message;
}

// A second start: raised as by the hotkey, and back in its own mode a few
// seconds later. A raise the user made with the hotkey stays his.
void onShowRequest(AppState& app, HWND window)
{
    if (!app.raised) {
        ToggleRaised(app);
        app.raisedBriefly = true;
    }
    if (app.raisedBriefly)
        SetTimer(window, IDT_BRIEF_RAISE, kBriefRaiseMs, nullptr);
}

void onBriefRaiseEnd(AppState& app, HWND window)
{
    KillTimer(window, IDT_BRIEF_RAISE);
    // A mode chosen from the menu meanwhile already ended the raise.
    if (app.raisedBriefly && app.raised)
        ToggleRaised(app);
    app.raisedBriefly = false;
}

void restartResample(HWND window)
{
    // A burst of display, wallpaper or device events gives one sample,
    // half a second after the last of them.
    KillTimer(window, IDT_RESAMPLE);
    SetTimer(window, IDT_RESAMPLE, kResampleDelayMs, nullptr);
}

POINT screenPointOf(HWND window, LPARAM lParam)
{
    POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    ClientToScreen(window, &point);
    return point;
}

// Push to the bottom when in Bottom mode and not already resting on the desktop.
LRESULT pushOrDefault(AppState& app, HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (app.settings->stackingMode == Bottom && NeedsBottomPush(window)) {
        PushToBottom(window);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void onMove(AppState& app, HWND window, LPARAM lParam)
{
    // Signed: monitors left of or above the primary one have negative coordinates.
    int x = GET_X_LPARAM(lParam);
    int y = GET_Y_LPARAM(lParam);
    app.settings->windowRect =
        RECT{x, y, x + app.renderer->pictureWidth, y + app.renderer->pictureHeight};
    KeepAtBottom(window, *app.settings);
}

LRESULT onActivate(AppState& app, HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (app.chooserOpen)
        return DefWindowProcW(window, message, wParam, lParam);
    KeepAtBottom(window, *app.settings);
    return 0;
}

void onPaint(AppState& app, HWND window)
{
    // Painting through the window DC: a second BeginPaint inside the default
    // WM_PAINT handling gets an empty rectangle on some platforms.
    WindowDC dc(window);
    app.renderer->paint(dc.get(), *app.measures, app.displayFont.get(), app.exiting);
}

// Items update on this tick, and what they changed is painted at once.
void onRefreshTick(AppState& app, HWND window)
{
    ScheduleRefreshTick(window);
    if (app.suspended)
        return;
    app.measures->tick();
    // Drawn here rather than through a redraw request: the platform's round
    // trips for an update region cost more than drawing a few changed lines.
    if (app.renderer->needsPainting(*app.measures)) {
        WindowDC dc(window);
        app.renderer->paintChanged(dc.get(), *app.measures, app.displayFont.get(), app.exiting);
    }
    if (!app.menuOpen)
        KeepAtBottom(window, *app.settings);
}

void onFirstSampleTick(AppState& app, HWND window)
{
    KillTimer(window, IDT_FIRST_SAMPLE);
    SampleBackground(app);
}

void onTimer(AppState& app, HWND window, UINT_PTR id)
{
    switch (id) {
    case IDT_REFRESH:
        onRefreshTick(app, window);
        return;
    case IDT_TOOLTIP:
        TooltipTick(app);
        return;
    case IDT_FIRST_SAMPLE:
        onFirstSampleTick(app, window);
        return;
    case IDT_RESAMPLE:
        KillTimer(window, IDT_RESAMPLE);
        SampleBackground(app);
        return;
    case IDT_BRIEF_RAISE:
        onBriefRaiseEnd(app, window);
        return;
    default:
        return;
    }
}

void onLeftButtonDown(AppState& app, HWND window, LPARAM lParam)
{
    Settings& settings = *app.settings;
    if (settings.stackingMode != Bottom)
        SetForegroundWindow(window);
    if (!settings.locked) {
        SetCapture(window);
        app.dragAnchor = screenPointOf(window, lParam);
        app.dragging = true;
    }
    KeepAtBottom(window, settings);
}

void onDragStep(AppState& app, HWND window, WPARAM wParam, LPARAM lParam)
{
    if (!(wParam & MK_LBUTTON) || !app.dragging)
        return;
    POINT point = screenPointOf(window, lParam);
    if (point.x == app.dragAnchor.x && point.y == app.dragAnchor.y)
        return;
    Settings& settings = *app.settings;
    OffsetRect(&settings.windowRect, point.x - app.dragAnchor.x, point.y - app.dragAnchor.y);

    // The window follows the cursor on every step; the mode decides only
    // whether the step also restacks it.
    HWND insertAfter = HWND_NOTOPMOST;
    UINT flags = SWP_NOSIZE | SWP_NOCOPYBITS;
    if (settings.stackingMode == Bottom)
        insertAfter = NeedsBottomPush(window) ? HWND_BOTTOM : nullptr;
    else if (settings.stackingMode == AlwaysOnTop)
        insertAfter = HasWindowAbove(window) ? HWND_TOPMOST : nullptr;
    if (insertAfter == nullptr)
        flags |= SWP_NOZORDER;
    SetWindowPos(window, insertAfter, settings.windowRect.left, settings.windowRect.top, 0, 0,
                 flags);
    RequestRedraw(window, *app.renderer);
    app.dragAnchor = point;
}

void onLeftButtonUp(AppState& app, HWND window)
{
    Settings& settings = *app.settings;
    // Every release while unlocked makes the position custom, even a plain click.
    if (!settings.locked) {
        app.dragging = false;
        ReleaseCapture();
        if (ClampToScreen(settings, *app.renderer))
            MoveToStoredRect(window, settings);
        StorePlace(settings);
        settings.writeString("Options", "ScreenPosition", "C");
        settings.screenPosition = Custom;
        SampleBackground(app);
    }
    KeepAtBottom(window, settings);
}

void onDoubleClick(AppState& app, HWND window, WPARAM wParam)
{
    // Ctrl as it was at the click: the window need not have the keyboard, so
    // its thread's own key state may not have seen the key go down.
    if (wParam & MK_CONTROL) {
        int allLines = 0;
        int shownLines = 0;
        CopyValuesToClipboard(window, app.measures->joinValues(allLines, shownLines));
        return;
    }
    KeepAtBottom(window, *app.settings);
    POINT cursor{};
    GetCursorPos(&cursor);
    int line = 0;
    // The rows start below the text outline's margin.
    Measure* item = app.measures->hitTest(window, cursor.x, cursor.y - app.renderer->outlineMargin,
                                          line, app.renderer->lineHeight);
    if (item != nullptr)
        item->activate(line);
}

void onShowMenu(AppState& app, HWND window, bool extended)
{
    app.menuOpen = true;
    if (app.tooltipShowing)
        HideTooltip(app);
    // Returns after the chosen command has run, so the restack sees its mode.
    ShowContextMenu(app, extended);
    RestackAfterMenu(window, *app.settings);
    app.menuOpen = false;
}

void onPowerBroadcast(AppState& app, HWND window, WPARAM event)
{
    switch (event) {
    case PBT_APMSUSPEND:
        TraceLine("PBT - Suspend");
        app.suspended = true;
        return;
    case PBT_APMRESUMECRITICAL:
    case PBT_APMRESUMESUSPEND:
    case PBT_APMRESUMEAUTOMATIC:
        TraceLine("PBT - Resume");
        app.suspended = false;
        PostMessageW(window, WM_RELAYOUT, 0, 0);
        return;
    default:
        // Every other event is a change of the power status.
        if (app.battery == nullptr)
            app.battery = dynamic_cast<Measure_Battery*>(app.measures->findByName("Battery"));
        if (app.battery == nullptr)
            return;
        app.battery->MarkPowerChange();
        app.battery->update();
        return;
    }
}

// The item is looked up in the list, so a stale or foreign pointer finds none.
Measure* listedItem(AppState& app, WPARAM wParam)
{
    for (int i = 0; i < app.measures->count(); ++i) {
        Measure& item = app.measures->at(i);
        if (reinterpret_cast<WPARAM>(&item) == wParam)
            return &item;
    }
    return nullptr;
}

// The window reached a monitor of another DPI, or the scaling changed: the
// picture is drawn anew for that DPI where the platform suggests. Nothing is
// written, as the user changed nothing the settings file holds.
void onDpiChanged(AppState& app, WPARAM wParam, const RECT* suggested)
{
    int dpi = HIWORD(wParam);
    if (app.exiting || dpi == 0 || suggested == nullptr)
        return;
    Settings& settings = *app.settings;
    app.renderer->dpi = dpi;
    RemakeDisplayFont(app);
    settings.windowRect.left = suggested->left;
    settings.windowRect.top = suggested->top;
    app.renderer->layout(*app.measures, app.displayFont.get());
    MoveToStoredRect(app.mainWindow, settings);
}

void onRelayoutAndPlace(AppState& app)
{
    app.renderer->layout(*app.measures, app.displayFont.get());
    RefreshPlace(app);
}

}  // namespace

ATOM RegisterMainWindowClass(HINSTANCE instance)
{
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = MainWindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kWindowClassName;
    return RegisterClassExW(&windowClass);
}

HWND CreateMainWindow(HINSTANCE instance, AppState& app)
{
    const RECT& rect = app.settings->windowRect;
    // The state travels as creation data so that every message, from the
    // first, finds it.
    app.mainWindow = CreateWindowExW(kWindowExStyle, kWindowClassName, kWindowTitle, kWindowStyle,
                                     rect.left, rect.top, 1, 1, nullptr, nullptr, instance, &app);
    return app.mainWindow;
}

void ApplyColourKey(HWND window)
{
    using SetLayeredAttributes = BOOL(WINAPI*)(HWND, COLORREF, BYTE, DWORD);
    SystemLibrary user32("user32.dll");
    auto setAttributes = user32.entry<SetLayeredAttributes>("SetLayeredWindowAttributes");
    if (setAttributes != nullptr)
        setAttributes(window, kColourKey, 0, LWA_COLORKEY);
}

bool ShowRunningOverlay()
{
    HWND running = FindWindowW(kWindowClassName, kWindowTitle);
    if (running == nullptr)
        return false;
    PostMessageW(running, showOverlayMessage(), 0, 0);
    return true;
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    // Whatever destroys the window, the program must not outlive it unseen.
    if (message == WM_DESTROY)
        PostQuitMessage(0);
    auto* appPointer = reinterpret_cast<AppState*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    // Until the items exist there is nothing of ours to do.
    if (appPointer == nullptr || appPointer->measures == nullptr)
        return message == WM_NCPAINT ? 0 : DefWindowProcW(window, message, wParam, lParam);
    AppState& app = *appPointer;
    Settings& settings = *app.settings;
    if (message == showOverlayMessage() && message != 0) {
        onShowRequest(app, window);
        return 0;
    }

    switch (message) {
    case WM_CLOSE:
        // Alt+F4 or a close request from outside ends the program as Exit does.
        EndProgram(app);
        return 0;
    case WM_HOTKEY:
        app.raisedBriefly = false;
        ToggleRaised(app);
        return 0;
    case WM_MOVE:
        onMove(app, window, lParam);
        return 0;
    case WM_ACTIVATE:
    case WM_NCACTIVATE:
        return onActivate(app, window, message, wParam, lParam);
    case WM_SETFOCUS:
        return pushOrDefault(app, window, message, wParam, lParam);
    case WM_SETTINGCHANGE:
        if (wParam == SPI_SETDESKWALLPAPER && settings.autoBgColor)
            restartResample(window);
        return 0;
    case WM_WINDOWPOSCHANGING:
        if (RedirectToBottom(window, *reinterpret_cast<WINDOWPOS*>(lParam), settings))
            return 0;
        return DefWindowProcW(window, message, wParam, lParam);
    case WM_DISPLAYCHANGE:
        RefreshPlace(app);
        if (settings.autoBgColor)
            restartResample(window);
        return 0;
    case WM_NCPAINT:
        onPaint(app, window);
        return 0;
    case WM_TIMER:
        onTimer(app, window, wParam);
        return 0;
    case WM_NOTIFY:
        if (reinterpret_cast<NMHDR*>(lParam)->code == TTN_GETDISPINFOW) {
            FillTooltipText(app, *reinterpret_cast<NMTTDISPINFOW*>(lParam));
            return 0;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    case WM_MOUSEMOVE:
        if (settings.locked)
            ShowTooltipStep(app);
        else
            onDragStep(app, window, wParam, lParam);
        return 0;
    case WM_LBUTTONDOWN:
        onLeftButtonDown(app, window, lParam);
        return DefWindowProcW(window, message, wParam, lParam);
    case WM_LBUTTONUP:
        onLeftButtonUp(app, window);
        return DefWindowProcW(window, message, wParam, lParam);
    case WM_LBUTTONDBLCLK:
        onDoubleClick(app, window, wParam);
        return DefWindowProcW(window, message, wParam, lParam);
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
        return pushOrDefault(app, window, message, wParam, lParam);
    case WM_RBUTTONUP:
        PostMessageW(window, WM_SHOWMENU, wParam & MK_CONTROL, 0);
        return DefWindowProcW(window, message, wParam, lParam);
    case WM_POWERBROADCAST:
        onPowerBroadcast(app, window, wParam);
        return 0;
    case WM_DEVICECHANGE:
        if (wParam == DBT_DEVNODES_CHANGED && settings.autoBgColor)
            restartResample(window);
        return 0;
    case WM_RELAYOUT:
        if (app.exiting)
            return DefWindowProcW(window, message, wParam, lParam);
        Relayout(app);
        return 0;
    case WM_SHOWMENU:
        onShowMenu(app, window, wParam != 0);
        return 0;
    case WM_DPICHANGED:
        onDpiChanged(app, wParam, reinterpret_cast<const RECT*>(lParam));
        return 0;
    case WM_RELAYOUTANDPLACE:
        onRelayoutAndPlace(app);
        return 0;
    case WM_UPDATEITEM:
        if (Measure* item = listedItem(app, wParam))
            item->update();
        return 0;
    case WM_ITEMANSWER:
        if (Measure* item = listedItem(app, wParam))
            item->takeAnswers();
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}
