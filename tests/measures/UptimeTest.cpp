// Uptime texts, the once-a-minute reformat, and the real tick count.
#include <gtest/gtest.h>

#include "measures/Measure_Uptime.h"
#include "support/FakeMeasure.h"

namespace {

constexpr ULONGLONG kSecond = 1000, kMinute = 60 * kSecond, kHour = 60 * kMinute, kDay = 24 * kHour;

ULONGLONG ticks = 0;
ULONGLONG WINAPI fakeTicks()
{
    return ticks;
}

TEST(UptimeText, HoursAndMinutesWithADayCountOnceADayHasPassed)
{
    const struct {
        ULONGLONG milliseconds;
        const char* text;
    } cases[] = {{0, "00:00"},
                 {59 * kMinute + 59 * kSecond, "00:59"},
                 {kHour, "01:00"},
                 {5 * kHour + 7 * kMinute, "05:07"},
                 {kDay - 1, "23:59"},
                 {kDay, "1 day, 00:00"},
                 {kDay + 5 * kHour + 7 * kMinute, "1 day, 05:07"},
                 {2 * kDay, "2 days, 00:00"},
                 {12 * kDay + 23 * kHour + 59 * kMinute, "12 days, 23:59"},
                 {100 * kDay + 5 * kHour + 7 * kMinute + 30 * kSecond, "100 days, 05:07"},
                 {1000000 * kDay, "1000000 days, 00:00"}};
    for (const auto& c : cases)
        EXPECT_EQ(uptimeText(c.milliseconds), c.text) << c.milliseconds;
}

using UptimeTest = ItemTest;

TEST_F(UptimeTest, ReformatsWhenTheMinuteOfTheHourMoves)
{
    ticks = 59 * kMinute + 59 * kSecond;
    Measure_Uptime uptime(host, settings, fakeTicks);
    EXPECT_EQ(uptime.valueText(), "00:59");
    EXPECT_TRUE(uptime.hasChanged());
    EXPECT_TRUE(uptime.hasTimer());
    // Only the minute of the hour is compared: a whole hour later at the same
    // minute (after a suspend, say) keeps the text until the minute moves.
    const struct {
        ULONGLONG milliseconds;
        const char* text;
    } steps[] = {{kHour, "01:00"},
                 {kHour + 59 * kSecond, "01:00"},
                 {2 * kHour + 30 * kSecond, "01:00"},
                 {2 * kHour + kMinute, "02:01"},
                 {kDay + 2 * kMinute, "1 day, 00:02"}};
    for (const auto& step : steps) {
        ticks = step.milliseconds;
        uptime.update();
        EXPECT_EQ(uptime.valueText(), step.text) << step.milliseconds;
    }
}

TEST_F(UptimeTest, RealUptimeMatchesTheTickCount)
{
    ULONGLONG before = GetTickCount64();
    Measure_Uptime uptime(host, settings);
    ULONGLONG after = GetTickCount64();
    EXPECT_TRUE(uptime.valueText() == uptimeText(before) || uptime.valueText() == uptimeText(after))
        << uptime.valueText();
}

}  // namespace
