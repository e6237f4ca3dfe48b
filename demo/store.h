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

// The reason when another program holds the file longer than the store
// waits: the change was undone, not left half-stored.
inline const std::string kFileBusy =
    "Die Datenbankdatei ist gerade von einem anderen Programm belegt; es wurde nichts gespeichert.";

// The reason when the id names several appointments: the change would hit
// all of them, so none is changed.
inline std::string NotUniqueId(std::int32_t id, long long count, const std::string& table) {
    return "Die Termin-ID " + std::to_string(id) + " ist nicht eindeutig: " + std::to_string(count) +
           " Termine in der Tabelle " + table + " tragen sie. Es wurde nichts geändert.";
}

class Store {
public:
    virtual ~Store() = default;
    // Each returns the reason when the change could not be stored; then
    // nothing was changed.
    virtual std::optional<std::string> Insert(DateTime when, std::int32_t personId, const std::string& person,
                                              std::int64_t* newId = nullptr) = 0;
    // Only while the appointment still has oldWhen; kChangedByOther if not.
    // An id several appointments have is refused with NotUniqueId.
    virtual std::optional<std::string> ChangeTime(std::int32_t id, DateTime oldWhen, DateTime newWhen) = 0;
    // Only while the appointment still has when; as ChangeTime otherwise.
    virtual std::optional<std::string> Delete(std::int32_t id, DateTime when) = 0;
};

} // namespace agendor::demo
