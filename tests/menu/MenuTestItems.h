// Items the menu and its commands read: a drive item on one played fixed disk
// and a network item whose entry names a test chooses, between two bare items.
#pragma once

#include <windows.h>

#include <pdhmsg.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "display/AppState.h"
#include "measures/Measure_Drive.h"
#include "measures/MeasureList.h"
#include "measures/Measure_Network.h"
#include "platform/Utf8.h"
#include "support/FakeMeasure.h"

// The interfaces the counter system lists after the dial-up entry (entry 0).
inline std::vector<std::string>& playedInterfaces()
{
    static std::vector<std::string> names;
    return names;
}

inline PDH_STATUS WINAPI playedInterfaceList(LPCWSTR, LPCWSTR, LPCWSTR, LPWSTR counters,
                                             LPDWORD counterLength, LPWSTR instances,
                                             LPDWORD instanceLength, DWORD, DWORD)
{
    std::wstring list;
    for (const std::string& name : playedInterfaces())
        list += toWide(name) + L'\0';
    list += L'\0';
    if (counters == nullptr || instances == nullptr || *instanceLength < list.size()) {
        *counterLength = 1, *instanceLength = static_cast<DWORD>(list.size());
        return PDH_MORE_DATA;
    }
    *counters = L'\0';
    std::memcpy(instances, list.data(), list.size() * sizeof(wchar_t));
    return ERROR_SUCCESS;
}
// Without a query no entry ever reads traffic, so none is chosen on its own.
inline PDH_STATUS WINAPI noQuery(LPCWSTR, DWORD_PTR, PDH_HQUERY*)
{
    return PDH_INVALID_HANDLE;
}

inline DWORD WINAPI driveC()
{
    return 1u << ('C' - 'A');
}
inline UINT WINAPI fixedDrive(LPCWSTR)
{
    return DRIVE_FIXED;
}
inline BOOL WINAPI halfFull(LPCWSTR, PULARGE_INTEGER available, PULARGE_INTEGER total,
                            PULARGE_INTEGER free)
{
    total->QuadPart = 100 << 20;
    available->QuadPart = free->QuadPart = 50 << 20;
    return TRUE;
}
inline void noLaunch(AppState&, const char*)
{
}

// "First", "Drive", "Network", "Last", in that order (ids 1 to 4).
inline std::unique_ptr<MeasureList> menuTestItems(AppState& app, Settings& settings)
{
    NetworkSources network = NetworkSources::system();
    network.enumObjectItems = playedInterfaceList;
    network.openQuery = noQuery;
    std::vector<std::unique_ptr<Measure>> items;
    items.push_back(std::make_unique<FakeMeasure>(app, settings, "First"));
    items.push_back(
        std::make_unique<Measure_Drive>(app, settings, DriveSources{driveC, fixedDrive, halfFull}));
    items.push_back(std::make_unique<Measure_Network>(app, settings, network));
    items.push_back(std::make_unique<FakeMeasure>(app, settings, "Last"));
    return std::make_unique<MeasureList>(std::move(items));
}
