// How an item draws itself: its bar first, then name, separator and value.
#include "display/ItemDrawing.h"

#include "display/TextDrawing.h"
#include "platform/GdiGuards.h"

BarExtent barExtent(int valueColumnStart, int right, int percent, bool rightAlign)
{
    unsigned span = static_cast<unsigned>(right - valueColumnStart);
    int barEnd = valueColumnStart + static_cast<int>(span * static_cast<unsigned>(percent) / 100u);
    int shift = rightAlign ? right - barEnd : 0;
    return BarExtent{valueColumnStart + shift, barEnd + shift};
}

COLORREF outlineColourFor(COLORREF textColour)
{
    const unsigned brightness =
        299u * GetRValue(textColour) + 587u * GetGValue(textColour) + 114u * GetBValue(textColour);
    return drawableColour(brightness >= 128u * 1000u ? RGB(0, 0, 0) : RGB(255, 255, 255));
}

ItemDrawing::ItemDrawing(HDC dc, const Settings& settings, const ItemColumns& columns)
    : dc_(dc),
      settings_(settings),
      columns_(columns),
      outlineColour_(outlineColourFor(drawableColour(settings.fontColour)))
{
}

int ItemDrawing::drawText(const char* text, RECT& rect, UINT flags)
{
    return drawOutlinedText(dc_, text, rect, flags, columns_.outlineWidth, outlineColour_);
}

void ItemDrawing::drawPercentBar(int top, int percent)
{
    const int start = columns_.valueColumnStart;
    // A window narrower than the value column has no room for a bar.
    if (!settings_.showGraphs || percent < 1 || percent > 100 || columns_.right <= start)
        return;
    BarExtent bar = barExtent(start, columns_.right, percent, settings_.rightAlign);
    drawBar(top, bar.left, top + columns_.lineHeight, bar.right);
}

int ItemDrawing::drawColumns(int top, const char* label, const char* separator, const char* value)
{
    RECT rect{0, top, columns_.right, columns_.bottom};
    drawText(label, rect, kDrawFlags);

    rect.left = columns_.labelWidth;
    drawText(separator, rect, kDrawFlags);

    rect.left = columns_.labelWidth + columns_.separatorWidth;
    UINT flags = kDrawFlags;
    if (settings_.rightAlign) {
        rect.right = columns_.right - 1;
        flags = kDrawRightFlags;
    }
    return drawText(value, rect, flags);
}

void ItemDrawing::drawBar(int top, int left, int bottom, int right)
{
    RECT fill{left, top, right, bottom};
    FillRect(dc_, &fill, settings_.graphBrush.get());

    // The outline's bottom edge lies on the row just below the fill.
    Selection pen(dc_, settings_.textPen.get());
    MoveToEx(dc_, left, bottom, nullptr);
    const POINT outline[4] = {{left, top}, {right - 1, top}, {right - 1, bottom}, {left, bottom}};
    PolylineTo(dc_, outline, 4);
}
