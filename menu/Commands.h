// Carrying out a menu command: each flips or sets one setting, writes its key
// at once and makes the window follow, or opens a dialog or launches something.
#pragma once

#include <windows.h>

#include "display/AppState.h"
#include "menu/MenuIds.h"

// Everything a command does that opens a dialog, touches the user's Startup
// folder or starts a program; tests pass stand-ins. Defaults to the real calls.
struct CommandHooks {
    // True when the display font or colour changed and the window must follow.
    bool (*chooseFont)(AppState& app);
    void (*chooseColour)(AppState& app);
    // True when the text colour changed.
    bool (*chooseTextColour)(AppState& app);
    // True when a shortcut is in place afterwards.
    bool (*updateStartupShortcut)(bool enable);
    void (*launch)(AppState& app, const char* target);

    CommandHooks();
};

// id: what the menu returned, 0 when it was dismissed.
void ExecuteMenuCommand(AppState& app, int id, const CommandHooks& hooks = CommandHooks());
