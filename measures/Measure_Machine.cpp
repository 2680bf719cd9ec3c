// The machine-name item.
#include "measures/Measure_Machine.h"

#include <cwchar>

#include "platform/Utf8.h"

Measure_Machine::Measure_Machine(ItemHost& host, Settings& settings, ComputerNameSource source)
    : Measure(host, settings, "Machine"), source_(source)
{
    update();
}

void Measure_Machine::update()
{
    WCHAR name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    if (source_(name, &size))
        value = toUtf8(std::wstring_view(name, wcsnlen(name, MAX_COMPUTERNAME_LENGTH + 1)));
}
