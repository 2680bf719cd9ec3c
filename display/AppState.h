// Program-wide state of the shell, in one place: the entry point owns the one
// instance, and a test builds its own around a window of its own. The items
// reach the window through it.
#pragma once

#include <windows.h>

#include "measures/ItemHost.h"
#include "platform/GdiGuards.h"
#include "platform/Launch.h"
#include "settings/Settings.h"

class MeasureList;
class Measure_Battery;
class ContextMenu;
struct DisplayRenderer;

struct AppState : ItemHost {
    // The window's own messages carry the items' requests to the UI thread.
    void requestRelayout() override;
    void updateOnUiThread(const Measure* item) override;
    void answersReady(const Measure* item) override;
    void launch(const char* target) override;

    HWND mainWindow = nullptr;
    Launches launches;
    // Made by RemakeDisplayFont; replaced whenever the font or the DPI changes.
    GdiObject<HFONT> displayFont;
    Settings* settings = nullptr;
    MeasureList* measures = nullptr;
    DisplayRenderer* renderer = nullptr;
    // Set only by Exit, just before the loop ends: no painting, no re-layout,
    // no timer restarts from then on.
    bool exiting = false;
    // Between a suspend and a resume power event; item updates are skipped.
    bool suspended = false;
    bool menuOpen = false;
    bool chooserOpen = false;
    // Created when first needed; tried once, so a failure is reported once.
    HWND tooltip = nullptr;
    bool tooltipTried = false;
    bool tooltipShowing = false;
    // Built at the first right-click and kept for the run.
    ContextMenu* contextMenu = nullptr;

    // Dragging the window: from a left press while unlocked to the release.
    bool dragging = false;
    POINT dragAnchor{};

    // Raised by the hotkey: the window keeps to AlwaysOnTop in memory only,
    // and the mode it came from waits here for the next press.
    bool raised = false;
    StackingMode modeBeforeRaise = Bottom;
    // The raise is a second start's, and ends by itself.
    bool raisedBriefly = false;

    // Found by name at the first power-status event, then kept.
    Measure_Battery* battery = nullptr;
};

// (Re)starts the refresh timer and every item's interval in one moment: the
// items update on the refresh ticks, counted from here. Does nothing once
// Exit was chosen.
void StartTimers(AppState& app);
// Sets the refresh timer to run out just after the wall clock's next second
// starts; every tick sets it again, so that the ticks keep to the seconds.
void ScheduleRefreshTick(HWND window);
// Makes the display font anew from the font settings, at the DPI the picture
// is drawn for. The font in use stays when no new one can be made.
void RemakeDisplayFont(AppState& app);
// Lays the picture out anew and gives the window its size at once. During a
// drag the window stays under the cursor: the release places it.
void Relayout(AppState& app);
// RefreshPlacement, but during a drag the window only takes its size where it is.
void RefreshPlace(AppState& app);
// With Auto BG Color on, takes the graph colour from the wallpaper behind the
// bars. When it cannot be seen now (covered, not resting on the wallpaper, a
// locked screen) or the window is being dragged, the colour stays and the
// resample timer tries again a few seconds later, and again until it can.
void SampleBackground(AppState& app);
// Exit, from the menu or a close request: nothing is painted, laid out or
// restarted from now on, and the message loop ends.
void EndProgram(AppState& app);
