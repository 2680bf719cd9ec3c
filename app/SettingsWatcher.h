// Watches the settings file's folder so that every option edited by hand
// applies at once. The message loop waits on the watch along with the
// window's messages: a thread of its own would cost far more than the watch.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

struct Settings;

class SettingsWatcher {
public:
    // Handed every complete read of a changed file; the watcher itself
    // changes nothing that runs.
    using Apply = std::function<void(Settings& fresh)>;

    // Nothing is watched when the folder cannot be had or watched.
    SettingsWatcher(const std::string& path, Apply apply);
    ~SettingsWatcher();
    SettingsWatcher(const SettingsWatcher&) = delete;
    SettingsWatcher& operator=(const SettingsWatcher&) = delete;

    // Signalled when something in the folder was written; nullptr when
    // nothing is watched.
    HANDLE changeHandle() const { return change_; }
    // After a signal: reads the file again when its size or time of last
    // write moved, and waits for the next change.
    void onFolderChanged();
    // How long the loop may wait before a read tried too early is due again;
    // INFINITE when none is.
    DWORD waitLimit() const;
    // Called whenever the loop wakes: makes the read that is due, if any.
    void onTimePassed();

private:
    struct Stamp {
        ULONGLONG size = 0;
        FILETIME written{};
    };
    void stopWatching();
    void readWhenComplete();
    bool stampMoved();

    std::string path_;
    Apply apply_;
    HANDLE change_ = nullptr;
    Stamp stamp_;
    bool stamped_ = false;
    // A read that found the file incomplete is tried again at retryAt_.
    int retriesLeft_ = 0;
    ULONGLONG retryAt_ = 0;
};

// The folder to watch: the drive and directory of path. Empty when they do
// not fit, so that nothing is watched rather than a wrong folder.
std::wstring watchedFolder(const std::string& path);

// Whether the file reads as a whole: it opens, and holds the sections every
// start has written into it. An editor that saves in two steps (emptied,
// then written) leaves it without them for a moment.
bool settingsFileComplete(const char* path);
