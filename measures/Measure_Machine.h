// "Machine": the computer's name, read once at start-up.
#pragma once

#include "measures/Measure.h"

class Measure_Machine : public Measure {
public:
    using ComputerNameSource = BOOL(WINAPI*)(LPWSTR, LPDWORD);

    Measure_Machine(ItemHost& host, Settings& settings,
                    ComputerNameSource source = GetComputerNameW);
    void update() override;

private:
    ComputerNameSource source_;
};
