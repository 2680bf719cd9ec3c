// Launching through the shell.
#include "platform/Launch.h"

#include "platform/SystemLibrary.h"

namespace {

std::string folderOf(UINT(WINAPI* ask)(LPSTR, UINT))
{
    char folder[MAX_PATH] = {};
    UINT length = ask(folder, sizeof folder);
    return length == 0 || length >= sizeof folder ? std::string() : std::string(folder, length);
}

}  // namespace

bool LaunchTarget(HWND owner, const char* target)
{
    SHELLEXECUTEINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_FLAG_NO_UI;
    info.hwnd = owner;
    info.lpFile = target;
    info.nShow = SW_SHOWNORMAL;
    return Loaded::ShellExecuteExA(&info) != FALSE;
}

SystemFolders SystemFolders::system()
{
    using Wow64Function = BOOL(WINAPI*)(HANDLE, PBOOL);
    return {GetSystemDirectoryA, GetWindowsDirectoryA,
            EntryPoint<Wow64Function>(GetModuleHandleA("kernel32.dll"), "IsWow64Process")};
}

std::string TaskManagerPath(const SystemFolders& folders)
{
    // A 32-bit program on 64-bit Windows sees the 32-bit system folder under
    // the system folder's name; "Sysnative" is its way to the native one.
    BOOL wow64 = FALSE;
    if (folders.isWow64 != nullptr && folders.isWow64(GetCurrentProcess(), &wow64) && wow64) {
        std::string windows = folderOf(folders.windowsDirectory);
        return windows.empty() ? windows : windows + "\\Sysnative\\taskmgr.exe";
    }
    std::string system = folderOf(folders.systemDirectory);
    return system.empty() ? system : system + "\\taskmgr.exe";
}
