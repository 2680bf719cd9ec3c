// System libraries, loaded from the system folder only and, where the program
// needs them only now and then, only for the call. A library linked at start
// stays mapped for the whole run; under an always-on overlay that is memory
// held all day for a question asked once. And the program runs from wherever
// it was unzipped, often Downloads: a library looked for by name beside it
// would run whatever file of that name lies there.
#pragma once

#include <windows.h>

// Only the network API's parts named below: the whole of it clashes with the
// performance counters' header.
#include <lmcons.h>
#include <lmaccess.h>
#include <lmapibuf.h>
#include <lmerr.h>
#include <lmwksta.h>
#include <shellapi.h>

// From here on, libraries that the system loads on the program's behalf come
// from the system folder too. Called first thing; does nothing on systems
// without that setting, where LoadSystemLibrary names the folder in full.
void LoadLibrariesFromSystemFolderOnly();

// A library of the system, such as "version.dll", from the system folder and
// nowhere else; nullptr when it cannot be had there. Released with FreeLibrary.
HMODULE WINAPI LoadSystemLibrary(LPCSTR name);

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

// Holds one reference to a system library, released at the end of its life:
// held in a scope for one call, or beside the entry points taken from it for
// as long as they are used. A copy holds a reference of its own. An empty one
// (the default) holds none.
class SystemLibrary {
public:
    SystemLibrary() = default;
    explicit SystemLibrary(const char* name) : module_(LoadSystemLibrary(name)) {}
    ~SystemLibrary() { release(); }
    SystemLibrary(const SystemLibrary& other) : module_(other.addReference()) {}
    SystemLibrary(SystemLibrary&& other) noexcept : module_(other.module_)
    {
        other.module_ = nullptr;
    }
    SystemLibrary& operator=(SystemLibrary other) noexcept
    {
        release();
        module_ = other.module_;
        other.module_ = nullptr;
        return *this;
    }

    // nullptr when the library or the entry point is missing.
    template <typename Function>
    Function entry(const char* name) const
    {
        return EntryPoint<Function>(module_, name);
    }

private:
    HMODULE addReference() const;
    void release()
    {
        if (module_ != nullptr)
            FreeLibrary(module_);
        module_ = nullptr;
    }

    HMODULE module_ = nullptr;
};

// The same contracts as the calls they are named after. A library that
// cannot be loaded makes the call fail as the real one fails.
namespace Loaded {

// Wide only: the user's folders may hold characters the code page lacks.
BOOL WINAPI SHGetSpecialFolderPathW(HWND owner, LPWSTR path, int folder, BOOL create);
// Keeps the shell loaded once it has launched something: the shell may go on
// working on its own threads after the call returns. Enters the apartment first.
BOOL WINAPI ShellExecuteExW(SHELLEXECUTEINFOW* info);
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
