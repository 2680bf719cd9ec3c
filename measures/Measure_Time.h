// "Time": the local time of day with seconds, refreshed twice a second.
#pragma once

#include <ctime>

#include "measures/Measure.h"

class Measure_Time : public Measure {
public:
    // The clock seam: the local broken-down time now.
    using LocalClock = std::tm (*)();
    static std::tm systemLocalTime();

    Measure_Time(AppState& app, Settings& settings, LocalClock clock = systemLocalTime);
    void update() override;

private:
    LocalClock clock_;
    // No clock reading has this second, so the first update always formats.
    int lastSecond_ = 9999;
};
