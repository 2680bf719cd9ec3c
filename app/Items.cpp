// Creates every item in display order.
// The socket headers the IP address item needs must come before windows.h.
#include "measures/Measure_IPAddress.h"

#include "app/Items.h"

#include "measures/Measure_Account.h"
#include "measures/Measure_Battery.h"
#include "measures/Measure_CPU.h"
#include "measures/Measure_Drive.h"
#include "measures/Measure_Machine.h"
#include "measures/Measure_Memory.h"
#include "measures/Measure_Network.h"
#include "measures/Measure_Processes.h"
#include "measures/Measure_Time.h"
#include "measures/Measure_Uptime.h"
#include "measures/Measure_Version.h"

std::vector<std::unique_ptr<Measure>> CreateItems(ItemHost& host, Settings& settings,
                                                  AccountInfo& account)
{
    std::vector<std::unique_ptr<Measure>> items;
    items.push_back(std::make_unique<Measure_Machine>(host, settings));
    items.push_back(std::make_unique<Measure_Processor>(host, settings));
    items.push_back(std::make_unique<Measure_OS>(host, settings));
    items.push_back(std::make_unique<Measure_User>(host, settings, account));
    items.push_back(std::make_unique<Measure_Domain>(host, settings, account));
    items.push_back(std::make_unique<Measure_IPAddress>(host, settings));
    items.push_back(std::make_unique<Measure_Network>(host, settings));
    items.push_back(std::make_unique<Measure_RAM>(host, settings));
    items.push_back(std::make_unique<Measure_PMem>(host, settings));
    items.push_back(std::make_unique<Measure_SMem>(host, settings));
    items.push_back(std::make_unique<Measure_Uptime>(host, settings));
    items.push_back(std::make_unique<Measure_Processes>(host, settings));
    items.push_back(std::make_unique<Measure_Battery>(host, settings));
    items.push_back(std::make_unique<Measure_Drive>(host, settings));
    items.push_back(std::make_unique<Measure_Time>(host, settings));
    items.push_back(std::make_unique<Measure_CPU>(host, settings));
    items.push_back(std::make_unique<Measure_Version>(host, settings));
    return items;
}
