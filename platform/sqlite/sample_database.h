#pragma once
// A sample database for the demo, the command-line tool and the
// benchmarks: persons with German names and appointments in working hours,
// with the indexes the control's queries need, and the data properties a
// host sets for it.
#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

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

// One data property of the control as a host sets it ("DataSourceDates",
// "Termine").
struct DataProperty {
    std::string name;
    std::string value;
    friend bool operator==(const DataProperty&, const DataProperty&) = default;
};
using DataProperties = std::vector<DataProperty>;

// The seven data properties in the order a host sets them.
AGENDOR_SQLITE_EXPORT const std::vector<std::string>& DataPropertyNames();

// Creates the file (written to a temporary file beside it and renamed at
// the end, so an interrupted run leaves no half-filled database) and
// returns the seven data properties for it. Raises agendor::Error on bad
// options or an existing file, SqliteError when SQLite fails.
// The seven data properties of every sample database, in this order.
AGENDOR_SQLITE_EXPORT DataProperties SampleDataProperties();

AGENDOR_SQLITE_EXPORT DataProperties CreateSampleDatabase(const std::string& path, const SampleOptions& options = {});

// One line "Name=Value" per property, each ended by a line feed.
AGENDOR_SQLITE_EXPORT std::string FormatDataProperties(const DataProperties& properties);

// Reads "Name=Value" lines back. Blank lines and lines starting with '#'
// are skipped, blanks around name and value and a trailing CR are dropped,
// and the value runs to the end of the line (it may hold '='). Raises
// agendor::Error naming the line for a line without '=', a name that is not
// one of the seven data properties, or a property given twice.
AGENDOR_SQLITE_EXPORT DataProperties ReadDataProperties(std::istream& input);

} // namespace agendor::sqlite
