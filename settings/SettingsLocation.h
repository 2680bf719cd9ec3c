// Where the settings file lives: the user's local application-data folder, or
// the Windows folder when that cannot be had.
#pragma once

#include <windows.h>

#include <string>

// The OS calls the search depends on; tests replace them to play a machine
// without a profile folder, or with one the code page cannot spell. The
// per-user folder is asked for in UTF-16: the narrow call turns what the code
// page lacks into "?", a folder that cannot be made.
struct FolderSource {
    BOOL(WINAPI* getSpecialFolder)(HWND, LPWSTR, int, BOOL);
    BOOL(WINAPI* createDirectory)(LPCWSTR, LPSECURITY_ATTRIBUTES);
    UINT(WINAPI* getWindowsDirectory)(LPSTR, UINT);

    FolderSource();
};

// Full path of "Dashvane.ini" in a form the narrow calls open, or empty when
// neither folder can be had.
std::string locateSettingsFile(const FolderSource& folders);

// The path in a form the narrow calls open: its own spelling when the code
// page has every character, else its short (8.3) form, which exists only for
// a file or folder that exists. Empty when neither will do.
std::string narrowPath(const std::wstring& path);
