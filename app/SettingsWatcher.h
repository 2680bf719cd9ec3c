// Watches the settings file's folder so that a separator edited by hand
// shows at once. The message loop waits on the watch along with the window's
// messages: a thread of its own would cost far more than the watch.
#pragma once

#include <windows.h>

#include <cstddef>

struct Settings;

class SettingsWatcher {
public:
    // Nothing is watched when the folder cannot be had or watched.
    SettingsWatcher(Settings& settings, HWND window);
    ~SettingsWatcher();
    SettingsWatcher(const SettingsWatcher&) = delete;
    SettingsWatcher& operator=(const SettingsWatcher&) = delete;

    // Signalled when something in the folder was written; nullptr when
    // nothing is watched.
    HANDLE changeHandle() const { return change_; }
    // After a signal: reads the separator again (a changed one posts
    // WM_RELAYOUTANDPLACE to the window) and waits for the next change.
    void onFolderChanged();

private:
    void stopWatching();

    Settings& settings_;
    HWND window_;
    HANDLE change_ = nullptr;
};

// The folder to watch: the drive and directory of path. False when they do
// not fit, so that nothing is watched rather than a wrong folder.
bool watchedFolder(const char* path, char* folder, size_t size);
