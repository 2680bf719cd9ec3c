// Where the window sits: one of the primary monitor's corners, or a custom
// position on any monitor, pulled fully onto the nearest monitor when it lies
// off them or only partly on one.
#pragma once

#include <windows.h>

#include <vector>

#include "settings/Settings.h"

struct DisplayRenderer;

// Distance kept from a monitor's edges in every corner and wherever a window
// is pulled in; pixels at 96 DPI, scaled with the window's DPI.
constexpr int kScreenMargin = 10;
// "Position"/"X" of a window that was never placed.
constexpr int kNeverPlaced = 10000;

struct Monitor {
    RECT bounds;
    RECT work;
};

// The connected monitors, the primary one first. When they cannot be listed,
// one monitor made of the primary screen's metrics.
std::vector<Monitor> ConnectedMonitors();

// The window rectangle for corner (TopLeft … BottomRight) and a picture of
// width × height on the primary monitor. Only the bottom edge keeps clear of
// the work area.
RECT cornerRect(int corner, int width, int height, const Monitor& primary, int margin);

// The origin that keeps a width × height window at (left, top) on the
// monitors. A window lying fully on one keeps its origin. Otherwise it goes
// onto the monitor it covers most, or the nearest one when it covers none:
// each edge it crossed ends margin pixels inside that monitor's edge, and a
// window too large for the monitor starts margin pixels from its left or top.
// Safe for any left and top.
POINT pullOntoMonitors(LONG left, LONG top, int width, int height,
                       const std::vector<Monitor>& monitors, int margin);

// Moves the window onto the settings' window rectangle.
void MoveToStoredRect(HWND window, const Settings& settings, bool repaint = true);
// A window never placed goes margin pixels left of the primary screen's right
// edge, at its stored top, and that X is stored. Needs a layout first; does
// not move the window.
void PlaceIfNeverPlaced(Settings& settings, const DisplayRenderer& renderer);
// Pulls the window rectangle fully onto the nearest monitor when it lies off
// every monitor or only partly on one; true when it moved. Writes nothing:
// the user's place stays stored for when its monitor is back.
bool ClampToScreen(Settings& settings, const DisplayRenderer& renderer);
// Makes the window rectangle's origin the user's place, writing to
// "Position" only the coordinates that changed.
void StorePlace(Settings& settings);
void PlaceAtCorner(HWND window, Settings& settings, const DisplayRenderer& renderer, int corner);
// Gives the window the size of the last layout: a corner position is placed
// anew, a custom one keeps its top-left corner (the layout derived the rest).
void FitToPicture(HWND window, Settings& settings, const DisplayRenderer& renderer);
// FitToPicture, with a custom position taken afresh from the user's place and
// pulled onto the monitors connected now, in memory only.
void RefreshPlacement(HWND window, Settings& settings, const DisplayRenderer& renderer);
