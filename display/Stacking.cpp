// Z-order rules of the stacking modes. Nothing about the stack is remembered:
// every rule asks the system afresh what lies directly above or below.
#include "display/Stacking.h"

#include <dwmapi.h>

#include <cwchar>

#include "platform/SystemLibrary.h"

namespace {

enum class Below { Nothing, WorkerW, Progman, TextInput, Other };

// The first visible window below: hidden ones (system windows park in the
// chain) neither cover nor carry the window, and pushing past them on every
// tick would only cost a z-order change each time. Class names compare
// exactly and case-sensitively; a name too long for the buffer is cut and so
// matches none of them.
Below windowBelow(HWND window)
{
    HWND next = GetWindow(window, GW_HWNDNEXT);
    while (next != nullptr && !IsWindowVisible(next))
        next = GetWindow(next, GW_HWNDNEXT);
    if (next == nullptr)
        return Below::Nothing;
    WCHAR name[260] = {};
    if (GetClassNameW(next, name, ARRAYSIZE(name)) == 0)
        return Below::Other;
    if (std::wcscmp(name, L"WorkerW") == 0)
        return Below::WorkerW;
    if (std::wcscmp(name, L"Progman") == 0)
        return Below::Progman;
    if (std::wcscmp(name, L"MSCTFIME UI") == 0)
        return Below::TextInput;
    return Below::Other;
}

struct ModeMove {
    HWND insertAfter;
    UINT flags;
    const char* word;  // "Options"/"Position"; its first letter selects the mode on reading
};

// Windows 8 and later hide some windows by cloaking them: they count as
// visible, yet nothing of them is on the screen.
bool cloaked(HWND window)
{
    using GetAttribute = HRESULT(WINAPI*)(HWND, DWORD, PVOID, DWORD);
    SystemLibrary dwm("dwmapi.dll");
    auto getAttribute = dwm.entry<GetAttribute>("DwmGetWindowAttribute");
    DWORD cloak = 0;
    return getAttribute != nullptr
           && SUCCEEDED(getAttribute(window, DWMWA_CLOAKED, &cloak, sizeof cloak)) && cloak != 0;
}

ModeMove moveFor(StackingMode mode)
{
    const UINT keep = SWP_NOMOVE | SWP_NOSIZE;
    switch (mode) {
    case AlwaysOnTop:
        return {HWND_TOPMOST, keep, "AlwaysOnTop"};
    case Normal:
        return {HWND_NOTOPMOST, keep, "Normal"};
    case Desktop:
        // No menu item offers it; it only round-trips a mode read from the file.
        return {HWND_NOTOPMOST, keep, "Desktop"};
    case Bottom:
    default:
        return {HWND_BOTTOM, keep | SWP_NOACTIVATE, "Bottom"};
    }
}

}  // namespace

bool NeedsBottomPush(HWND window)
{
    Below below = windowBelow(window);
    // With no visible window below, the window already is the lowest one.
    return below == Below::Other;
}

bool RestsOnWallpaper(HWND window)
{
    return windowBelow(window) == Below::WorkerW;
}

bool WallpaperShowsBehind(HWND window, const RECT& area)
{
    if (!RestsOnWallpaper(window))
        return false;
    for (HWND above = GetWindow(window, GW_HWNDPREV); above != nullptr;
         above = GetWindow(above, GW_HWNDPREV)) {
        RECT rect{};
        RECT common{};
        if (IsWindowVisible(above) && !IsIconic(above) && GetWindowRect(above, &rect)
            && IntersectRect(&common, &rect, &area) && !cloaked(above))
            return false;
    }
    return true;
}

bool HasWindowAbove(HWND window)
{
    return GetWindow(window, GW_HWNDPREV) != nullptr;
}

void PushToBottom(HWND window)
{
    // A refused push is not reported: the next trigger point simply tries again.
    SetWindowPos(window, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void KeepAtBottom(HWND window, const Settings& settings)
{
    if (settings.stackingMode == Bottom && NeedsBottomPush(window))
        PushToBottom(window);
}

bool RedirectToBottom(HWND window, WINDOWPOS& pos, const Settings& settings)
{
    if (settings.stackingMode != Bottom)
        return false;
    // Unlike NeedsBottomPush, resting on "Progman" is no reason to leave a
    // pending move alone.
    Below below = windowBelow(window);
    if (below == Below::WorkerW || below == Below::TextInput)
        return false;
    pos.hwndInsertAfter = HWND_BOTTOM;
    pos.flags &= ~static_cast<UINT>(SWP_NOZORDER);
    return true;
}

void ApplyStartupStacking(HWND window, StackingMode mode)
{
    if (mode == AlwaysOnTop)
        SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    else if (mode == Bottom)
        PushToBottom(window);
}

void SetStackingMode(HWND window, Settings& settings, StackingMode mode)
{
    ModeMove move = moveFor(mode);
    // The mode changes before the move: while the old mode is still Bottom, the
    // window's own WM_WINDOWPOSCHANGING redirect would turn the move to the top
    // back into a move to the bottom.
    settings.stackingMode = mode;
    SetWindowPos(window, move.insertAfter, 0, 0, 0, 0, move.flags);
    settings.writeString("Options", "Position", move.word);
}

void RestackAfterMenu(HWND window, const Settings& settings)
{
    if (settings.stackingMode == Bottom) {
        if (NeedsBottomPush(window))
            PushToBottom(window);
    } else if (settings.stackingMode == AlwaysOnTop && HasWindowAbove(window)) {
        SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        SetForegroundWindow(window);
    }
}

void ToggleRaised(AppState& app)
{
    Settings& settings = *app.settings;
    // The mode changes before the move, as in SetStackingMode; while raised,
    // every stacking rule then keeps the window on top.
    if (app.raised) {
        settings.stackingMode = app.modeBeforeRaise;
    } else {
        app.modeBeforeRaise = settings.stackingMode;
        settings.stackingMode = AlwaysOnTop;
    }
    app.raised = !app.raised;
    ModeMove move = moveFor(settings.stackingMode);
    // The user's own program keeps the keyboard.
    SetWindowPos(app.mainWindow, move.insertAfter, 0, 0, 0, 0, move.flags | SWP_NOACTIVATE);
}
