// "Processes": how many processes are running; "Processor": the processor's
// rated clock.
#pragma once

#include <string>

#include "measures/Measure.h"
#include "platform/SystemLibrary.h"

std::string processCountText(int count);
// "999 MHz" below 1000, "1.00 GHz" from there up.
std::string processorSpeedText(unsigned long mhz);

// NtQuerySystemInformation, asked only for the size of the process list.
using SystemInformationFunction = LONG(WINAPI*)(ULONG infoClass, PVOID buffer, ULONG bytes,
                                                PULONG bytesNeeded);
SystemInformationFunction SystemInformationEntry();

// How the processes item reaches the process-status library, which older
// systems may lack: the library loader and the by-name look-up; and the
// system call that sizes the list (null: every update reads the list).
struct ProcessListSources {
    HMODULE(WINAPI* load)(LPCSTR name) = LoadSystemLibrary;
    FARPROC(WINAPI* find)(HMODULE module, LPCSTR name) = GetProcAddress;
    SystemInformationFunction systemInformation = SystemInformationEntry();
};

class Measure_Processes : public Measure {
public:
    using EnumProcessesFunction = BOOL(WINAPI*)(DWORD* ids, DWORD bytes, DWORD* bytesReturned);
    // Updates in a row that may skip the list while its size stands still.
    static constexpr int kRecountEvery = 5;

    Measure_Processes(ItemHost& host, Settings& settings,
                      ProcessListSources sources = ProcessListSources{});
    void update() override;

private:
    int countProcesses();
    // The bytes a full process list needs now; 0 when the system cannot say.
    ULONG listSize();

    ProcessListSources sources_;
    int lastCount_ = 0;
    // Stays loaded for the program's lifetime, like the entry point found in it.
    HMODULE library_ = nullptr;
    EnumProcessesFunction enumerate_ = nullptr;
    ULONG lastListSize_ = 0;
    int updatesSinceCount_ = 0;
    // Grows and stays grown, so that later updates need one call.
    int capacity_ = 512;
};

// The platform's per-processor power record; MinGW's headers lack it.
struct ProcessorPowerInformation {
    ULONG Number;
    ULONG MaxMhz;
    ULONG CurrentMhz;
    ULONG MhzLimit;
    ULONG MaxIdleState;
    ULONG CurrentIdleState;
};

struct ProcessorSpeedSources {
    void(WINAPI* systemInfo)(LPSYSTEM_INFO info);
    // Null where the power library cannot be had.
    LONG(WINAPI* powerInformation)
    (POWER_INFORMATION_LEVEL level, PVOID input, ULONG inputBytes, PVOID output, ULONG outputBytes);
    // GetActiveProcessorCount, which counts every processor group; null where
    // the system lacks it.
    DWORD(WINAPI* activeProcessorCount)(WORD group);
    // Asked every minute of the run, so kept as long as the item is.
    SystemLibrary powerLibrary{};

    static ProcessorSpeedSources system();
};

class Measure_Processor : public Measure {
public:
    Measure_Processor(ItemHost& host, Settings& settings,
                      ProcessorSpeedSources sources = ProcessorSpeedSources::system());
    void update() override;

private:
    ProcessorSpeedSources sources_;
    // Grows while the power call finds the record array too small, and stays
    // grown, so that later updates need one call.
    DWORD records_ = 0;
};
