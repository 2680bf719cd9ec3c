// "Uptime": how long the system has been running, in days, hours and minutes.
#pragma once

#include <string>

#include "measures/Measure.h"

// "hh:mm", or "N day(s), hh:mm" once a full day has passed.
std::string uptimeText(ULONGLONG milliseconds);

class Measure_Uptime : public Measure {
public:
    // Milliseconds since the system started.
    using TickSource = ULONGLONG(WINAPI*)();

    Measure_Uptime(ItemHost& host, Settings& settings, TickSource ticks = GetTickCount64);
    void update() override;

private:
    TickSource ticks_;
    // No minute of the hour has this value, so the first update always formats.
    int lastMinute_ = 99999;
};
