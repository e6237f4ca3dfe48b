#pragma once
// A sample database for the demo, the command-line tool and the
// benchmarks: persons with German names and appointments in working hours,
// with the indexes the control's queries need, and the data properties a
// host sets for it.
#include <cstdint>
#include <string>
#include <vector>

#include "agendor/platform/sample/sample_data.h"
#include "agendor/platform/sqlite/sqlite_dialect.h"

namespace agendor::sqlite {

struct SampleOptions {
    int persons = 100;            // [1, 32767]: the control's person list holds no more
    long appointments = 20'000;   // [0, 50'000'000]
    int fromYear = 2020;          // first year with appointments, [100, 9999]
    int toYear = 2030;            // last year with appointments, [fromYear, 9999]
    std::uint64_t seed = 1;       // the same seed gives the same file
    DateStorage dateStorage = DateStorage::Real;
    // An existing file is refused unless this is set.
    bool replaceExisting = false;
};

// The data properties and their text form are the same for every engine.
using sample::DataProperties;
using sample::DataProperty;
using sample::DataPropertyNames;
using sample::FormatDataProperties;
using sample::ReadDataProperties;
using sample::SampleDataProperties;

// Creates the file (written to a temporary file beside it and renamed at
// the end, so an interrupted run leaves no half-filled database) and
// returns the seven data properties for it. Raises agendor::Error on bad
// options or an existing file, SqliteError when SQLite fails.
AGENDOR_SQLITE_EXPORT DataProperties CreateSampleDatabase(const std::string& path, const SampleOptions& options = {});


} // namespace agendor::sqlite
