#pragma once
// What the week and month sheets share: which day stands in which cell, how a
// cell's text carries its day, and fitting texts into a sheet column.
#include <cstdint>
#include <string>

#include "agendor/core/instance.h"

namespace agendor {

// The value of the leading decimal digits of the first two characters of a
// cell text; 0 when it starts with no digit (header and empty cells).
int DayNumberOfText(const std::string& cellText);

// The day of month of DateValue.
std::int16_t SelectedDay(const Instance& instance);
// The date (midnight) of the sheet grid's current cell; DateValue itself when
// the current cell is no day cell.
DateTime CellDate(Instance& instance);
// The ISO 8601 (DIN 1355) calendar week of d.
std::int16_t WeekNumber(DateTime d);
// The longest beginning of text (whole UTF-8 characters) narrower than one
// sheet column less a 10-pixel margin.
std::string FitCellText(const Instance& instance, const std::string& text);
// A day number followed by a blank and a name, cut so that the day number
// always stays: only the name is shortened, and when not even the blank and
// one character of it fit, the number stands alone.
std::string FitDayText(const Instance& instance, const std::string& dayNumber, const std::string& name);
// Whether text, a CR and line together fit into the current sheet row.
bool LineFits(const Instance& instance, const std::string& text, const std::string& line);

// Sheet cell of a date in the month view (row 1..6) and the week view (row 1).
struct SheetCell {
    int row;
    int col;
    friend bool operator==(const SheetCell&, const SheetCell&) = default;
};
SheetCell MonthCellOf(DateTime d);
// Inverse of MonthCellOf for the month of monthDate; nullopt for empty cells.
std::optional<DateTime> MonthDateOfCell(DateTime monthDate, SheetCell cell);
// The Monday of d's week (midnight).
DateTime MondayOf(DateTime d);

} // namespace agendor
