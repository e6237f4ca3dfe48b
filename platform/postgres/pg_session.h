#pragma once
// What every connection to the host's server fixes for itself, whatever the
// server, the database or the role say: the translation and the reading of
// values depend on these settings, and a wait for the server must never
// keep the host's window frozen.
//
// - standard_conforming_strings on, and every text literal written in the
//   E'' form, which means the same under either setting;
// - search_path pg_catalog, pg_temp: every function, operator, type and
//   collation a statement names is the server's own, so none planted in a
//   schema of the host's search path runs; tables are written with their
//   schema (the catalog looks them up on the host's search path, read
//   before it is replaced);
// - DateStyle ISO, the session's TimeZone the desk's zone, floats in their
//   shortest exact text, NULL compared as SQL compares it, UTF-8, and
//   transactions that read committed data without waiting for a snapshot;
// - connect_timeout, TCP keepalives, statement_timeout and lock_timeout
//   from PgOptions, unless the connection string sets them itself.
#include <string>
#include <vector>

#include <libpq-fe.h>

#include "agendor/postgres_export.h"
#include "agendor/platform/postgres/pg_database.h"
#include "agendor/platform/postgres/pg_error.h"
#include "agendor/platform/postgres/pg_handles.h"

namespace agendor::postgres {

// The zone of the machine the control runs on, as the server names zones:
// TZ when it is set, else the system's zone, "UTC" when none is found.
AGENDOR_POSTGRES_EXPORT std::string HostTimeZone();

// The libpq keywords and values for conninfo with the waits of options as
// defaults: the host's own values in conninfo come later and win.
class AGENDOR_POSTGRES_EXPORT ConnectParameters {
public:
    ConnectParameters(const std::string& conninfo, const PgOptions& options);
    const char* const* Keywords() const { return keywords_.data(); }
    const char* const* Values() const { return values_.data(); }

private:
    std::vector<std::string> storage_;
    std::vector<const char*> keywords_, values_;
};

// Connects and raises PgError when no connection comes about in time.
AGENDOR_POSTGRES_EXPORT ConnectionHandle Connect(const std::string& conninfo, const PgOptions& options);
// Starts connecting without waiting (PQconnectStartParams); the caller
// drives PQconnectPoll. Null only when libpq has no memory.
AGENDOR_POSTGRES_EXPORT ConnectionHandle StartConnect(const std::string& conninfo, const PgOptions& options);

// The waits the session ended up with, in milliseconds (0: none).
struct SessionWaits {
    int statementMs = 0;
    int lockMs = 0;
};

// Applies the settings above to a new connection and returns the schemas of
// the host's search path, in order (pg_catalog where the server searches
// it). readOnly: the control's session, which never writes. Raises PgError.
AGENDOR_POSTGRES_EXPORT std::vector<std::string> FixSession(PGconn* connection, const PgOptions& options, bool readOnly,
                                                            SessionWaits* waits = nullptr);

// The error of a failed statement: a wait that ran out named as such (the
// lock on table, or the statement's run time), everything else with leadIn
// and the server's message.
AGENDOR_POSTGRES_EXPORT PgError ServerError(const PGresult* result, PGconn* connection, const std::string& leadIn,
                    const std::string& queryText, const SessionWaits& waits, const std::string& table = {});

// Milliseconds in German: "0,5 Sekunden", "1 Sekunde", "3 Sekunden".
AGENDOR_POSTGRES_EXPORT std::string GermanSeconds(int milliseconds);

} // namespace agendor::postgres
