// The CPU load item: two samples of the processor times, one percentage.
#include "measures/Measure_CPU.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/Launch.h"
#include "platform/SystemLibrary.h"

namespace {

// Kernels before Vista keep a 32-byte time-of-day record and reject any longer
// buffer; later ones copy as much as is asked for. The fallback matters only on
// systems without GetSystemTimes, so it asks for those 32 bytes, never more.
constexpr ULONG kTimeOfDayLength = 32;
static_assert(kTimeOfDayLength <= sizeof(SYSTEM_TIMEOFDAY_INFORMATION),
              "the time-of-day record holds the part every kernel fills");

// Offsets of the one field read from each native record. Some SDKs declare
// these records as reserved bytes only, so the fields are read by offset.
constexpr std::size_t kIdleTimeOffset = 0;     // SYSTEM_PERFORMANCE_INFORMATION
constexpr std::size_t kCurrentTimeOffset = 8;  // SYSTEM_TIMEOFDAY_INFORMATION

std::uint64_t ReadUint64(const void* record, std::size_t offset)
{
    std::uint64_t value;
    std::memcpy(&value, static_cast<const unsigned char*>(record) + offset, sizeof value);
    return value;
}

std::uint64_t ToUint64(const FILETIME& time)
{
    return (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

// A 64-bit time as a LARGE_INTEGER reads: high half signed, low half unsigned.
double ToDouble(std::uint64_t value)
{
    auto high = static_cast<std::int32_t>(static_cast<std::uint32_t>(value >> 32));
    auto low = static_cast<std::uint32_t>(value);
    return static_cast<double>(high) * 4294967296.0 + static_cast<double>(low);
}

}  // namespace

std::optional<int> LoadFromSystemTimes(const SystemTimes& previous, const SystemTimes& current)
{
    std::uint64_t idle = current.idle - previous.idle;
    std::uint64_t total = (current.kernel - previous.kernel) + (current.user - previous.user);
    if (total == 0)
        return std::nullopt;
    // Some hypervisors let the idle time grow by more than kernel and user
    // together; unclamped, the busy time would wrap to a huge number.
    std::uint64_t busy = idle < total ? total - idle : 0;
    return static_cast<int>(static_cast<std::uint32_t>(busy * 100 / total));
}

std::optional<int> LoadFromIdleTime(const IdleSample& previous, const IdleSample& current,
                                    int processors)
{
    if (previous.idle == 0)
        return 0;
    if (current.systemTime == previous.systemTime)
        return std::nullopt;
    double idleFraction = (ToDouble(current.idle) - ToDouble(previous.idle))
                          / (ToDouble(current.systemTime) - ToDouble(previous.systemTime));
    double load = 100.0 - idleFraction * 100.0 / (processors < 1 ? 1 : processors) + 0.5;
    // A clock set back can make any number; only a 32-bit one converts soundly.
    if (!std::isfinite(load) || load <= static_cast<double>(INT_MIN) - 1.0
        || load >= static_cast<double>(INT_MAX) + 1.0)
        return std::nullopt;
    return std::clamp(static_cast<int>(load), 0, 100);
}

CpuSources CpuSources::resolve()
{
    CpuSources sources;
    sources.systemTimes =
        EntryPoint<SystemTimesFunction>(GetModuleHandleW(L"kernel32.dll"), "GetSystemTimes");
    if (sources.systemTimes == nullptr)
        sources.query =
            EntryPoint<QueryFunction>(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation");
    return sources;
}

Measure_CPU::Measure_CPU(ItemHost& host, Settings& settings, CpuSources sources)
    : Measure(host, settings, "CPU"), sources_(sources)
{
    refreshInterval = 1000;
    hasGraph = true;
    if (sources_.systemTimes == nullptr && sources_.query != nullptr) {
        // The record differs between 32- and 64-bit builds, and the kernel wants
        // exactly its own size. Its status is not examined: a failed query
        // leaves the count 0, which counts as one processor.
        SYSTEM_BASIC_INFORMATION basic{};
        sources_.query(SystemBasicInformation, &basic, sizeof basic, nullptr);
        int count = static_cast<unsigned char>(basic.NumberOfProcessors);
        processors_ = count > 0 ? count : 1;
    }
    update();
    resetTimer(false);
}

void Measure_CPU::activate(int)
{
    std::string taskManager = TaskManagerPath();
    if (!taskManager.empty())
        host.launch(taskManager.c_str());
}

void Measure_CPU::update()
{
    std::optional<int> load = 0;  // neither source: 0% for good
    if (sources_.systemTimes != nullptr)
        load = samplePrimary();
    else if (sources_.query != nullptr)
        load = sampleFallback();
    if (load)
        publish(*load);
}

std::optional<int> Measure_CPU::samplePrimary()
{
    FILETIME idle{}, kernel{}, user{};
    // A failed call fills nothing; measuring from it would show nonsense.
    if (!sources_.systemTimes(&idle, &kernel, &user))
        return std::nullopt;
    SystemTimes current{ToUint64(idle), ToUint64(kernel), ToUint64(user)};
    std::optional<int> load = LoadFromSystemTimes(previousTimes_, current);
    previousTimes_ = current;
    return load;
}

std::optional<int> Measure_CPU::sampleFallback()
{
    // A failing query changes nothing, not even the previous sample.
    SYSTEM_TIMEOFDAY_INFORMATION timeOfDay{};
    if (sources_.query(SystemTimeOfDayInformation, &timeOfDay, kTimeOfDayLength, nullptr) != 0)
        return std::nullopt;
    SYSTEM_PERFORMANCE_INFORMATION performance{};
    if (sources_.query(SystemPerformanceInformation, &performance, sizeof performance, nullptr)
        != 0)
        return std::nullopt;
    IdleSample current{ReadUint64(&performance, kIdleTimeOffset),
                       ReadUint64(&timeOfDay, kCurrentTimeOffset)};
    std::optional<int> load = LoadFromIdleTime(previousIdle_, current, processors_);
    previousIdle_ = current;
    return load;
}

void Measure_CPU::publish(int load)
{
    if (load == lastLoad_)
        return;
    char text[10];
    std::snprintf(text, sizeof text, "%d%%", load);
    value = text;
    lastLoad_ = load;
    graphPercent = load;
    changed = true;
}
