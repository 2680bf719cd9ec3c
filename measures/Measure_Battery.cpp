// The battery item.
#include "measures/Measure_Battery.h"

#include <cstdio>
#include <cstring>

std::string batteryText(const SYSTEM_POWER_STATUS& status)
{
    int percent = status.BatteryLifePercent;
    char text[25] = {};
    if (status.ACLineStatus == 1) {
        // 255, unknown, reads as charged too.
        if (percent >= 100)
            return "Charged";
        const char* negation = (status.BatteryFlag & BATTERY_FLAG_CHARGING) ? "" : "Not ";
        std::snprintf(text, sizeof text, "%sCharging: %d%%", negation, percent);
        return text;
    }
    // 255 means the system does not know the charge.
    if (percent > 100)
        std::snprintf(text, sizeof text, "Unknown");
    else
        std::snprintf(text, sizeof text, "%d%%", percent);
    DWORD seconds = status.BatteryLifeTime;
    if (seconds != BATTERY_LIFE_UNKNOWN) {
        size_t used = std::strlen(text);
        std::snprintf(text + used, sizeof text - used, " (%lu:%2.2lu)", seconds / 3600,
                      seconds / 60 % 60);
    }
    return text;
}

Measure_Battery::Measure_Battery(ItemHost& host, Settings& settings, PowerStatusSource source)
    : Measure(host, settings, "Battery"), source_(source)
{
    refreshInterval = 60000;
    hasGraph = true;
    update();
    if (battery_ != Battery::absent)
        resetTimer(false);
}

void Measure_Battery::update()
{
    SYSTEM_POWER_STATUS status{};
    if (source_(&status))
        take(status);
    // The text may have changed width, or the item its shown state.
    host.requestRelayout();
    changed = true;
    powerChangePending_ = false;
}

void Measure_Battery::take(const SYSTEM_POWER_STATUS& status)
{
    if (status.BatteryFlag == BATTERY_FLAG_NO_BATTERY) {
        hasGraph = false;
        // A machine never seen with a battery hides the item and remembers
        // that, once; a battery removed later leaves the last text in place.
        if (battery_ == Battery::unknown) {
            shown = false;
            stopTimer();
            value = "None";
            battery_ = Battery::absent;
            settings.writeBool("DisplayItems", name_.c_str(), shown);
        }
        return;
    }
    // 255 is "unknown status", not "no battery": the other fields are shown
    // for what they are worth until a later reading tells.
    if (status.BatteryFlag != BATTERY_FLAG_UNKNOWN)
        battery_ = Battery::present;
    bool onMains = status.ACLineStatus == 1;
    int percent = status.BatteryLifePercent;
    hasGraph = !onMains;
    bool reformat = percent != lastPercent_ || powerChangePending_
                    || (onMains && status.BatteryFlag != lastBatteryFlag_);
    // On battery power the time left alone does not reformat; the shown time
    // catches up at the next percentage step or power broadcast.
    if (reformat || (onMains && percent >= 100))
        value = batteryText(status);
    lastPercent_ = percent;
    lastBatteryFlag_ = status.BatteryFlag;
    graphPercent = percent;
}
