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
