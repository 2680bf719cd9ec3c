// The memory size and memory usage items.
#include "measures/Measure_Memory.h"

#include <cmath>
#include <cstdio>
#include <vector>

#include "platform/SystemLibrary.h"

namespace {

void physicalPair(const MEMORYSTATUSEX& status, DWORDLONG& total, DWORDLONG& free)
{
    total = status.ullTotalPhys;
    free = status.ullAvailPhys;
}

void commitPair(const MEMORYSTATUSEX& status, DWORDLONG& total, DWORDLONG& free)
{
    total = status.ullTotalPageFile;
    free = status.ullAvailPageFile;
}

}  // namespace

std::string installedMemoryText(unsigned long long kib)
{
    char text[15] = {};
    if (kib >= 1048576) {
        double gib = static_cast<double>(kib) * 9.5367431640625e-07;
        // Firmware and the system keep some memory back, so 15.88 GiB usable
        // is a 16 GiB machine: round up when the next whole GiB is that close.
        double whole = std::ceil(gib);
        if (std::fabs((whole - gib) * 100.0 / gib) < 1.0)
            gib = whole;
        std::snprintf(text, sizeof text, "%0.2f Gb", gib);
        return text;
    }
    std::vector<unsigned> groups;
    for (; kib > 0; kib /= 1000)
        groups.push_back(static_cast<unsigned>(kib % 1000));
    std::string result;
    for (auto group = groups.rbegin(); group != groups.rend(); ++group) {
        std::snprintf(text, sizeof text, group == groups.rbegin() ? "%u" : ",%03u", *group);
        result += text;
    }
    return result + " Kb";
}

unsigned long long memoryUsagePercent(unsigned long long total, unsigned long long free)
{
    if (total == 0 || free >= total)
        return 0;
    return (total - free) * 100 / total;
}

std::string memoryUsageText(unsigned long long percent)
{
    char text[15] = {};
    std::snprintf(text, sizeof text, "%u%%", static_cast<unsigned>(percent));
    return text;
}

MemorySizeSources MemorySizeSources::system()
{
    MemorySizeSources sources;
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    if (kernel == nullptr)
        return sources;
    sources.installed = EntryPoint<InstalledMemory>(kernel, "GetPhysicallyInstalledSystemMemory");
    sources.statusEx = EntryPoint<MemoryStatusEx>(kernel, "GlobalMemoryStatusEx");
    sources.status = GlobalMemoryStatus;
    return sources;
}

Measure_RAM::Measure_RAM(ItemHost& host, Settings& settings, MemorySizeSources sources)
    : Measure(host, settings, "RAM"), sources_(sources)
{
    update();
    resetTimer(false);
}

unsigned long long Measure_RAM::sizeInKib() const
{
    // The installed size fails on machines whose firmware tables give no
    // memory size; the usable total is the next best answer.
    ULONGLONG installed = 0;
    if (sources_.installed != nullptr && sources_.installed(&installed))
        return installed;
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    if (sources_.statusEx != nullptr && sources_.statusEx(&status))
        return static_cast<unsigned long long>(static_cast<double>(status.ullTotalPhys)
                                               * 0.0009765625);
    if (sources_.status != nullptr) {
        MEMORYSTATUS old{};
        old.dwLength = sizeof old;
        sources_.status(&old);
        return old.dwTotalPhys >> 10;
    }
    return 0;
}

void Measure_RAM::update()
{
    value = installedMemoryText(sizeInKib());
}

MemoryUsageItem::MemoryUsageItem(ItemHost& host, Settings& settings, const char* name, Pair pair,
                                 MemoryStatusSource source)
    : Measure(host, settings, name), pair_(pair), source_(source)
{
    refreshInterval = 1000;
    hasGraph = true;
    update();
    resetTimer(false);
}

void MemoryUsageItem::update()
{
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    DWORDLONG total = 0, free = 0;
    if (source_(&status))
        pair_(status, total, free);
    // No reading is no news: keep showing the last percentage.
    if (total == 0)
        return;
    unsigned long long percent = memoryUsagePercent(total, free);
    if (percent == lastPercent_)
        return;
    value = memoryUsageText(percent);
    lastPercent_ = percent;
    graphPercent = static_cast<int>(percent);
    changed = true;
}

Measure_PMem::Measure_PMem(ItemHost& host, Settings& settings, MemoryStatusSource source)
    : MemoryUsageItem(host, settings, "RAM Used", physicalPair, source)
{
}

Measure_SMem::Measure_SMem(ItemHost& host, Settings& settings, MemoryStatusSource source)
    : MemoryUsageItem(host, settings, "Mem Used", commitPair, source)
{
}
