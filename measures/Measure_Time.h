// "Time": the local time of day with seconds, refreshed as each second starts.
#pragma once

#include <ctime>

#include "measures/Measure.h"

class Measure_Time : public Measure {
public:
    // The clock seam: the local broken-down time now.
    using LocalClock = std::tm (*)();
    // The system's local time, which follows a change of time zone or clock
    // at once; the C runtime's reads the zone once per process.
    static std::tm systemLocalTime();

    Measure_Time(ItemHost& host, Settings& settings, LocalClock clock = systemLocalTime);
    void update() override;

private:
    LocalClock clock_;
    // The time of day shown, in seconds; no clock reading has -1, so the
    // first update always formats.
    int lastShown_ = -1;
};
