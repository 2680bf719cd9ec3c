// Where the window sits in the desktop's window stack: the z-order tests the
// stacking modes rest on, and the moves each mode makes at its trigger points.
#pragma once

#include <windows.h>

#include "display/AppState.h"
#include "settings/Settings.h"

// True while a visible window other than the desktop's own lies directly
// below; false when the window rests on the desktop's windows or on nothing,
// that is when it already is the lowest one.
bool NeedsBottomPush(HWND window);
// Whether the first visible window below is the wallpaper's ("WorkerW").
bool RestsOnWallpaper(HWND window);
// Whether the screen shows the wallpaper over area once the window is moved
// away: it rests on the wallpaper, and no window above it covers any of area.
bool WallpaperShowsBehind(HWND window, const RECT& area);
bool HasWindowAbove(HWND window);
void PushToBottom(HWND window);
// The push that Bottom mode repeats at every trigger point.
void KeepAtBottom(HWND window, const Settings& settings);
// For WM_WINDOWPOSCHANGING: true when pos was turned into a move to the bottom
// and the message is handled; false leaves it to default processing.
bool RedirectToBottom(HWND window, WINDOWPOS& pos, const Settings& settings);
void ApplyStartupStacking(HWND window, StackingMode mode);
// The stacking menu commands: move the window, keep the mode and store it.
void SetStackingMode(HWND window, Settings& settings, StackingMode mode);
void RestackAfterMenu(HWND window, const Settings& settings);
// The hotkey: the first press lifts the window above every other window and
// keeps it topmost; the next one returns it to its mode. Nothing is stored.
void ToggleRaised(AppState& app);
