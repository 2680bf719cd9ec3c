// The process count and processor speed items.
#include "measures/Measure_Processes.h"

#include <powrprof.h>

#include <algorithm>
#include <cstdio>
#include <utility>
#include <vector>

#include "platform/SystemLibrary.h"

namespace {

// Far beyond any real process count; stops the doubling should a list
// source keep reporting a full array.
constexpr int maximumCapacity = 1 << 24;

constexpr LONG kBufferTooSmall = static_cast<LONG>(0xC0000023);
constexpr LONG kLengthMismatch = static_cast<LONG>(0xC0000004);
constexpr ULONG kProcessInformation = 5;
constexpr WORD kAllProcessorGroups = 0xFFFF;
// Far beyond any real machine; stops the growing should the power call keep
// answering "too small".
constexpr DWORD kMaximumProcessors = 1 << 14;

// Every active processor: the system information counts one group only, and
// at most 32 processors in a 32-bit process on 64-bit Windows.
DWORD processorCount(const ProcessorSpeedSources& sources)
{
    DWORD count = sources.activeProcessorCount != nullptr
                      ? sources.activeProcessorCount(kAllProcessorGroups)
                      : 0;
    if (count == 0) {
        SYSTEM_INFO info{};
        sources.systemInfo(&info);
        count = info.dwNumberOfProcessors;
    }
    return count;
}

}  // namespace

SystemInformationFunction SystemInformationEntry()
{
    return EntryPoint<SystemInformationFunction>(GetModuleHandleW(L"ntdll.dll"),
                                                 "NtQuerySystemInformation");
}

std::string processCountText(int count)
{
    char text[15] = {};
    std::snprintf(text, sizeof text, "%d", count);
    return text;
}

std::string processorSpeedText(unsigned long mhz)
{
    char text[15] = {};
    if (mhz < 1000)
        std::snprintf(text, sizeof text, "%lu MHz", mhz);
    else
        std::snprintf(text, sizeof text, "%0.2f GHz", static_cast<double>(mhz) / 1000.0);
    return text;
}

Measure_Processes::Measure_Processes(ItemHost& host, Settings& settings, ProcessListSources sources)
    : Measure(host, settings, "Processes"), sources_(sources)
{
    // Once a second, with the clock: a count that moves half a second later
    // is never missed, and the list is the costliest query of all.
    refreshInterval = 1000;
    update();
    resetTimer(false);
}

int Measure_Processes::countProcesses()
{
    // Both are retried at every update until they succeed.
    if (library_ == nullptr)
        library_ = sources_.load("PSAPI.DLL");
    if (enumerate_ == nullptr && library_ != nullptr)
        enumerate_ = reinterpret_cast<EnumProcessesFunction>(
            reinterpret_cast<void*>(sources_.find(library_, "EnumProcesses")));
    if (enumerate_ == nullptr)
        return 0;

    int count = 0;
    for (;;) {
        std::vector<DWORD> ids(static_cast<size_t>(capacity_));
        DWORD size = static_cast<DWORD>(ids.size() * sizeof(DWORD));
        DWORD returned = 0;
        // A full array may have cut the list short; a failed call says nothing
        // about the array, so it ends the attempts.
        if (!enumerate_(ids.data(), size, &returned))
            break;
        count = static_cast<int>(returned / sizeof(DWORD));
        if (returned < size || capacity_ >= maximumCapacity)
            break;
        capacity_ *= 2;
    }
    return count;
}

ULONG Measure_Processes::listSize()
{
    ULONG needed = 0;
    if (sources_.systemInformation == nullptr
        || sources_.systemInformation(kProcessInformation, nullptr, 0, &needed) != kLengthMismatch)
        return 0;
    return needed;
}

void Measure_Processes::update()
{
    // Under Wine a process list reads every process's and thread's figures
    // from the host, while its size alone is one question to the server. The
    // size moves with every process and thread that starts or ends, so while
    // it stands still the count does too; a start and an end elsewhere that
    // happen to cancel out are caught by the count taken every few updates.
    ULONG size = listSize();
    if (size != 0 && size == lastListSize_ && ++updatesSinceCount_ < kRecountEvery)
        return;
    updatesSinceCount_ = 0;
    int count = countProcesses();
    // A list that could not be read is asked again at the next update.
    lastListSize_ = enumerate_ != nullptr ? size : 0;
    if (count == lastCount_)
        return;
    value = processCountText(count);
    lastCount_ = count;
    changed = true;
}

ProcessorSpeedSources ProcessorSpeedSources::system()
{
    using CountFunction = DWORD(WINAPI*)(WORD group);
    SystemLibrary power("powrprof.dll");
    auto information = power.entry<decltype(&CallNtPowerInformation)>("CallNtPowerInformation");
    return {GetSystemInfo, information,
            EntryPoint<CountFunction>(GetModuleHandleW(L"kernel32.dll"), "GetActiveProcessorCount"),
            std::move(power)};
}

Measure_Processor::Measure_Processor(ItemHost& host, Settings& settings,
                                     ProcessorSpeedSources sources)
    : Measure(host, settings, "Processor"), sources_(sources)
{
    refreshInterval = 60000;
    update();
    resetTimer(false);
}

void Measure_Processor::update()
{
    records_ = std::max(records_, processorCount(sources_));
    if (records_ == 0 || sources_.powerInformation == nullptr)
        return;
    std::vector<ProcessorPowerInformation> records;
    LONG status;
    for (;;) {
        records.assign(records_, ProcessorPowerInformation{});
        status = sources_.powerInformation(ProcessorInformation, nullptr, 0, records.data(),
                                           static_cast<ULONG>(records.size()
                                                              * sizeof(ProcessorPowerInformation)));
        if (status != kBufferTooSmall || records_ >= kMaximumProcessors)
            break;
        records_ *= 2;
    }
    if (status != 0)
        return;
    // The records are alike in practice; the last one filled decides the text.
    // A grown array may end in records the call left empty.
    const ProcessorPowerInformation* shown = &records.front();
    for (const ProcessorPowerInformation& record : records)
        if (record.MaxMhz != 0 || record.CurrentMhz != 0)
            shown = &record;
    // Virtual machines report a rated maximum of 0; the current clock is the
    // only figure they give.
    std::string text = processorSpeedText(shown->MaxMhz != 0 ? shown->MaxMhz : shown->CurrentMhz);
    if (text != value) {
        value = text;
        changed = true;
    }
}
