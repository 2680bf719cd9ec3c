// Corner placement, and keeping a custom position on the monitors.
#include "display/Placement.h"

#include <algorithm>

#include "display/DisplayRenderer.h"

namespace {

// Edge sums in 64 bits: a hand-typed position plus a window size must not wrap.
using Wide = long long;

BOOL CALLBACK addMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data)
{
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoW(monitor, &info))
        return TRUE;
    auto& monitors = *reinterpret_cast<std::vector<Monitor>*>(data);
    Monitor entry{info.rcMonitor, info.rcWork};
    if (info.dwFlags & MONITORINFOF_PRIMARY)
        monitors.insert(monitors.begin(), entry);
    else
        monitors.push_back(entry);
    return TRUE;
}

Wide overlap(Wide low, Wide high, LONG monitorLow, LONG monitorHigh)
{
    return std::max<Wide>(0, std::min<Wide>(high, monitorHigh) - std::max<Wide>(low, monitorLow));
}

Wide gap(Wide low, Wide high, LONG monitorLow, LONG monitorHigh)
{
    return std::max<Wide>({0, monitorLow - high, low - monitorHigh});
}

LONG pullAxis(LONG low, int size, LONG monitorLow, LONG monitorHigh, int margin)
{
    Wide high = Wide{low} + size;
    if (low >= monitorLow && high <= monitorHigh)
        return low;
    Wide pulled = low < monitorLow ? Wide{monitorLow} + margin : Wide{monitorHigh} - margin - size;
    return static_cast<LONG>(std::max<Wide>(pulled, Wide{monitorLow} + margin));
}

}  // namespace

std::vector<Monitor> ConnectedMonitors()
{
    std::vector<Monitor> monitors;
    EnumDisplayMonitors(nullptr, nullptr, addMonitor, reinterpret_cast<LPARAM>(&monitors));
    if (monitors.empty()) {
        RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
        RECT work = screen;
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        monitors.push_back(Monitor{screen, work});
    }
    return monitors;
}

RECT cornerRect(int corner, int width, int height, const Monitor& primary, int margin)
{
    bool right = corner == TopRight || corner == BottomRight;
    bool bottom = corner == BottomLeft || corner == BottomRight;
    RECT rect;
    rect.left = right ? primary.bounds.right - width - margin : primary.bounds.left + margin;
    rect.top = bottom ? primary.work.bottom - height - margin : primary.bounds.top + margin;
    rect.right = rect.left + width;
    rect.bottom = rect.top + height;
    return rect;
}

POINT pullOntoMonitors(LONG left, LONG top, int width, int height,
                       const std::vector<Monitor>& monitors, int margin)
{
    Wide right = Wide{left} + width;
    Wide bottom = Wide{top} + height;
    const Monitor* best = nullptr;
    Wide bestArea = 0;
    Wide bestGap = 0;
    for (const Monitor& monitor : monitors) {
        const RECT& b = monitor.bounds;
        Wide area = overlap(left, right, b.left, b.right) * overlap(top, bottom, b.top, b.bottom);
        Wide distance = gap(left, right, b.left, b.right) + gap(top, bottom, b.top, b.bottom);
        if (best == nullptr || area > bestArea
            || (bestArea == 0 && area == 0 && distance < bestGap)) {
            best = &monitor;
            bestArea = area;
            bestGap = distance;
        }
    }
    if (best == nullptr)
        return POINT{left, top};
    const RECT& b = best->bounds;
    return POINT{pullAxis(left, width, b.left, b.right, margin),
                 pullAxis(top, height, b.top, b.bottom, margin)};
}

void MoveToStoredRect(HWND window, const Settings& settings, bool repaint)
{
    const RECT& rect = settings.windowRect;
    MoveWindow(window, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
               repaint);
}

void PlaceIfNeverPlaced(Settings& settings, const DisplayRenderer& renderer)
{
    RECT& rect = settings.windowRect;
    if (rect.left != kNeverPlaced)
        return;
    rect.left =
        GetSystemMetrics(SM_CXSCREEN) - renderer.pictureWidth - renderer.scaled(kScreenMargin);
    rect.right = rect.left + renderer.pictureWidth;
    StorePlace(settings);
}

bool ClampToScreen(Settings& settings, const DisplayRenderer& renderer)
{
    RECT& rect = settings.windowRect;
    const int width = renderer.pictureWidth;
    const int height = renderer.pictureHeight;
    POINT origin = pullOntoMonitors(rect.left, rect.top, width, height, ConnectedMonitors(),
                                    renderer.scaled(kScreenMargin));
    if (origin.x == rect.left && origin.y == rect.top)
        return false;
    rect = RECT{origin.x, origin.y, origin.x + width, origin.y + height};
    return true;
}

void StorePlace(Settings& settings)
{
    POINT& stored = settings.storedPlace;
    const RECT& rect = settings.windowRect;
    if (rect.left != stored.x)
        settings.writeLong("Position", "X", rect.left);
    if (rect.top != stored.y)
        settings.writeLong("Position", "Y", rect.top);
    stored = POINT{rect.left, rect.top};
}

void PlaceAtCorner(HWND window, Settings& settings, const DisplayRenderer& renderer, int corner)
{
    settings.windowRect = cornerRect(corner, renderer.pictureWidth, renderer.pictureHeight,
                                     ConnectedMonitors().front(), renderer.scaled(kScreenMargin));
    MoveToStoredRect(window, settings);
    settings.screenPosition = static_cast<ScreenPosition>(corner);
    StorePlace(settings);
}

void FitToPicture(HWND window, Settings& settings, const DisplayRenderer& renderer)
{
    if (settings.screenPosition != Custom)
        PlaceAtCorner(window, settings, renderer, settings.screenPosition);
    else
        MoveToStoredRect(window, settings);
}

void RefreshPlacement(HWND window, Settings& settings, const DisplayRenderer& renderer)
{
    if (settings.screenPosition == Custom) {
        // From the user's place, not from where an earlier pull left the
        // window: a monitor that is back takes the window back.
        const POINT& place = settings.storedPlace;
        settings.windowRect = RECT{place.x, place.y, place.x + renderer.pictureWidth,
                                   place.y + renderer.pictureHeight};
        ClampToScreen(settings, renderer);
    }
    FitToPicture(window, settings, renderer);
}
