// Averages the desktop behind the graph area into the graph colour.
#include "display/BackgroundSampler.h"

#include <cstdint>
#include <vector>

#include "display/Stacking.h"
#include "platform/GdiGuards.h"
#include "platform/Messages.h"

namespace {

HWND placeAfterFor(StackingMode mode)
{
    switch (mode) {
    case Bottom:
        return HWND_BOTTOM;
    case AlwaysOnTop:
        return HWND_TOPMOST;
    default:
        return HWND_NOTOPMOST;
    }
}

// Reads all rows at once as 32-bit pixels: the same values as reading the
// pixels one by one, without a call per pixel. False when the bitmap cannot be
// read, so that no made-up colour is stored.
bool averageColour(HDC dc, HBITMAP bitmap, COLORREF& colour)
{
    BITMAP figures{};
    if (GetObjectW(bitmap, sizeof figures, &figures) == 0 || figures.bmWidth <= 0
        || figures.bmHeight <= 0)
        return false;

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = figures.bmWidth;
    info.bmiHeader.biHeight = -figures.bmHeight;  // rows from the top
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    std::vector<RGBQUAD> pixels(static_cast<size_t>(figures.bmWidth)
                                * static_cast<size_t>(figures.bmHeight));
    int rows = GetDIBits(dc, bitmap, 0, static_cast<UINT>(figures.bmHeight), pixels.data(), &info,
                         DIB_RGB_COLORS);
    if (rows <= 0)
        return false;

    uint64_t red = 0, green = 0, blue = 0;
    size_t count = static_cast<size_t>(rows) * static_cast<size_t>(figures.bmWidth);
    for (size_t i = 0; i < count; ++i) {
        red += pixels[i].rgbRed;
        green += pixels[i].rgbGreen;
        blue += pixels[i].rgbBlue;
    }
    colour = RGB(static_cast<BYTE>(red / count), static_cast<BYTE>(green / count),
                 static_cast<BYTE>(blue / count));
    return true;
}

}  // namespace

RECT sampleArea(const RECT& window, int valueColumnStart, int k, int lineHeight)
{
    return RECT{window.left + valueColumnStart, window.top + k * lineHeight, window.right,
                window.bottom};
}

bool SampleBackgroundColour(DisplayRenderer& renderer, HWND window, MeasureList& list, HFONT font)
{
    Settings& settings = renderer.settings;
    // Asked before the layout, with the figures of the last one: a window in
    // the way may stay for hours, and each try would lay the picture out anew.
    if (!WallpaperShowsBehind(window,
                              sampleArea(settings.windowRect, renderer.valueColumnStart,
                                         list.shownItemsAboveFirstGraph(), renderer.lineHeight)))
        return false;

    ScreenDC screen;
    MemoryDC memory(screen.get());
    RECT shownBefore{0, 0, renderer.pictureWidth, renderer.pictureHeight};

    renderer.layout(list, font);
    // A copy: the window's own move away is recorded in the settings' rectangle.
    const RECT placed = settings.windowRect;
    RECT area = sampleArea(placed, renderer.valueColumnStart, list.shownItemsAboveFirstGraph(),
                           renderer.lineHeight);
    int width = area.right - area.left;
    int height = area.bottom - area.top;
    // Every shown item above the first graph item, or a value column wider
    // than the window: nothing to average, so the bars keep their colour.
    if (width <= 0 || height <= 0)
        return true;
    // A locked session or another desktop leaves the screen without a visible
    // pixel: a copy would succeed and bring back black.
    if (GetPixel(screen.get(), area.left, area.top) == CLR_INVALID)
        return false;
    GdiObject<HBITMAP> bitmap(CreateCompatibleBitmap(screen.get(), width, height));

    const UINT flags = SWP_NOSIZE | SWP_NOCOPYBITS;
    BOOL copied = FALSE;
    {
        Selection copyTarget(memory.get(), bitmap.get());
        if (!copyTarget.selected())
            return false;
        // The window's own text and bars must not be in the copy.
        SetWindowPos(window, HWND_BOTTOM, -1000, -1000, renderer.pictureWidth,
                     renderer.pictureHeight, flags);
        RedrawWindow(window, &shownBefore, nullptr,
                     RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW | RDW_NOINTERNALPAINT);
        copied =
            BitBlt(memory.get(), 0, 0, width, height, screen.get(), area.left, area.top, SRCCOPY);
        SetWindowPos(window, placeAfterFor(settings.stackingMode), placed.left, placed.top,
                     renderer.pictureWidth, renderer.pictureHeight, flags);
    }

    COLORREF colour = 0;
    if (!copied || !averageColour(memory.get(), bitmap.get(), colour))
        return false;

    settings.setGraphColour(colour);
    PostMessageW(window, WM_RELAYOUT, 0, 0);
    settings.writeColour("Graph", "RGBColour", colour);
    return true;
}
