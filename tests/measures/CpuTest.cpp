// The CPU load: its arithmetic on plain samples, the item through fake sources
// and a fake host, and the item on Wine's real sources.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <string>

#include "measures/Measure_CPU.h"
#include "platform/Launch.h"
#include "support/FakeMeasure.h"

namespace {

constexpr std::uint64_t kSecond = 10000000;  // in 100 ns
constexpr std::uint64_t kTop = ~std::uint64_t{0};

// The item with the base's graph percentage in view, and a way to see whether an
// update rebuilds the text or sets the changed flag.
class ObservedCpu : public Measure_CPU {
public:
    using Measure_CPU::Measure_CPU;
    int graphPercentage() const { return graphPercent; }
    bool graphFlag() const { return hasGraph; }
    int interval() const { return refreshInterval; }
    void markUntouched()
    {
        value = "(untouched)";
        changed = false;
    }
};

// GetSystemTimes played by the test: the counts it returns next.
SystemTimes timesNow;
BOOL timesResult = TRUE;
int timesCalls = 0;
void setFiletime(FILETIME* time, std::uint64_t count)
{
    time->dwLowDateTime = static_cast<DWORD>(count);
    time->dwHighDateTime = static_cast<DWORD>(count >> 32);
}
BOOL WINAPI fakeSystemTimes(LPFILETIME idle, LPFILETIME kernel, LPFILETIME user)
{
    ++timesCalls;
    if (!timesResult)
        return FALSE;
    setFiletime(idle, timesNow.idle);
    setFiletime(kernel, timesNow.kernel);
    setFiletime(user, timesNow.user);
    return TRUE;
}

// NtQuerySystemInformation played by the test: what it answers per class, and
// how it was asked.
struct NativeAnswer {
    unsigned char processors = 4;
    IdleSample sample;
    NTSTATUS basicStatus = 0, timeStatus = 0, performanceStatus = 0;
    ULONG basicLength = 0, timeLength = 0, performanceLength = 0;
    int basicCalls = 0, timeCalls = 0, performanceCalls = 0;
    bool returnLengthAsked = false;
} native;
NTSTATUS NTAPI fakeQuery(SYSTEM_INFORMATION_CLASS infoClass, PVOID buffer, ULONG length,
                         PULONG returnLength)
{
    native.returnLengthAsked |= returnLength != nullptr;
    auto* bytes = static_cast<unsigned char*>(buffer);
    switch (infoClass) {
    case SystemBasicInformation:
        ++native.basicCalls, native.basicLength = length;
        if (native.basicStatus == 0)
            static_cast<SYSTEM_BASIC_INFORMATION*>(buffer)->NumberOfProcessors =
                static_cast<CCHAR>(native.processors);
        return native.basicStatus;
    case SystemTimeOfDayInformation:
        ++native.timeCalls, native.timeLength = length;
        if (native.timeStatus == 0)
            std::memcpy(bytes + 8, &native.sample.systemTime, 8);  // CurrentTime
        return native.timeStatus;
    case SystemPerformanceInformation:
        ++native.performanceCalls, native.performanceLength = length;
        if (native.performanceStatus == 0)
            std::memcpy(bytes, &native.sample.idle, 8);  // IdleTime
        return native.performanceStatus;
    default:
        return static_cast<NTSTATUS>(0xC0000003L);  // STATUS_INVALID_INFO_CLASS
    }
}

const CpuSources kPrimary{fakeSystemTimes, nullptr};
const CpuSources kFallback{nullptr, fakeQuery};

struct CpuTest : ItemTest {
    CpuTest()
    {
        timesNow = {}, timesResult = TRUE, timesCalls = 0;
        native = {};
    }
};

std::string describe(const std::optional<int>& load)
{
    return load ? std::to_string(*load) : "none";
}

TEST(CpuLoad, FromTwoSystemTimesSamples)
{
    const struct {
        const char* name;
        SystemTimes previous, current;
        std::optional<int> load;
    } cases[] = {
        {"since boot: 700 of 1000 busy", {}, {300, 500, 500}, 70},
        {"kernel time includes idle time", {}, {150, 200, 100}, 50},
        {"fully busy", {100, 200, 300}, {100, 700, 800}, 100},
        {"fully idle", {100, 200, 300}, {400, 500, 300}, 0},
        {"the fraction is dropped: 2 of 3", {0, 0, 0}, {1, 2, 1}, 66},
        {"one busy tick in 1000", {0, 0, 0}, {999, 1000, 0}, 0},
        {"counters that wrapped", {kTop - 49, kTop - 99, 0}, {50, 100, 0}, 50},
        {"idle beyond kernel + user (some hypervisors)", {}, {300, 200, 50}, 0},
        {"no time passed", {10, 20, 30}, {10, 20, 30}, std::nullopt},
        {"only idle moved, total still 0", {10, 20, 30}, {15, 20, 30}, std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(describe(LoadFromSystemTimes(c.previous, c.current)), describe(c.load)) << c.name;
}

TEST(CpuLoad, FromTwoIdleTimeSamples)
{
    const IdleSample start{5 * kSecond, 1000 * kSecond};
    auto after = [&](double idleSeconds, std::uint64_t seconds) {
        return IdleSample{start.idle + static_cast<std::uint64_t>(idleSeconds * kSecond),
                          start.systemTime + seconds * kSecond};
    };
    const struct {
        const char* name;
        IdleSample previous, current;
        int processors;
        std::optional<int> load;
    } cases[] = {
        {"four processors, two idle: 50.5 shows 50", start, after(2.0, 1), 4, 50},
        {"no previous sample", {0, 1000 * kSecond}, after(1.0, 1), 4, 0},
        {"one processor, a quarter idle: 75.5 shows 75", start, after(0.25, 1), 1, 75},
        {"rounded half up: 50.5 + 0.5", start, after(0.99, 1), 2, 51},
        {"all idle", start, after(4.0, 1), 4, 0},
        {"none idle", start, after(0.0, 1), 4, 100},
        {"over two seconds", start, after(4.0, 2), 4, 50},
        {"count 0 counts as one processor", start, after(0.25, 1), 0, 75},
        {"idle beyond the elapsed time: -1.5 shows 0", start, after(1.02, 1), 1, 0},
        {"system clock did not move", start, after(1.0, 0), 4, std::nullopt},
        {"clock set far back: no 32-bit number",
         start,
         {start.idle + 1000 * kSecond, start.systemTime - 1},
         1,
         std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(describe(LoadFromIdleTime(c.previous, c.current, c.processors)), describe(c.load))
            << c.name;
}

TEST_F(CpuTest, FirstPrimaryValueIsTheAverageSinceBoot)
{
    const struct {
        SystemTimes sinceBoot;
        const char* text;
        int percent;
    } cases[] = {
        {{300 * kSecond, 500 * kSecond, 500 * kSecond}, "70%", 70},
        {{0, 400, 600}, "100%", 100},
        {{1000, 1000, 0}, "0%", 0},
        {{2 * 3600 * kSecond, 3 * 3600 * kSecond, 3600 * kSecond}, "50%", 50},
    };
    for (const auto& c : cases) {
        timesNow = c.sinceBoot;
        ObservedCpu cpu(host, settings, kPrimary);
        EXPECT_EQ(cpu.valueText(), c.text);
        EXPECT_EQ(cpu.graphPercentage(), c.percent) << c.text;
        EXPECT_TRUE(cpu.hasChanged()) << c.text;
        EXPECT_EQ(cpu.name(), "CPU");
        EXPECT_TRUE(cpu.graphFlag());
        EXPECT_EQ(cpu.interval(), 1000);
        EXPECT_TRUE(cpu.hasTimer());
    }
    EXPECT_EQ(native.basicCalls + native.timeCalls + native.performanceCalls, 0);
}

TEST_F(CpuTest, TextAndChangedFlagMoveOnlyWithTheWholeNumberLoad)
{
    timesNow = {500, 1000, 0};  // 50% since boot
    ObservedCpu cpu(host, settings, kPrimary);
    ASSERT_EQ(cpu.valueText(), "50%");
    // Each row: what the times grew by over one tick, then what the item shows.
    const struct {
        SystemTimes growth;
        const char* text;
        bool changed;
        int percent;
    } ticks[] = {
        {{50, 100, 0}, "(untouched)", false, 50},  // 50% again
        {{51, 100, 0}, "49%", true, 49},
        {{0, 50, 50}, "100%", true, 100},
        {{0, 0, 1000}, "(untouched)", false, 100},  // 100% again
        {{100, 100, 0}, "0%", true, 0},
        {{1, 100, 0}, "99%", true, 99},
        {{3, 200, 100}, "(untouched)", false, 99},  // 297 of 300: 99% again
        {{4, 200, 100}, "98%", true, 98},           // 296 of 300: 98.67% drops to 98
        {{500, 200, 100}, "0%", true, 0},           // idle beyond kernel + user
    };
    int tick = 0;
    for (const auto& t : ticks) {
        ++tick;
        timesNow.idle += t.growth.idle;
        timesNow.kernel += t.growth.kernel;
        timesNow.user += t.growth.user;
        cpu.markUntouched();
        cpu.update();
        EXPECT_EQ(cpu.valueText(), t.text) << "tick " << tick;
        EXPECT_EQ(cpu.hasChanged(), t.changed) << "tick " << tick;
        EXPECT_EQ(cpu.graphPercentage(), t.percent) << "tick " << tick;
    }
}

TEST_F(CpuTest, NoTimeBetweenSamplesOrAFailedReadKeepsTheLastValue)
{
    timesNow = {370, 1000, 0};  // 63% since boot
    ObservedCpu cpu(host, settings, kPrimary);
    ASSERT_EQ(cpu.valueText(), "63%");
    // Each row: the read's result and the times it gives, then what the item shows.
    const struct {
        const char* name;
        BOOL result;
        SystemTimes now;
        const char* text;
        int percent;
    } ticks[] = {
        {"the same sample: total 0", TRUE, {370, 1000, 0}, "(untouched)", 63},
        {"a failed read", FALSE, {0, 0, 0}, "(untouched)", 63},
        // Measured from the last good sample, not from the failed read.
        {"the next good sample", TRUE, {470, 1100, 100}, "50%", 50},
        {"only idle moved: total 0", TRUE, {480, 1100, 100}, "(untouched)", 50},
    };
    for (const auto& t : ticks) {
        timesResult = t.result;
        timesNow = t.now;
        cpu.markUntouched();
        cpu.update();
        EXPECT_EQ(cpu.valueText(), t.text) << t.name;
        EXPECT_EQ(cpu.hasChanged(), std::string(t.text) != "(untouched)") << t.name;
        EXPECT_EQ(cpu.graphPercentage(), t.percent) << t.name;
    }
    EXPECT_EQ(timesCalls, 5);
}

TEST_F(CpuTest, FallbackSamplesIdleTimeAndClock)
{
    native.processors = 4;
    native.sample = {5 * kSecond, 1000 * kSecond};
    ObservedCpu cpu(host, settings, kFallback);
    // The first fallback sample always shows 0%.
    EXPECT_EQ(cpu.valueText(), "0%");
    EXPECT_EQ(cpu.graphPercentage(), 0);
    EXPECT_TRUE(cpu.hasTimer());
    // The records as the platform declares them; the time-of-day query asks for
    // the 32 bytes that every kernel fills.
    EXPECT_EQ(native.basicCalls, 1);
    EXPECT_EQ(native.basicLength, sizeof(SYSTEM_BASIC_INFORMATION));
    EXPECT_EQ(native.performanceLength, sizeof(SYSTEM_PERFORMANCE_INFORMATION));
    EXPECT_EQ(native.performanceLength, 312u);
    EXPECT_EQ(native.timeLength, 32u);
    // Each row: the statuses and the sample of one tick, then what the item shows.
    const struct {
        const char* name;
        NTSTATUS timeStatus, performanceStatus;
        IdleSample sample;
        const char* text;
        int percent;
    } ticks[] = {
        {"two of four idle over a second", 0, 0, {7 * kSecond, 1001 * kSecond}, "50%", 50},
        {"time-of-day query fails",
         static_cast<NTSTATUS>(0xC0000001L),
         0,
         {8 * kSecond, 1002 * kSecond},
         "(untouched)",
         50},
        {"performance query fails",
         0,
         static_cast<NTSTATUS>(0xC0000004L),
         {8 * kSecond, 1002 * kSecond},
         "(untouched)",
         50},
        // Measured from the last good sample: 4 idle of 8 over two seconds.
        {"the next good sample", 0, 0, {11 * kSecond, 1003 * kSecond}, "(untouched)", 50},
        {"one of four idle", 0, 0, {12 * kSecond, 1004 * kSecond}, "75%", 75},
        {"the clock did not move", 0, 0, {13 * kSecond, 1004 * kSecond}, "(untouched)", 75},
        // Measured from the sample whose clock did not move.
        {"two of four idle again", 0, 0, {15 * kSecond, 1005 * kSecond}, "50%", 50},
        {"all idle", 0, 0, {19 * kSecond, 1006 * kSecond}, "0%", 0},
    };
    for (const auto& t : ticks) {
        native.timeStatus = t.timeStatus;
        native.performanceStatus = t.performanceStatus;
        native.sample = t.sample;
        cpu.markUntouched();
        cpu.update();
        EXPECT_EQ(cpu.valueText(), t.text) << t.name;
        EXPECT_EQ(cpu.graphPercentage(), t.percent) << t.name;
    }
    EXPECT_EQ(native.basicCalls, 1);
    EXPECT_FALSE(native.returnLengthAsked);
    EXPECT_EQ(timesCalls, 0);
}

TEST_F(CpuTest, FallbackProcessorCountOfZeroCountsAsOne)
{
    // Each row: what the one basic query gives, the idle seconds of the next
    // second, then the load the item shows.
    const struct {
        const char* name;
        unsigned char processors;
        NTSTATUS basicStatus;
        std::uint64_t idle;
        const char* text;
    } cases[] = {
        {"one processor", 1, 0, kSecond / 4, "75%"},
        {"a count of 0", 0, 0, kSecond / 4, "75%"},
        {"a failed query", 4, static_cast<NTSTATUS>(0xC0000004L), kSecond / 4, "75%"},
        {"two hundred processors, read unsigned", 200, 0, 100 * kSecond, "50%"},
    };
    for (const auto& c : cases) {
        native = {};
        native.processors = c.processors;
        native.basicStatus = c.basicStatus;
        native.sample = {5 * kSecond, 1000 * kSecond};
        Measure_CPU cpu(host, settings, kFallback);
        native.sample = {5 * kSecond + c.idle, 1001 * kSecond};
        cpu.update();
        EXPECT_EQ(cpu.valueText(), c.text) << c.name;
    }
}

TEST_F(CpuTest, WithNeitherSourceTheItemShowsZeroForGood)
{
    ObservedCpu cpu(host, settings, CpuSources{});
    EXPECT_EQ(cpu.valueText(), "0%");
    EXPECT_TRUE(cpu.hasChanged());
    for (int tick = 0; tick < 3; ++tick) {
        cpu.markUntouched();
        cpu.update();
        EXPECT_EQ(cpu.valueText(), "(untouched)");
        EXPECT_FALSE(cpu.hasChanged());
    }
    EXPECT_EQ(cpu.graphPercentage(), 0);
}

TEST_F(CpuTest, ActivateStartsTheTaskManager)
{
    timesNow = {500, 1000, 0};
    Measure_CPU cpu(host, settings, kPrimary);
    EXPECT_EQ(host.launched.size(), 0u);  // nothing starts by itself
    // The 64-bit system's own task manager, also from a 32-bit build: its
    // system folder there is the 32-bit one, which may have none.
    char folder[MAX_PATH] = {};
    BOOL wow64 = FALSE;
    IsWow64Process(GetCurrentProcess(), &wow64);
    std::string expected;
    if (wow64) {
        GetWindowsDirectoryA(folder, MAX_PATH);
        expected = std::string(folder) + "\\Sysnative\\taskmgr.exe";
    } else {
        GetSystemDirectoryA(folder, MAX_PATH);
        expected = std::string(folder) + "\\taskmgr.exe";
    }
    for (int line : {1, 2}) {
        cpu.activate(line);
        EXPECT_EQ(host.launched.back(), expected) << line;
    }
    EXPECT_EQ(host.launched.size(), 2u);
}

// The folders of a 64-bit Windows, and of a machine that answers none.
UINT WINAPI systemFolder(LPWSTR path, UINT size)
{
    return lstrlenW(lstrcpynW(path, L"C:\\W\\system32", static_cast<int>(size)));
}
UINT WINAPI windowsFolder(LPWSTR path, UINT size)
{
    return lstrlenW(lstrcpynW(path, L"C:\\W", static_cast<int>(size)));
}
UINT WINAPI noFolder(LPWSTR, UINT)
{
    return 0;
}
BOOL WINAPI underWow64(HANDLE, PBOOL wow64)
{
    return *wow64 = TRUE;
}

TEST(TaskManagerPath, IsTheNativeSystemFoldersCopy)
{
    EXPECT_EQ(TaskManagerPath({systemFolder, windowsFolder, nullptr}),
              "C:\\W\\system32\\taskmgr.exe");
    EXPECT_EQ(TaskManagerPath({systemFolder, windowsFolder, underWow64}),
              "C:\\W\\Sysnative\\taskmgr.exe");
    EXPECT_EQ(TaskManagerPath({noFolder, noFolder, underWow64}), "");
}

// The value text as a load: digits and a percent sign, or -1 when it is not one.
int shownLoad(const std::string& text)
{
    if (text.size() < 2 || text.size() > 4 || text.back() != '%')
        return -1;
    for (size_t i = 0; i + 1 < text.size(); ++i)
        if (text[i] < '0' || text[i] > '9')
            return -1;
    return std::stoi(text);
}

TEST_F(CpuTest, RealSystemTimesGiveALoadFrom0To100)
{
    CpuSources real = CpuSources::resolve();
    EXPECT_NE(real.systemTimes, nullptr);
    EXPECT_EQ(real.query, nullptr);  // looked up only where GetSystemTimes is missing
    ObservedCpu cpu(host, settings);
    int sinceBoot = shownLoad(cpu.valueText());
    EXPECT_GE(sinceBoot, 0) << cpu.valueText();
    EXPECT_LE(sinceBoot, 100) << cpu.valueText();
    EXPECT_EQ(cpu.graphPercentage(), sinceBoot);
    // The next update measures the time since the first.
    cpu.markUntouched();
    Sleep(500);
    cpu.update();
    // An unchanged load leaves the text alone; a changed one must be a load.
    if (cpu.hasChanged()) {
        int lastSecond = shownLoad(cpu.valueText());
        EXPECT_GE(lastSecond, 0) << cpu.valueText();
        EXPECT_LE(lastSecond, 100) << cpu.valueText();
        EXPECT_EQ(cpu.graphPercentage(), lastSecond);
    }
}

// The real native query, watched: Wine's answer to the record sizes used.
CpuSources::QueryFunction realQuery = nullptr;
NTSTATUS realStatuses[4] = {};
unsigned realProcessors = 0;
NTSTATUS NTAPI watchedQuery(SYSTEM_INFORMATION_CLASS infoClass, PVOID buffer, ULONG length,
                            PULONG returnLength)
{
    NTSTATUS status = realQuery(infoClass, buffer, length, returnLength);
    int index = static_cast<int>(infoClass);
    if (index >= 0 && index < 4)
        realStatuses[index] = status;
    if (infoClass == SystemBasicInformation)
        realProcessors = static_cast<unsigned char>(
            static_cast<SYSTEM_BASIC_INFORMATION*>(buffer)->NumberOfProcessors);
    return status;
}

TEST_F(CpuTest, RealNativeQueryAcceptsTheRecords)
{
    realQuery = reinterpret_cast<CpuSources::QueryFunction>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("ntdll"), "NtQuerySystemInformation")));
    ASSERT_NE(realQuery, nullptr);
    std::fill(std::begin(realStatuses), std::end(realStatuses), static_cast<NTSTATUS>(-1));
    ObservedCpu cpu(host, settings, CpuSources{nullptr, watchedQuery});
    EXPECT_EQ(realStatuses[SystemBasicInformation], 0);
    EXPECT_EQ(realStatuses[SystemTimeOfDayInformation], 0);
    EXPECT_EQ(realStatuses[SystemPerformanceInformation], 0);
    SYSTEM_INFO info{};
    GetSystemInfo(&info);
    EXPECT_EQ(realProcessors, info.dwNumberOfProcessors);
    EXPECT_EQ(cpu.valueText(), "0%");  // the first fallback sample
    Sleep(300);
    cpu.update();
    EXPECT_EQ(cpu.valueText().back(), '%');
    EXPECT_EQ(realStatuses[SystemTimeOfDayInformation], 0);
    EXPECT_EQ(realStatuses[SystemPerformanceInformation], 0);
}

}  // namespace
