// Opens a file, folder or program with the shell's default action: the
// program's only way to start anything.
#pragma once

#include <windows.h>

#include <shellapi.h>

#include <string>
#include <vector>

#include "platform/KernelHandle.h"
#include "platform/SystemLibrary.h"

// The shell's execute call, or a test's stand-in for it.
using ShellExecuteFunction = BOOL(WINAPI*)(SHELLEXECUTEINFOW* info);

// Each launch runs on a short-lived thread of its own: the shell can take
// seconds over a spun-down disk, a network folder or a slow handler, and the
// window must go on answering meanwhile. Errors show no dialog and are not
// reported.
class Launches {
public:
    Launches() = default;
    // Gives launches still running a short while, so that one started just
    // before Exit still reaches the shell; one stuck for longer ends with the
    // process.
    ~Launches();
    Launches(const Launches&) = delete;
    Launches& operator=(const Launches&) = delete;

    // False when no thread could be started for it.
    bool start(const char* target);

    ShellExecuteFunction execute = Loaded::ShellExecuteExW;

private:
    // Launches not known to be finished; the finished ones are dropped at
    // each start, so their handles do not pile up over a long run.
    std::vector<KernelHandle> running_;
};

// The folder questions behind the task manager's path. isWow64 is null where
// the system lacks the call.
struct SystemFolders {
    UINT(WINAPI* systemDirectory)(LPWSTR path, UINT size);
    UINT(WINAPI* windowsDirectory)(LPWSTR path, UINT size);
    BOOL(WINAPI* isWow64)(HANDLE process, PBOOL wow64);

    static SystemFolders system();
};

// The task manager by its full path, never by a bare name that the current
// folder could answer; empty when the folder cannot be had.
std::string TaskManagerPath(const SystemFolders& folders = SystemFolders::system());
