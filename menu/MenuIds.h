// The context menu's command ids: what the menu returns and the command
// handler dispatches on. Fixed numbers, so each names one command for good.
#pragma once

#include <windows.h>

// Items: the item at list position p carries p + 1.
constexpr UINT IDM_FIRST_ITEM = 1;
constexpr UINT IDM_LAST_ITEM = 199;

constexpr UINT IDM_LOCKED = 200;
constexpr UINT IDM_SHOW_NETWORK_DRIVES = 210;
constexpr UINT IDM_SHOW_REMOVABLE_DRIVES = 220;
constexpr UINT IDM_CHANGE_FONT = 230;
constexpr UINT IDM_CHANGE_TEXT_COLOUR = 235;
constexpr UINT IDM_CHANGE_GRAPH_COLOUR = 240;
constexpr UINT IDM_AUTO_GRAPH_COLOUR = 250;
constexpr UINT IDM_SHOW_GRAPHS = 260;
constexpr UINT IDM_RIGHT_ALIGN = 270;
constexpr UINT IDM_TEXT_OUTLINE = 275;
constexpr UINT IDM_RUN_AT_STARTUP = 280;
constexpr UINT IDM_INI_FILE = 290;
constexpr UINT IDM_ALWAYS_ON_TOP = 300;
constexpr UINT IDM_NORMAL = 310;
constexpr UINT IDM_BOTTOM = 320;

// Network entries: entry i carries 350 + i, which leaves room for 49 entries.
constexpr UINT IDM_FIRST_INTERFACE = 350;
constexpr UINT IDM_LAST_INTERFACE = 398;
constexpr int kMaxInterfaceEntries = IDM_LAST_INTERFACE - IDM_FIRST_INTERFACE + 1;

constexpr UINT IDM_TOP_LEFT = 400;
constexpr UINT IDM_TOP_RIGHT = 410;
constexpr UINT IDM_BOTTOM_LEFT = 420;
constexpr UINT IDM_BOTTOM_RIGHT = 430;
constexpr UINT IDM_CUSTOM = 440;

constexpr UINT IDM_EXIT = 900;

// The disabled note that the settings file is read-only: never chosen.
constexpr UINT IDM_SETTINGS_LOCKED = 930;

// Separators carry ids that no command uses and the menu never returns.
constexpr UINT IDM_SEPARATOR = 910;
constexpr UINT IDM_EXIT_SEPARATOR = 920;
