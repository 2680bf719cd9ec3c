// Starts the real dashvane.exe (beside this test program) and ends it again.
#pragma once

#include <windows.h>

#include <shlobj.h>

#include <cstdio>
#include <string>
#include <vector>

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

// The "DisplayItems" keys, one per item, in display order.
inline const char* const kItemKeys[] = {"Machine",   "Processor", "OS",      "User",     "Domain",
                                        "IPAddress", "Network",   "RAM",     "RAM Used", "Mem Used",
                                        "Uptime",    "Processes", "Battery", "Drive",    "Time",
                                        "CPU",       "Version"};

// A Ctrl + double-click on a screen point, as real input.
inline void controlDoubleClick(int x, int y)
{
    SetCursorPos(x, y);
    INPUT inputs[6] = {};
    for (INPUT& input : inputs)
        input.type = INPUT_MOUSE;
    inputs[0].type = INPUT_KEYBOARD;
    inputs[0].ki.wVk = VK_CONTROL;
    inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    inputs[2].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    inputs[3].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    inputs[4].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    inputs[5].type = INPUT_KEYBOARD;
    inputs[5].ki.wVk = VK_CONTROL;
    inputs[5].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(6, inputs, sizeof(INPUT));
}

// The clipboard's text as UTF-8, read from its UTF-16 form, or empty.
inline std::string clipboardText()
{
    std::string text;
    if (!OpenClipboard(nullptr))
        return text;
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    if (data != nullptr) {
        const wchar_t* chars = static_cast<const wchar_t*>(GlobalLock(data));
        if (chars != nullptr) {
            char bytes[4096] = {};
            WideCharToMultiByte(CP_UTF8, 0, chars, -1, bytes, sizeof bytes - 1, nullptr, nullptr);
            text = bytes;
        }
        GlobalUnlock(data);
    }
    CloseClipboard();
    return text;
}

inline void emptyClipboard()
{
    if (OpenClipboard(nullptr)) {
        EmptyClipboard();
        CloseClipboard();
    }
}

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

inline void rightClick(int x, int y)
{
    SetCursorPos(x, y);
    INPUT inputs[2] = {};
    inputs[0].type = inputs[1].type = INPUT_MOUSE;
    inputs[0].mi.dwFlags = MOUSEEVENTF_RIGHTDOWN;
    inputs[1].mi.dwFlags = MOUSEEVENTF_RIGHTUP;
    SendInput(2, inputs, sizeof(INPUT));
}

// The open popup menu of a process.
inline HWND findPopupMenu(DWORD processId)
{
    return findVisibleWindow(processId, "#32768");
}

// Right-clicks the overlay and walks its menu with keys, as a user would.
// Only the first click is real input: it lands on the frame box, and once the
// bars replace the box the point may be a transparent pixel that lets the
// click through, so later clicks are sent to the window itself.
inline bool chooseFromMenu(const RunningProgram& program, HWND window, std::vector<WPARAM> keys,
                           bool realClick = false)
{
    RECT rect{};
    GetWindowRect(window, &rect);
    if (realClick)
        rightClick(rect.right - 5, rect.top + 5);
    else
        PostMessageA(window, WM_RBUTTONUP, 0, MAKELPARAM(rect.right - rect.left - 5, 5));
    HWND popup = nullptr;
    if (!pumpUntil([&] { return (popup = findPopupMenu(program.id())) != nullptr; }, 5000))
        return false;
    for (WPARAM key : keys)
        PostMessageA(popup, WM_KEYDOWN, key, 0);
    return pumpUntil([&] { return findPopupMenu(program.id()) == nullptr; }, 5000);
}
