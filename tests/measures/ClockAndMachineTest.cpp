// The clock through a settable clock, the machine name through a settable source.
#include <gtest/gtest.h>

#include "measures/Measure_Machine.h"
#include "measures/Measure_Time.h"
#include "platform/Utf8.h"
#include "support/FakeMeasure.h"

namespace {

std::tm clockNow{};
int clockReads = 0;
std::tm fakeClock()
{
    ++clockReads;
    return clockNow;
}
void setClock(int hour, int minute, int second)
{
    clockNow = std::tm{};
    clockNow.tm_year = 125, clockNow.tm_mday = 14;
    clockNow.tm_hour = hour, clockNow.tm_min = minute, clockNow.tm_sec = second;
}

DWORD sizeOffered = 0;
BOOL WINAPI fixedName(LPWSTR buffer, LPDWORD size)
{
    sizeOffered = *size;
    lstrcpynW(buffer, L"ПК-7", static_cast<int>(*size));
    *size = 4;
    return TRUE;
}
BOOL WINAPI failingName(LPWSTR buffer, LPDWORD size)
{
    lstrcpynW(buffer, L"PARTIAL", static_cast<int>(*size));
    return FALSE;
}

using ClockAndMachineTest = ItemTest;

TEST_F(ClockAndMachineTest, ClockShowsHourWithoutLeadingZero)
{
    const struct {
        int hour, minute, second;
        const char* text;
    } cases[] = {{9, 5, 7, "9:05:07"},
                 {23, 59, 59, "23:59:59"},
                 {0, 0, 0, "0:00:00"},
                 {12, 40, 3, "12:40:03"}};
    for (const auto& c : cases) {
        setClock(c.hour, c.minute, c.second);
        EXPECT_EQ(Measure_Time(host, settings, fakeClock).valueText(), c.text);
    }
}

// A clock set back by a minute, or a new time zone, keeps the second but shows
// at the next tick; the clock marks itself for painting exactly when its text
// changes.
TEST_F(ClockAndMachineTest, ClockFollowsEveryChangeOfTheTimeOfDayAndMarksIt)
{
    setClock(10, 30, 15);
    Measure_Time clock(host, settings, fakeClock);
    const struct {
        int hour, minute, second;
        const char* text;
        bool marked;
    } ticks[] = {{10, 30, 15, "10:30:15", false},
                 {10, 29, 15, "10:29:15", true},
                 {13, 29, 15, "13:29:15", true},
                 {13, 29, 16, "13:29:16", true}};
    for (const auto& t : ticks) {
        clock.clearChanged();
        setClock(t.hour, t.minute, t.second);
        clock.update();
        EXPECT_EQ(clock.valueText(), t.text);
        EXPECT_EQ(clock.hasChanged(), t.marked) << t.text;
    }
}

TEST_F(ClockAndMachineTest, ClockReadsTheTimeAtEveryRefreshTick)
{
    clockReads = 0;
    Measure_Time clock(host, settings, fakeClock);
    EXPECT_EQ(clockReads, 1);
    clock.tick();
    clock.tick();
    EXPECT_EQ(clockReads, 3);
}

TEST_F(ClockAndMachineTest, MachineShowsTheNameOnlyWhenTheCallSucceedsAndHasNoTimer)
{
    WCHAR expected[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    ASSERT_TRUE(GetComputerNameW(expected, &size));
    Measure_Machine machine(host, settings), named(host, settings, fixedName),
        unnamed(host, settings, failingName);
    EXPECT_EQ(machine.valueText(), toUtf8(expected));
    EXPECT_FALSE(machine.hasTimer());
    EXPECT_EQ(named.valueText(), "ПК-7");
    EXPECT_EQ(sizeOffered, 16u);
    EXPECT_EQ(unnamed.valueText(), "");
}

}  // namespace
