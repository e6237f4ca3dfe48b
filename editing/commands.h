#pragma once
// The day grid's toolbar (Toolbar1): 1 delete, 2 add, 3 save, and the
// storing of a new appointment. The control never writes the database: each
// change is announced to the host as a cancellable event (DateNew, DateDel)
// and what the control shows is reloaded after the host accepted it.
#include "agendor/core/conventions.h"
#include "agendor/core/instance.h"

namespace agendor {

inline constexpr int kButtonDelete = 1, kButtonAdd = 2, kButtonSave = 3;

void Toolbar1ButtonClick(Instance& instance, int index);
void AddAppointment(Instance& instance);
void SaveAppointment(Instance& instance);
void DeleteAppointment(Instance& instance);

// Raises DateNew for the pending row with the time and the person typed,
// on the day the day grid shows; does nothing unless a row is pending.
// Its errors end in the error box.
void CommitNewAppointment(Instance& instance);

// Drops a pending new row without an event: removes it from the day grid,
// closes both editors and offers Add again. Nothing when none is pending.
void EndPendingAppointment(Instance& instance);

} // namespace agendor
