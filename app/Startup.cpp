// Bringing the overlay up in a fixed order, running it and taking it down.
#include "app/Startup.h"

#include <cstdio>
#include <string>

#include "app/Hotkey.h"
#include "app/Items.h"
#include "app/LiveSettings.h"
#include "app/MessageLoop.h"
#include "app/SettingsWatcher.h"
#include "display/DisplayRenderer.h"
#include "display/DpiScaling.h"
#include "display/Placement.h"
#include "display/Stacking.h"
#include "measures/MeasureList.h"
#include "menu/ContextMenu.h"
#include "platform/ComApartment.h"
#include "platform/Messages.h"
#include "settings/Settings.h"

namespace {

ATOM createHotkeyAtom()
{
    // Only a string no other program adds is wanted: the hotkey's id.
    const std::wstring name = L"DashvaneHotkey" + std::to_wstring(GetCurrentProcessId());
    return GlobalAddAtomW(name.c_str());
}

void registerHotkey(Settings& settings, HotkeyBinding& binding)
{
    char text[kSettingTextBytes] = {};
    std::snprintf(text, sizeof text, "%s", settings.readString("Options", "Hotkey", "CTRL,ALT,L"));
    binding.text = text;
    RegisterHotkeyFromString(text, binding.window, binding.id);
    settings.writeString("Options", "Hotkey", text);
}

}  // namespace

int RunOverlay(HINSTANCE instance, Settings& settings, AccountInfo& account, WindowMaker makeWindow)
{
    ComApartment com;

    AppState app;
    app.settings = &settings;
    DisplayRenderer renderer(settings);
    app.renderer = &renderer;
    HWND window = nullptr;
    if (RegisterMainWindowClass(instance) != 0)
        window = makeWindow(instance, app);
    if (window == nullptr)
        return kNoWindowExitCode;

    ContextMenu contextMenu;
    app.contextMenu = &contextMenu;
    // The font is made for the DPI of the monitor the window starts on.
    renderer.dpi = WindowDpi(window);
    RemakeDisplayFont(app);
    ATOM hotkeyAtom = createHotkeyAtom();

    MeasureList measures(CreateItems(app, settings, account));
    app.measures = &measures;
    measures.showVersionIfNoneShown(false);

    ApplyColourKey(window);
    StartTimers(app);
    SetTimer(window, IDT_FIRST_SAMPLE, 2000, nullptr);
    renderer.layout(measures, app.displayFont.get());
    PlaceIfNeverPlaced(settings, renderer);
    // The window was created 1 × 1: give it the laid-out size and place now,
    // without a second layout, even when no item asks for one while built.
    MoveToStoredRect(window, settings, false);
    HotkeyBinding hotkey{window, hotkeyAtom, std::string()};
    registerHotkey(settings, hotkey);
    // Before the window shows: a user who sees it may already open the file.
    settings.releaseWrites();
    // Shown without taking the keyboard from the program the user is in; a
    // click still activates it where its mode wants that.
    ShowWindow(window, SW_SHOWNOACTIVATE);
    RefreshPlacement(window, settings, renderer);
    ApplyStartupStacking(window, settings.stackingMode);
    // The first frame now, not behind the watch's set-up and the re-layouts
    // the items queued while they were made.
    UpdateWindow(window);

    // Without a watch only the changes made by hand wait for the next start.
    SettingsWatcher watcher(settings.path,
                            [&](Settings& fresh) { ApplyFreshSettings(app, fresh, hotkey); });
    RunMessageLoop(watcher);

    measures.destroyAll();
    app.measures = nullptr;
    GlobalDeleteAtom(hotkeyAtom);
    return 0;
}
