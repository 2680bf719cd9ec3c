// Ctrl + double-click: every item's value, one per line, as plain text.
#pragma once

#include <string>

// Failures are skipped silently; the clipboard is always closed again.
void CopyValuesToClipboard(const std::string& text);
