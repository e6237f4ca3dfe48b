#pragma once
// The payload of a live-update notification: the changed day as
// "YYYY-MM-DD" (PgStore sends it). It comes from another desk's process
// over the server, so anything may arrive in it.
#include <optional>

#include "agendor/platform/types.h"

namespace agendor::demo {

// The day the payload names, at midnight; nullopt for a null payload, a
// text of another form or a day outside 1 Jan 100 .. 31 Dec 9999.
std::optional<DateTime> ParseChangedDay(const char* payload);

} // namespace agendor::demo
