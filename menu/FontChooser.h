// "Change Font...": the font dialog with a working Apply, and the steps that
// make a chosen font or colour the display's.
#pragma once

#include <windows.h>

#include <commdlg.h>

#include "display/AppState.h"
#include "platform/DialogLibrary.h"

// The dialog call, replaceable so that a test can play OK, Cancel or Apply.
using FontDialogFunction = BOOL(WINAPI*)(LPCHOOSEFONTW);

// Runs the dialog for app's window. True when the display font or colour
// changed in a way that calls for a re-layout.
bool ChooseTextFont(AppState& app, FontDialogFunction dialog = SystemChooseFont);
// The dialog's hook: disables Strikeout and Underline and makes Apply work.
UINT_PTR CALLBACK FontDialogHook(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// Makes the chosen font, its size brought within the program's bounds, the
// display font and writes the "Font" keys that changed.
void ApplyTextFont(AppState& app, const LOGFONTW& chosen);
// Makes colour the font colour (and the text pen) and writes it if it changed.
void ApplyFontColour(AppState& app, COLORREF colour);
