// "Run At Startup": the program's shortcut in the user's Startup folder.
#pragma once

#include <windows.h>

// Where the shortcut goes and what it starts; replaceable so that tests use
// a folder of their own.
struct ShortcutSources {
    // The Startup folder (CSIDL_STARTUP) into a MAX_PATH buffer; FALSE on failure.
    BOOL(WINAPI* startupFolder)(HWND, LPSTR, int, BOOL);
    // The program's own command line.
    LPSTR(WINAPI* commandLine)();

    ShortcutSources();
};

// Creates the shortcut (leaving an existing one alone) or removes it.
void UpdateStartupShortcut(bool enable, const ShortcutSources& sources = ShortcutSources());
