#pragma once
// The demo host's writes on a PostgreSQL server, shared by several desks:
// each change in its own transaction, on a connection of the host's own
// (the control's session only reads), and with the change a NOTIFY on the
// channel of the table naming each changed day, so the other desks
// reload. A change or deletion only goes through while the appointment
// still has the date-time the user saw.
//
// The channel is "agendor_termine_" and the table's object id, so desks on
// other tables of the same database are not disturbed; the payload is the
// day, "YYYY-MM-DD".
//
// The connection fixes its settings as the control's session does
// (pg_session.h): a date-time is written as the wall-clock time of the
// desk's zone, in which the control shows it, and every wait is bounded.
#include <cstdint>
#include <optional>
#include <string>

#include "agendor/platform/postgres/pg_catalog.h"
#include "agendor/platform/postgres/pg_database.h"
#include "agendor/platform/postgres/pg_handles.h"
#include "demo/appointment_store.h"
#include "demo/store.h"

namespace agendor::demo {


class PgStore final : public Store {
public:
    // Connects with conninfo (options: the waits and the zone, as the
    // control's session has them). Raises agendor::Error when no connection
    // comes about or the table lacks one of the named fields.
    PgStore(const std::string& conninfo, AppointmentTable table, const postgres::PgOptions& options = {});

    std::optional<std::string> Insert(DateTime when, std::int32_t personId, const std::string& person,
                                      std::int64_t* newId = nullptr) override;
    std::optional<std::string> ChangeTime(std::int32_t id, DateTime oldWhen, DateTime newWhen) override;
    std::optional<std::string> Delete(std::int32_t id, DateTime when) override;

    // The server process of the connection: notifications it sent carry it.
    // It changes when the connection is made again; 0 while there is none.
    int BackendPid() const;
    // The channel the changes of this table are announced on.
    const std::string& Channel() const { return channel_; }

private:
    // nullopt once the connection is up; else why no change can be stored now.
    std::optional<std::string> Reconnect();
    // Runs sql with params in a transaction, with a NOTIFY per day in days;
    // the change must touch exactly one row or it is undone. id: the
    // appointment a change or deletion names, for the reason.
    std::optional<std::string> Write(const std::string& sql, const std::vector<std::string>& params,
                                     const std::vector<DateTime>& days, std::optional<std::int32_t> id,
                                     std::int64_t* returnedId = nullptr);
    // A date-time as the date field takes it.
    std::string Value(DateTime when) const;
    // The condition "the date field still holds when" for parameter $n.
    std::string StillAt(int n) const;

    std::string conninfo_;
    postgres::PgOptions options_;
    postgres::ConnectionHandle connection_;
    bool connecting_ = false;  // connection_ is being made (PQconnectPoll)
    std::string table_, id_, date_, person_, personId_;  // quoted as stored
    std::string tableName_;  // as the catalog has it, for messages
    bool timestamp_ = false;
    std::string channel_;
};

} // namespace agendor::demo
