// How the items are drawn on the picture: the geometry of a load bar, and the
// painter that puts an item's bar and texts in the columns of a layout.
#pragma once

#include <windows.h>

#include "measures/ItemPainter.h"
#include "settings/Settings.h"

struct BarExtent {
    int left;
    int right;
};

// The bar for percent of the span from valueColumnStart to right: growing
// rightwards, or with Right Align ending at the right edge.
BarExtent barExtent(int valueColumnStart, int right, int percent, bool rightAlign);

// The outline around text of this colour: black around light text, white
// around dark text (by perceived brightness), never the colour key.
COLORREF outlineColourFor(COLORREF textColour);

// Where an item's parts go: the picture's right and bottom edges, the row
// height, and the columns (labels start at x 0).
struct ItemColumns {
    int right;
    int bottom;
    int lineHeight;
    int valueColumnStart;
    int labelWidth;
    int separatorWidth;
    // Width of the rim around every text; 0 draws none.
    int outlineWidth;
};

// Draws on a context that already has the display font, the font colour and a
// transparent background, as the paint step sets its bitmap up.
class ItemDrawing : public ItemPainter {
public:
    ItemDrawing(HDC dc, const Settings& settings, const ItemColumns& columns);

    void drawPercentBar(int top, int percent) override;
    // The value is right-aligned when Right Align is on.
    int drawColumns(int top, const char* label, const char* separator, const char* value) override;
    int lineHeight() const override { return columns_.lineHeight; }
    // One bar filled with the graph brush and outlined with the text pen: a
    // load bar, or the frame box.
    void drawBar(int top, int left, int bottom, int right);

private:
    int drawText(const char* text, RECT& rect, UINT flags);

    HDC dc_;
    const Settings& settings_;
    ItemColumns columns_;
    COLORREF outlineColour_;
};
