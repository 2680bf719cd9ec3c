// Where the settings file lives: the user's local application-data folder, or
// the Windows folder when that cannot be had.
#pragma once

#include <windows.h>

#include <string>

// The three OS calls the search depends on; tests replace them to play a
// machine without a profile folder.
struct FolderSource {
    BOOL(WINAPI* getSpecialFolder)(HWND, LPSTR, int, BOOL);
    BOOL(WINAPI* createDirectory)(LPCSTR, LPSECURITY_ATTRIBUTES);
    UINT(WINAPI* getWindowsDirectory)(LPSTR, UINT);

    FolderSource();
};

// Full path of "Dashvane.ini", or empty when neither folder can be had.
std::string locateSettingsFile(const FolderSource& folders);
