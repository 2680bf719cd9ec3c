// Entry point of dashvane.exe, and the home of the program-wide objects.
#include <windows.h>

#include <clocale>

#include "app/CommandLine.h"
#include "app/ErrorMessage.h"
#include "app/MainWindow.h"
#include "app/SaveFailureNotice.h"
#include "app/SingleInstance.h"
#include "app/Startup.h"
#include "measures/AccountInfo.h"
#include "platform/SystemLibrary.h"
#include "settings/Settings.h"

namespace {

bool isSupportedSystem()
{
    OSVERSIONINFOEXW wanted{};
    wanted.dwOSVersionInfoSize = sizeof wanted;
    // Windows Vista: the first with the calls the program is linked to.
    wanted.dwMajorVersion = 6;
    wanted.dwMinorVersion = 0;
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
    // First of all: whatever the system loads for the program from here on
    // comes from the system folder, never from the program's own.
    LoadLibrariesFromSystemFolderOnly();
    // An empty card reader or floppy drive must fail its query, not stop the
    // whole desktop with the system's "No disk" box.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    // Before the mutex: a request to end the running overlay must not take
    // it, and a wrong switch starts nothing.
    CommandLine commandLine = ParseCommandLine(GetCommandLineW());
    if (commandLine.action != StartAction::RunOverlay)
        return CarryOut(commandLine);
    // Before anything is read or written: a refused start must leave the
    // running overlay's file alone. The window check also finds an overlay
    // of a build that takes no mutex. The running one shows itself first, so
    // the user sees where it is.
    SingleInstance instanceLock;
    const bool windowFound = ShowRunningOverlay();
    if (!instanceLock.isFirst() || windowFound) {
        MessageBoxW(nullptr, L"Application already running.", kErrorCaption, MB_ICONWARNING);
        return 0;
    }
    std::setlocale(LC_ALL, "");
    if (!isSupportedSystem()) {
        MessageBoxW(nullptr, L"This application does not run on Win9X.\n\n\t  Sorry!",
                    kErrorCaption, MB_ICONWARNING);
        return 0;
    }
    // In this order: the settings file located and its options loaded, then
    // the user and domain names resolved once (seconds off the domain's
    // network). Every other part is handed them by RunOverlay.
    std::string settingsPath;
    if (!TakeSettingsFile(commandLine, settingsPath))
        return kUnusableSettingsExitCode;
    SaveFailureNotice saveFailures;
    Settings settings(settingsPath, FolderSource(), Settings::Writes::Held, &saveFailures);
    AccountInfo accountInfo;
    return RunOverlay(instance, settings, accountInfo);
}
