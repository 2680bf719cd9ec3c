// Creating, showing, tracking and hiding the tooltip.
#include "app/Tooltip.h"

#include <shlwapi.h>

#include <cstddef>
#include <string>

#include "display/DisplayRenderer.h"
#include "measures/MeasureList.h"
#include "platform/Messages.h"
#include "platform/Utf8.h"
#include "platform/SystemLibrary.h"
#include "settings/Settings.h"

namespace {

#ifndef _WIN64
static_assert(sizeof(TOOLINFOW) == 48 && offsetof(TOOLINFOW, lpReserved) == 44,
              "the two tool record sizes of the 32-bit program");
#endif

constexpr UINT kTooltipTickMs = 125;
constexpr int kCursorOffset = 15;

TOOLINFOW toolRecord(HWND window)
{
    TOOLINFOW tool{};
    tool.cbSize = ToolInfoSize();
    tool.hwnd = window;
    tool.uId = reinterpret_cast<UINT_PTR>(window);
    return tool;
}

void activate(HWND tooltip, HWND window, bool on)
{
    TOOLINFOW tool = toolRecord(window);
    SendMessageW(tooltip, TTM_TRACKACTIVATE, on ? TRUE : FALSE, reinterpret_cast<LPARAM>(&tool));
}

void trackCursor(HWND tooltip, POINT cursor)
{
    SendMessageW(tooltip, TTM_TRACKPOSITION, 0,
                 MAKELPARAM(static_cast<WORD>(cursor.x + kCursorOffset),
                            static_cast<WORD>(cursor.y + kCursorOffset)));
}

bool controlHeld()
{
    return GetKeyState(VK_CONTROL) < 0;
}

struct TopSearch {
    HWND window;
    HWND other;
    HWND first;
};

// Which of the two windows comes first from the top of the z-order.
BOOL CALLBACK noteFirstOfTwo(HWND candidate, LPARAM data)
{
    auto* search = reinterpret_cast<TopSearch*>(data);
    if (search->first == nullptr && (candidate == search->window || candidate == search->other))
        search->first = candidate;
    return TRUE;
}

bool windowIsAbove(HWND window, HWND other)
{
    TopSearch search{window, other, nullptr};
    EnumWindows(noteFirstOfTwo, reinterpret_cast<LPARAM>(&search));
    return search.first == window;
}

// Loaded with the first tooltip and kept for the rest of the run.
HMODULE commonControls()
{
    static const HMODULE library = LoadSystemLibrary("comctl32.dll");
    return library;
}

bool registerTooltipClass()
{
    using InitControls = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    HMODULE library = commonControls();
    auto init = EntryPoint<InitControls>(library, "InitCommonControlsEx");
    INITCOMMONCONTROLSEX classes{};
    classes.dwSize = sizeof classes;
    classes.dwICC = ICC_BAR_CLASSES;
    return init != nullptr && init(&classes);
}

}  // namespace

UINT ToolInfoSize()
{
    static UINT cached = 0;
    if (cached != 0)
        return cached;
    cached = TTTOOLINFOW_V2_SIZE;
    auto getVersion = EntryPoint<DLLGETVERSIONPROC>(commonControls(), "DllGetVersion");
    if (getVersion == nullptr)
        return cached;
    DLLVERSIONINFO version{};
    version.cbSize = sizeof version;
    getVersion(&version);
    if (((version.dwMajorVersion & 0xFF) << 8) + (version.dwMinorVersion & 0xFF) >= 0x600)
        cached = sizeof(TOOLINFOW);
    return cached;
}

HWND CreateTooltip(HWND owner, HINSTANCE instance)
{
    if (!registerTooltipClass())
        return nullptr;
    // Tip texts are shown as written, "&" included.
    HWND tooltip = CreateWindowExW(0, TOOLTIPS_CLASSW, L"", WS_POPUP | TTS_NOPREFIX, CW_USEDEFAULT,
                                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                                   instance, nullptr);
    if (tooltip == nullptr)
        return nullptr;
    TOOLINFOW tool = toolRecord(owner);
    tool.uFlags = TTF_IDISHWND | TTF_TRACK | TTF_ABSOLUTE;
    tool.hinst = instance;
    tool.lpszText = LPSTR_TEXTCALLBACKW;
    if (SendMessageW(tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool)) == 0) {
        MessageBoxW(owner, L"Couldn't create the ToolTip control.", L"Error", MB_OK);
        return nullptr;
    }
    activate(tooltip, owner, false);
    return tooltip;
}

void ShowTooltipStep(AppState& app)
{
    if (!app.settings->showTooltips || app.tooltipShowing || app.menuOpen || !controlHeld())
        return;
    if (app.tooltip == nullptr && !app.tooltipTried) {
        app.tooltipTried = true;
        auto instance =
            reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(app.mainWindow, GWLP_HINSTANCE));
        app.tooltip = CreateTooltip(app.mainWindow, instance);
    }
    if (app.tooltip == nullptr)
        return;
    POINT cursor{};
    GetCursorPos(&cursor);
    trackCursor(app.tooltip, cursor);
    activate(app.tooltip, app.mainWindow, true);
    app.tooltipShowing = true;
    SetTimer(app.mainWindow, IDT_TOOLTIP, kTooltipTickMs, nullptr);
}

void TooltipTick(AppState& app)
{
    if (!controlHeld()) {
        HideTooltip(app);
        return;
    }
    POINT cursor{};
    GetCursorPos(&cursor);
    RECT windowRect{};
    GetWindowRect(app.mainWindow, &windowRect);
    // A control inside a covering window counts as that window.
    HWND under = GetAncestor(WindowFromPoint(cursor), GA_ROOT);
    if (under != app.mainWindow
        && (!PtInRect(&windowRect, cursor) || !windowIsAbove(app.mainWindow, under))) {
        HideTooltip(app);
        return;
    }
    trackCursor(app.tooltip, cursor);
}

void HideTooltip(AppState& app)
{
    if (app.tooltip != nullptr)
        activate(app.tooltip, app.mainWindow, false);
    app.tooltipShowing = false;
    KillTimer(app.mainWindow, IDT_TOOLTIP);
}

void FillTooltipText(AppState& app, NMTTDISPINFOW& request)
{
    POINT cursor{};
    GetCursorPos(&cursor);
    int line = -1;
    Measure* item = app.measures->hitTest(app.mainWindow, cursor.x,
                                          cursor.y - app.renderer->outlineMargin, line,
                                          app.renderer->lineHeight);
    // The control copies the text when it shows it; until the next request
    // is soon enough for it to live.
    static std::wstring text;
    const char* itemText = item != nullptr ? item->tooltipText(line) : nullptr;
    if (itemText == nullptr)
        return;
    text = toWide(itemText);
    request.lpszText = &text[0];
}
