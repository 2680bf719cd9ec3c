// The system's font and colour dialogs, looked up when one is first opened.
// Their library brings the printing system with it (spooler, print client,
// TLS stack): memory an always-running overlay should not carry for dialogs
// most users open once, if ever.
#pragma once

#include <windows.h>

#include <commdlg.h>

// Same contract as ChooseFontW / ChooseColorW; FALSE also when the library
// or the entry point cannot be found, which callers treat as Cancel.
BOOL WINAPI SystemChooseFont(LPCHOOSEFONTW request);
BOOL WINAPI SystemChooseColour(LPCHOOSECOLORW request);
