#pragma once
// What the demo's change handlers need of the database they write to: the
// SQLite file (AppointmentStore) or a PostgreSQL server (PgStore).
#include <cstdint>
#include <optional>
#include <string>

#include "agendor/platform/types.h"

namespace agendor::demo {

// The reason a change or deletion is refused when the appointment no longer
// has the date-time the control showed: another user changed or deleted it
// first, and storing ours would overwrite theirs unseen.
inline const std::string kChangedByOther = "Der Termin wurde inzwischen von einem anderen Benutzer geändert.";

class Store {
public:
    virtual ~Store() = default;
    // Each returns the reason when the change could not be stored; then
    // nothing was changed.
    virtual std::optional<std::string> Insert(DateTime when, std::int32_t personId, const std::string& person,
                                              std::int64_t* newId = nullptr) = 0;
    // Only while the appointment still has oldWhen; kChangedByOther if not.
    virtual std::optional<std::string> ChangeTime(std::int32_t id, DateTime oldWhen, DateTime newWhen) = 0;
    // Only while the appointment still has when; kChangedByOther if not.
    virtual std::optional<std::string> Delete(std::int32_t id, DateTime when) = 0;
};

} // namespace agendor::demo
