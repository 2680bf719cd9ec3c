// Entry point of dashvane.exe, and the home of the program-wide objects.
#include <windows.h>

#include <clocale>

#include "app/MainWindow.h"
#include "app/Startup.h"
#include "measures/AccountInfo.h"
#include "settings/Settings.h"

// Built before WinMain runs, in this order: the settings file located and its
// options loaded, then the user and domain names resolved once. Only the
// entry point sees them; every other part is handed them by RunOverlay.
static Settings settings(std::string(), FolderSource(), Settings::Writes::Held);
static AccountInfo accountInfo;

namespace {

constexpr const char* kErrorCaption = "dashvane - error";

bool isSupportedSystem()
{
    OSVERSIONINFOEXW wanted{};
    wanted.dwOSVersionInfoSize = sizeof wanted;
    wanted.dwMajorVersion = 5;
    wanted.dwMinorVersion = 1;
    wanted.wServicePackMajor = 0;
    DWORDLONG condition = 0;
    condition = VerSetConditionMask(condition, VER_MAJORVERSION, VER_GREATER_EQUAL);
    condition = VerSetConditionMask(condition, VER_MINORVERSION, VER_GREATER_EQUAL);
    condition = VerSetConditionMask(condition, VER_SERVICEPACKMAJOR, VER_GREATER_EQUAL);
    return VerifyVersionInfoW(&wanted, VER_MAJORVERSION | VER_MINORVERSION | VER_SERVICEPACKMAJOR,
                              condition)
           != FALSE;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    // An empty card reader or floppy drive must fail its query, not stop the
    // whole desktop with the system's "No disk" box.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    if (FindWindowA(kWindowClassName, kWindowTitle) != nullptr) {
        MessageBoxA(nullptr, "Application already running.", kErrorCaption, MB_ICONWARNING);
        return 0;
    }
    std::setlocale(LC_ALL, "");
    if (!isSupportedSystem()) {
        MessageBoxA(nullptr, "This application does not run on Win9X.\n\n\t  Sorry!", kErrorCaption,
                    MB_ICONWARNING);
        return 0;
    }
    return RunOverlay(instance, settings, accountInfo);
}
