// The command handler: one small step per menu command, dispatched by id.
#include "menu/Commands.h"

#include "display/DisplayRenderer.h"
#include "display/Placement.h"
#include "display/Stacking.h"
#include "measures/Measure_Drive.h"
#include "measures/Measure_Network.h"
#include "measures/MeasureList.h"
#include "menu/ColourChooser.h"
#include "menu/FontChooser.h"
#include "menu/StartupShortcut.h"
#include "settings/Settings.h"

CommandHooks::CommandHooks()
    : chooseFont([](AppState& app) { return ChooseTextFont(app); }),
      chooseColour([](AppState& app) { ChooseGraphColour(app); }),
      chooseTextColour([](AppState& app) { return ChooseTextColour(app); }),
      updateStartupShortcut([](bool enable) { return UpdateStartupShortcut(enable); }),
      launch([](AppState& app, const char* target) { app.launch(target); })
{
}

namespace {

void flip(Settings& settings, bool& option, const char* key)
{
    option = !option;
    settings.writeBool("Options", key, option);
}

void toggleItem(AppState& app, int position)
{
    // Only the menu's own ids are expected, but an id past the end of the
    // list must not reach past it.
    if (position >= app.measures->count())
        return;
    // A shown item starts its own interval; the others keep theirs.
    Measure& item = app.measures->at(position);
    // The last shown item stays: its entry is greyed, yet a command may come
    // from elsewhere than the menu.
    if (&item == app.measures->onlyShownItem())
        return;
    item.setShown(!item.isShown(), app.exiting);
    Relayout(app);
}

void selectInterface(AppState& app, int entry)
{
    auto* network = dynamic_cast<Measure_Network*>(app.measures->findByName("Network"));
    if (network != nullptr)
        network->selectEntry(entry);
}

Measure_Drive* driveItem(AppState& app)
{
    return dynamic_cast<Measure_Drive*>(app.measures->findByName("Drive"));
}

void placeAt(AppState& app, ScreenPosition corner, const char* word)
{
    PlaceAtCorner(app.mainWindow, *app.settings, *app.renderer, corner);
    app.settings->writeString("Options", "ScreenPosition", word);
}

void autoGraphColour(AppState& app)
{
    Settings& settings = *app.settings;
    flip(settings, settings.autoBgColor, "Auto BG Color");
    SampleBackground(app);
}

// A mode chosen from the menu also ends a raise by the hotkey.
void setStacking(AppState& app, StackingMode mode)
{
    app.raised = false;
    SetStackingMode(app.mainWindow, *app.settings, mode);
}

void runAtStartup(AppState& app, const CommandHooks& hooks)
{
    Settings& settings = *app.settings;
    // The option says what is: "Yes" only with a shortcut really in place.
    settings.runAtStartup = hooks.updateStartupShortcut(!settings.runAtStartup);
    settings.writeBool("Options", "Run At Startup", settings.runAtStartup);
}

// The fixed commands 200 to 440; ids between them that no item carries do nothing.
void runCommand(AppState& app, UINT id, const CommandHooks& hooks)
{
    Settings& settings = *app.settings;
    switch (id) {
    case IDM_LOCKED:
        flip(settings, settings.locked, "Locked");
        return;
    case IDM_SHOW_NETWORK_DRIVES:
        if (Measure_Drive* drive = driveItem(app)) {
            drive->SetShowNetworkDrives(!drive->showNetworkDrives());
            Relayout(app);
        }
        return;
    case IDM_SHOW_REMOVABLE_DRIVES:
        if (Measure_Drive* drive = driveItem(app)) {
            // The item sets and restarts its own interval; the others keep theirs.
            drive->SetShowRemovableDrives(!drive->showRemovableDrives());
            Relayout(app);
        }
        return;
    case IDM_CHANGE_FONT:
        if (hooks.chooseFont(app))
            Relayout(app);
        return;
    case IDM_CHANGE_TEXT_COLOUR:
        if (hooks.chooseTextColour(app))
            Relayout(app);
        return;
    case IDM_CHANGE_GRAPH_COLOUR:
        hooks.chooseColour(app);
        Relayout(app);
        return;
    case IDM_AUTO_GRAPH_COLOUR:
        autoGraphColour(app);
        return;
    case IDM_SHOW_GRAPHS:
        flip(settings, settings.showGraphs, "Show Graphs");
        app.renderer->markWhole();
        return;
    case IDM_RIGHT_ALIGN:
        flip(settings, settings.rightAlign, "Right Align");
        app.renderer->markWhole();
        return;
    case IDM_TEXT_OUTLINE:
        // The outline widens the window on every side.
        flip(settings, settings.textOutline, "Text Outline");
        Relayout(app);
        return;
    case IDM_RUN_AT_STARTUP:
        runAtStartup(app, hooks);
        return;
    case IDM_INI_FILE:
        hooks.launch(app, settings.path.c_str());
        return;
    case IDM_ALWAYS_ON_TOP:
        setStacking(app, AlwaysOnTop);
        return;
    case IDM_NORMAL:
        setStacking(app, Normal);
        return;
    case IDM_BOTTOM:
        setStacking(app, Bottom);
        return;
    case IDM_TOP_LEFT:
        placeAt(app, TopLeft, "TL");
        return;
    case IDM_TOP_RIGHT:
        placeAt(app, TopRight, "TR");
        return;
    case IDM_BOTTOM_LEFT:
        placeAt(app, BottomLeft, "BL");
        return;
    case IDM_BOTTOM_RIGHT:
        placeAt(app, BottomRight, "BR");
        return;
    case IDM_CUSTOM:
        settings.screenPosition = Custom;
        settings.writeString("Options", "ScreenPosition", "C");
        return;
    default:
        return;
    }
}

}  // namespace

void ExecuteMenuCommand(AppState& app, int id, const CommandHooks& hooks)
{
    if (id <= 0)
        return;
    const UINT command = static_cast<UINT>(id);
    if (command <= IDM_LAST_ITEM) {
        toggleItem(app, id - 1);
    } else if (command >= IDM_FIRST_INTERFACE && command <= IDM_LAST_INTERFACE) {
        selectInterface(app, static_cast<int>(command - IDM_FIRST_INTERFACE));
    } else if (command == IDM_EXIT) {
        EndProgram(app);
    } else if (command >= IDM_LOCKED && command <= IDM_CUSTOM) {
        runCommand(app, command, hooks);
    }
}
