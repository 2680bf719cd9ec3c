// The clock item.
#include "measures/Measure_Time.h"

std::tm Measure_Time::systemLocalTime()
{
    std::time_t now = std::time(nullptr);
    const std::tm* local = std::localtime(&now);
    return local != nullptr ? *local : std::tm{};
}

Measure_Time::Measure_Time(AppState& app, Settings& settings, LocalClock clock)
    : Measure(app, settings, "Time"), clock_(clock)
{
    refreshInterval = 500;
    update();
    resetTimer(false);
}

void Measure_Time::update()
{
    std::tm now = clock_();
    if (now.tm_sec == lastSecond_)
        return;
    char text[26] = {};
    // "#" drops the hour's leading zero: 9:05:07.
    std::strftime(text, sizeof text - 1, "%#H:%M:%S", &now);
    value = text;
    lastSecond_ = now.tm_sec;
}
