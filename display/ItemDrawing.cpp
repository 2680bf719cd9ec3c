// How an item draws itself: its bar first, then name, separator and value.
#include "display/ItemDrawing.h"

#include "display/TextDrawing.h"
#include "measures/Measure.h"

BarExtent barExtent(int valueColumnStart, int right, int percent, bool rightAlign)
{
    unsigned span = static_cast<unsigned>(right - valueColumnStart);
    int barEnd = valueColumnStart + static_cast<int>(span * static_cast<unsigned>(percent) / 100u);
    int shift = rightAlign ? right - barEnd : 0;
    return BarExtent{valueColumnStart + shift, barEnd + shift};
}

int Measure::drawItem(HDC dc, int top, int right, int bottom, int lineHeight, int valueColumnStart,
                      int labelWidth, int separatorWidth)
{
    if (hasGraph)
        drawPercentBar(dc, top, right, lineHeight, valueColumnStart, graphPercent);
    std::string separatorText = ownSeparator.empty() ? settings.separator() : ownSeparator;
    return drawColumns(dc, top, right, bottom, labelWidth, separatorWidth, name_.c_str(),
                       separatorText.c_str(), valueText().c_str());
}

void Measure::drawPercentBar(HDC dc, int top, int right, int lineHeight, int valueColumnStart,
                             int percent)
{
    // A window narrower than the value column has no room for a bar.
    if (!settings.showGraphs || percent < 1 || percent > 100 || right <= valueColumnStart)
        return;
    BarExtent bar = barExtent(valueColumnStart, right, percent, settings.rightAlign);
    drawBar(dc, top, bar.left, top + lineHeight, bar.right);
}

int Measure::drawColumns(HDC dc, int top, int right, int bottom, int labelWidth, int separatorWidth,
                         const char* label, const char* separator, const char* valueText)
{
    RECT rect{0, top, right, bottom};
    drawDisplayText(dc, label, rect, kDrawFlags);

    rect.left = labelWidth;
    drawDisplayText(dc, separator, rect, kDrawFlags);

    rect.left = labelWidth + separatorWidth;
    UINT flags = kDrawFlags;
    if (settings.rightAlign) {
        rect.right = right - 1;
        flags = kDrawRightFlags;
    }
    return drawDisplayText(dc, valueText, rect, flags);
}

void Measure::drawBar(HDC dc, int top, int left, int bottom, int right)
{
    RECT fill{left, top, right, bottom};
    FillRect(dc, &fill, settings.graphBrush.get());

    // The outline's bottom edge lies on the row just below the fill.
    HGDIOBJ previousPen = SelectObject(dc, settings.textPen.get());
    MoveToEx(dc, left, bottom, nullptr);
    const POINT outline[4] = {{left, top}, {right - 1, top}, {right - 1, bottom}, {left, bottom}};
    PolylineTo(dc, outline, 4);
    SelectObject(dc, previousPen);
}
