// Where the settings file lives: the user's local application-data folder, or
// the Windows folder when that cannot be had.
#pragma once

#include <windows.h>

#include <string>

// The OS calls the search depends on; tests replace them to play a machine
// without a profile folder, or with one the code page cannot spell.
struct FolderSource {
    BOOL(WINAPI* getSpecialFolder)(HWND, LPWSTR, int, BOOL);
    BOOL(WINAPI* createDirectory)(LPCWSTR, LPSECURITY_ATTRIBUTES);
    UINT(WINAPI* getWindowsDirectory)(LPWSTR, UINT);

    FolderSource();
};

// Full path of "Dashvane.ini" in UTF-8, each folder in its own spelling, or
// empty when neither folder can be had.
std::string locateSettingsFile(const FolderSource& folders);
