// Reading the switches, and carrying out the ones that end at once.
#include "app/CommandLine.h"

#include <shellapi.h>

#include <vector>

#include "app/ErrorMessage.h"
#include "app/MainWindow.h"
#include "app/SingleInstance.h"
#include "menu/StartupShortcut.h"
#include "platform/KernelHandle.h"
#include "platform/SystemLibrary.h"
#include "platform/Utf8.h"

namespace {

constexpr const wchar_t* kSwitchList =
    L"dashvane.exe [/ini <file>] [/exit] [/?]\n\n"
    L"/ini <file>\tKeeps the settings in this file rather than in Dashvane.ini beside "
    L"the program or in the user's profile. A missing file is made with the defaults.\n"
    L"/exit\tEnds the overlay running in this session as its Exit does and waits up "
    L"to 5 seconds. Exit code 0: it ended; 1: none was running; 2: it did not end in "
    L"time.\n"
    L"/?\tShows this list.";

// The system's splitting rules for quotes and backslashes. The shell is
// loaded for the call only: the overlay keeps it out of its whole run.
std::vector<std::wstring> splitArguments(const wchar_t* line)
{
    std::vector<std::wstring> arguments;
    SystemLibrary shell("shell32.dll");
    auto split = shell.entry<decltype(&::CommandLineToArgvW)>("CommandLineToArgvW");
    int count = 0;
    LPWSTR* parts = split != nullptr ? split(line, &count) : nullptr;
    if (parts == nullptr)
        return arguments;
    for (int i = 0; i < count; ++i)
        arguments.emplace_back(parts[i]);
    LocalFree(parts);
    return arguments;
}

// Letter case aside, by ASCII alone: a locale's rules would make "/INI" no
// switch under a Turkish user.
bool isSwitch(const std::wstring& argument, const wchar_t* name)
{
    auto lower = [](wchar_t c) { return c >= L'A' && c <= L'Z' ? wchar_t(c - L'A' + L'a') : c; };
    size_t i = 0;
    for (; name[i] != L'\0'; ++i)
        if (i >= argument.size() || lower(argument[i]) != name[i])
            return false;
    return i == argument.size();
}

bool overlayMutexExists()
{
    // Opened only to see it: waiting on it would take it.
    KernelHandle mutex(OpenMutexW(SYNCHRONIZE, FALSE, kInstanceMutexName));
    return mutex != nullptr;
}

std::wstring fullPath(const std::wstring& path)
{
    DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (size == 0)
        return std::wstring();
    std::wstring full(size, L'\0');
    DWORD length = GetFullPathNameW(path.c_str(), size, &full[0], nullptr);
    if (length == 0 || length >= size)
        return std::wstring();
    full.resize(length);
    return full;
}

bool isFolder(const std::wstring& path)
{
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool isFile(const std::wstring& path)
{
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

SettingsChoice unusable(const std::wstring& path)
{
    return SettingsChoice{std::string(), path};
}

SettingsChoice namedFile(const std::wstring& named)
{
    std::wstring full = fullPath(named);
    size_t separator = full.find_last_of(L'\\');
    if (separator == std::wstring::npos || separator + 1 == full.size() || isFolder(full))
        return unusable(full.empty() ? named : full);
    // One level, as the per-user folder is made: a mistyped path makes no tree.
    std::wstring folder = full.substr(0, separator + 1);
    if (!isFolder(folder) && !CreateDirectoryW(folder.c_str(), nullptr))
        return unusable(full);
    return SettingsChoice{toUtf8(full), std::wstring()};
}

std::wstring ownFolder()
{
    std::wstring module(32768, L'\0');
    DWORD length = GetModuleFileNameW(nullptr, &module[0], static_cast<DWORD>(module.size()));
    if (length == 0 || length >= module.size())
        return std::wstring();
    module.resize(length);
    return module.substr(0, module.find_last_of(L'\\'));
}

}  // namespace

CommandLine ParseCommandLine(const wchar_t* line)
{
    CommandLine parsed;
    std::vector<std::wstring> arguments = splitArguments(line);
    bool listWanted = false;
    bool endWanted = false;
    // The first argument is the program's own name.
    for (size_t i = 1; i < arguments.size(); ++i) {
        const std::wstring& argument = arguments[i];
        if (isSwitch(argument, L"/ini") && i + 1 < arguments.size() && !arguments[i + 1].empty()) {
            parsed.settingsFile = arguments[++i];
        } else if (isSwitch(argument, L"/exit")) {
            endWanted = true;
        } else if (isSwitch(argument, L"/?")) {
            listWanted = true;
        } else {
            parsed.action = StartAction::WrongSwitch;
            parsed.wrong = argument;
            return parsed;
        }
    }
    if (listWanted)
        parsed.action = StartAction::ShowSwitches;
    else if (endWanted)
        parsed.action = StartAction::EndRunning;
    return parsed;
}

int CarryOut(const CommandLine& commandLine)
{
    switch (commandLine.action) {
    case StartAction::EndRunning:
        return EndRunningOverlay();
    case StartAction::ShowSwitches:
        MessageBoxW(nullptr, kSwitchList, L"dashvane", MB_ICONINFORMATION);
        return 0;
    case StartAction::WrongSwitch:
        MessageBoxW(
            nullptr,
            (L"Unknown or incomplete switch: " + commandLine.wrong + L"\n\n" + kSwitchList).c_str(),
            kErrorCaption, MB_ICONWARNING);
        return kWrongSwitchExitCode;
    default:
        return 0;
    }
}

int EndRunningOverlay(DWORD waitMs)
{
    const DWORD start = GetTickCount();
    auto timeLeft = [&] {
        DWORD spent = GetTickCount() - start;
        return spent < waitMs ? waitMs - spent : 0;
    };
    HWND window = FindWindowW(kWindowClassName, kWindowTitle);
    if (window == nullptr && !overlayMutexExists())
        return kNoOverlayRunning;
    // A starting overlay holds the mutex before its window exists, and its
    // window takes a close request as Exit only once it shows.
    while ((window = FindWindowW(kWindowClassName, kWindowTitle)) == nullptr
           || !IsWindowVisible(window)) {
        if (window == nullptr && !overlayMutexExists())
            return kOverlayEnded;
        if (timeLeft() == 0)
            return kOverlayStillRunning;
        Sleep(50);
    }
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    KernelHandle process(OpenProcess(SYNCHRONIZE, FALSE, processId));
    // The window procedure ends the program on this as its Exit does.
    PostMessageW(window, WM_CLOSE, 0, 0);
    if (process != nullptr)
        return WaitForSingleObject(process.get(), timeLeft()) == WAIT_OBJECT_0
                   ? kOverlayEnded
                   : kOverlayStillRunning;
    // Without a handle on the process, its window goes with it.
    while (IsWindow(window)) {
        if (timeLeft() == 0)
            return kOverlayStillRunning;
        Sleep(50);
    }
    return kOverlayEnded;
}

SettingsChoice ChooseSettingsFile(const CommandLine& commandLine, const std::wstring& programFolder)
{
    if (!commandLine.settingsFile.empty())
        return namedFile(commandLine.settingsFile);
    std::wstring beside = programFolder + L"\\Dashvane.ini";
    if (programFolder.empty() || !isFile(beside))
        return SettingsChoice();
    return SettingsChoice{toUtf8(beside), std::wstring()};
}

bool TakeSettingsFile(const CommandLine& commandLine, std::string& path)
{
    SettingsChoice choice = ChooseSettingsFile(commandLine, ownFolder());
    if (!choice.unusable.empty()) {
        MessageBoxW(nullptr, (L"The settings file cannot be used:\n" + choice.unusable).c_str(),
                    kErrorCaption, MB_ICONWARNING);
        return false;
    }
    path = choice.path;
    // By its full path: a start at logon begins in another folder.
    if (!commandLine.settingsFile.empty())
        SetStartupArguments(L"/ini \"" + fullPath(commandLine.settingsFile) + L"\"");
    return true;
}
