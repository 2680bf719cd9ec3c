// The window's private messages and timer ids: the protocol between the
// window procedure, the items, the menu and the settings watcher.
#pragma once

#include <windows.h>

// All posted with lParam 0.
constexpr UINT WM_RELAYOUT = WM_USER + 1;
constexpr UINT WM_SHOWMENU = WM_USER + 2;  // wParam: MK_CONTROL of the release, or 0
constexpr UINT WM_RELAYOUTANDPLACE = WM_USER + 3;
// wParam: an item (Measure*) whose update must run on the UI thread, posted
// by system notifications that arrive on threads of their own.
constexpr UINT WM_UPDATEITEM = WM_USER + 4;
// wParam: an item (Measure*) one of whose worker threads has an answer ready;
// the item takes it over on the UI thread.
constexpr UINT WM_ITEMANSWER = WM_USER + 5;

// Registered by this name: a second start of the program posts it to the
// running overlay's window, which then shows itself above every window for
// a few seconds. Any build that knows the name understands it.
constexpr const wchar_t* kShowOverlayMessageName = L"DashvaneShowOverlay";

// Window timers; item timers use the item's address as id, which never
// collides with these small numbers.
constexpr UINT_PTR IDT_REFRESH = 1;
constexpr UINT_PTR IDT_TOOLTIP = 2;
constexpr UINT_PTR IDT_FIRST_SAMPLE = 3;
constexpr UINT_PTR IDT_RESAMPLE = 4;
// Ends the raise a second start asked for.
constexpr UINT_PTR IDT_BRIEF_RAISE = 5;
