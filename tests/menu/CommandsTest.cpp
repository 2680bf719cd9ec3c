// Every command id by what it leaves behind: keys in the settings file,
// settings in memory, the window's place and stacking, dialogs and launches.
#include <gtest/gtest.h>

#include <climits>
#include <map>
#include <sstream>
#include <string>

#include "display/Stacking.h"
#include "menu/Commands.h"
#include "menu/MenuTestItems.h"
#include "platform/Messages.h"
#include "support/ColourPane.h"
#include "support/IniFile.h"
#include "support/MainWindowFixture.h"

namespace {

// What the stand-ins for dialogs, shortcut and launcher were asked to do.
std::string hookLog;
bool fontAnswer = false;
bool shortcutSaves = true;

CommandHooks loggingHooks()
{
    CommandHooks hooks;
    hooks.chooseFont = [](AppState&) { return hookLog += "font ", fontAnswer; };
    hooks.chooseColour = [](AppState&) { hookLog += "colour "; };
    hooks.chooseTextColour = [](AppState&) { return hookLog += "text colour ", fontAnswer; };
    hooks.updateStartupShortcut = [](bool on) {
        hookLog += "shortcut=" + std::to_string(on) + " ";
        return on && shortcutSaves;
    };
    hooks.launch = [](AppState&, const char* target) {
        hookLog += std::string("launch=") + target + " ";
    };
    return hooks;
}

// "Section/key" → value, for every key in the file.
std::map<std::string, std::string> keysOf(const std::string& path)
{
    std::map<std::string, std::string> keys;
    char names[4096] = {};
    GetPrivateProfileSectionNamesA(names, sizeof names, path.c_str());
    for (const char* section = names; *section != '\0'; section += lstrlenA(section) + 1) {
        std::istringstream lines(iniSection(path, section));
        for (std::string line; std::getline(lines, line);) {
            size_t equals = line.find('=');
            keys[std::string(section) + "/" + line.substr(0, equals)] = line.substr(equals + 1);
        }
    }
    return keys;
}

struct CommandsTest : MainWindowTest {
    CommandsTest() { reset(); }
    ~CommandsTest() override { app.measures = list.get(); }

    // Stacking Normal, corner Top Left, every option off, "Last" hidden; the
    // window at (0, 0), its stored rectangle at (100, 100).
    void reset()
    {
        app.measures = list.get();
        items.reset();
        DeleteFileA(path.c_str());
        settings.stackingMode = Normal;
        settings.screenPosition = TopLeft;
        settings.locked = settings.showGraphs = settings.rightAlign = false;
        settings.runAtStartup = settings.autoBgColor = false;
        app.exiting = false;
        items = menuTestItems(app, settings);
        items->at(3).setShown(false, false);
        app.measures = items.get();
        renderer.layout(*items, nullptr);
        SetWindowPos(app.mainWindow, HWND_NOTOPMOST, 0, 0, renderer.pictureWidth,
                     renderer.pictureHeight, SWP_NOACTIVATE);
        OffsetRect(&settings.windowRect, 100 - settings.windowRect.left,
                   100 - settings.windowRect.top);
        settings.storedPlace = POINT{100, 100};
        hookLog.clear();
        while (takePosted(WM_RELAYOUT)) {
        }
    }

    std::map<std::string, std::string> fields()
    {
        const Settings& s = settings;
        LONG_PTR exStyle = GetWindowLongPtrA(app.mainWindow, GWL_EXSTYLE);
        return {{"locked", std::to_string(s.locked)},
                {"showGraphs", std::to_string(s.showGraphs)},
                {"rightAlign", std::to_string(s.rightAlign)},
                {"runAtStartup", std::to_string(s.runAtStartup)},
                {"stacking", std::to_string(s.stackingMode)},
                {"screen", std::to_string(s.screenPosition)},
                {"topmost", std::to_string((exStyle & WS_EX_TOPMOST) != 0)},
                {"exiting", std::to_string(app.exiting)}};
    }

    // The changes one command makes, as "Section/key=value" for the file,
    // "field=value" for memory, then the window, the stand-ins and the loop.
    std::string effectOf(int id)
    {
        auto keysBefore = keysOf(path);
        auto fieldsBefore = fields();
        RECT before{}, after{};
        GetWindowRect(app.mainWindow, &before);
        ExecuteMenuCommand(app, id, loggingHooks());

        std::string effect;
        for (const auto& key : keysOf(path))
            if (keysBefore[key.first] != key.second)
                effect += key.first + "=" + key.second + " ";
        for (const auto& field : fields())
            if (fieldsBefore[field.first] != field.second)
                effect += field.first + "=" + field.second + " ";
        GetWindowRect(app.mainWindow, &after);
        if (after.left != before.left || after.top != before.top)
            effect +=
                "window=" + std::to_string(after.left) + "," + std::to_string(after.top) + " ";
        const LONG height = after.bottom - after.top, heightBefore = before.bottom - before.top;
        if (height != heightBefore)
            effect += height < heightBefore ? "shorter " : "taller ";
        effect += hookLog;
        MSG quit;
        if (PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE))
            effect += "quit ";
        return effect;
    }

    std::unique_ptr<MeasureList> items;
};

TEST_F(CommandsTest, EachIdHasItsEffectAndNoOther)
{
    RECT work{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    const std::string right =
        std::to_string(GetSystemMetrics(SM_CXSCREEN) - renderer.pictureWidth - 10);
    const std::string bottom = std::to_string(work.bottom - renderer.pictureHeight - 10);
    const std::string topLeft = "Position/X=10 Position/Y=10 window=10,10 ";
    const struct {
        int id;
        std::string effect;
        bool fontChanged;
    } cases[] = {
        {INT_MIN, "", false},
        {-1, "", false},
        {0, "", false},
        // A re-layout places the window anew at its corner, Top Left here.
        {1, "DisplayItems/First=No " + topLeft + "shorter ", false},
        {2, "DisplayItems/Drive=No " + topLeft + "shorter ", false},
        {4, "DisplayItems/Last=Yes " + topLeft + "taller ", false},
        // Ids past the list, the separators' among them, reach no item.
        {5, "", false},
        {100, "", false},
        {199, "", false},
        {200, "Options/Locked=Yes locked=1 ", false},
        {205, "", false},
        {210, "Options/ShowNetworkDrives=Yes " + topLeft, false},
        {220, "Options/ShowRemovableDrives=Yes " + topLeft, false},
        {230, topLeft + "font ", true},
        {230, "font ", false},
        {235, topLeft + "text colour ", true},
        {235, "text colour ", false},
        {240, topLeft + "colour ", false},
        {260, "Options/Show Graphs=Yes showGraphs=1 ", false},
        {270, "Options/Right Align=Yes rightAlign=1 ", false},
        {280, "Options/Run At Startup=Yes runAtStartup=1 shortcut=1 ", false},
        {290, "launch=" + path + " ", false},
        {300, "Options/Position=AlwaysOnTop stacking=2 topmost=1 ", false},
        {310, "Options/Position=Normal ", false},
        {320, "Options/Position=Bottom stacking=0 ", false},
        {349, "", false},
        {350, "Network/SelectedInterface=0 ", false},
        {353, "Network/SelectedInterface=3 ", false},
        {398, "Network/SelectedInterface=48 ", false},
        {399, "", false},
        {400, "Options/ScreenPosition=TL Position/X=10 Position/Y=10 window=10,10 ", false},
        {410,
         "Options/ScreenPosition=TR Position/X=" + right + " Position/Y=10 screen=1 window=" + right
             + ",10 ",
         false},
        {420,
         "Options/ScreenPosition=BL Position/X=10 Position/Y=" + bottom + " screen=2 window=10,"
             + bottom + " ",
         false},
        {430,
         "Options/ScreenPosition=BR Position/X=" + right + " Position/Y=" + bottom
             + " screen=3 window=" + right + "," + bottom + " ",
         false},
        {440, "Options/ScreenPosition=C screen=4 ", false},
        {441, "", false},
        {899, "", false},
        {900, "exiting=1 quit ", false},
        {901, "", false},
        {INT_MAX, "", false},
    };
    for (const auto& c : cases) {
        reset();
        fontAnswer = c.fontChanged;
        EXPECT_EQ(effectOf(c.id), c.effect) << c.id;
    }
}

TEST_F(CommandsTest, TheLastShownItemCannotBeHidden)
{
    items->at(1).setShown(false, false);
    items->at(2).setShown(false, false);
    EXPECT_EQ(effectOf(1), "");
    EXPECT_TRUE(items->at(0).isShown());
}

TEST_F(CommandsTest, TogglesFlipBackOnTheSecondChoice)
{
    const struct {
        int id;
        const char* section;
        const char* key;
    } cases[] = {
        {1, "DisplayItems", "First"},          {200, "Options", "Locked"},
        {210, "Options", "ShowNetworkDrives"}, {220, "Options", "ShowRemovableDrives"},
        {260, "Options", "Show Graphs"},       {270, "Options", "Right Align"},
        {275, "Options", "Text Outline"},      {280, "Options", "Run At Startup"},
    };
    for (const auto& c : cases) {
        reset();
        ExecuteMenuCommand(app, c.id, loggingHooks());
        std::string first = iniValue(path, c.section, c.key);
        ExecuteMenuCommand(app, c.id, loggingHooks());
        std::string second = iniValue(path, c.section, c.key);
        EXPECT_NE(first, second) << c.id;
        EXPECT_NE(second, "<missing>") << c.id;
    }
}

TEST_F(CommandsTest, AutoGraphColorSamplesOnlyWhenTurnedOn)
{
    static_cast<FakeMeasure&>(items->at(0)).setGraph(true, 50);
    settings.graphColour = RGB(1, 2, 3);
    ColourPane wallpaper(ColourPane::Wallpaper, {0, 0, 400, 300}, RGB(30, 60, 90));
    ASSERT_TRUE(pumpUntil([&] { return RestsOnWallpaper(app.mainWindow); }, 3000));
    ExecuteMenuCommand(app, 250, loggingHooks());
    EXPECT_TRUE(settings.autoBgColor);
    EXPECT_EQ(iniValue(path, "Options", "Auto BG Color"), "Yes");
    COLORREF sampled = settings.graphColour;
    EXPECT_EQ(sampled, RGB(30, 60, 90));
    EXPECT_EQ(iniValue(path, "Graph", "RGBColour"), "30,60,90");
    EXPECT_TRUE(takePosted(WM_RELAYOUT));

    WritePrivateProfileStringA("Graph", "RGBColour", "7,7,7", path.c_str());
    ExecuteMenuCommand(app, 250, loggingHooks());
    EXPECT_FALSE(settings.autoBgColor);
    EXPECT_EQ(iniValue(path, "Options", "Auto BG Color"), "No");
    EXPECT_EQ(settings.graphColour, sampled);
    EXPECT_EQ(iniValue(path, "Graph", "RGBColour"), "7,7,7");
    EXPECT_FALSE(takePosted(WM_RELAYOUT));
}

// Showing an item, or removable drives, restarts that item's interval alone:
// an item three ticks apart still updates on its third tick.
TEST_F(CommandsTest, ShowingRestartsOnlyThatItemsInterval)
{
    for (int id : {4, static_cast<int>(IDM_SHOW_REMOVABLE_DRIVES)}) {
        SCOPED_TRACE(id);
        reset();
        auto& steady = static_cast<FakeMeasure&>(items->at(0));
        auto& shown = static_cast<FakeMeasure&>(items->at(3));
        steady.setInterval(3000);
        shown.setInterval(3000);
        items->tick();
        items->tick();
        const int steadyBefore = steady.updates, shownBefore = shown.updates;

        ExecuteMenuCommand(app, id, loggingHooks());
        items->tick();
        EXPECT_EQ(steady.updates, steadyBefore + 1);
        items->tick();
        items->tick();
        EXPECT_EQ(shown.updates, shownBefore + (id == 4 ? 1 : 0));
    }
}

TEST_F(CommandsTest, RunAtStartupIsOnOnlyWithTheShortcutSaved)
{
    shortcutSaves = false;
    EXPECT_EQ(effectOf(IDM_RUN_AT_STARTUP), "Options/Run At Startup=No shortcut=1 ");
    shortcutSaves = true;
    contextMenu.prepare(app, false);
    EXPECT_EQ(GetMenuState(contextMenu.root(), IDM_RUN_AT_STARTUP, MF_BYCOMMAND) & MF_CHECKED, 0u);
}

}  // namespace
