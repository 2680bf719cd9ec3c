// The system-wide hotkey: "Options"/"Hotkey" text such as "CTRL,ALT,L" turned
// into modifier flags and a virtual-key code.
#pragma once

#include <windows.h>

#include <string>

struct HotkeyChord {
    UINT modifiers;
    UINT key;  // 0 when the key part is missing or unknown
};

// Upper-cases text in place. Modifier words count anywhere in the text; the
// key is what follows the last comma.
HotkeyChord parseHotkey(char* text);
// Virtual-key code of a key name ("L", "F5", "numpad7", "SPACE"), or 0.
UINT KeyNameToVirtualKey(const char* name);
// Registers the chord for window; a failure (the chord is taken) is silent.
void RegisterHotkeyFromString(char* text, HWND window, int id);

// The chord the window holds now, as the file gave it.
struct HotkeyBinding {
    HWND window = nullptr;
    int id = 0;
    std::string text;
};
// Registers the chord text names in place of the one bound now; the same
// chord in other letter case keeps the registration as it is.
void RebindHotkey(HotkeyBinding& binding, const char* text);
