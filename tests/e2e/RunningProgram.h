// Starts the real dashvane.exe (beside this test program) and ends it again.
#pragma once

#include <windows.h>

#include <shlobj.h>

#include <cstdio>
#include <string>

#include "support/TestWindow.h"

inline std::string programFolder()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string folder(path);
    return folder.substr(0, folder.find_last_of('\\'));
}

// The settings file of the prefix's user: the one the program itself uses.
inline std::string userSettingsFile()
{
    char folder[MAX_PATH] = {};
    SHGetSpecialFolderPathA(nullptr, folder, CSIDL_LOCAL_APPDATA, TRUE);
    return std::string(folder) + "\\Dashvane\\Dashvane.ini";
}

// Starts the next run from these settings, as a user's hand-edited file.
inline void writeUserSettings(const std::string& text)
{
    std::string file = userSettingsFile();
    CreateDirectoryA(file.substr(0, file.find_last_of('\\')).c_str(), nullptr);
    FILE* out = std::fopen(file.c_str(), "wb");
    if (out == nullptr)
        return;
    std::fwrite(text.data(), 1, text.size(), out);
    std::fclose(out);
}

inline RECT windowRect(HWND window)
{
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect;
}

struct MessageBoxSeen {
    HWND box = nullptr;
    std::string caption;
    std::string text;
};

struct WindowSearch {
    DWORD processId;
    const char* className;
    HWND found;
    int count;
};

inline BOOL CALLBACK findVisibleWindowOf(HWND window, LPARAM data)
{
    auto* search = reinterpret_cast<WindowSearch*>(data);
    char className[64] = {};
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    GetClassNameA(window, className, sizeof className);
    if (owner != search->processId || lstrcmpA(className, search->className) != 0
        || !IsWindowVisible(window))
        return TRUE;
    if (search->found == nullptr)
        search->found = window;
    ++search->count;
    return TRUE;
}

// A visible top-level window of a class that a process shows.
inline HWND findVisibleWindow(DWORD processId, const char* className)
{
    WindowSearch search{processId, className, nullptr, 0};
    EnumWindows(findVisibleWindowOf, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

inline int visibleWindowCount(DWORD processId, const char* className)
{
    WindowSearch search{processId, className, nullptr, 0};
    EnumWindows(findVisibleWindowOf, reinterpret_cast<LPARAM>(&search));
    return search.count;
}

// The message box a process shows, found among the top-level dialogs.
inline MessageBoxSeen findMessageBox(DWORD processId)
{
    MessageBoxSeen seen;
    seen.box = findVisibleWindow(processId, "#32770");
    if (seen.box == nullptr)
        return seen;
    char text[256] = {};
    GetWindowTextA(seen.box, text, sizeof text);
    seen.caption = text;
    // The message itself is the box's static control with id 0xFFFF.
    GetDlgItemTextA(seen.box, 0xFFFF, text, sizeof text);
    seen.text = text;
    return seen;
}

// How long a start may take until the window shows: well under a second on
// a real machine, yet over ten under Wine in an emulated guest.
constexpr DWORD kStartMs = 30000;

class RunningProgram {
public:
    RunningProgram() : RunningProgram(programFolder() + "\\dashvane.exe") {}
    // A copy of the program elsewhere, as a user who unzipped it there starts
    // it; with these arguments after its name, started in folder (by default
    // the test's own current folder).
    explicit RunningProgram(const std::string& exe, const std::string& arguments = std::string(),
                            const std::string& folder = std::string())
    {
        std::string command = "\"" + exe + "\"";
        if (!arguments.empty())
            command += " " + arguments;
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr,
                            folder.empty() ? nullptr : folder.c_str(), &startup, &process_))
            process_ = PROCESS_INFORMATION{};
    }
    ~RunningProgram()
    {
        if (process_.hProcess == nullptr)
            return;
        // Asked first, as the system asks at log-off: killed while it holds the
        // clipboard, it leaves the next program's copy unseen for a while.
        HWND window = FindWindowA("DashvaneClass", "DashvaneWindow");
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == process_.dwProcessId)
            PostMessageA(window, WM_CLOSE, 0, 0);
        if (WaitForSingleObject(process_.hProcess, 3000) == WAIT_TIMEOUT) {
            TerminateProcess(process_.hProcess, 0);
            WaitForSingleObject(process_.hProcess, 5000);
        }
        CloseHandle(process_.hThread);
        CloseHandle(process_.hProcess);
    }
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    bool started() const { return process_.hProcess != nullptr; }
    DWORD id() const { return process_.dwProcessId; }
    HANDLE handle() const { return process_.hProcess; }

    // Its overlay window, once it has been shown and given its size.
    HWND waitForWindow(DWORD milliseconds) const
    {
        HWND window = nullptr;
        pumpUntil(
            [&] {
                window = FindWindowA("DashvaneClass", "DashvaneWindow");
                RECT rect{};
                return window != nullptr && IsWindowVisible(window) && GetWindowRect(window, &rect)
                       && rect.right - rect.left > 1;
            },
            milliseconds);
        return window;
    }

    // Whether it ended within the time, with its exit code.
    bool waitForExit(DWORD milliseconds, DWORD& exitCode) const
    {
        if (WaitForSingleObject(process_.hProcess, milliseconds) != WAIT_OBJECT_0)
            return false;
        GetExitCodeProcess(process_.hProcess, &exitCode);
        return true;
    }

private:
    PROCESS_INFORMATION process_{};
};
