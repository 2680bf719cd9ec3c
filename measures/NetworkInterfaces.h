// The network entries the overlay can show (the dial-up totals, then each
// interface) and their send and receive rates in bytes per second.
#pragma once

#include <pdh.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/SystemLibrary.h"

// The IP helper's interface table and row (MIB_IF_TABLE2, MIB_IF_ROW2). Only
// named here, so that includers need not order the socket headers before
// windows.h.
struct _MIB_IF_TABLE2;
struct _MIB_IF_ROW2;

// The calls the list makes, as the platform declares them. Tests play a system
// with counters, one without, and so on.
struct NetworkSources {
    using EnumObjectItems = PDH_STATUS(WINAPI*)(LPCWSTR dataSource, LPCWSTR machine, LPCWSTR object,
                                                LPWSTR counters, LPDWORD counterLength,
                                                LPWSTR instances, LPDWORD instanceLength,
                                                DWORD detail, DWORD flags);
    using OpenQuery = PDH_STATUS(WINAPI*)(LPCWSTR dataSource, DWORD_PTR userData,
                                          PDH_HQUERY* query);
    using AddCounter = PDH_STATUS(WINAPI*)(PDH_HQUERY query, LPCWSTR path, DWORD_PTR userData,
                                           PDH_HCOUNTER* counter);
    using RemoveCounter = PDH_STATUS(WINAPI*)(PDH_HCOUNTER counter);
    using CollectQuery = PDH_STATUS(WINAPI*)(PDH_HQUERY query);
    using CloseQuery = PDH_STATUS(WINAPI*)(PDH_HQUERY query);
    using FormattedValue = PDH_STATUS(WINAPI*)(PDH_HCOUNTER counter, DWORD format, LPDWORD type,
                                               PDH_FMT_COUNTERVALUE* value);
    using InterfaceTable = DWORD(WINAPI*)(_MIB_IF_TABLE2** table);
    using FreeTable = VOID(WINAPI*)(PVOID table);
    using Ticks = ULONGLONG(WINAPI*)();
    using InterfaceEntry = DWORD(WINAPI*)(_MIB_IF_ROW2* row);

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
    // One row of the table; without it every sample reads the whole table.
    InterfaceEntry interfaceEntry = nullptr;
    // The libraries the real calls live in, kept while these are in use.
    SystemLibrary counterLibrary{};
    SystemLibrary ipHelper{};

    // The real calls; those of a library that cannot be had are null.
    static NetworkSources system();
    // Whether every counter call, or both table calls, can be made.
    bool hasCounters() const;
    bool hasTable() const { return interfaceTable != nullptr && freeTable != nullptr; }
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
    static constexpr int kEveryEntry = -1;
    // Takes one sample of the entry, or of every entry; the reads that follow
    // measure the interval since the entry's sample before it. False when no
    // sample could be had.
    bool collect(int entry = kEveryEntry);
    // Bytes per second over the last collected interval. An output is
    // written only once its own value is known, so after a failure it may
    // still hold what the caller put there.
    bool readRates(int index, double& sent, double& received);

private:
    // One interface's octet counters at one moment.
    struct Reading {
        ULONGLONG time = 0;
        bool present = false;
        std::uint64_t in = 0, out = 0;
    };

    bool enumerateCounters();
    void enumerateTable();
    void openQuery();
    std::vector<Reading> readingsOf(const _MIB_IF_TABLE2& table);
    bool collectTable();
    void collectLiveRows();
    void collectInterface(size_t position);
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
    // By interface: the last reading and the one before it.
    std::vector<Reading> earlier_, latest_;
    // By interface, as of the last table: down or gone, so nothing to count.
    std::vector<bool> idle_;
    // Samples of every entry taken from their rows since the last table.
    int rowSamples_ = 0;
};
