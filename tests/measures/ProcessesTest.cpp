// The process count and processor speed through settable system sources.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "measures/Measure_Processes.h"
#include "support/FakeMeasure.h"

namespace {

TEST(ProcessorTextTest, SpeedSwitchesToGhzAtOneThousandMhz)
{
    const struct {
        unsigned long mhz;
        const char* text;
    } cases[] = {{999, "999 MHz"},   {1000, "1.00 GHz"}, {3400, "3.40 GHz"},
                 {2667, "2.67 GHz"}, {800, "800 MHz"},   {0, "0 MHz"}};
    for (const auto& c : cases)
        EXPECT_EQ(processorSpeedText(c.mhz), c.text);
}

// A process list of a given length, as EnumProcesses reports it.
int running = 0;
int failAtCall = 0;  // 1-based call that fails without writing its count; 0 none
std::vector<DWORD> sizesOffered;
BOOL WINAPI fakeEnumProcesses(DWORD* ids, DWORD bytes, DWORD* returned)
{
    sizesOffered.push_back(bytes);
    if (static_cast<int>(sizesOffered.size()) == failAtCall)
        return FALSE;
    DWORD fits = std::min<DWORD>(static_cast<DWORD>(running), bytes / sizeof(DWORD));
    for (DWORD i = 0; i < fits; ++i)
        ids[i] = (i + 1) * 4;
    *returned = fits * sizeof(DWORD);
    return TRUE;
}

// The library and its entry point turn up only after so many attempts.
HMODULE const fakeLibrary = reinterpret_cast<HMODULE>(static_cast<UINT_PTR>(0x7ff00000));
int loads = 0, finds = 0, missingLoads = 0, missingFinds = 0;
HMODULE WINAPI fakeLoad(LPCSTR name)
{
    return (++loads > missingLoads && lstrcmpiA(name, "PSAPI.DLL") == 0) ? fakeLibrary : nullptr;
}
FARPROC WINAPI fakeFind(HMODULE module, LPCSTR name)
{
    if (++finds <= missingFinds || module != fakeLibrary || lstrcmpA(name, "EnumProcesses") != 0)
        return nullptr;
    return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(fakeEnumProcesses));
}
const ProcessListSources fakeList{fakeLoad, fakeFind, nullptr};

void resetList(int processes)
{
    running = processes, failAtCall = 0, loads = finds = missingLoads = missingFinds = 0;
    sizesOffered.clear();
}

using ProcessesTest = ItemTest;

TEST_F(ProcessesTest, BufferDoublesWhileFullAndKeepsItsGrownSize)
{
    const struct {
        int processes;
        std::vector<DWORD> first, later;
    } cases[] = {{8, {2048}, {2048}},
                 {511, {2048}, {2048}},
                 {512, {2048, 4096}, {4096}},
                 {600, {2048, 4096}, {4096}},
                 {2100, {2048, 4096, 8192, 16384}, {16384}}};
    for (const auto& c : cases) {
        resetList(c.processes);
        Measure_Processes processes(host, settings, fakeList);
        EXPECT_EQ(sizesOffered, c.first) << c.processes;
        EXPECT_EQ(processes.valueText(), std::to_string(c.processes));
        EXPECT_TRUE(processes.hasChanged());
        EXPECT_TRUE(processes.hasTimer());
        sizesOffered.clear();
        processes.update();
        EXPECT_EQ(sizesOffered, c.later) << c.processes;
    }
}

TEST_F(ProcessesTest, MissingSourcesAreRetriedAndAFailedCallEndsTheAttempts)
{
    resetList(30);
    missingLoads = missingFinds = 1;
    Measure_Processes processes(host, settings, fakeList);
    for (const char* text : {"", "", "30", "30"}) {  // no library, no entry point, found
        EXPECT_EQ(processes.valueText(), text);
        processes.update();
    }
    EXPECT_EQ(loads, 2);
    EXPECT_EQ(finds, 2);

    // A call that fails before writing its count ends the update's attempts
    // with a count of 0; a full first answer still counts when the retry fails.
    const struct {
        int processes, failAt;
        std::vector<DWORD> offered;
        const char* text;
    } cases[] = {{40, 1, {2048}, "0"}, {600, 2, {2048, 4096}, "512"}};
    for (const auto& c : cases) {
        resetList(30);
        Measure_Processes item(host, settings, fakeList);
        running = c.processes, failAtCall = c.failAt;
        sizesOffered.clear();
        item.update();
        EXPECT_EQ(sizesOffered, c.offered);
        EXPECT_EQ(item.valueText(), c.text);
    }
}

// The list's size as the system call gives it when asked without a buffer.
ULONG listBytes = 0;
LONG WINAPI fakeSystemInformation(ULONG infoClass, PVOID buffer, ULONG bytes, PULONG needed)
{
    if (infoClass != 5 || buffer != nullptr || bytes != 0)
        return static_cast<LONG>(0xC0000001);
    *needed = listBytes;
    return static_cast<LONG>(0xC0000004);
}

TEST_F(ProcessesTest, ListIsReadWhenItsSizeMovesAndEveryFewUpdatesWhileItStands)
{
    resetList(30);
    listBytes = 4000;
    Measure_Processes processes(host, settings, {fakeLoad, fakeFind, fakeSystemInformation});
    // A start and an end that leave the size as it was show at the latest
    // with the count taken every few updates.
    running = 31;
    for (int i = 1; i < Measure_Processes::kRecountEvery; ++i)
        processes.update();
    EXPECT_EQ(processes.valueText(), "30");
    EXPECT_EQ(sizesOffered.size(), 1u);
    processes.update();
    EXPECT_EQ(processes.valueText(), "31");
    // A size that moves has the list read at once.
    running = 32, listBytes = 4100;
    processes.update();
    EXPECT_EQ(processes.valueText(), "32");
    EXPECT_EQ(sizesOffered.size(), 3u);
}

// One record per processor, as CallNtPowerInformation fills them.
DWORD processorCount = 0;
std::vector<ProcessorPowerInformation> records;
LONG powerStatus = 0;
bool requestWellFormed = false;
int powerCalls = 0;
DWORD allGroupsCount = 0;
void WINAPI fakeSystemInfo(LPSYSTEM_INFO info)
{
    *info = SYSTEM_INFO{};
    info->dwNumberOfProcessors = processorCount;
}
DWORD WINAPI fakeAllGroups(WORD group)
{
    return group == 0xFFFF ? allGroupsCount : 0;
}
LONG WINAPI fakePower(POWER_INFORMATION_LEVEL level, PVOID input, ULONG inputBytes, PVOID output,
                      ULONG outputBytes)
{
    ++powerCalls;
    requestWellFormed = level == ProcessorInformation && input == nullptr && inputBytes == 0
                        && outputBytes == processorCount * sizeof(ProcessorPowerInformation);
    if (powerStatus != 0)
        return powerStatus;
    if (outputBytes < records.size() * sizeof(ProcessorPowerInformation))
        return static_cast<LONG>(0xC0000023);  // buffer too small
    std::copy(records.begin(), records.end(), static_cast<ProcessorPowerInformation*>(output));
    return 0;
}
const ProcessorSpeedSources fakeSpeed{fakeSystemInfo, fakePower, nullptr};

TEST_F(ProcessesTest, ProcessorShowsTheLastRecordsRatedClockOrItsCurrentOneInstead)
{
    const struct {
        std::vector<ProcessorPowerInformation> records;
        const char* text;
    } cases[] = {{{{0, 3400, 1200, 3400, 0, 0}}, "3.40 GHz"},
                 {{{0, 999, 800, 999, 0, 0}, {1, 2667, 800, 2667, 0, 0}}, "2.67 GHz"},
                 {{{0, 0, 2400, 0, 0, 0}, {1, 0, 2395, 0, 0, 0}}, "2.40 GHz"},  // virtual machine
                 {{{0, 0, 999, 0, 0, 0}}, "999 MHz"}};
    for (const auto& c : cases) {
        records = c.records;
        processorCount = static_cast<DWORD>(records.size()), powerStatus = 0;
        Measure_Processor processor(host, settings, fakeSpeed);
        EXPECT_TRUE(requestWellFormed);
        EXPECT_EQ(processor.valueText(), c.text);
        EXPECT_TRUE(processor.hasTimer());

        processor.clearChanged();
        processor.update();
        EXPECT_FALSE(processor.hasChanged());  // the same text again
        powerStatus = static_cast<LONG>(0xC0000023);
        processor.update();
        EXPECT_EQ(processor.valueText(), c.text);  // a failed call keeps the text
        EXPECT_FALSE(processor.hasChanged());
    }
}

// More processors than one group, or than a 32-bit program is told of: the
// array grows until the call fills it, and stays grown.
TEST_F(ProcessesTest, ProcessorTextOnMachinesWithManyProcessors)
{
    const struct {
        DWORD processors, systemInfo, allGroups;
        int calls;
    } cases[] = {{40, 32, 0, 2}, {64, 32, 0, 2}, {65, 64, 65, 1}, {65, 64, 0, 2}, {256, 64, 64, 3}};
    for (const auto& c : cases) {
        records.assign(c.processors, {0, 3400, 1200, 3400, 0, 0});
        records.back().MaxMhz = 2667;  // the last one filled decides
        processorCount = c.systemInfo, allGroupsCount = c.allGroups, powerStatus = 0;
        powerCalls = 0;
        auto allGroups = c.allGroups != 0 ? fakeAllGroups : nullptr;
        Measure_Processor processor(host, settings, {fakeSystemInfo, fakePower, allGroups});
        EXPECT_EQ(processor.valueText(), "2.67 GHz") << c.processors;
        EXPECT_EQ(powerCalls, c.calls) << c.processors;
        processor.update();
        EXPECT_EQ(powerCalls, c.calls + 1) << c.processors;
    }
}

TEST_F(ProcessesTest, RealSourcesGiveThisMachinesFigures)
{
    Measure_Processes processes(host, settings);
    EXPECT_GT(std::atoi(processes.valueText().c_str()), 0) << processes.valueText();
    // Asked without a buffer, the system names the size the item watches.
    ULONG needed = 0;
    EXPECT_EQ(SystemInformationEntry()(5, nullptr, 0, &needed), static_cast<LONG>(0xC0000004));
    EXPECT_GT(needed, 0u);
    Measure_Processor processor(host, settings);
    const std::string& speed = processor.valueText();
    ASSERT_GE(speed.size(), 5u);
    EXPECT_EQ(speed.substr(speed.size() - 2), "Hz") << speed;
    EXPECT_NE(speed, "0 MHz");
}

}  // namespace
