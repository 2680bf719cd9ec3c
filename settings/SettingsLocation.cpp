// Finds the settings file's folder, creating the per-user one on first start.
#include "settings/SettingsLocation.h"

#include <shlobj.h>

#include "app/SystemLibrary.h"

namespace {

void appendBackslash(std::string& path)
{
    if (path.empty() || path.back() != '\\')
        path += '\\';
}

std::string perUserFolder(const FolderSource& folders)
{
    char buffer[MAX_PATH] = {};
    // Anything but exactly TRUE counts as failure.
    if (folders.getSpecialFolder(nullptr, buffer, CSIDL_LOCAL_APPDATA, TRUE) != TRUE)
        return std::string();
    std::string folder(buffer);
    if (folder.empty())
        return folder;
    appendBackslash(folder);
    folder += "Dashvane";
    if (!folders.createDirectory(folder.c_str(), nullptr)
        && GetLastError() != ERROR_ALREADY_EXISTS)
        return std::string();
    return folder;
}

std::string windowsFolder(const FolderSource& folders)
{
    char buffer[256] = {};
    UINT length = folders.getWindowsDirectory(buffer, sizeof buffer);
    if (length == 0 || length >= sizeof buffer)
        return std::string();
    return std::string(buffer, length);
}

}  // namespace

FolderSource::FolderSource()
    : getSpecialFolder(Loaded::SHGetSpecialFolderPathA),
      createDirectory(CreateDirectoryA),
      getWindowsDirectory(GetWindowsDirectoryA)
{
}

std::string locateSettingsFile(const FolderSource& folders)
{
    std::string path = perUserFolder(folders);
    if (path.empty())
        path = windowsFolder(folders);
    if (path.empty())
        return path;
    appendBackslash(path);
    return path + "Dashvane.ini";
}
