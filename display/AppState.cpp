// What the items ask of the window, and the steps the menu and the window
// procedure share.
#include "display/AppState.h"

#include <utility>

#include "display/BackgroundSampler.h"
#include "display/DisplayRenderer.h"
#include "display/DpiScaling.h"
#include "display/Placement.h"
#include "measures/MeasureList.h"
#include "platform/Messages.h"

void AppState::requestRelayout()
{
    PostMessageW(mainWindow, WM_RELAYOUT, 0, 0);
}

// The window procedure looks the item up in its list, so a stale pointer
// finds none.
void AppState::updateOnUiThread(const Measure* item)
{
    PostMessageW(mainWindow, WM_UPDATEITEM, reinterpret_cast<WPARAM>(item), 0);
}

void AppState::answersReady(const Measure* item)
{
    PostMessageW(mainWindow, WM_ITEMANSWER, reinterpret_cast<WPARAM>(item), 0);
}

void AppState::launch(const char* target)
{
    launches.start(target);
}

void ScheduleRefreshTick(HWND window)
{
    // Past the second by a margin: a timer may run out a system tick early or
    // late, and one that fell short would show the last second once more.
    constexpr UINT kPastTheSecondMs = 20;
    SYSTEMTIME now{};
    GetSystemTime(&now);
    SetTimer(window, IDT_REFRESH,
             static_cast<UINT>(kRefreshTickMs - now.wMilliseconds) + kPastTheSecondMs, nullptr);
}

void StartTimers(AppState& app)
{
    if (app.exiting)
        return;
    ScheduleRefreshTick(app.mainWindow);
    for (int i = 0; i < app.measures->count(); ++i)
        app.measures->at(i).resetTimer(false);
}

void RemakeDisplayFont(AppState& app)
{
    const Settings& settings = *app.settings;
    GdiObject<HFONT> font(
        CreateDisplayFont(settings.font, settings.fontPointSize, app.renderer->dpi));
    if (font != nullptr)
        app.displayFont = std::move(font);
}

namespace {

// Moving the window from under the cursor mid-drag would snap it away from
// the user's hand; it takes its new size where it is.
bool keepUnderCursor(AppState& app)
{
    if (!app.dragging)
        return false;
    MoveToStoredRect(app.mainWindow, *app.settings);
    return true;
}

}  // namespace

void Relayout(AppState& app)
{
    app.renderer->layout(*app.measures, app.displayFont.get());
    if (!keepUnderCursor(app))
        FitToPicture(app.mainWindow, *app.settings, *app.renderer);
}

void RefreshPlace(AppState& app)
{
    if (!keepUnderCursor(app))
        RefreshPlacement(app.mainWindow, *app.settings, *app.renderer);
}

void SampleBackground(AppState& app)
{
    // Seconds apart: each try asks the z-order, which is cheap, and samples
    // only once the wallpaper shows.
    constexpr UINT kRetryMs = 3000;
    if (!app.settings->autoBgColor)
        return;
    // The sampling moves the window away and back, which a drag must not see.
    if (app.dragging
        || !SampleBackgroundColour(*app.renderer, app.mainWindow, *app.measures,
                                   app.displayFont.get()))
        SetTimer(app.mainWindow, IDT_RESAMPLE, kRetryMs, nullptr);
}

void EndProgram(AppState& app)
{
    app.exiting = true;
    PostQuitMessage(0);
}
