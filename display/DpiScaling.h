// Sizes by the DPI of the monitor the window is on: at 96 DPI every size is
// the pixel value it always was, at 144 DPI one and a half times it.
#pragma once

#include <windows.h>

constexpr int kBaseDpi = 96;

inline int scaleForDpi(int pixels, int dpi)
{
    return MulDiv(pixels, dpi, kBaseDpi);
}

// The DPI of the monitor the window is on; the system's where the platform
// has no per-monitor DPI, and 96 where not even that can be had.
int WindowDpi(HWND window);

// The display font at dpi: the "Point" value is its cell height in pixels at
// 96 DPI. Underline and strike-out are never honoured.
HFONT CreateDisplayFont(const LOGFONTW& description, int pointSize, int dpi);
