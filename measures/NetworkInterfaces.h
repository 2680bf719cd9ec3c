// The network entries the overlay can show (the dial-up totals, then each
// interface) and their send and receive rates in bytes per second.
#pragma once

#include <pdh.h>

#include <cstdint>
#include <string>
#include <vector>

// The IP helper's interface table (MIB_IF_TABLE2). Only named here, so that
// includers need not order the socket headers before windows.h.
struct _MIB_IF_TABLE2;

// The calls the list makes, as the platform declares them. Tests play a system
// with counters, one without, and so on.
struct NetworkSources {
    using EnumObjectItems = PDH_STATUS(WINAPI*)(LPCSTR dataSource, LPCSTR machine,
                                                LPCSTR object, LPSTR counters,
                                                LPDWORD counterLength, LPSTR instances,
                                                LPDWORD instanceLength, DWORD detail,
                                                DWORD flags);
    using OpenQuery = PDH_STATUS(WINAPI*)(LPCSTR dataSource, DWORD_PTR userData,
                                          PDH_HQUERY* query);
    using AddCounter = PDH_STATUS(WINAPI*)(PDH_HQUERY query, LPCSTR path, DWORD_PTR userData,
                                           PDH_HCOUNTER* counter);
    using RemoveCounter = PDH_STATUS(WINAPI*)(PDH_HCOUNTER counter);
    using CollectQuery = PDH_STATUS(WINAPI*)(PDH_HQUERY query);
    using CloseQuery = PDH_STATUS(WINAPI*)(PDH_HQUERY query);
    using FormattedValue = PDH_STATUS(WINAPI*)(PDH_HCOUNTER counter, DWORD format,
                                               LPDWORD type, PDH_FMT_COUNTERVALUE* value);
    using InterfaceTable = DWORD(WINAPI*)(_MIB_IF_TABLE2** table);
    using FreeTable = VOID(WINAPI*)(PVOID table);
    using Ticks = ULONGLONG(WINAPI*)();

    EnumObjectItems enumObjectItems = nullptr;
    OpenQuery openQuery = nullptr;
    AddCounter addCounter = nullptr;
    RemoveCounter removeCounter = nullptr;
    CollectQuery collectQuery = nullptr;
    CloseQuery closeQuery = nullptr;
    FormattedValue formattedValue = nullptr;
    InterfaceTable interfaceTable = nullptr;
    FreeTable freeTable = nullptr;
    Ticks ticks = nullptr;

    // The real calls.
    static NetworkSources system();
};

class CNetworkInterfaces {
public:
    explicit CNetworkInterfaces(const NetworkSources& sources = NetworkSources::system());
    virtual ~CNetworkInterfaces();
    CNetworkInterfaces(const CNetworkInterfaces&) = delete;
    CNetworkInterfaces& operator=(const CNetworkInterfaces&) = delete;

    // The dial-up entry plus one per interface: at least 1.
    int entryCount() const;
    // "RAS (Dialup)" for 0; nullptr outside the entries.
    const char* entryName(int index) const;
    // Takes one sample of every entry; the reads that follow all measure the
    // interval since the sample before it. False when no sample could be had.
    bool collect();
    // Bytes per second over the last collected interval. An output is
    // written only once its own value is known, so after a failure it may
    // still hold what the caller put there.
    bool readRates(int index, double& sent, double& received);

private:
    // One reading of the interface table: octets per interface, by entry.
    struct Sample {
        ULONGLONG time = 0;
        std::vector<bool> present;
        std::vector<std::uint64_t> in, out;
    };

    bool enumerateCounters();
    void enumerateTable();
    void openQuery();
    Sample sampleOf(const _MIB_IF_TABLE2& table) const;
    bool collectTable();
    bool readTableRates(int index, double& sent, double& received) const;

    NetworkSources sources_;
    int interfaceCount_ = 0;
    PDH_HQUERY query_ = nullptr;
    std::vector<PDH_HCOUNTER> sentCounters_;
    std::vector<PDH_HCOUNTER> receivedCounters_;
    std::vector<std::string> names_;
    // Whether the last collection succeeded: reads give nothing until one has.
    bool collected_ = false;

    // Only where the counter library could not list the interfaces: the
    // interface table stands in, rates come from its octet counters.
    bool fromTable_ = false;
    std::vector<std::uint64_t> luids_;
    Sample earlier_, latest_;
};
