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

// When the wallpaper shows behind the graph area: lays the window out, moves
// it away, averages the screen behind its graph area, puts it back, makes that
// the graph colour and brush, posts WM_RELAYOUT and writes "Graph"/"RGBColour".
// An area without pixels changes nothing. False when a window covers the area,
// the overlay does not rest on the wallpaper or the screen cannot be read: the
// colour then stays, and a later try may succeed.
bool SampleBackgroundColour(DisplayRenderer& renderer, HWND window, MeasureList& list, HFONT font);
