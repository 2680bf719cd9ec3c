// The overlay window: its class, creation and window procedure.
#pragma once

#include <windows.h>

#include "display/AppState.h"

constexpr const wchar_t* kWindowClassName = L"DashvaneClass";
constexpr const wchar_t* kWindowTitle = L"DashvaneWindow";

ATOM RegisterMainWindowClass(HINSTANCE instance);
// Creates the 1 × 1 layered tool window at the stored position and binds it
// to app, which must outlive it; sets app.mainWindow.
HWND CreateMainWindow(HINSTANCE instance, AppState& app);
// Makes magenta transparent; quietly skipped where the call does not exist.
void ApplyColourKey(HWND window);
// Asks the overlay already running in this session to show itself above
// every window for a few seconds; false when no overlay window is there.
bool ShowRunningOverlay();
LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
