// Taking over what the settings file says now, option by option.
#include "app/LiveSettings.h"

#include <cwchar>

#include "app/Tooltip.h"
#include "display/DisplayRenderer.h"
#include "display/Stacking.h"
#include "measures/Measure_Drive.h"
#include "measures/Measure_Network.h"
#include "measures/MeasureList.h"
#include "settings/Settings.h"

namespace {

// What the file changed, so that the window is laid out, placed and drawn
// once for all of it.
struct Changes {
    bool font = false;
    bool layout = false;
    bool place = false;
    bool picture = false;
};

template <typename Value>
bool take(Value& running, const Value& read)
{
    if (running == read)
        return false;
    running = read;
    return true;
}

bool sameFont(const LOGFONTW& a, const LOGFONTW& b)
{
    return a.lfHeight == b.lfHeight && a.lfWeight == b.lfWeight && a.lfItalic == b.lfItalic
           && std::wcsncmp(a.lfFaceName, b.lfFaceName, LF_FACESIZE) == 0;
}

void takeLook(Settings& running, Settings& fresh, Changes& changes)
{
    if (!sameFont(running.font, fresh.font) || running.fontPointSize != fresh.fontPointSize) {
        running.font = fresh.font;
        running.fontPointSize = fresh.fontPointSize;
        changes.font = true;
    }
    if (running.fontColour != fresh.fontColour) {
        running.setFontColour(fresh.fontColour);
        changes.picture = true;
    }
    if (running.graphColour != fresh.graphColour) {
        running.setGraphColour(fresh.graphColour);
        changes.picture = true;
    }
    if (running.separator() != fresh.separator()) {
        running.setSeparator(fresh.separator());
        changes.layout = true;
    }
    changes.picture |= take(running.showGraphs, fresh.showGraphs);
    changes.picture |= take(running.rightAlign, fresh.rightAlign);
    // The outline widens the picture on every side.
    changes.layout |= take(running.textOutline, fresh.textOutline);
}

void takePlace(AppState& app, Settings& fresh, Changes& changes)
{
    Settings& running = *app.settings;
    // While the hotkey has the window raised, the mode that runs is the one
    // it came from: the program's own writes meanwhile must not end the raise.
    StackingMode mode = app.raised ? app.modeBeforeRaise : running.stackingMode;
    if (mode != fresh.stackingMode) {
        // A new mode from the file ends a raise, as one from the menu does.
        app.raised = false;
        SetStackingMode(app.mainWindow, running, fresh.stackingMode);
    }
    changes.place |= take(running.screenPosition, fresh.screenPosition);
    // A corner decides the place by itself; the coordinates then only
    // record where it put the window.
    if (running.screenPosition == Custom
        && (running.storedPlace.x != fresh.storedPlace.x
            || running.storedPlace.y != fresh.storedPlace.y)) {
        running.storedPlace = fresh.storedPlace;
        OffsetRect(&running.windowRect, fresh.storedPlace.x - running.windowRect.left,
                   fresh.storedPlace.y - running.windowRect.top);
        changes.place = true;
    }
}

void takeItems(AppState& app, Settings& fresh, Changes& changes)
{
    MeasureList& items = *app.measures;
    for (int i = 0; i < items.count(); ++i) {
        Measure& item = items.at(i);
        bool shown = fresh.readBool("DisplayItems", item.shownKey(), item.isShown());
        if (shown != item.isShown()) {
            item.setShown(shown, app.exiting);
            changes.layout = true;
        }
    }
    changes.layout |= items.showVersionIfNoneShown(app.exiting);

    if (auto* network = dynamic_cast<Measure_Network*>(items.findByName("Network"))) {
        int entry = fresh.readInt("Network", "SelectedInterface", network->selectedEntry());
        if (entry != network->selectedEntry()) {
            network->selectEntry(entry);
            network->update();
            changes.layout = true;
        }
    }
    if (auto* drive = dynamic_cast<Measure_Drive*>(items.findByName("Drive"))) {
        bool network = fresh.readBool("Options", "ShowNetworkDrives", drive->showNetworkDrives());
        bool removable =
            fresh.readBool("Options", "ShowRemovableDrives", drive->showRemovableDrives());
        changes.layout |= network != drive->showNetworkDrives()
                          || removable != drive->showRemovableDrives();
        drive->SetShowNetworkDrives(network);
        drive->SetShowRemovableDrives(removable);
    }
}

}  // namespace

void ApplyFreshSettings(AppState& app, Settings& fresh, HotkeyBinding& hotkey)
{
    if (app.exiting)
        return;
    Settings& running = *app.settings;
    running.writesMuted = true;
    Changes changes;
    takeLook(running, fresh, changes);
    takePlace(app, fresh, changes);
    takeItems(app, fresh, changes);
    running.locked = fresh.locked;
    if (take(running.showTooltips, fresh.showTooltips) && app.tooltipShowing)
        HideTooltip(app);
    if (take(running.autoBgColor, fresh.autoBgColor))
        SampleBackground(app);
    RebindHotkey(hotkey, fresh.readString("Options", "Hotkey", hotkey.text.c_str()));
    running.writesMuted = false;

    if (changes.font)
        RemakeDisplayFont(app);
    if (changes.font || changes.layout || changes.place) {
        Relayout(app);
        RefreshPlace(app);
    }
    if (changes.font || changes.layout || changes.picture) {
        app.renderer->markWhole();
        RequestRedraw(app.mainWindow, *app.renderer);
    }
}
