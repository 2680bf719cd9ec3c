// "Run At Startup": the program's shortcut in the user's Startup folder.
#pragma once

#include <windows.h>

#include <string>

// Where the shortcut goes and what it starts; replaceable so that tests use
// a folder of their own. Wide throughout: the folder lies in the user's
// profile, whose name the code page may not spell, and so may the program's.
struct ShortcutSources {
    // The Startup folder (CSIDL_STARTUP) into a MAX_PATH buffer; FALSE on failure.
    BOOL(WINAPI* startupFolder)(HWND, LPWSTR, int, BOOL);
    // The program's own command line, for its arguments.
    LPWSTR(WINAPI* commandLine)();
    // The program's own full path: the shortcut's target.
    DWORD(WINAPI* modulePath)(HMODULE, LPWSTR, DWORD);

    ShortcutSources();
};

// Arguments for every shortcut made from now on, in place of what follows
// the program's name on its command line: set once at start when that names
// a file by a path that must not depend on the folder started in.
void SetStartupArguments(const std::wstring& arguments);

// Creates the shortcut (leaving an existing one alone) or removes it. Returns
// whether a shortcut is in place afterwards.
bool UpdateStartupShortcut(bool enable, const ShortcutSources& sources = ShortcutSources());
