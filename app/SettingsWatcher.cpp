// The settings-file watcher.
#include "app/SettingsWatcher.h"

#include <cstring>

#include "platform/Messages.h"
#include "settings/Settings.h"

SettingsWatcher::SettingsWatcher(Settings& settings, HWND window)
    : settings_(settings), window_(window)
{
    char folder[MAX_PATH] = {};
    if (!watchedFolder(settings.path.c_str(), folder, sizeof folder))
        return;
    HANDLE change = FindFirstChangeNotificationA(folder, FALSE, FILE_NOTIFY_CHANGE_LAST_WRITE);
    if (change != INVALID_HANDLE_VALUE)
        change_ = change;
}

SettingsWatcher::~SettingsWatcher()
{
    stopWatching();
}

void SettingsWatcher::stopWatching()
{
    if (change_ != nullptr)
        FindCloseChangeNotification(change_);
    change_ = nullptr;
}

void SettingsWatcher::onFolderChanged()
{
    if (change_ == nullptr)
        return;
    if (settings_.ReloadSeparator())
        PostMessageA(window_, WM_RELAYOUTANDPLACE, 0, 0);
    if (!FindNextChangeNotification(change_))
        stopWatching();
}

bool watchedFolder(const char* path, char* folder, size_t size)
{
    // Drive ("E:") and directory up to the last separator, each within the
    // room the folder ever had (2 and 255 characters). Splitting by hand: the
    // runtime's checked split aborts the process on a too-long part.
    const char* directory = path;
    if (std::strlen(path) >= 2 && path[1] == ':')
        directory = path + 2;
    const char* lastSeparator = nullptr;
    for (const char* p = directory; *p != '\0'; ++p)
        if (*p == '\\' || *p == '/')
            lastSeparator = p;
    if (lastSeparator == nullptr)
        return false;
    size_t driveLength = static_cast<size_t>(directory - path);
    size_t directoryLength = static_cast<size_t>(lastSeparator - directory) + 1;
    if (directoryLength > 255 || driveLength + directoryLength + 1 > size)
        return false;
    std::memcpy(folder, path, driveLength + directoryLength);
    folder[driveLength + directoryLength] = '\0';
    return true;
}
