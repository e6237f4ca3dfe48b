#pragma once
// Moving a stored appointment to another day, its time of day kept: by
// Alt+arrow keys on a day-grid row, by Ctrl+X on a row and Ctrl+V on a day
// of the sheet, or by a drop. The control never writes: the host gets
// DateChange and stores or cancels it.
#include <cstdint>
#include <optional>
#include <string>

#include "agendor/core/instance.h"

namespace agendor {

// Raises DateChange(dateId, dateOld, newDay at dateOld's time of day) and,
// once the host accepted it, reloads the sheet and the day grid when it is
// open, which then shows the new day with the appointment current. Only
// while AllowEdit is on; a pending new row ends first; a move onto the day
// the appointment has raises nothing; a day outside 1.1.100 to 31.12.9999
// is refused with the error box, as paging there is. True when the host
// accepted. Errors end in the error box.
bool MoveAppointment(Instance& instance, std::int32_t dateId, DateTime dateOld, DateTime newDay);

// The appointment of a day-grid row moved by days; false for a row without
// a stored appointment (the header, a pending new row).
bool MoveDayGridRow(Instance& instance, int row, long days);

// The appointment of line `line` (1 the first under the day number) of
// the day's sheet cell: the cell shows the day's appointments in time order
// as far as they fit, and the day's query yields them in the same order, so
// the sheet's loading need not keep any id. The line's time must match;
// nullopt otherwise (a line changed by another desk since the last load).
std::optional<State::MoveMark> SheetLineAppointment(Instance& instance, DateTime day, int line,
    const std::string& lineText);

// The keys of the move: Alt+Left/Right/Up/Down and Ctrl+X in the day grid,
// Ctrl+V on the sheet, Esc in either while an appointment is marked. A key
// they take is set to 0.
void GridZoomKeyDown(Instance& instance, int& keyCode, int shift);
void GridKeyDown(Instance& instance, int& keyCode, int shift);

// Ends the mark of Ctrl+X; nothing when none is set.
void EndMoveMark(Instance& instance);
// Shows the marked appointment's row of the day grid as cut (grey).
void ShowMarkedRow(Instance& instance);
// What a screen reader says of a day-grid cell: its text, and for the
// marked appointment's row "zum Verschieben markiert" after it.
std::string DayGridCellDescription(const Instance& instance, int row, int col);

} // namespace agendor
