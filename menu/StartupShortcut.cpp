// "Run At Startup": a shortcut to the program in the user's Startup folder,
// made or removed only when the user flips the option.
#include "menu/StartupShortcut.h"

#include <objidl.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cstring>
#include <string>

#include "platform/ComApartment.h"
#include "platform/SystemLibrary.h"

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

bool startsWithPath(const std::string& line, const std::string& path)
{
    return !path.empty() && line.size() >= path.size()
           && lstrcmpiA(line.substr(0, path.size()).c_str(), path.c_str()) == 0
           && (line.size() == path.size() || line[path.size()] == ' ' || line[path.size()] == '\t');
}

// The target is the program's own full path: the command line may name it
// relative to a console's folder, or unquoted with blanks a launcher left in.
// Only what follows the program's name on the command line becomes arguments.
LinkTarget linkTarget(const char* commandLine, const std::string& program)
{
    std::string line = trimmed(commandLine != nullptr ? commandLine : "");
    size_t end;
    if (!line.empty() && line[0] == '"') {
        end = line.find('"', 1);
        if (end != std::string::npos)
            ++end;
    } else if (startsWithPath(line, program)) {
        end = program.size();
    } else {
        end = line.find_first_of(" \t");
    }
    LinkTarget target{program, std::string()};
    if (end != std::string::npos && end < line.size())
        target.arguments = trimmed(line.substr(end));
    return target;
}

bool createShortcut(const char* path, const LinkTarget& target)
{
    IShellLinkA* created = nullptr;
    if (FAILED(Loaded::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                        IID_IShellLinkA, reinterpret_cast<void**>(&created))))
        return false;
    ComPointer<IShellLinkA> link(created);
    link->SetPath(target.program.c_str());
    if (!target.arguments.empty())
        link->SetArguments(target.arguments.c_str());
    link->SetShowCmd(SW_SHOW);

    IPersistFile* queried = nullptr;
    if (FAILED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&queried))))
        return false;
    ComPointer<IPersistFile> file(queried);
    WCHAR widePath[MAX_PATH] = {};
    if (MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, path, -1, widePath, MAX_PATH) == 0)
        return false;
    return SUCCEEDED(file->Save(widePath, TRUE));
}

std::string& startupArguments()
{
    static std::string arguments;
    return arguments;
}

}  // namespace

void SetStartupArguments(const std::string& arguments)
{
    startupArguments() = arguments;
}

ShortcutSources::ShortcutSources()
    : startupFolder(Loaded::SHGetSpecialFolderPathA),
      commandLine(GetCommandLineA),
      modulePath(GetModuleFileNameA)
{
}

bool UpdateStartupShortcut(bool enable, const ShortcutSources& sources)
{
    char path[MAX_PATH] = {};
    if (!sources.startupFolder(nullptr, path, CSIDL_STARTUP, FALSE))
        return false;
    path[MAX_PATH - 1] = '\0';
    size_t folderLength = std::strlen(path);
    // A folder too long to take the name within MAX_PATH gets no shortcut:
    // a cut name would make or delete some other file.
    if (folderLength == 0 || folderLength + sizeof kShortcutName > sizeof path)
        return false;
    std::memcpy(path + folderLength, kShortcutName, sizeof kShortcutName);

    bool exists = GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
    if (!enable)
        return exists && !DeleteFileA(path);
    // An existing shortcut is the user's, whatever it points to.
    if (exists)
        return true;
    char program[MAX_PATH] = {};
    DWORD length = sources.modulePath(nullptr, program, sizeof program);
    if (length == 0 || length >= sizeof program)
        return false;
    LinkTarget target = linkTarget(sources.commandLine(), program);
    if (!startupArguments().empty())
        target.arguments = startupArguments();
    return createShortcut(path, target);
}
