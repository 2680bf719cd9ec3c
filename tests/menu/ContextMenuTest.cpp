// The menu tree on real menus: what the first showing builds, what later
// showings change, the Ctrl entry, the network entries; then the real popup.
#include <gtest/gtest.h>

#include <functional>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "menu/ContextMenu.h"
#include "menu/MenuIds.h"
#include "menu/MenuTestItems.h"
#include "platform/Messages.h"
#include "platform/Utf8.h"
#include "support/IniFile.h"
#include "support/MainWindowFixture.h"
#include "support/PopupMenu.h"

namespace {

// The tree as text, one line per item, submenus indented below "name >":
// "text #id" or "-- #id", then " [x]" when checked and " (grey)" when greyed.
std::string describe(HMENU menu, const std::string& indent = "")
{
    std::string lines;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        UINT state = GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION);
        HMENU sub = GetSubMenu(menu, i);
        // A submenu's state carries its item count in the high byte.
        if (sub != nullptr)
            state = LOBYTE(state);
        WCHAR wide[64] = {};
        GetMenuStringW(menu, static_cast<UINT>(i), wide, ARRAYSIZE(wide), MF_BYPOSITION);
        const std::string text = toUtf8(wide);
        std::string id = " #" + std::to_string(GetMenuItemID(menu, i));
        std::string line = indent
                           + (sub != nullptr                ? text + " >"
                              : (state & MF_SEPARATOR) != 0 ? "--" + id
                                                            : text + id);
        if (state & MF_CHECKED)
            line += " [x]";
        // Separators always read as greyed.
        if ((state & MF_GRAYED) && (state & MF_SEPARATOR) == 0)
            line += " (grey)";
        lines += line + "\n";
        if (sub != nullptr)
            lines += describe(sub, indent + "  ");
    }
    return lines;
}

std::string withoutMarks(const std::string& tree)
{
    return std::regex_replace(tree, std::regex(" \\[x\\]| \\(grey\\)"), "");
}

std::string markedLines(const std::string& tree)
{
    std::istringstream stream(tree);
    std::string marked;
    for (std::string line; std::getline(stream, line);)
        if (line.find(" [x]") != std::string::npos || line.find(" (grey)") != std::string::npos)
            marked += line.substr(line.find_first_not_of(' ')) + "\n";
    return marked;
}

HMENU submenu(HMENU menu, const char* text)
{
    char name[64];
    for (int i = 0; i < GetMenuItemCount(menu); ++i)
        if (GetMenuStringA(menu, static_cast<UINT>(i), name, sizeof name, MF_BYPOSITION) > 0
            && lstrcmpA(name, text) == 0)
            return GetSubMenu(menu, i);
    return nullptr;
}

HMENU interfacesMenu(HMENU root)
{
    return submenu(submenu(root, "Options"), "Network Interfaces");
}

// From a second thread, as the modal popup blocks the test's: waits for the
// popup, describes the tree it shows, then presses keys in it.
std::thread pressInPopup(std::vector<WPARAM> keys, std::string* shown)
{
    return std::thread([keys, shown] {
        HWND popup = nullptr;
        for (int wait = 0; wait < 500 && (popup = openPopup()) == nullptr; ++wait)
            Sleep(10);
        if (popup == nullptr)
            return;
        *shown = describe(reinterpret_cast<HMENU>(SendMessageA(popup, MN_GETHMENU, 0, 0)));
        for (WPARAM key : keys)
            PostMessageA(popup, WM_KEYDOWN, key, 0);
    });
}

CommandHooks quietHooks()
{
    CommandHooks hooks;
    hooks.chooseFont = [](AppState&) { return false; };
    hooks.chooseColour = [](AppState&) {};
    hooks.updateStartupShortcut = [](bool) { return false; };
    hooks.launch = noLaunch;
    return hooks;
}

struct ContextMenuTest : MainWindowTest {
    ContextMenuTest()
    {
        playedInterfaces() = {"If1", "isatap.{5E2A}", "If3"};
        items = menuTestItems(app, settings);
        app.measures = items.get();
        settings.rightAlign = true;
        settings.stackingMode = Normal;
        settings.screenPosition = TopRight;
        items->at(3).setShown(false, false);
        network().selectEntry(3);
    }
    ~ContextMenuTest() override { app.measures = list.get(); }

    Measure_Network& network() { return static_cast<Measure_Network&>(items->at(2)); }
    std::string shownTree(bool extended = false)
    {
        menu.prepare(app, extended);
        return describe(menu.root());
    }

    std::unique_ptr<MeasureList> items;
    ContextMenu menu;
};

TEST_F(ContextMenuTest, FirstShowingBuildsTheWholeTree)
{
    EXPECT_EQ(shownTree(),
              "First #1 [x]\n"
              "Drive #2 [x]\n"
              "Network #3 [x]\n"
              "Last #4\n"
              "-- #910\n"
              "Change Font... #230\n"
              "Change Text Color... #235\n"
              "Graph Color >\n"
              "  Change Graph Color... #240\n"
              "  Auto Graph Color #250\n"
              "-- #910\n"
              "Options >\n"
              "  Show Network Drives #210\n"
              "  Show Removable Drives #220\n"
              "  -- #910\n"
              "  Network Interfaces >\n"
              "    RAS (Dialup) #350\n"
              "    If1 #351\n"
              "    If3 #353 [x]\n"
              "  -- #910\n"
              "  Show Graphs #260\n"
              "  Right Align #270 [x]\n"
              "  Text Outline #275\n"
              "  -- #910\n"
              "  Position >\n"
              "    Locked #200\n"
              "    -- #910\n"
              "    Top Left #400\n"
              "    Top Right #410 [x]\n"
              "    Bottom Left #420\n"
              "    Bottom Right #430\n"
              "    Custom #440\n"
              "  -- #910\n"
              "  Always On Top #300\n"
              "  Normal #310 [x]\n"
              "  Bottom #320\n"
              "  -- #910\n"
              "  Run At Startup #280\n"
              "-- #920\n"
              "Exit #900\n");
}

TEST_F(ContextMenuTest, LaterShowingsChangeOnlyTheMarks)
{
    std::string first = shownTree();
    static_cast<FakeMeasure&>(items->at(0)).rename("Renamed");
    items->at(0).setShown(false, false);
    items->at(3).setShown(true, false);
    static_cast<Measure_Drive&>(items->at(1)).SetShowNetworkDrives(true);
    network().selectEntry(1);
    settings.showGraphs = settings.runAtStartup = settings.autoBgColor = settings.locked = true;
    settings.rightAlign = false;
    settings.textOutline = true;
    settings.stackingMode = AlwaysOnTop;
    settings.screenPosition = Custom;

    std::string second = shownTree();
    EXPECT_EQ(withoutMarks(second), withoutMarks(first));
    EXPECT_EQ(markedLines(second),
              "Drive #2 [x]\n"
              "Network #3 [x]\n"
              "Last #4 [x]\n"
              "Change Graph Color... #240 (grey)\n"
              "Auto Graph Color #250 [x]\n"
              "Show Network Drives #210 [x]\n"
              "If1 #351 [x]\n"
              "Show Graphs #260 [x]\n"
              "Text Outline #275 [x]\n"
              "Locked #200 [x]\n"
              "Custom #440 [x]\n"
              "Always On Top #300 [x]\n"
              "Run At Startup #280 [x]\n");
}

TEST_F(ContextMenuTest, IniFileAppearsOnceAtTheEndOfOptionsOnlyWhileExtended)
{
    const std::string entry = "  -- #910\n  Ini File... #290\n-- #920\nExit #900\n";
    for (bool extended : {false, true, true, false}) {
        std::string tree = shownTree(extended);
        size_t at = tree.find(entry);
        EXPECT_EQ(at != std::string::npos, extended);
        EXPECT_EQ(tree.find("Ini File", at == std::string::npos ? 0 : at + entry.size()),
                  std::string::npos);
        menu.finish(extended);
        EXPECT_EQ(describe(menu.root()).find("Ini File"), std::string::npos);
    }
}

// Disabled and checked, after Run At Startup and before the Ctrl entry.
TEST_F(ContextMenuTest, AReadOnlySettingsFileIsNotedAtTheEndOfOptions)
{
    const std::string note =
        "  Run At Startup #280\n  -- #910\n  Settings Locked by Administrator #930 [x] (grey)\n";
    EXPECT_EQ(shownTree().find("Settings Locked"), std::string::npos);
    settings.readOnly = true;
    ContextMenu fresh;
    fresh.prepare(app, true);
    EXPECT_NE(describe(fresh.root()).find(note + "  -- #910\n  Ini File... #290\n-- #920\n"),
              std::string::npos)
        << describe(fresh.root());
    fresh.finish(true);
    fresh.prepare(app, false);
    EXPECT_NE(describe(fresh.root()).find(note + "-- #920\n"), std::string::npos);
}

TEST_F(ContextMenuTest, StackingAndAutoColourMarksFollowTheSettings)
{
    const struct {
        StackingMode mode;
        bool autoColour;
        const char* marks;
    } cases[] = {
        {Desktop, false, ""},          {Bottom, false, "320x "}, {Desktop, true, "240g 250x "},
        {AlwaysOnTop, false, "300x "}, {Normal, false, "310x "},
    };
    for (bool atBuild : {true, false}) {
        for (const auto& c : cases) {
            // Built with the case's settings, or with others and then updated.
            ContextMenu fresh;
            settings.stackingMode = atBuild ? c.mode : AlwaysOnTop;
            settings.autoBgColor = atBuild ? c.autoColour : !c.autoColour;
            fresh.prepare(app, false);
            settings.stackingMode = c.mode;
            settings.autoBgColor = c.autoColour;
            fresh.prepare(app, false);
            std::string marks;
            for (UINT id : {240u, 250u, 300u, 310u, 320u}) {
                UINT state = GetMenuState(fresh.root(), id, MF_BYCOMMAND);
                if (state & (MF_CHECKED | MF_GRAYED))
                    marks += std::to_string(id) + ((state & MF_GRAYED) ? "g " : "x ");
            }
            EXPECT_EQ(marks, c.marks) << c.mode << (atBuild ? " at the build" : " updated");
        }
    }
}

TEST_F(ContextMenuTest, InterfaceEntriesKeepTheirIndexIdsAndStayInTheirRange)
{
    const struct {
        std::vector<std::string> names;
        const char* entries;
    } cases[] = {
        {{"isatap.{1}", "If2", "isatap", "If4"}, "RAS (Dialup) #350\nIf2 #352\nIf4 #354\n"},
        // The test is case-sensitive.
        {{"ISATAP.x"}, "RAS (Dialup) #350\nISATAP.x #351\n"},
        {{}, "RAS (Dialup) #350\n"},
        // Named as the system names them, in any script.
        {{"Сеть 2", "以太网"}, "RAS (Dialup) #350\nСеть 2 #351\n以太网 #352\n"},
    };
    for (const auto& c : cases) {
        playedInterfaces() = c.names;
        items = menuTestItems(app, settings);
        app.measures = items.get();
        ContextMenu fresh;
        fresh.prepare(app, false);
        EXPECT_EQ(describe(interfacesMenu(fresh.root())), c.entries);
    }
}

// Chosen in the menu, an interface named in another script is the chosen one
// again after a restart.
TEST_F(ContextMenuTest, AnInterfaceChosenInTheMenuIsChosenAgainAfterARestart)
{
    playedInterfaces() = {"If1", "Сеть 2"};
    items = menuTestItems(app, settings);
    app.measures = items.get();
    menu.prepare(app, false);
    ExecuteMenuCommand(app, IDM_FIRST_INTERFACE + 2, quietHooks());

    Settings restarted(path);
    std::unique_ptr<MeasureList> again = menuTestItems(app, restarted);
    app.measures = again.get();
    ContextMenu fresh;
    fresh.prepare(app, false);
    EXPECT_EQ(describe(interfacesMenu(fresh.root())),
              "RAS (Dialup) #350\nIf1 #351\nСеть 2 #352 [x]\n");
    app.measures = items.get();
}

TEST_F(ContextMenuTest, EntriesPastTheIdRangeGetNoItem)
{
    playedInterfaces().clear();
    for (int i = 1; i <= 60; ++i)
        playedInterfaces().push_back("If" + std::to_string(i));
    items = menuTestItems(app, settings);
    app.measures = items.get();
    settings.screenPosition = Custom;
    network().selectEntry(50);  // would be id 400, "Top Left"
    std::string tree = shownTree();
    tree = shownTree();

    HMENU interfaces = interfacesMenu(menu.root());
    ASSERT_EQ(GetMenuItemCount(interfaces), 49);
    EXPECT_EQ(GetMenuItemID(interfaces, 48), 398u);
    EXPECT_EQ(tree.find("Top Left #400 [x]"), std::string::npos);
    EXPECT_EQ(tree.find("#400"), tree.rfind("#400"));
}

TEST_F(ContextMenuTest, ThePopupRunsTheChosenCommandAndEscapeNothing)
{
    // The layouts the items asked for while they were built, the drive's once
    // its first answer came.
    pumpUntil([&] { return !items->at(1).valueText().empty(); }, 3000);
    pumpMessages(0);
    std::string before = readTextFile(path);
    std::string shown;
    std::thread escape = pressInPopup({VK_ESCAPE}, &shown);
    ShowContextMenu(app, menu, true, quietHooks());
    escape.join();
    EXPECT_NE(shown.find("Ini File... #290"), std::string::npos) << shown;
    EXPECT_EQ(readTextFile(path), before);
    EXPECT_EQ(describe(menu.root()).find("Ini File"), std::string::npos);

    std::thread choose = pressInPopup({VK_DOWN, VK_RETURN}, &shown);
    ShowContextMenu(app, menu, false, quietHooks());
    choose.join();
    EXPECT_EQ(iniValue(path, "DisplayItems", "First"), "No");
    EXPECT_FALSE(items->at(0).isShown());
}

// Through the window's own message, with the program's one menu.
using MenuRequestTest = MainWindowTest;

TEST_F(MenuRequestTest, ShowsTheMenuWithCtrlsEntry)
{
    std::string shown;
    std::thread escape = pressInPopup({VK_ESCAPE}, &shown);
    send(WM_SHOWMENU, MK_CONTROL);
    escape.join();
    EXPECT_NE(shown.find("First #1"), std::string::npos) << shown;
    EXPECT_NE(shown.find("Ini File... #290"), std::string::npos) << shown;
    EXPECT_FALSE(app.menuOpen);
}

}  // namespace
