// Watches the settings file's folder so that a separator edited by hand
// shows at once.
#pragma once

#include <windows.h>

struct Settings;

struct WatcherContext {
    Settings* settings;
    HWND window;
    // Ends the watch when signalled; the program passes none and the thread
    // runs until the process ends.
    HANDLE stop;
};

// Thread entry point; parameter: a WatcherContext that outlives the thread.
DWORD WINAPI SettingsWatcherThread(LPVOID parameter);

// The folder to watch: the drive and directory of path. False when they do
// not fit, so that nothing is watched rather than a wrong folder.
bool watchedFolder(const char* path, char* folder, size_t size);
