// The program's message loop, which also serves the settings watcher.
#pragma once

#include <windows.h>

#include "app/SettingsWatcher.h"

// Dispatches messages and folder changes until WM_QUIT; returns its code.
int RunMessageLoop(SettingsWatcher& watcher);
// One turn: waits up to timeout for a message or a folder change, then serves
// what came. False once WM_QUIT was taken, with its code in exitCode.
bool RunMessageLoopOnce(SettingsWatcher& watcher, DWORD timeout, int& exitCode);
