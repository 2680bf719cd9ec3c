// Pixels read back from a device context, as 0x00RRGGBB values.
#pragma once

#include <windows.h>

#include <vector>

#include "platform/GdiGuards.h"

// A rectangle of a device context's pixels, as 0x00RRGGBB values.
inline std::vector<DWORD> pixelsOf(HDC source, int x, int y, int width, int height)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    MemoryDC copy(source);
    GdiObject<HBITMAP> bitmap(
        CreateDIBSection(copy.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    Selection selected(copy.get(), bitmap.get());
    BitBlt(copy.get(), 0, 0, width, height, source, x, y, SRCCOPY);
    GdiFlush();
    std::vector<DWORD> pixels(static_cast<const DWORD*>(bits),
                              static_cast<const DWORD*>(bits) + width * height);
    for (DWORD& pixel : pixels)
        pixel &= 0xFFFFFF;
    return pixels;
}
