// Creates every item in display order.
#include "app/Items.h"

#include "measures/Measure_Machine.h"
#include "measures/Measure_Time.h"

std::vector<std::unique_ptr<Measure>> CreateItems(AppState& app, Settings& settings)
{
    std::vector<std::unique_ptr<Measure>> items;
    items.push_back(std::make_unique<Measure_Machine>(app, settings));
    items.push_back(std::make_unique<Measure_Time>(app, settings));
    return items;
}
