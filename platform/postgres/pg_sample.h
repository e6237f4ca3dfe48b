#pragma once
// The sample calendar on a server: the same persons and appointments as the
// SQLite sample for the same seed, in tables "Personen" and "Termine" of the
// database the connection string names.
#include <string>

#include "agendor/platform/sample/sample_data.h"
#include "agendor/postgres_export.h"

namespace agendor::postgres {

enum class DateColumn {
    // timestamp without time zone: what PostgreSQL applications store.
    Timestamp,
    // double precision: days since 30 Dec 1899, the control's own value.
    DayCount,
};

struct PgSampleOptions {
    sample::SampleParameters parameters;
    DateColumn dateColumn = DateColumn::Timestamp;
    // Existing tables "Personen" and "Termine" are refused unless this is set.
    bool replaceExisting = false;
};

// Creates and fills the two tables in one transaction (an interrupted run
// leaves nothing behind), with the indexes the control's queries use, and
// returns the seven data properties. Raises agendor::Error on bad options
// or existing tables, PgError when the server refuses.
AGENDOR_POSTGRES_EXPORT sample::DataProperties CreateSampleOnServer(const std::string& conninfo, const PgSampleOptions& options = {});

} // namespace agendor::postgres
