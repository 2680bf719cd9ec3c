// Bringing the running overlay in line with the settings file read anew.
#pragma once

#include "app/Hotkey.h"
#include "display/AppState.h"

// The one place where a freshly read file meets the running window: every
// option that differs from what runs is taken over and applied, nothing else
// is touched, and nothing is written back (the file already says it).
void ApplyFreshSettings(AppState& app, Settings& fresh, HotkeyBinding& hotkey);
