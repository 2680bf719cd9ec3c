// Finds the settings file's folder, creating the per-user one on first start.
#include "settings/SettingsLocation.h"

#include <shlobj.h>

#include "platform/SystemLibrary.h"

namespace {

void appendBackslash(std::string& path)
{
    if (path.empty() || path.back() != '\\')
        path += '\\';
}

// The path in the code page, or empty when the code page cannot spell it: a
// best-fit or default character would name another folder.
std::string exactNarrow(const WCHAR* path)
{
    // A UTF-8 code page spells everything, and takes neither the flag nor
    // the question.
    const bool utf8 = GetACP() == CP_UTF8;
    const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
    BOOL inexact = FALSE;
    int bytes = WideCharToMultiByte(CP_ACP, flags, path, -1, nullptr, 0, nullptr,
                                    utf8 ? nullptr : &inexact);
    if (bytes <= 1 || inexact)
        return std::string();
    std::string narrow(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_ACP, flags, path, -1, &narrow[0], bytes, nullptr, nullptr);
    narrow.resize(static_cast<size_t>(bytes) - 1);
    return narrow;
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
    return narrowPath(folder);
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

// A path the code page cannot spell is reached through its short (8.3)
// name, which the narrow calls of the whole program can then use.
std::string narrowPath(const std::wstring& path)
{
    std::string narrow = exactNarrow(path.c_str());
    if (!narrow.empty())
        return narrow;
    WCHAR shortPath[MAX_PATH] = {};
    DWORD length = GetShortPathNameW(path.c_str(), shortPath, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return std::string();
    return exactNarrow(shortPath);
}

FolderSource::FolderSource()
    : getSpecialFolder(Loaded::SHGetSpecialFolderPathW),
      createDirectory(CreateDirectoryW),
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
