// The memory texts, and the memory items through settable memory sources.
#include <gtest/gtest.h>

#include <cstdlib>
#include <deque>
#include <utility>

#include "measures/Measure_Memory.h"
#include "support/FakeMeasure.h"

namespace {

TEST(MemoryTextTest, SizeShowsGibFromOneGibAndKibWithSeparatorsBelow)
{
    const struct {
        unsigned long long kib;
        const char* text;
    } cases[] = {{1048576, "1.00 Gb"},
                 {1048575, "1,048,575 Kb"},
                 {8388608, "8.00 Gb"},
                 {8300000, "7.92 Gb"},
                 {8320000, "8.00 Gb"},
                 {3670016, "3.50 Gb"},
                 {16651387, "16.00 Gb"},
                 {524288, "524,288 Kb"},
                 {1000001, "1,000,001 Kb"},
                 {999, "999 Kb"},
                 {0, " Kb"},
                 {6442450944ull, "6144.00 Gb"}};
    for (const auto& c : cases)
        EXPECT_EQ(installedMemoryText(c.kib), c.text) << c.kib;
}

TEST(MemoryTextTest, UsageDropsTheFraction)
{
    const struct {
        unsigned long long total, free, percent;
    } cases[] = {{100, 57, 43},
                 {3, 1, 66},
                 {100, 0, 100},
                 {100, 100, 0},
                 {0, 0, 0},
                 {100, 150, 0},
                 {68719476736ull, 17179869184ull, 75}};
    for (const auto& c : cases)
        EXPECT_EQ(memoryUsagePercent(c.total, c.free), c.percent) << c.total << " " << c.free;
    EXPECT_EQ(memoryUsageText(43), "43%");
}

// Each fake answers as the system would: a wrong record length fails.
struct SizeAnswers {
    bool installedOk;
    ULONGLONG installedKib;
    bool exOk;
    DWORDLONG exBytes;
    SIZE_T oldBytes;
} answers;
BOOL WINAPI fakeInstalled(PULONGLONG kib)
{
    *kib = answers.installedKib;
    return answers.installedOk;
}
BOOL WINAPI fakeStatusEx(LPMEMORYSTATUSEX status)
{
    if (status->dwLength != sizeof(MEMORYSTATUSEX) || !answers.exOk)
        return FALSE;
    status->ullTotalPhys = answers.exBytes;
    return TRUE;
}
void WINAPI fakeStatus(LPMEMORYSTATUS status)
{
    status->dwTotalPhys = answers.oldBytes;
}

using MemoryTest = ItemTest;

TEST_F(MemoryTest, RamFallsBackThroughItsSourcesAndHasNoTimer)
{
    const MemorySizeSources all{fakeInstalled, fakeStatusEx, fakeStatus};
    const MemorySizeSources noInstalled{nullptr, fakeStatusEx, fakeStatus};
    const MemorySizeSources oldOnly{nullptr, nullptr, fakeStatus};
    const struct {
        MemorySizeSources sources;
        SizeAnswers answers;
        const char* text;
    } cases[] = {{all, {true, 16777216, true, 1ull << 30, 0}, "16.00 Gb"},
                 {all, {false, 0, true, 16651387ull << 10, 0}, "16.00 Gb"},  // no firmware size
                 {all, {false, 0, false, 0, 536870912}, "524,288 Kb"},
                 {noInstalled, {true, 16777216, true, 3758096384ull, 0}, "3.50 Gb"},
                 {oldOnly, {true, 16777216, true, 1ull << 30, 536870912}, "524,288 Kb"},
                 {MemorySizeSources{}, {true, 16777216, true, 1ull << 30, 536870912}, " Kb"}};
    for (const auto& c : cases) {
        answers = c.answers;
        Measure_RAM ram(host, settings, c.sources);
        EXPECT_EQ(ram.valueText(), c.text);
        EXPECT_FALSE(ram.hasTimer());
        EXPECT_FALSE(ram.hasChanged());
    }
}

struct Reading {
    bool ok;
    DWORDLONG total, free;
};
std::deque<Reading> readings;
BOOL WINAPI queuedStatus(LPMEMORYSTATUSEX status)
{
    Reading r = readings.empty() ? Reading{false, 0, 0} : readings.front();
    if (!readings.empty())
        readings.pop_front();
    if (status->dwLength != sizeof(MEMORYSTATUSEX) || !r.ok)
        return FALSE;
    // Physical figures as given, the commit figures ten times as large.
    status->ullTotalPhys = r.total, status->ullAvailPhys = r.free;
    status->ullTotalPageFile = r.total * 10, status->ullAvailPageFile = r.free * 10 / 2;
    return TRUE;
}

template <typename Item>
struct Probe : Item {
    using Item::Item;
    int bar() const { return this->graphPercent; }
};

TEST_F(MemoryTest, UsagePublishesOnlyAChangedPercentageAndKeepsItOnAFailedReading)
{
    readings = {{true, 100, 100}};
    Probe<Measure_PMem> used(host, settings, queuedStatus);
    EXPECT_EQ(used.valueText(), "");  // 0 % equals the starting value
    EXPECT_FALSE(used.hasChanged());
    EXPECT_EQ(used.bar(), 300);
    EXPECT_TRUE(used.hasVisibleGraph());
    EXPECT_TRUE(used.hasTimer());

    const struct {
        Reading reading;
        const char* text;
        int bar;
    } steps[] = {{{true, 100, 57}, "43%", 43},  {{true, 0, 0}, "43%", 43},
                 {{false, 100, 0}, "43%", 43},  {{true, 200, 113}, "43%", 43},
                 {{true, 100, 0}, "100%", 100}, {{true, 100, 100}, "0%", 0}};
    for (const auto& s : steps) {
        readings = {s.reading};
        used.update();
        EXPECT_EQ(used.valueText(), s.text);
        EXPECT_EQ(used.bar(), s.bar);
    }
    EXPECT_TRUE(used.hasChanged());

    readings = {{true, 100, 60}};  // commit: 1000 total, 300 free
    EXPECT_EQ(Measure_SMem(host, settings, queuedStatus).valueText(), "70%");
}

TEST_F(MemoryTest, RealSourcesGiveThisMachinesFigures)
{
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    ASSERT_TRUE(GlobalMemoryStatusEx(&status));
    double totalGib = static_cast<double>(status.ullTotalPhys) / (1 << 30);
    Measure_RAM ram(host, settings);
    ASSERT_NE(ram.valueText().find(" Gb"), std::string::npos) << ram.valueText();
    EXPECT_GE(std::atof(ram.valueText().c_str()), totalGib - 0.01) << ram.valueText();
    EXPECT_LE(std::atof(ram.valueText().c_str()), totalGib * 1.25 + 1) << ram.valueText();

    Probe<Measure_PMem> physical(host, settings);
    Probe<Measure_SMem> committed(host, settings);
    for (const auto& [text, bar] : {std::pair(physical.valueText(), physical.bar()),
                                    std::pair(committed.valueText(), committed.bar())}) {
        if (text.empty())
            continue;  // 0 % shows nothing
        EXPECT_EQ(text, std::to_string(bar) + "%");
        EXPECT_GE(bar, 0);
        EXPECT_LE(bar, 100);
    }
}

}  // namespace
