// "RAM", "RAM Used" and "Mem Used": the size of physical memory, and how much
// of physical memory and of the commit limit is in use.
#pragma once

#include <string>

#include "measures/Measure.h"

// "16.00 Gb" from one GiB up, a whole number of GiB when it is less than 1 %
// above the size; below that the KiB with thousands separators ("524,288 Kb").
std::string installedMemoryText(unsigned long long kib);
// Whole percent of total in use; free above total counts as nothing in use.
unsigned long long memoryUsagePercent(unsigned long long total, unsigned long long free);
std::string memoryUsageText(unsigned long long percent);

// Where the RAM item reads the memory size: each entry may be null when the
// system lacks it, and the next one is tried.
struct MemorySizeSources {
    using InstalledMemory = BOOL(WINAPI*)(PULONGLONG kib);
    using MemoryStatusEx = BOOL(WINAPI*)(LPMEMORYSTATUSEX status);
    using MemoryStatus = void(WINAPI*)(LPMEMORYSTATUS status);

    InstalledMemory installed = nullptr;
    MemoryStatusEx statusEx = nullptr;
    MemoryStatus status = nullptr;

    // The running system's functions, looked up by name in kernel32.
    static MemorySizeSources system();
};

class Measure_RAM : public Measure {
public:
    Measure_RAM(ItemHost& host, Settings& settings,
                MemorySizeSources sources = MemorySizeSources::system());
    void update() override;

private:
    unsigned long long sizeInKib() const;

    MemorySizeSources sources_;
};

// The two usage items share one algorithm over different fields of one record.
class MemoryUsageItem : public Measure {
public:
    using MemoryStatusSource = BOOL(WINAPI*)(LPMEMORYSTATUSEX status);
    void update() override;

protected:
    // The total and the free amount this item compares.
    using Pair = void (*)(const MEMORYSTATUSEX& status, DWORDLONG& total, DWORDLONG& free);

    MemoryUsageItem(ItemHost& host, Settings& settings, const char* name, Pair pair,
                    MemoryStatusSource source);

private:
    Pair pair_;
    MemoryStatusSource source_;
    // Starts at 0, so a first reading of 0 % leaves the value text empty.
    unsigned long long lastPercent_ = 0;
};

class Measure_PMem : public MemoryUsageItem {
public:
    Measure_PMem(ItemHost& host, Settings& settings,
                 MemoryStatusSource source = GlobalMemoryStatusEx);
};

class Measure_SMem : public MemoryUsageItem {
public:
    Measure_SMem(ItemHost& host, Settings& settings,
                 MemoryStatusSource source = GlobalMemoryStatusEx);
};
