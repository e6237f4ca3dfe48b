#pragma once
// The appointments on the printed sheet: one line per appointment, "hh:mm"
// and the person, in the cell of its day below the day number; a red row of
// asterisks at the cell's foot where more appointments exist than fit.
#include <string>

#include "agendor/control/instance.h"

namespace agendor {

// Queries the appointments of the printed sheet of day (the range the
// screen's sheet loads) and prints each one. Any failure shows the error box
// with code 5 and ends the appointments; what stands on the page stays.
void PrintDates(Instance& instance, Printer& printer, DateTime day, int view);

// Prints one appointment into its cell, below the previous one of the same
// cell (LastPrintRow, LastPrintCol), or the asterisks when it does not fit.
void PrintDate(Instance& instance, Printer& printer, DateTime when, const std::string& person, int view);

} // namespace agendor
