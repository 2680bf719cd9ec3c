// Text drawing with the display's fixed tab and margin parameters.
#include "display/TextDrawing.h"

int drawDisplayText(HDC dc, const char* text, RECT& rect, UINT flags)
{
    DRAWTEXTPARAMS params{};
    params.cbSize = sizeof params;
    params.iTabLength = 10;
    // DT_MODIFYSTRING is never passed, so the text is only read.
    return DrawTextExA(dc, const_cast<char*>(text), -1, &rect, flags, &params);
}

int drawOutlinedText(HDC dc, const char* text, RECT& rect, UINT flags, int outlineWidth,
                     COLORREF outlineColour)
{
    if (outlineWidth > 0) {
        const COLORREF textColour = SetTextColor(dc, outlineColour);
        for (int dy = -outlineWidth; dy <= outlineWidth; ++dy) {
            for (int dx = -outlineWidth; dx <= outlineWidth; ++dx) {
                if (dx == 0 && dy == 0)
                    continue;
                RECT shifted = rect;
                OffsetRect(&shifted, dx, dy);
                drawDisplayText(dc, text, shifted, flags);
            }
        }
        SetTextColor(dc, textColour);
    }
    return drawDisplayText(dc, text, rect, flags);
}
