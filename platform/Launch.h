// Opens a file, folder or program with the shell's default action: the
// program's only way to start anything.
#pragma once

#include <windows.h>

#include <string>

// Errors show no dialog and are not reported; returns ShellExecuteExA's result.
bool LaunchTarget(HWND owner, const char* target);

// The seam through which items launch, so a test can watch instead.
using Launcher = bool (*)(HWND owner, const char* target);

// The folder questions behind the task manager's path. isWow64 is null where
// the system lacks the call.
struct SystemFolders {
    UINT(WINAPI* systemDirectory)(LPSTR path, UINT size);
    UINT(WINAPI* windowsDirectory)(LPSTR path, UINT size);
    BOOL(WINAPI* isWow64)(HANDLE process, PBOOL wow64);

    static SystemFolders system();
};

// The task manager by its full path, never by a bare name that the current
// folder could answer; empty when the folder cannot be had.
std::string TaskManagerPath(const SystemFolders& folders = SystemFolders::system());
