// Finds the settings file's folder, creating the per-user one on first start.
#include "settings/SettingsLocation.h"

#include <shlobj.h>

#include "platform/SystemLibrary.h"
#include "platform/Utf8.h"

namespace {

void appendBackslash(std::string& path)
{
    if (path.empty() || path.back() != '\\')
        path += '\\';
}

std::string perUserFolder(const FolderSource& folders)
{
    WCHAR buffer[MAX_PATH] = {};
    // Anything but exactly TRUE counts as failure.
    if (folders.getSpecialFolder(nullptr, buffer, CSIDL_LOCAL_APPDATA, TRUE) != TRUE)
        return std::string();
    std::wstring folder(buffer);
    if (folder.empty())
        return std::string();
    if (folder.back() != L'\\')
        folder += L'\\';
    folder += L"Dashvane";
    if (!folders.createDirectory(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
        return std::string();
    return toUtf8(folder);
}

std::string windowsFolder(const FolderSource& folders)
{
    WCHAR buffer[MAX_PATH] = {};
    UINT length = folders.getWindowsDirectory(buffer, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return std::string();
    return toUtf8(std::wstring_view(buffer, length));
}

}  // namespace

FolderSource::FolderSource()
    : getSpecialFolder(Loaded::SHGetSpecialFolderPathW),
      createDirectory(CreateDirectoryW),
      getWindowsDirectory(GetWindowsDirectoryW)
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
