#pragma once
// The appointments on the printed sheet: one line per appointment, "hh:mm"
// and the person, in the cell of its day below the day number; a red row of
// asterisks at the cell's foot where more appointments exist than fit.
#include "agendor/core/instance.h"

namespace agendor {

// Queries the appointments of the printed sheet of day (the range the
// screen's sheet loads) and prints them, cell by cell. An error of the data
// (the query, a record) shows the error box with code 5: the appointments
// read before it are printed and the page goes on. An error of the printer
// itself is raised to the caller, which throws the page away.
void PrintDates(Instance& instance, Printer& printer, DateTime day, int view);

} // namespace agendor
