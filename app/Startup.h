// The program's run once the entry point has let it start: the window, the
// items, the timers and the message loop, and the way down again.
#pragma once

#include <windows.h>

#include "app/MainWindow.h"
#include "display/AppState.h"
#include "measures/AccountInfo.h"

// The exit code when the window class or the window cannot be created.
constexpr int kNoWindowExitCode = 1;

// Makes the overlay window for app; tests pass one that fails.
using WindowMaker = HWND (*)(HINSTANCE instance, AppState& app);

// Returns the exit code. Without a window it returns kNoWindowExitCode at
// once, before any item or timer exists: nothing could be shown or closed.
int RunOverlay(HINSTANCE instance, Settings& settings, AccountInfo& account,
               WindowMaker makeWindow = CreateMainWindow);
