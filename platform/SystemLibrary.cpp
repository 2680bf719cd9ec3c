// The system-folder loader, and the on-demand forms of the shell and network
// calls.
#include "platform/SystemLibrary.h"

#include <shlobj.h>

#include <cstring>
#include <string>

namespace {

using SetDefaultDirectoriesFunction = BOOL(WINAPI*)(DWORD flags);

// The loader's search flags come with SetDefaultDllDirectories: Windows 8 on,
// and Vista and 7 with their loader update. Older loaders refuse the flags.
SetDefaultDirectoriesFunction setDefaultDirectories()
{
    static const auto call =
        EntryPoint<SetDefaultDirectoriesFunction>(GetModuleHandleW(L"kernel32.dll"),
                                                  "SetDefaultDllDirectories");
    return call;
}

}  // namespace

void LoadLibrariesFromSystemFolderOnly()
{
    if (auto call = setDefaultDirectories())
        call(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

HMODULE WINAPI LoadSystemLibrary(LPCSTR name)
{
    // The program's own names of system files: plain ASCII.
    const std::wstring file(name, name + std::strlen(name));
    // The flag also makes the libraries it needs in turn come from there.
    if (setDefaultDirectories() != nullptr)
        return LoadLibraryExW(file.c_str(), nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    WCHAR folder[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return nullptr;
    // Named in full; the libraries it needs in turn are looked for in its own
    // folder first, not beside the program.
    const std::wstring path = std::wstring(folder, length) + L"\\" + file;
    return LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

HMODULE SystemLibrary::addReference() const
{
    HMODULE copy = nullptr;
    // Any address inside a module names it; its handle is its first byte.
    if (module_ != nullptr
        && !GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                               reinterpret_cast<LPCWSTR>(module_), &copy))
        copy = nullptr;
    return copy;
}

namespace Loaded {

BOOL WINAPI SHGetSpecialFolderPathW(HWND owner, LPWSTR path, int folder, BOOL create)
{
    SystemLibrary shell("shell32.dll");
    auto call = shell.entry<decltype(&::SHGetSpecialFolderPathW)>("SHGetSpecialFolderPathW");
    return call != nullptr ? call(owner, path, folder, create) : FALSE;
}

namespace {

HMODULE comLibrary()
{
    static const HMODULE ole = LoadSystemLibrary("ole32.dll");
    return ole;
}

thread_local bool comEntered = false;

}  // namespace

bool EnterComApartment()
{
    if (comEntered)
        return true;
    auto enter = EntryPoint<decltype(&::CoInitializeEx)>(comLibrary(), "CoInitializeEx");
    if (enter == nullptr)
        return false;
    HRESULT result = enter(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    // A thread already in the other kind of apartment has COM all the same;
    // it is not ours to leave.
    if (result == RPC_E_CHANGED_MODE)
        return true;
    if (FAILED(result))
        return false;
    comEntered = true;
    return true;
}

void LeaveComApartment()
{
    if (!comEntered)
        return;
    if (auto leave = EntryPoint<decltype(&::CoUninitialize)>(comLibrary(), "CoUninitialize"))
        leave();
    comEntered = false;
}

HRESULT WINAPI CoCreateInstance(REFCLSID type, LPUNKNOWN outer, DWORD context, REFIID wanted,
                                LPVOID* object)
{
    *object = nullptr;
    auto create = EntryPoint<decltype(&::CoCreateInstance)>(comLibrary(), "CoCreateInstance");
    if (!EnterComApartment() || create == nullptr)
        return CO_E_NOTINITIALIZED;
    return create(type, outer, context, wanted, object);
}

BOOL WINAPI ShellExecuteExW(SHELLEXECUTEINFOW* info)
{
    EnterComApartment();
    static const HMODULE shell = LoadSystemLibrary("shell32.dll");
    static const auto call = EntryPoint<decltype(&::ShellExecuteExW)>(shell, "ShellExecuteExW");
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
