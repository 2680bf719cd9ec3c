// The item base: its shown flag in the settings file and its timer on a real window.
#include <gtest/gtest.h>

#include <memory>

#include "support/FakeMeasure.h"
#include "support/IniFile.h"

namespace {

struct MeasureTest : ItemTest {
    std::string shownKey(const char* name) { return iniValue(path, "DisplayItems", name); }
    void forgetKey(const char* name)
    {
        WritePrivateProfileStringA("DisplayItems", name, nullptr, path.c_str());
    }
};

TEST_F(MeasureTest, DisplayFlagFromTheFileDecidesTimerAndRows)
{
    WritePrivateProfileStringA("DisplayItems", "Hidden", "No", path.c_str());
    FakeMeasure shown(app, settings, "Shown", 20, 2), hidden(app, settings, "Hidden", 20, 2);
    EXPECT_EQ(shownKey("Shown"), "Yes");
    EXPECT_EQ(shownKey("Hidden"), "No");
    EXPECT_EQ(hidden.updates, 1);
    EXPECT_FALSE(hasTimer(hidden));
    EXPECT_EQ(shown.lineCount(false), 2);
    EXPECT_EQ(hidden.lineCount(false), 0);
    EXPECT_EQ(hidden.lineCount(true), 2);
    // The shown one's timer fires through the message loop.
    EXPECT_TRUE(pumpUntil([&] { return shown.updates >= 3; }, 3000));
    EXPECT_EQ(hidden.updates, 1);
}

TEST_F(MeasureTest, NoPositiveIntervalNeverGetsATimer)
{
    for (int interval : {0, -1}) {
        FakeMeasure item(app, settings, "Machine", interval);
        item.setShown(false, false);
        item.setShown(true, false);
        item.resetTimer(false);
        EXPECT_FALSE(hasTimer(item)) << interval;
    }
}

// A timer id is only an address: an id of no live item (one the system made
// up, or a destroyed item's) does nothing.
TEST_F(MeasureTest, TheTimerProcedureActsOnlyForLiveItems)
{
    auto gone = std::make_unique<FakeMeasure>(app, settings, "CPU");
    UINT_PTR goneId = reinterpret_cast<UINT_PTR>(gone.get());
    gone.reset();
    FakeMeasure item(app, settings, "RAM");
    for (UINT_PTR id : {UINT_PTR(1), UINT_PTR(0x7FF8), goneId, reinterpret_cast<UINT_PTR>(&item)})
        Measure::TimerProc(window.handle(), WM_TIMER, id, 0);
    EXPECT_EQ(item.updates, 2);
}

TEST_F(MeasureTest, SetShownWritesOnChangeAndStartsOrStopsTheTimer)
{
    FakeMeasure item(app, settings, "CPU", 20);
    forgetKey("CPU");
    item.setShown(true, true);  // the current value: no write, and no restart while exiting
    EXPECT_EQ(shownKey("CPU"), "<missing>");
    EXPECT_TRUE(pumpUntil([&] { return item.updates >= 2; }, 3000));

    item.setShown(false, false);
    EXPECT_EQ(shownKey("CPU"), "No");
    int updates = item.updates;
    pumpMessages(150);
    EXPECT_EQ(item.updates, updates);
    forgetKey("CPU");
    item.setShown(false, false);
    EXPECT_EQ(shownKey("CPU"), "<missing>");

    item.setShown(true, true);
    EXPECT_EQ(shownKey("CPU"), "Yes");
    EXPECT_FALSE(hasTimer(item));
    item.setShown(false, false);
    item.setShown(true, false);  // restarts the timer without an update of its own
    EXPECT_EQ(item.updates, updates);
    EXPECT_TRUE(pumpUntil([&] { return item.updates > updates; }, 3000));
}

TEST_F(MeasureTest, WorkgroupLabelKeepsItsFlagUnderDomain)
{
    FakeMeasure item(app, settings, "Domain");
    item.rename("Workgroup");
    item.setShown(false, false);
    EXPECT_EQ(shownKey("Domain"), "No");
    item.setShown(true, false);
    EXPECT_EQ(iniSection(path, "DisplayItems"), "Domain=Yes\n");
}

TEST_F(MeasureTest, SuspendedFlagSkipsEveryUpdateWhileTicksArrive)
{
    FakeMeasure first(app, settings, "CPU", 20), second(app, settings, "RAM", 30);
    app.suspended = true;
    pumpMessages(200);
    EXPECT_EQ(first.updates + second.updates, 2);
    app.suspended = false;
    EXPECT_TRUE(pumpUntil([&] { return first.updates > 1 && second.updates > 1; }, 3000));
}

}  // namespace
