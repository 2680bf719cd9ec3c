// "Battery": mains or battery power, the charge and the time left, with a bar
// of the remaining charge while on battery.
#pragma once

#include <string>

#include "measures/Measure.h"

// The text for a reading that sees a battery: "Charged", "[Not ]Charging: n%"
// on mains power; "n%" with "(h:mm)" left, when known, on battery power.
std::string batteryText(const SYSTEM_POWER_STATUS& status);

class Measure_Battery : public Measure {
public:
    using PowerStatusSource = BOOL(WINAPI*)(LPSYSTEM_POWER_STATUS);

    Measure_Battery(ItemHost& host, Settings& settings,
                    PowerStatusSource source = GetSystemPowerStatus);
    void update() override;
    // A power broadcast arrived: the next update reformats even when the
    // percentage has not moved, because the remaining time may have.
    void MarkPowerChange() { powerChangePending_ = true; }

private:
    void take(const SYSTEM_POWER_STATUS& status);

    // Whether the system has a battery: unknown until a reading tells, which a
    // battery driver still starting (flag 255) does not.
    enum class Battery { unknown, present, absent };

    PowerStatusSource source_;
    // Values no reading has, so the first reading always counts as a change.
    int lastPercent_ = 200;
    int lastBatteryFlag_ = 0xFFFF;
    Battery battery_ = Battery::unknown;
    bool powerChangePending_ = false;
};
