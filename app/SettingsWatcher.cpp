// The settings-file watcher thread.
#include "app/SettingsWatcher.h"

#include <objbase.h>

#include <cstring>

#include "settings/Settings.h"

namespace {

class ComScope {
public:
    ComScope() : result_(CoInitializeEx(nullptr, COINIT_MULTITHREADED)) {}
    ~ComScope()
    {
        if (ok())
            CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;
    bool ok() const { return result_ == S_OK || result_ == S_FALSE; }

private:
    HRESULT result_;
};

class ChangeNotification {
public:
    explicit ChangeNotification(const char* folder)
        : handle_(FindFirstChangeNotificationA(folder, FALSE, FILE_NOTIFY_CHANGE_LAST_WRITE))
    {
    }
    ~ChangeNotification()
    {
        if (valid())
            FindCloseChangeNotification(handle_);
    }
    ChangeNotification(const ChangeNotification&) = delete;
    ChangeNotification& operator=(const ChangeNotification&) = delete;
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
    HANDLE get() const { return handle_; }

private:
    HANDLE handle_;
};

// True when the folder changed, false when the watch should end.
bool waitForChange(HANDLE change, HANDLE stop)
{
    if (stop == nullptr)
        return WaitForSingleObject(change, INFINITE) == WAIT_OBJECT_0;
    const HANDLE handles[2] = {change, stop};
    return WaitForMultipleObjects(2, handles, FALSE, INFINITE) == WAIT_OBJECT_0;
}

}  // namespace

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

DWORD WINAPI SettingsWatcherThread(LPVOID parameter)
{
    const auto& context = *static_cast<const WatcherContext*>(parameter);
    ComScope com;
    if (!com.ok())
        return 0;
    char folder[MAX_PATH] = {};
    if (!watchedFolder(context.settings->path.c_str(), folder, sizeof folder))
        return 0;
    ChangeNotification change(folder);
    if (!change.valid())
        return 0;
    while (waitForChange(change.get(), context.stop)) {
        context.settings->ReloadSeparator(context.window);
        if (!FindNextChangeNotification(change.get()))
            break;
    }
    return 0;
}
