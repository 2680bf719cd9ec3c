// "Run At Startup": a shortcut to the program in the user's Startup folder,
// made or removed only when the user flips the option.
#include "menu/StartupShortcut.h"

#include <objidl.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cwchar>
#include <string>

#include "platform/ComApartment.h"
#include "platform/SystemLibrary.h"

namespace {

constexpr WCHAR kShortcutName[] = L"\\Dashvane.lnk";

struct LinkTarget {
    std::wstring program;
    std::wstring arguments;
};

std::wstring trimmed(const std::wstring& text)
{
    size_t first = text.find_first_not_of(L" \t");
    if (first == std::wstring::npos)
        return std::wstring();
    size_t last = text.find_last_not_of(L" \t");
    return text.substr(first, last - first + 1);
}

bool startsWithPath(const std::wstring& line, const std::wstring& path)
{
    return !path.empty() && line.size() >= path.size()
           && lstrcmpiW(line.substr(0, path.size()).c_str(), path.c_str()) == 0
           && (line.size() == path.size() || line[path.size()] == L' '
               || line[path.size()] == L'\t');
}

// The target is the program's own full path: the command line may name it
// relative to a console's folder, or unquoted with blanks a launcher left in.
// Only what follows the program's name on the command line becomes arguments.
LinkTarget linkTarget(const WCHAR* commandLine, const std::wstring& program)
{
    std::wstring line = trimmed(commandLine != nullptr ? commandLine : L"");
    size_t end;
    if (!line.empty() && line[0] == L'"') {
        end = line.find(L'"', 1);
        if (end != std::wstring::npos)
            ++end;
    } else if (startsWithPath(line, program)) {
        end = program.size();
    } else {
        end = line.find_first_of(L" \t");
    }
    LinkTarget target{program, std::wstring()};
    if (end != std::wstring::npos && end < line.size())
        target.arguments = trimmed(line.substr(end));
    return target;
}

bool createShortcut(const WCHAR* path, const LinkTarget& target)
{
    IShellLinkW* created = nullptr;
    if (FAILED(Loaded::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                        IID_IShellLinkW, reinterpret_cast<void**>(&created))))
        return false;
    ComPointer<IShellLinkW> link(created);
    link->SetPath(target.program.c_str());
    if (!target.arguments.empty())
        link->SetArguments(target.arguments.c_str());
    link->SetShowCmd(SW_SHOW);

    IPersistFile* queried = nullptr;
    if (FAILED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&queried))))
        return false;
    ComPointer<IPersistFile> file(queried);
    return SUCCEEDED(file->Save(path, TRUE));
}

std::wstring& startupArguments()
{
    static std::wstring arguments;
    return arguments;
}

}  // namespace

void SetStartupArguments(const std::wstring& arguments)
{
    startupArguments() = arguments;
}

ShortcutSources::ShortcutSources()
    : startupFolder(Loaded::SHGetSpecialFolderPathW),
      commandLine(GetCommandLineW),
      modulePath(GetModuleFileNameW)
{
}

bool UpdateStartupShortcut(bool enable, const ShortcutSources& sources)
{
    WCHAR path[MAX_PATH] = {};
    if (!sources.startupFolder(nullptr, path, CSIDL_STARTUP, FALSE))
        return false;
    path[MAX_PATH - 1] = L'\0';
    size_t folderLength = std::wcslen(path);
    // A folder too long to take the name within MAX_PATH gets no shortcut:
    // a cut name would make or delete some other file.
    if (folderLength == 0 || folderLength + ARRAYSIZE(kShortcutName) > ARRAYSIZE(path))
        return false;
    std::wmemcpy(path + folderLength, kShortcutName, ARRAYSIZE(kShortcutName));

    bool exists = GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES;
    if (!enable)
        return exists && !DeleteFileW(path);
    // An existing shortcut is the user's, whatever it points to.
    if (exists)
        return true;
    WCHAR program[MAX_PATH] = {};
    DWORD length = sources.modulePath(nullptr, program, ARRAYSIZE(program));
    if (length == 0 || length >= ARRAYSIZE(program))
        return false;
    LinkTarget target = linkTarget(sources.commandLine(), program);
    if (!startupArguments().empty())
        target.arguments = startupArguments();
    return createShortcut(path, target);
}
