#pragma once
// Reading the sheet's appointments and the persons from the host's database.
#include <functional>
#include <string>

#include "agendor/core/instance.h"

namespace agendor {

// The range query of the shown sheet, e.g.
// SELECT *  From T WHERE (((T.F)>=#3/5/2001# And (T.F)<#3/12/2001#)) ORDER BY T.F
std::string SheetRangeQuery(const State& state, DateTime dateValue, int view);
// Runs the range query of the sheet of dateValue in view (2 month, else
// week) and hands each appointment to take, in the query's order, read as the
// sheet shows it: the person from FieldDatesPerson (none when that is empty
// or null); a record without a date is left out. The printed sheet reads
// through here too, so what prints is what the screen shows.
void ReadSheetAppointments(const State& state, DateTime dateValue, int view,
                           const std::function<void(DateTime when, const std::string& person)>& take);
void LoadDates(Instance& instance);
void LoadPersons(Instance& instance);

} // namespace agendor
