// Where the window sits: one of the primary screen's corners, or a custom
// position that is pulled back when it lies past the right or bottom edge.
#pragma once

#include <windows.h>

#include "settings/Settings.h"

struct DisplayRenderer;

// Distance kept from the screen edges in every corner and in the clamp.
constexpr int kScreenMargin = 10;
// "Position"/"X" of a window that was never placed.
constexpr int kNeverPlaced = 10000;

struct ScreenFigures {
    int width;       // SM_CXSCREEN
    int height;      // SM_CYSCREEN
    int workBottom;  // bottom of the work area; 0 when it cannot be had
};

ScreenFigures primaryScreenFigures();

// The window rectangle for corner (TopLeft … BottomRight) and a picture of
// width × height. Only the bottom edge keeps clear of the work area.
RECT cornerRect(int corner, int width, int height, const ScreenFigures& screen);

struct ClampResult {
    bool movedLeft;
    bool movedUp;
};

// Pulls rect back inside the right and bottom screen edges; negative left
// and top (a screen left of or above the primary one) stay.
ClampResult clampToScreen(RECT& rect, int width, int height, const ScreenFigures& screen);

void PlaceAtCorner(HWND window, Settings& settings, const DisplayRenderer& renderer, int corner);
// Gives the window the size of the last layout: a corner position is placed
// anew, a custom one keeps its top-left corner (the layout derived the rest).
void FitToPicture(HWND window, Settings& settings, const DisplayRenderer& renderer);
// FitToPicture, after pulling a custom position back inside the screen.
void RefreshPlacement(HWND window, Settings& settings, DisplayRenderer& renderer);
