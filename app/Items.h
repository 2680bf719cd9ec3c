// The one creation list of the items: their order here is their order on
// screen, in the list and in the menu.
#pragma once

#include <memory>
#include <vector>

#include "measures/AccountInfo.h"
#include "measures/Measure.h"

std::vector<std::unique_ptr<Measure>> CreateItems(ItemHost& host, Settings& settings,
                                                  AccountInfo& account);
