// What the screen shows, read back as a user's eye would see it.
#pragma once

#include <windows.h>

#include <vector>

#include "support/Pixels.h"

// The pixels of a screen rectangle as 0x00RRGGBB values.
inline std::vector<DWORD> screenPixels(const RECT& rect)
{
    HDC screen = GetDC(nullptr);
    std::vector<DWORD> pixels =
        pixelsOf(screen, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
    ReleaseDC(nullptr, screen);
    return pixels;
}
