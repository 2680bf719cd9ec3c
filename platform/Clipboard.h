// Ctrl + double-click: every item's value, one per line, as plain text.
#pragma once

#include <windows.h>

#include <string>

// Failures are skipped silently; the clipboard is always closed again. The
// owner must be a window: emptied without one, the clipboard refuses new data.
void CopyValuesToClipboard(HWND owner, const std::string& text);
