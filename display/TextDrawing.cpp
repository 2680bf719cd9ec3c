// Text drawing with the display's fixed tab and margin parameters.
#include "display/TextDrawing.h"

#include <string>

#include "platform/Utf8.h"

namespace {

int drawWide(HDC dc, std::wstring& text, RECT& rect, UINT flags)
{
    DRAWTEXTPARAMS params{};
    params.cbSize = sizeof params;
    params.iTabLength = 10;
    // DT_MODIFYSTRING is never passed, so the text is only read.
    return DrawTextExW(dc, &text[0], -1, &rect, flags, &params);
}

}  // namespace

int drawDisplayText(HDC dc, const char* text, RECT& rect, UINT flags)
{
    std::wstring wide = toWide(text);
    return drawWide(dc, wide, rect, flags);
}

int drawOutlinedText(HDC dc, const char* text, RECT& rect, UINT flags, int outlineWidth,
                     COLORREF outlineColour)
{
    std::wstring wide = toWide(text);
    if (outlineWidth > 0) {
        const COLORREF textColour = SetTextColor(dc, outlineColour);
        for (int dy = -outlineWidth; dy <= outlineWidth; ++dy) {
            for (int dx = -outlineWidth; dx <= outlineWidth; ++dx) {
                if (dx == 0 && dy == 0)
                    continue;
                RECT shifted = rect;
                OffsetRect(&shifted, dx, dy);
                drawWide(dc, wide, shifted, flags);
            }
        }
        SetTextColor(dc, textColour);
    }
    return drawWide(dc, wide, rect, flags);
}
