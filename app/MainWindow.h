// The overlay window: its class, creation and window procedure.
#pragma once

#include <windows.h>

#include "display/AppState.h"

constexpr const char* kWindowClassName = "DashvaneClass";
constexpr const char* kWindowTitle = "DashvaneWindow";

ATOM RegisterMainWindowClass(HINSTANCE instance);
// Creates the 1 × 1 layered tool window at the stored position and binds it
// to app, which must outlive it; sets app.mainWindow.
HWND CreateMainWindow(HINSTANCE instance, AppState& app);
// Makes magenta transparent; quietly skipped where the call does not exist.
void ApplyColourKey(HWND window);
// (Re)starts the refresh timer and every item's interval in one moment: the
// items update on the refresh ticks, counted from here. Does nothing once
// Exit was chosen.
void StartTimers(AppState& app);
// Makes the display font anew from the font settings, at the DPI the picture
// is drawn for. The font in use stays when no new one can be made.
void RemakeDisplayFont(AppState& app);
// Lays the picture out anew and gives the window its size at once.
void Relayout(AppState& app);
// Exit, from the menu or a close request: nothing is painted, laid out or
// restarted from now on, and the message loop ends.
void EndProgram(AppState& app);
LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
