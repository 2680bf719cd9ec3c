// The tracking tooltip: shown on demand (Locked, "Show Tooltips", Ctrl held)
// beside the cursor with the detail of the line under it.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include "display/AppState.h"

// The tooltip window with its one tool, or nullptr: the program then runs
// without tooltips. Made at the first showing, not at start-up: the common
// controls library it lives in is large, and most runs never show a tip.
HWND CreateTooltip(HWND owner, HINSTANCE instance);
// The tool record's size for the loaded common controls: the whole record from
// version 6 on, the older, shorter one before.
UINT ToolInfoSize();

// WM_MOUSEMOVE while Locked; creates the tooltip the first time it is due.
void ShowTooltipStep(AppState& app);
// IDT_TOOLTIP: hides when Ctrl is released or the cursor leaves the visible
// part of the window, else follows the cursor.
void TooltipTick(AppState& app);
void HideTooltip(AppState& app);
// TTN_GETDISPINFOW: the text of the line under the cursor.
void FillTooltipText(AppState& app, NMTTDISPINFOW& request);
