// The battery item through a settable power status, and Wine's real one.
#include <gtest/gtest.h>

#include <iterator>

#include "measures/Measure_Battery.h"
#include "support/FakeMeasure.h"
#include "support/IniFile.h"

namespace {

constexpr BYTE kMains = 1, kOnBattery = 0;
constexpr DWORD kUnknownTime = BATTERY_LIFE_UNKNOWN;

SYSTEM_POWER_STATUS power{};
BOOL powerAnswers = TRUE;
BOOL WINAPI fakePowerStatus(LPSYSTEM_POWER_STATUS status)
{
    if (powerAnswers)
        *status = power;
    return powerAnswers;
}
void setPower(BYTE acLine, BYTE flag, BYTE percent, DWORD lifeTime = kUnknownTime)
{
    power = SYSTEM_POWER_STATUS{};
    power.ACLineStatus = acLine, power.BatteryFlag = flag, power.BatteryLifePercent = percent;
    power.BatteryLifeTime = lifeTime;
    powerAnswers = TRUE;
}

// Exposes the bar length a drawing pass would use.
class BatteryProbe : public Measure_Battery {
public:
    BatteryProbe(ItemHost& host, Settings& settings)
        : Measure_Battery(host, settings, fakePowerStatus)
    {
    }
    int barPercent() const { return graphPercent; }
};

struct BatteryTest : ItemTest {
    size_t relayoutsPosted() { return static_cast<size_t>(host.relayouts); }
};

TEST_F(BatteryTest, ReadingsWithABatteryFormatTheirText)
{
    const struct {
        BYTE acLine, flag, percent;
        DWORD lifeTime;
        const char* text;
        bool bar;
    } cases[] = {{kMains, 8, 57, kUnknownTime, "Charging: 57%", false},
                 {kMains, 0, 57, kUnknownTime, "Not Charging: 57%", false},
                 // High charge, not charging: the charging bit decides, not a zero flag.
                 {kMains, 1, 80, kUnknownTime, "Not Charging: 80%", false},
                 {kMains, 9, 80, kUnknownTime, "Charging: 80%", false},
                 {kMains, 1, 100, kUnknownTime, "Charged", false},
                 {kMains, 8, 255, kUnknownTime, "Charged", false},
                 {kOnBattery, 1, 57, 5400, "57% (1:30)", true},
                 {kOnBattery, 1, 57, 3599, "57% (0:59)", true},
                 {kOnBattery, 1, 57, kUnknownTime, "57%", true},
                 {kOnBattery, 4, 3, 100 * 3600 + 5 * 60, "3% (100:05)", true},
                 {255, 2, 12, 600, "12% (0:10)", true},
                 {kOnBattery, 1, 255, kUnknownTime, "Unknown", true}};
    settings.showGraphs = true;
    for (const auto& c : cases) {
        setPower(c.acLine, c.flag, c.percent, c.lifeTime);
        BatteryProbe battery(host, settings);
        EXPECT_EQ(battery.valueText(), c.text) << c.text;
        EXPECT_EQ(battery.hasVisibleGraph(), c.bar) << c.text;
        EXPECT_EQ(battery.barPercent(), c.percent);
        EXPECT_TRUE(battery.isShown());
        EXPECT_TRUE(battery.hasChanged());
        EXPECT_TRUE(battery.hasTimer());
    }
    EXPECT_EQ(iniValue(path, "DisplayItems", "Battery"), "Yes");
    EXPECT_EQ(relayoutsPosted(), std::size(cases));
}

TEST_F(BatteryTest, WithoutABatteryTheFirstStartHidesTheItemEveryTime)
{
    for (BYTE acLine : {kMains, kOnBattery}) {
        setPower(acLine, 128, 255);
        BatteryProbe first(host, settings);
        EXPECT_FALSE(first.isShown());
        EXPECT_EQ(first.valueText(), "None");
        EXPECT_FALSE(first.hasVisibleGraph());
        EXPECT_FALSE(first.hasTimer());
        EXPECT_EQ(iniValue(path, "DisplayItems", "Battery"), "No");
        // Shown from the menu: a one-minute timer, and None stays.
        first.setShown(true, false);
        EXPECT_TRUE(first.hasTimer());
        first.update();
        EXPECT_EQ(first.valueText(), "None");
        EXPECT_TRUE(first.isShown());
        EXPECT_EQ(iniValue(path, "DisplayItems", "Battery"), "Yes");
        // The next start hides it again.
        BatteryProbe next(host, settings);
        EXPECT_FALSE(next.isShown());
        EXPECT_EQ(iniValue(path, "DisplayItems", "Battery"), "No");
    }
}

// A battery driver still starting at logon answers 255, "unknown status".
TEST_F(BatteryTest, AnUnknownStatusHidesNothingUntilALaterReadingTells)
{
    const struct {
        BYTE flag;
        const char* text;
        bool shown;
        const char* key;
    } later[] = {{1, "57% (1:30)", true, "Yes"}, {128, "None", false, "No"}};
    for (const auto& c : later) {
        setPower(255, 255, 255);
        BatteryProbe battery(host, settings);
        EXPECT_EQ(battery.valueText(), "Unknown");
        EXPECT_TRUE(battery.isShown());
        EXPECT_EQ(iniValue(path, "DisplayItems", "Battery"), "Yes");

        setPower(kOnBattery, c.flag, 57, 5400);
        battery.update();
        EXPECT_EQ(battery.valueText(), c.text);
        EXPECT_EQ(battery.isShown(), c.shown);
        EXPECT_EQ(battery.hasTimer(), c.shown);
        EXPECT_EQ(iniValue(path, "DisplayItems", "Battery"), c.key);
    }
}

TEST_F(BatteryTest, ATickReformatsOnlyWhenTheReadingMovedOrPowerChanged)
{
    setPower(kOnBattery, 1, 57, 5400);
    BatteryProbe battery(host, settings);
    const struct {
        BYTE acLine, flag, percent;
        DWORD lifeTime;
        bool powerEvent;
        const char* text;
    } ticks[] = {{kOnBattery, 1, 57, 4000, false, "57% (1:30)"},
                 {kOnBattery, 1, 57, 4000, true, "57% (1:06)"},
                 {kOnBattery, 2, 57, 3000, false, "57% (1:06)"},
                 {kOnBattery, 2, 56, 3000, false, "56% (0:50)"},
                 {kMains, 8, 56, kUnknownTime, false, "Charging: 56%"},
                 {kMains, 0, 56, kUnknownTime, false, "Not Charging: 56%"},
                 {kMains, 0, 56, kUnknownTime, true, "Not Charging: 56%"},
                 {kOnBattery, 0, 56, 3000, true, "56% (0:50)"},
                 // A battery removed while running: no bar, the last text stays.
                 {kOnBattery, 128, 255, kUnknownTime, false, "56% (0:50)"}};
    for (const auto& tick : ticks) {
        setPower(tick.acLine, tick.flag, tick.percent, tick.lifeTime);
        if (tick.powerEvent)
            battery.MarkPowerChange();
        battery.update();
        EXPECT_EQ(battery.valueText(), tick.text);
    }
    EXPECT_FALSE(battery.hasVisibleGraph());
    EXPECT_TRUE(battery.isShown());
    EXPECT_EQ(iniValue(path, "DisplayItems", "Battery"), "Yes");
    // The pending power change was spent by its update.
    setPower(kOnBattery, 1, 57, 5400);
    battery.update();
    setPower(kOnBattery, 1, 57, 60);
    battery.update();
    EXPECT_EQ(battery.valueText(), "57% (1:30)");
}

TEST_F(BatteryTest, AFailedReadingKeepsTheTextButStillRelaysOut)
{
    setPower(kOnBattery, 1, 40, 7200);
    BatteryProbe battery(host, settings);
    powerAnswers = FALSE;
    battery.MarkPowerChange();
    battery.update();
    EXPECT_EQ(battery.valueText(), "40% (2:00)");
    EXPECT_EQ(relayoutsPosted(), 2u);
}

TEST_F(BatteryTest, WinesNoBatteryAnswerHidesTheItem)
{
    SYSTEM_POWER_STATUS real{};
    ASSERT_TRUE(GetSystemPowerStatus(&real));
    if (!(real.BatteryFlag & BATTERY_FLAG_NO_BATTERY))
        GTEST_SKIP() << "this machine has a battery";
    Measure_Battery battery(host, settings);
    EXPECT_FALSE(battery.isShown());
    EXPECT_EQ(battery.valueText(), "None");
    EXPECT_FALSE(battery.hasTimer());
    EXPECT_EQ(iniValue(path, "DisplayItems", "Battery"), "No");
}

}  // namespace
