// Program-wide state of the shell, in one place: the entry point owns the one
// instance, and a test builds its own around a window of its own.
#pragma once

#include <windows.h>

struct AppState {
    HWND mainWindow = nullptr;
    HFONT displayFont = nullptr;
    // Set only by Exit, just before the loop ends: no painting, no re-layout,
    // no timer restarts from then on.
    bool exiting = false;
    // Between a suspend and a resume power event; item updates are skipped.
    bool suspended = false;
    bool menuOpen = false;
    bool chooserOpen = false;
    HWND tooltip = nullptr;
    bool tooltipShowing = false;
};
