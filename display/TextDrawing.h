// The one way the display measures and draws text, so that measuring in the
// layout and drawing in the paint step always agree.
#pragma once

#include <windows.h>

// Tab stops, expanded tabs, vertical centring (no effect: never single-line);
// every character literal, so a name such as "R&D-PC" keeps its "&".
constexpr UINT kDrawFlags = DT_TABSTOP | DT_EXPANDTABS | DT_VCENTER | DT_NOPREFIX;
constexpr UINT kDrawRightFlags = kDrawFlags | DT_RIGHT;
constexpr UINT kMeasureFlags = kDrawFlags | DT_CALCRECT;

// The UTF-8 text drawn through DrawTextExW with tab length 10 and no margins; returns the text
// height.
int drawDisplayText(HDC dc, const char* text, RECT& rect, UINT flags);

// As drawDisplayText, with the text first drawn in outlineColour at every
// offset up to outlineWidth pixels around it, so a rim of that colour
// surrounds each glyph. Plain drawDisplayText when outlineWidth is 0. The
// context's text colour is kept.
int drawOutlinedText(HDC dc, const char* text, RECT& rect, UINT flags, int outlineWidth,
                     COLORREF outlineColour);
