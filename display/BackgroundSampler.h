// Gives the bars the average colour of the desktop behind the window's graph
// area, so that they blend with the wallpaper.
#pragma once

#include <windows.h>

#include "display/DisplayRenderer.h"
#include "measures/MeasureList.h"

// The screen area behind the bars: from the value column start to the window's
// right edge, and from below the k shown items above the first graph item to
// the window's bottom. Empty or inverted when that leaves no pixels.
RECT sampleArea(const RECT& window, int valueColumnStart, int k, int lineHeight);

// Lays the window out, moves it away, averages the screen behind its graph
// area, puts it back, replaces the graph brush, posts WM_RELAYOUT and writes
// "Graph"/"RGBColour". Returns the colour; every caller stores it as
// settings.graphColour. An area without pixels changes nothing and returns the
// current graph colour.
COLORREF SampleBackgroundColour(DisplayRenderer& renderer, HWND window, MeasureList& list,
                                HFONT font);
