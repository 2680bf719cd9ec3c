// Building, updating and showing the context menu.
#include "menu/ContextMenu.h"

#include <cstring>

#include "measures/Measure_Drive.h"
#include "measures/Measure_Network.h"
#include "measures/MeasureList.h"
#include "menu/MenuIds.h"
#include "platform/Utf8.h"
#include "settings/Settings.h"

namespace {

// The popup's flags: the chosen id comes back as the result, and no
// WM_INITMENU and the like reach the window meanwhile.
constexpr UINT kTrackFlags = TPM_RETURNCMD | TPM_NONOTIFY;
constexpr UINT kAtEnd = static_cast<UINT>(-1);

UINT checkFlag(bool on)
{
    return on ? MF_CHECKED : MF_UNCHECKED;
}

void appendItem(HMENU menu, UINT id, const char* text, UINT state = 0)
{
    InsertMenuW(menu, kAtEnd, MF_BYPOSITION | MF_STRING | state, id, toWide(text).c_str());
}

void appendSeparator(HMENU menu, UINT id = IDM_SEPARATOR)
{
    InsertMenuW(menu, kAtEnd, MF_BYPOSITION | MF_SEPARATOR, id, nullptr);
}

void appendPopup(HMENU menu, HMENU popup, const char* text)
{
    InsertMenuW(menu, kAtEnd, MF_BYPOSITION | MF_POPUP | MF_STRING,
                reinterpret_cast<UINT_PTR>(popup), toWide(text).c_str());
}

void check(HMENU menu, UINT id, bool on)
{
    CheckMenuItem(menu, id, MF_BYCOMMAND | checkFlag(on));
}

bool interfaceListed(const char* name)
{
    // Tunnel pseudo-interfaces carry no traffic worth choosing.
    return name != nullptr && std::strstr(name, "isatap") == nullptr;
}

}  // namespace

ContextMenu::~ContextMenu()
{
    // The submenus go with the root that holds them.
    if (root_ != nullptr)
        DestroyMenu(root_);
}

void ContextMenu::prepare(AppState& app, bool extended)
{
    if (drive_ == nullptr)
        drive_ = dynamic_cast<Measure_Drive*>(app.measures->findByName("Drive"));
    if (root_ == nullptr)
        build(app);
    else
        update(app);
    if (extended) {
        appendSeparator(options_);
        appendItem(options_, IDM_INI_FILE, "Ini File...");
    }
}

void ContextMenu::finish(bool extended)
{
    if (!extended)
        return;
    int count = GetMenuItemCount(options_);
    DeleteMenu(options_, static_cast<UINT>(count - 1), MF_BYPOSITION);
    DeleteMenu(options_, static_cast<UINT>(count - 2), MF_BYPOSITION);
}

// The order of the steps decides where each item lands.
void ContextMenu::build(AppState& app)
{
    const Settings& settings = *app.settings;
    root_ = CreatePopupMenu();
    options_ = CreateMenu();
    interfaces_ = CreateMenu();
    position_ = CreateMenu();
    graphColour_ = CreateMenu();

    appendItem(options_, IDM_SHOW_NETWORK_DRIVES, "Show Network Drives",
               checkFlag(drive_ != nullptr && drive_->showNetworkDrives()));
    appendItem(options_, IDM_SHOW_REMOVABLE_DRIVES, "Show Removable Drives",
               checkFlag(drive_ != nullptr && drive_->showRemovableDrives()));
    appendSeparator(options_);
    appendPopup(options_, interfaces_, "Network Interfaces");
    appendSeparator(options_);
    appendItem(options_, IDM_SHOW_GRAPHS, "Show Graphs", checkFlag(settings.showGraphs));
    appendItem(options_, IDM_RIGHT_ALIGN, "Right Align", checkFlag(settings.rightAlign));
    appendItem(options_, IDM_TEXT_OUTLINE, "Text Outline", checkFlag(settings.textOutline));
    appendSeparator(options_);
    appendPopup(options_, position_, "Position");

    appendItem(position_, IDM_LOCKED, "Locked", checkFlag(settings.locked));
    appendSeparator(position_);
    appendItem(position_, IDM_TOP_LEFT, "Top Left", checkFlag(settings.screenPosition == TopLeft));
    appendItem(position_, IDM_TOP_RIGHT, "Top Right",
               checkFlag(settings.screenPosition == TopRight));
    appendItem(position_, IDM_BOTTOM_LEFT, "Bottom Left",
               checkFlag(settings.screenPosition == BottomLeft));
    appendItem(position_, IDM_BOTTOM_RIGHT, "Bottom Right",
               checkFlag(settings.screenPosition == BottomRight));
    appendItem(position_, IDM_CUSTOM, "Custom", checkFlag(settings.screenPosition == Custom));

    appendSeparator(options_);
    appendItem(options_, IDM_ALWAYS_ON_TOP, "Always On Top",
               checkFlag(settings.stackingMode == AlwaysOnTop));
    appendItem(options_, IDM_NORMAL, "Normal", checkFlag(settings.stackingMode == Normal));
    appendItem(options_, IDM_BOTTOM, "Bottom", checkFlag(settings.stackingMode == Bottom));
    appendSeparator(options_);
    appendItem(options_, IDM_RUN_AT_STARTUP, "Run At Startup", checkFlag(settings.runAtStartup));
    // Tells why no change outlives the run; the file's state is fixed at start.
    if (settings.readOnly) {
        appendSeparator(options_);
        appendItem(options_, IDM_SETTINGS_LOCKED, "Settings Locked by Administrator",
                   MF_CHECKED | MF_GRAYED);
    }

    appendItem(graphColour_, IDM_CHANGE_GRAPH_COLOUR, "Change Graph Color...",
               settings.autoBgColor ? MF_GRAYED : MF_ENABLED);
    appendItem(graphColour_, IDM_AUTO_GRAPH_COLOUR, "Auto Graph Color",
               checkFlag(settings.autoBgColor));

    // The entry list does not change during a run, so it is read only here.
    if (network_ == nullptr)
        network_ = dynamic_cast<Measure_Network*>(app.measures->findByName("Network"));
    if (network_ != nullptr)
        appendInterfaces();

    app.measures->appendMenuItems(root_);
    appendSeparator(root_);
    appendItem(root_, IDM_CHANGE_FONT, "Change Font...");
    appendItem(root_, IDM_CHANGE_TEXT_COLOUR, "Change Text Color...");
    appendPopup(root_, graphColour_, "Graph Color");
    appendSeparator(root_);
    appendPopup(root_, options_, "Options");
    appendSeparator(root_, IDM_EXIT_SEPARATOR);
    appendItem(root_, IDM_EXIT, "Exit");
}

// Entries past the id range get no item: their ids would be those of the
// position commands.
void ContextMenu::appendInterfaces()
{
    int count = network_->entryCount();
    for (int entry = 0; entry < count && entry < kMaxInterfaceEntries; ++entry) {
        const char* name = network_->entryName(entry);
        if (interfaceListed(name))
            appendItem(interfaces_, IDM_FIRST_INTERFACE + static_cast<UINT>(entry), name,
                       checkFlag(entry == network_->selectedEntry()));
    }
}

void ContextMenu::checkInterfaces()
{
    int count = network_->entryCount();
    // Ids of entries without an item find nothing and change nothing.
    for (int entry = 0; entry < count && entry < kMaxInterfaceEntries; ++entry)
        check(interfaces_, IDM_FIRST_INTERFACE + static_cast<UINT>(entry),
              entry == network_->selectedEntry());
}

void ContextMenu::update(AppState& app)
{
    const Settings& settings = *app.settings;
    app.measures->checkMenuItems(root_);
    if (network_ != nullptr)
        checkInterfaces();

    // By command through Options, which reaches the Position submenu too.
    check(options_, IDM_LOCKED, settings.locked);
    check(options_, IDM_ALWAYS_ON_TOP, settings.stackingMode == AlwaysOnTop);
    check(options_, IDM_NORMAL, settings.stackingMode == Normal);
    check(options_, IDM_BOTTOM, settings.stackingMode == Bottom);
    check(options_, IDM_SHOW_NETWORK_DRIVES, drive_ != nullptr && drive_->showNetworkDrives());
    check(options_, IDM_SHOW_REMOVABLE_DRIVES, drive_ != nullptr && drive_->showRemovableDrives());
    check(options_, IDM_SHOW_GRAPHS, settings.showGraphs);
    check(options_, IDM_RIGHT_ALIGN, settings.rightAlign);
    check(options_, IDM_TEXT_OUTLINE, settings.textOutline);
    check(options_, IDM_RUN_AT_STARTUP, settings.runAtStartup);

    check(position_, IDM_TOP_LEFT, settings.screenPosition == TopLeft);
    check(position_, IDM_TOP_RIGHT, settings.screenPosition == TopRight);
    check(position_, IDM_BOTTOM_LEFT, settings.screenPosition == BottomLeft);
    check(position_, IDM_BOTTOM_RIGHT, settings.screenPosition == BottomRight);
    check(position_, IDM_CUSTOM, settings.screenPosition == Custom);

    EnableMenuItem(graphColour_, IDM_CHANGE_GRAPH_COLOUR,
                   MF_BYCOMMAND | (settings.autoBgColor ? MF_GRAYED : MF_ENABLED));
    check(graphColour_, IDM_AUTO_GRAPH_COLOUR, settings.autoBgColor);
}

void ShowContextMenu(AppState& app, bool extended, const CommandHooks& hooks)
{
    if (app.contextMenu != nullptr)
        ShowContextMenu(app, *app.contextMenu, extended, hooks);
}

void ShowContextMenu(AppState& app, ContextMenu& menu, bool extended, const CommandHooks& hooks)
{
    menu.prepare(app, extended);
    POINT cursor{};
    GetCursorPos(&cursor);
    // Without the foreground the popup would not close on a click elsewhere.
    SetForegroundWindow(app.mainWindow);
    int id =
        TrackPopupMenuEx(menu.root(), kTrackFlags, cursor.x, cursor.y, app.mainWindow, nullptr);
    menu.finish(extended);
    ExecuteMenuCommand(app, id, hooks);
}
