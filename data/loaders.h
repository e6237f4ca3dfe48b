#pragma once
// Reading the sheet's appointments and the persons from the host's database.
#include <string>

#include "agendor/control/instance.h"

namespace agendor {

// The range query of the shown sheet, e.g.
// SELECT *  From T WHERE (((T.F)>=#3/5/2001# And (T.F)<#3/12/2001#)) ORDER BY T.F
std::string SheetRangeQuery(const State& state, DateTime dateValue, int view);
void LoadDates(Instance& instance);
void LoadPersons(Instance& instance);

} // namespace agendor
