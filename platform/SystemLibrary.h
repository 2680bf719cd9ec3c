// System libraries the program needs only now and then, loaded for the call.
// A library linked at start stays mapped for the whole run; under an
// always-on overlay that is memory held all day for a question asked once.
#pragma once

#include <windows.h>

#include <lm.h>
#include <shellapi.h>

// An entry point as the function type it really has; nullptr when the module
// or the entry is missing. Through void*: FARPROC's own type matches no real
// signature, and a direct cast draws a cast-function-type warning.
template <typename Function>
Function EntryPoint(HMODULE module, const char* name)
{
    if (module == nullptr)
        return nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// One library, loaded at construction and released at the end of the scope.
class SystemLibrary {
public:
    explicit SystemLibrary(const char* name) : module_(LoadLibraryA(name)) {}
    ~SystemLibrary()
    {
        if (module_ != nullptr)
            FreeLibrary(module_);
    }
    SystemLibrary(const SystemLibrary&) = delete;
    SystemLibrary& operator=(const SystemLibrary&) = delete;

    // nullptr when the library or the entry point is missing.
    template <typename Function>
    Function entry(const char* name) const
    {
        return EntryPoint<Function>(module_, name);
    }

private:
    HMODULE module_;
};

// The same contracts as the calls they are named after. A library that
// cannot be loaded makes the call fail as the real one fails.
namespace Loaded {

// Wide only: the user's folders may hold characters the code page lacks.
BOOL WINAPI SHGetSpecialFolderPathW(HWND owner, LPWSTR path, int folder, BOOL create);
// Keeps the shell loaded once it has launched something: the shell may go on
// working on its own threads after the call returns. Enters the apartment first.
BOOL WINAPI ShellExecuteExA(SHELLEXECUTEINFOA* info);
// Enters COM's single-threaded apartment on the calling thread, loading ole32
// the first time: the shell's execute call and its link object want one, and
// ole32 with its companions would hold memory all day for a rare click.
bool EnterComApartment();
// Leaves the apartment if EnterComApartment entered it on this thread.
void LeaveComApartment();
// Enters the apartment first.
HRESULT WINAPI CoCreateInstance(REFCLSID type, LPUNKNOWN outer, DWORD context, REFIID wanted,
                                LPVOID* object);
NET_API_STATUS WINAPI NetGetDCName(LPCWSTR server, LPCWSTR domain, LPBYTE* buffer);
NET_API_STATUS WINAPI NetWkstaGetInfo(LMSTR server, DWORD level, LPBYTE* buffer);
NET_API_STATUS WINAPI NetApiBufferFree(LPVOID buffer);

}  // namespace Loaded
