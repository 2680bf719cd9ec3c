// The clock item.
#include "measures/Measure_Time.h"

std::tm Measure_Time::systemLocalTime()
{
    SYSTEMTIME now{};
    GetLocalTime(&now);
    std::tm local{};
    local.tm_year = now.wYear - 1900;
    local.tm_mon = now.wMonth - 1;
    local.tm_mday = now.wDay;
    local.tm_wday = now.wDayOfWeek;
    local.tm_hour = now.wHour;
    local.tm_min = now.wMinute;
    local.tm_sec = now.wSecond;
    local.tm_isdst = -1;
    return local;
}

Measure_Time::Measure_Time(ItemHost& host, Settings& settings, LocalClock clock)
    : Measure(host, settings, "Time"), clock_(clock)
{
    refreshInterval = 1000;
    update();
    resetTimer(false);
}

void Measure_Time::update()
{
    std::tm now = clock_();
    // The whole time of day: a new time zone or a clock set back by whole
    // minutes keeps the second but must show at once.
    int shown = (now.tm_hour * 60 + now.tm_min) * 60 + now.tm_sec;
    if (shown == lastShown_)
        return;
    char text[26] = {};
    // "#" drops the hour's leading zero: 9:05:07.
    std::strftime(text, sizeof text - 1, "%#H:%M:%S", &now);
    value = text;
    lastShown_ = shown;
    changed = true;
}
