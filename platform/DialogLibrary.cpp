// Loads the dialog library on first use and keeps it for the rest of the run:
// unloading it after each dialog would reload the printing system every time.
#include "platform/DialogLibrary.h"

#include "platform/SystemLibrary.h"

namespace {

template <typename Function>
Function dialogEntry(const char* name)
{
    static const HMODULE library = LoadSystemLibrary("comdlg32.dll");
    return EntryPoint<Function>(library, name);
}

}  // namespace

BOOL WINAPI SystemChooseFont(LPCHOOSEFONTW request)
{
    static const auto choose = dialogEntry<BOOL(WINAPI*)(LPCHOOSEFONTW)>("ChooseFontW");
    return choose != nullptr ? choose(request) : FALSE;
}

BOOL WINAPI SystemChooseColour(LPCHOOSECOLORW request)
{
    static const auto choose = dialogEntry<BOOL(WINAPI*)(LPCHOOSECOLORW)>("ChooseColorW");
    return choose != nullptr ? choose(request) : FALSE;
}
