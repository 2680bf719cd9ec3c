// Launching through the shell.
#include "menu/Launch.h"

#include "app/SystemLibrary.h"

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
