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

std::vector<std::unique_ptr<Measure>> CreateItems(AppState& app, Settings& settings,
                                                  AccountInfo& account)
{
    std::vector<std::unique_ptr<Measure>> items;
    items.push_back(std::make_unique<Measure_Machine>(app, settings));
    items.push_back(std::make_unique<Measure_Processor>(app, settings));
    items.push_back(std::make_unique<Measure_OS>(app, settings));
    items.push_back(std::make_unique<Measure_User>(app, settings, account));
    items.push_back(std::make_unique<Measure_Domain>(app, settings, account));
    items.push_back(std::make_unique<Measure_IPAddress>(app, settings));
    items.push_back(std::make_unique<Measure_Network>(app, settings));
    items.push_back(std::make_unique<Measure_RAM>(app, settings));
    items.push_back(std::make_unique<Measure_PMem>(app, settings));
    items.push_back(std::make_unique<Measure_SMem>(app, settings));
    items.push_back(std::make_unique<Measure_Uptime>(app, settings));
    items.push_back(std::make_unique<Measure_Processes>(app, settings));
    items.push_back(std::make_unique<Measure_Battery>(app, settings));
    items.push_back(std::make_unique<Measure_Drive>(app, settings));
    items.push_back(std::make_unique<Measure_Time>(app, settings));
    items.push_back(std::make_unique<Measure_CPU>(app, settings));
    items.push_back(std::make_unique<Measure_Version>(app, settings));
    return items;
}
