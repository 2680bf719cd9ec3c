// The uptime item.
#include "measures/Measure_Uptime.h"

#include <cstdio>

namespace {

unsigned minuteOfHour(ULONGLONG milliseconds)
{
    return static_cast<unsigned>(milliseconds / 1000 / 60 % 60);
}

}  // namespace

std::string uptimeText(ULONGLONG milliseconds)
{
    ULONGLONG totalHours = milliseconds / 1000 / 60 / 60;
    ULONGLONG days = totalHours / 24;
    ULONGLONG hour = totalHours % 24;
    unsigned minute = minuteOfHour(milliseconds);
    char text[40] = {};
    if (days == 0)
        std::snprintf(text, sizeof text, "%2.2llu:%2.2u", hour, minute);
    else
        std::snprintf(text, sizeof text, "%llu day%s, %2.2llu:%2.2u", days, days != 1 ? "s" : "",
                      hour, minute);
    return text;
}

Measure_Uptime::Measure_Uptime(ItemHost& host, Settings& settings, TickSource ticks)
    : Measure(host, settings, "Uptime"), ticks_(ticks)
{
    refreshInterval = 1000;
    update();
    resetTimer(false);
}

void Measure_Uptime::update()
{
    ULONGLONG milliseconds = ticks_();
    // Sampled every second, the text can only move when the minute does.
    int minute = static_cast<int>(minuteOfHour(milliseconds));
    if (minute == lastMinute_)
        return;
    value = uptimeText(milliseconds);
    lastMinute_ = minute;
    changed = true;
}
