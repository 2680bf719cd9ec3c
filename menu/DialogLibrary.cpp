// Loads the dialog library on first use and keeps it for the rest of the run:
// unloading it after each dialog would reload the printing system every time.
#include "menu/DialogLibrary.h"

namespace {

FARPROC dialogEntry(const char* name)
{
    static HMODULE library = LoadLibraryA("comdlg32.dll");
    return library != nullptr ? GetProcAddress(library, name) : nullptr;
}

template <typename Function>
Function entryAs(const char* name)
{
    return reinterpret_cast<Function>(reinterpret_cast<void*>(dialogEntry(name)));
}

}  // namespace

BOOL WINAPI SystemChooseFont(LPCHOOSEFONTA request)
{
    static const auto choose = entryAs<BOOL(WINAPI*)(LPCHOOSEFONTA)>("ChooseFontA");
    return choose != nullptr ? choose(request) : FALSE;
}

BOOL WINAPI SystemChooseColour(LPCHOOSECOLORA request)
{
    static const auto choose = entryAs<BOOL(WINAPI*)(LPCHOOSECOLORA)>("ChooseColorA");
    return choose != nullptr ? choose(request) : FALSE;
}
