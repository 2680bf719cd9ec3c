// The on-demand forms of the shell and network calls.
#include "app/SystemLibrary.h"

#include <shlobj.h>

namespace Loaded {

BOOL WINAPI SHGetSpecialFolderPathA(HWND owner, LPSTR path, int folder, BOOL create)
{
    SystemLibrary shell("shell32.dll");
    auto call = shell.entry<decltype(&::SHGetSpecialFolderPathA)>("SHGetSpecialFolderPathA");
    return call != nullptr ? call(owner, path, folder, create) : FALSE;
}

BOOL WINAPI SHGetSpecialFolderPathW(HWND owner, LPWSTR path, int folder, BOOL create)
{
    SystemLibrary shell("shell32.dll");
    auto call = shell.entry<decltype(&::SHGetSpecialFolderPathW)>("SHGetSpecialFolderPathW");
    return call != nullptr ? call(owner, path, folder, create) : FALSE;
}

BOOL WINAPI ShellExecuteExA(SHELLEXECUTEINFOA* info)
{
    static const HMODULE shell = LoadLibraryA("shell32.dll");
    static const auto call = EntryPoint<decltype(&::ShellExecuteExA)>(shell, "ShellExecuteExA");
    if (call == nullptr) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return FALSE;
    }
    return call(info);
}

// The network API's buffers come from the process heap, so a buffer outlives
// the library that handed it out.
NET_API_STATUS WINAPI NetGetDCName(LPCWSTR server, LPCWSTR domain, LPBYTE* buffer)
{
    SystemLibrary network("netapi32.dll");
    auto call = network.entry<decltype(&::NetGetDCName)>("NetGetDCName");
    return call != nullptr ? call(server, domain, buffer) : ERROR_PROC_NOT_FOUND;
}

NET_API_STATUS WINAPI NetWkstaGetInfo(LMSTR server, DWORD level, LPBYTE* buffer)
{
    SystemLibrary network("netapi32.dll");
    auto call = network.entry<decltype(&::NetWkstaGetInfo)>("NetWkstaGetInfo");
    return call != nullptr ? call(server, level, buffer) : ERROR_PROC_NOT_FOUND;
}

NET_API_STATUS WINAPI NetApiBufferFree(LPVOID buffer)
{
    SystemLibrary network("netapi32.dll");
    auto call = network.entry<decltype(&::NetApiBufferFree)>("NetApiBufferFree");
    return call != nullptr ? call(buffer) : ERROR_PROC_NOT_FOUND;
}

}  // namespace Loaded
