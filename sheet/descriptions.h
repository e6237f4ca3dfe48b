#pragma once
// What a screen reader says of the sheet: the day of a cell with its named
// day and how many appointments it has, and the day a marker stands for.
#include <optional>
#include <string>

#include "agendor/core/instance.h"

namespace agendor {

// The date (midnight) of the sheet cell (row, col) as the sheet was last
// built; nullopt for the header row, an empty cell, or a cell whose day
// number does not match the sheet of DateValue.
std::optional<DateTime> DateOfSheetCell(const Instance& instance, int row, int col);
// "Sonntag, 6. Dezember 2026, 2. Advent, 3 Termine"; the named day only
// while PublicHoliday is on, "1 Termin", "keine Termine". Empty for a cell
// that shows no day.
std::string DayCellDescription(const Instance& instance, int row, int col);
// "Weitere Termine am 6. Dezember" for the marker with that index; empty
// when the marker stands for no day of the sheet.
std::string MarkerDescription(const Instance& instance, int markerIndex);

} // namespace agendor
