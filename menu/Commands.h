// Carrying out a menu command: each flips or sets one setting, writes its key
// at once and makes the window follow, or opens a dialog or launches something.
#pragma once

#include <windows.h>

#include "app/AppState.h"

void ExecuteMenuCommand(AppState& app, int id);
