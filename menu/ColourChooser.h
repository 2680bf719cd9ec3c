// "Change Text Color..." and "Change Graph Color...": the colour dialog for
// the text and for the bars.
#pragma once

#include <windows.h>

#include <commdlg.h>

#include "display/AppState.h"
#include "platform/DialogLibrary.h"

// The dialog call, replaceable so that a test can play OK or Cancel.
using ColourDialogFunction = BOOL(WINAPI*)(LPCHOOSECOLORW);

void ChooseGraphColour(AppState& app, ColourDialogFunction dialog = SystemChooseColour);
// The font dialog's colour, on its own; true when it changed.
bool ChooseTextColour(AppState& app, ColourDialogFunction dialog = SystemChooseColour);
