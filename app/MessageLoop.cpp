// Waiting on the window's messages and the settings folder together.
#include "app/MessageLoop.h"

#include <algorithm>

bool RunMessageLoopOnce(SettingsWatcher& watcher, DWORD timeout, int& exitCode)
{
    HANDLE change = watcher.changeHandle();
    DWORD handles = change != nullptr ? 1 : 0;
    // MWMO_INPUTAVAILABLE: messages already seen by an earlier peek still wake it.
    DWORD woke = MsgWaitForMultipleObjectsEx(handles, &change,
                                             std::min(timeout, watcher.waitLimit()), QS_ALLINPUT,
                                             MWMO_INPUTAVAILABLE);
    if (handles == 1 && woke == WAIT_OBJECT_0)
        watcher.onFolderChanged();
    watcher.onTimePassed();
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            exitCode = static_cast<int>(message.wParam);
            return false;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return true;
}

int RunMessageLoop(SettingsWatcher& watcher)
{
    int exitCode = 0;
    while (RunMessageLoopOnce(watcher, INFINITE, exitCode)) {
    }
    return exitCode;
}
