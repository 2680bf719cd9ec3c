// "CPU": the system-wide processor load in whole percent, refreshed every
// second, drawn with a bar; a double-click starts the task manager.
#pragma once

#include <windows.h>
#include <winternl.h>

#include <cstdint>
#include <optional>

#include "measures/Measure.h"

// One GetSystemTimes sample: times summed over all processors, in 100 ns.
// The kernel time includes the idle time.
struct SystemTimes {
    std::uint64_t idle = 0;
    std::uint64_t kernel = 0;
    std::uint64_t user = 0;
};

// One NtQuerySystemInformation sample, in 100 ns: the idle time summed over all
// processors and the system clock. An idle time of 0 means "no sample yet".
struct IdleSample {
    std::uint64_t idle = 0;
    std::uint64_t systemTime = 0;
};

// The load between two GetSystemTimes samples: busy × 100 ÷ total, unsigned
// 64-bit, busy kept within 0 … total. None when no time
// passed between them (a total of 0), so the caller keeps what it shows.
std::optional<int> LoadFromSystemTimes(const SystemTimes& previous, const SystemTimes& current);

// The load between two fallback samples: 100 − idle fraction × 100 ÷ processors,
// rounded half up and kept within 0 … 100. 0 when previous is no sample yet;
// none when the system clock did not move or the result is no 32-bit number.
// A processor count below 1 counts as 1.
std::optional<int> LoadFromIdleTime(const IdleSample& previous, const IdleSample& current,
                                    int processors);

// The two sources of processor times, as the platform declares them. Tests pass
// fakes; a null entry is a source the system lacks.
struct CpuSources {
    using SystemTimesFunction = BOOL(WINAPI*)(LPFILETIME idle, LPFILETIME kernel, LPFILETIME user);
    using QueryFunction = NTSTATUS(NTAPI*)(SYSTEM_INFORMATION_CLASS infoClass, PVOID buffer,
                                           ULONG length, PULONG returnLength);

    SystemTimesFunction systemTimes = nullptr;
    QueryFunction query = nullptr;

    // GetSystemTimes from Kernel32.dll; NtQuerySystemInformation from ntdll
    // only when GetSystemTimes is missing. Both by name, never linked.
    static CpuSources resolve();
};

class Measure_CPU : public Measure {
public:
    Measure_CPU(ItemHost& host, Settings& settings, CpuSources sources = CpuSources::resolve());

    // Starts the task manager; the line does not matter.
    void activate(int line) override;
    void update() override;

private:
    // Each returns the load to show, or none to keep the one shown.
    std::optional<int> samplePrimary();
    std::optional<int> sampleFallback();
    void publish(int load);

    // No sample produces 200, so the first one always sets the text.
    int lastLoad_ = 200;
    IdleSample previousIdle_;
    int processors_ = 1;
    CpuSources sources_;
    SystemTimes previousTimes_;
};
