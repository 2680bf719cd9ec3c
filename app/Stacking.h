// Where the window sits in the desktop's window stack: the z-order tests the
// stacking modes rest on, and the moves each mode makes at its trigger points.
#pragma once

#include <windows.h>

#include "settings/Settings.h"

// False only while the window rests directly on one of the desktop's own
// windows; with nothing below it, a push is harmless, so it holds.
bool NeedsBottomPush(HWND window);
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
