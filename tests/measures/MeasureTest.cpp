// The item base: its shown flag in the settings file and its refresh schedule.
#include <gtest/gtest.h>

#include <cstring>

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
    FakeMeasure shown(host, settings, "Shown", 20, 2), hidden(host, settings, "Hidden", 20, 2);
    EXPECT_EQ(shownKey("Shown"), "Yes");
    EXPECT_EQ(shownKey("Hidden"), "No");
    EXPECT_EQ(hidden.updates, 1);
    EXPECT_FALSE(hidden.hasTimer());
    EXPECT_EQ(shown.lineCount(false), 2);
    EXPECT_EQ(hidden.lineCount(false), 0);
    EXPECT_EQ(hidden.lineCount(true), 2);
    for (int tick = 0; tick < 2; ++tick)
        shown.tick(), hidden.tick();
    EXPECT_EQ(shown.updates, 3);
    EXPECT_EQ(hidden.updates, 1);
}

TEST_F(MeasureTest, NoPositiveIntervalNeverGetsATimer)
{
    for (int interval : {0, -1}) {
        FakeMeasure item(host, settings, "Machine", interval);
        item.setShown(false, false);
        item.setShown(true, false);
        item.resetTimer(false);
        EXPECT_FALSE(item.hasTimer()) << interval;
    }
}

TEST_F(MeasureTest, SetShownWritesOnChangeAndStartsOrStopsTheTimer)
{
    FakeMeasure item(host, settings, "CPU", 20);
    forgetKey("CPU");
    item.setShown(true, true);  // the current value: no write, and no restart while exiting
    EXPECT_EQ(shownKey("CPU"), "<missing>");
    item.tick();
    EXPECT_EQ(item.updates, 2);

    item.setShown(false, false);
    EXPECT_EQ(shownKey("CPU"), "No");
    int updates = item.updates;
    item.tick();
    EXPECT_EQ(item.updates, updates);
    forgetKey("CPU");
    item.setShown(false, false);
    EXPECT_EQ(shownKey("CPU"), "<missing>");

    item.setShown(true, true);
    EXPECT_EQ(shownKey("CPU"), "Yes");
    EXPECT_FALSE(item.hasTimer());
    item.setShown(false, false);
    item.setShown(true, false);  // restarts the timer without an update of its own
    EXPECT_EQ(item.updates, updates);
    item.tick();
    EXPECT_EQ(item.updates, updates + 1);
}

// Intervals count in refresh ticks of a second, rounded up.
TEST_F(MeasureTest, IntervalsCountInWholeRefreshTicks)
{
    const struct {
        int interval;
        const char* updates;  // per tick: 'u' an update ran
    } cases[] = {
        {500, "uuuu"},
        {1000, "uuuu"},
        {1500, ".u.u"},
        {5000, "....u....u"},
    };
    for (const auto& c : cases) {
        FakeMeasure item(host, settings, "Load", c.interval);
        std::string seen;
        for (size_t tick = 0; tick < std::strlen(c.updates); ++tick) {
            int before = item.updates;
            item.tick();
            seen += item.updates > before ? 'u' : '.';
        }
        EXPECT_EQ(seen, c.updates) << c.interval;
    }
}

TEST_F(MeasureTest, WorkgroupLabelKeepsItsFlagUnderDomain)
{
    FakeMeasure item(host, settings, "Domain");
    item.rename("Workgroup");
    item.setShown(false, false);
    EXPECT_EQ(shownKey("Domain"), "No");
    item.setShown(true, false);
    EXPECT_EQ(iniSection(path, "DisplayItems"), "Domain=Yes\n");
}

}  // namespace
