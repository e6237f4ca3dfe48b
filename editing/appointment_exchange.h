#pragma once
// Appointments for other calendars and from them. The control reads the
// appointments of a range of days as its database holds them, and hands
// appointments from elsewhere to the host one by one through DateNew, as if
// a person had entered each: the host stores or refuses it, the control
// itself writes nothing.
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "agendor/core/instance.h"

namespace agendor {

// The appointments from the day of firstDay to the day of lastDay, both
// included, in date-time order, by one range query of the control's dialect.
// Records without a date are left out. Raises Error when DataSourceDates,
// FieldDatesDate or the database is missing or the engine fails.
std::vector<StoredAppointment> ReadAppointments(const State& state, DateTime firstDay,
    DateTime lastDay);

// What makes an appointment id unique beyond the control: the database (a
// file by its canonical path, so that another spelling of the same file
// names the same source) and the appointments table.
std::string AppointmentSource(const State& state);

// The stored appointment of the day grid's current row, as the day grid
// shows it; nullopt when the day grid is hidden, has no rows, or the row is
// a new one not stored yet.
std::optional<StoredAppointment> DayGridAppointment(const Instance& instance);

// Raises DateNew once per appointment in the given order. The person is
// matched by name against the person list (cboPerson, as the last Refresh
// loaded it): PersonID is the id of the entry with that name, -1 when none
// has it or FieldSourcePersonID is empty, and Person is the text as given.
// proceed(done, total) is asked before each; false stops. The caller reloads
// what the control shows once afterwards.
ImportOutcome RaiseDateNewForEach(
    Instance& instance, const std::vector<IncomingAppointment>& appointments,
    const std::function<bool(std::size_t done, std::size_t total)>& proceed = {});

} // namespace agendor
