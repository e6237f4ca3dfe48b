#pragma once
// The four Allow flags on Toolbar2 and the context menu, and the sheet
// commands (1 week, 2 month, 3 back, 4 forward, 5 print).
#include <cstdint>

#include "agendor/core/instance.h"

namespace agendor {

void ApplyPermissions(Instance& instance);
// Presses the Toolbar2 button of the view View shows (month for 2, week
// otherwise) and names the other view in item 4 of the context menu.
void ShowViewCommands(Instance& instance);
// Whether the sheet of view for date lies wholly inside the calendar
// (1 Jan 100 .. 31 Dec 9999), so that it can be built and loaded.
bool SheetFitsCalendar(DateTime date, int view);
// Why a sheet or a move beyond those days is refused.
inline constexpr const char* kOutsideCalendar = "Datum außerhalb des gültigen Bereichs (1.1.100 bis 31.12.9999)";
void SheetCommand(Instance& instance, std::int16_t command);
void KontextClick(Instance& instance, int index);
void Toolbar2ButtonClick(Instance& instance, int index);

} // namespace agendor
