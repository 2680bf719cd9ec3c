// "Run At Startup": a shortcut to the program in the user's Startup folder,
// made or removed only when the user flips the option.
#include "menu/StartupShortcut.h"

#include <objidl.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cstring>
#include <string>

#include "app/SystemLibrary.h"

namespace {

constexpr char kShortcutName[] = "\\Dashvane.lnk";

struct LinkTarget {
    std::string program;
    std::string arguments;
};

std::string trimmed(const std::string& text)
{
    size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return std::string();
    size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

// A shortcut's target must be the program alone: arguments left in the path
// (after a closing quote, too) make a shortcut that starts nothing, so they
// move to the shortcut's own arguments.
LinkTarget splitCommandLine(const char* commandLine)
{
    std::string line = trimmed(commandLine != nullptr ? commandLine : "");
    LinkTarget target;
    size_t end;
    if (!line.empty() && line[0] == '"') {
        end = line.find('"', 1);
        target.program = line.substr(1, end == std::string::npos ? std::string::npos : end - 1);
        if (end != std::string::npos)
            ++end;
    } else {
        end = line.find_first_of(" \t");
        target.program = line.substr(0, end);
    }
    if (end != std::string::npos && end < line.size())
        target.arguments = trimmed(line.substr(end));
    return target;
}

void createShortcut(const char* path, const LinkTarget& target)
{
    IShellLinkA* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&link))))
        return;
    link->SetPath(target.program.c_str());
    if (!target.arguments.empty())
        link->SetArguments(target.arguments.c_str());
    link->SetShowCmd(SW_SHOW);

    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        WCHAR widePath[MAX_PATH] = {};
        if (MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, path, -1, widePath, MAX_PATH) != 0)
            file->Save(widePath, TRUE);
        file->Release();
    }
    link->Release();
}

}  // namespace

ShortcutSources::ShortcutSources()
    : startupFolder(Loaded::SHGetSpecialFolderPathA), commandLine(GetCommandLineA)
{
}

void UpdateStartupShortcut(bool enable, const ShortcutSources& sources)
{
    char path[MAX_PATH] = {};
    if (!sources.startupFolder(nullptr, path, CSIDL_STARTUP, FALSE))
        return;
    path[MAX_PATH - 1] = '\0';
    size_t folderLength = std::strlen(path);
    // A folder too long to take the name within MAX_PATH gets no shortcut:
    // a cut name would make or delete some other file.
    if (folderLength == 0 || folderLength + sizeof kShortcutName > sizeof path)
        return;
    std::memcpy(path + folderLength, kShortcutName, sizeof kShortcutName);

    bool exists = GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
    if (!enable) {
        if (exists)
            DeleteFileA(path);
        return;
    }
    // An existing shortcut is the user's, whatever it points to.
    if (exists)
        return;
    LinkTarget target = splitCommandLine(sources.commandLine());
    if (!target.program.empty())
        createShortcut(path, target);
}
