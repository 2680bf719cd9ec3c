// The machine-name item.
#include "measures/Measure_Machine.h"

Measure_Machine::Measure_Machine(ItemHost& host, Settings& settings, ComputerNameSource source)
    : Measure(host, settings, "Machine"), source_(source)
{
    update();
}

void Measure_Machine::update()
{
    char name[16] = {};
    DWORD size = sizeof name;
    if (source_(name, &size))
        value = name;
}
