// Corner placement and the clamp of a custom position.
#include "display/Placement.h"

#include "display/DisplayRenderer.h"

namespace {

void moveToRect(HWND window, const RECT& rect)
{
    MoveWindow(window, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, TRUE);
}

}  // namespace

ScreenFigures primaryScreenFigures()
{
    RECT workArea{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &workArea, 0);
    return ScreenFigures{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                         static_cast<int>(workArea.bottom)};
}

RECT cornerRect(int corner, int width, int height, const ScreenFigures& screen)
{
    bool right = corner == TopRight || corner == BottomRight;
    bool bottom = corner == BottomLeft || corner == BottomRight;
    RECT rect;
    rect.left = right ? screen.width - width - kScreenMargin : kScreenMargin;
    rect.top = bottom ? screen.workBottom - height - kScreenMargin : kScreenMargin;
    rect.right = rect.left + width;
    rect.bottom = rect.top + height;
    return rect;
}

ClampResult clampToScreen(RECT& rect, int width, int height, const ScreenFigures& screen)
{
    ClampResult result{false, false};
    if (rect.right > screen.width) {
        rect.right = screen.width - kScreenMargin;
        rect.left = rect.right - width;
        result.movedLeft = true;
    }
    if (rect.bottom > screen.height) {
        rect.bottom = screen.height - kScreenMargin;
        rect.top = rect.bottom - height;
        result.movedUp = true;
    }
    return result;
}

void PlaceAtCorner(HWND window, Settings& settings, const DisplayRenderer& renderer, int corner)
{
    settings.windowRect =
        cornerRect(corner, renderer.pictureWidth, renderer.pictureHeight, primaryScreenFigures());
    moveToRect(window, settings.windowRect);
    settings.screenPosition = static_cast<ScreenPosition>(corner);
    settings.writeLong("Position", "X", settings.windowRect.left);
    settings.writeLong("Position", "Y", settings.windowRect.top);
}

void FitToPicture(HWND window, Settings& settings, const DisplayRenderer& renderer)
{
    if (settings.screenPosition != Custom)
        PlaceAtCorner(window, settings, renderer, settings.screenPosition);
    else
        moveToRect(window, settings.windowRect);
}

void RefreshPlacement(HWND window, Settings& settings, DisplayRenderer& renderer)
{
    const RECT& rect = settings.windowRect;
    if (settings.screenPosition == Custom
        && (rect.right > GetSystemMetrics(SM_CXSCREEN)
            || rect.bottom > GetSystemMetrics(SM_CYSCREEN)))
        renderer.ClampToScreen();
    FitToPicture(window, settings, renderer);
}
