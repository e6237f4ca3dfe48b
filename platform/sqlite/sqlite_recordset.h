#pragma once
// A snapshot recordset: all rows of a prepared statement, read at once.
#include <cstddef>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <sqlite3.h>

#include "agendor/platform/database.h"
#include "agendor/platform/sql/snapshot_recordset.h"
#include "agendor/platform/sqlite/sqlite_dialect.h"

namespace agendor::sqlite {

// All rows of one run of a statement. Never changed once read, so any
// number of recordsets can walk the same rows, each at its own place.
struct SqliteRows {
    std::vector<std::string> names;       // as SQLite names the result columns
    std::vector<std::string> upperNames;  // the same in capitals, for lookups
    std::vector<FieldValue> cells;        // row by row
    std::map<std::size_t, std::string> faults;  // cell index -> why it holds no date-time value
    std::size_t columns = 0;
    std::size_t rows = 0;
    std::size_t bytes = 0;  // about what the rows take in memory
};

// Steps statement to its end (the caller resets it). Date fields, those
// named in dateFields or declared with DATE or TIME in their type, are read
// as date-time values in the given storage form; a value of another kind is
// kept as a fault that Field() raises, so rows before it can still be read.
std::shared_ptr<const SqliteRows> ReadRows(sqlite3_stmt* statement, const std::vector<std::string>& dateFields,
                                           DateStorage storage, const std::string& queryText);

class SqliteRecordset final : public sql::SnapshotRecordset {
public:
    SqliteRecordset(std::shared_ptr<const SqliteRows> rows, std::string queryText);

private:
    const std::vector<std::string>& UpperColumnNames() const override { return rows_->upperNames; }
    FieldValue Cell(std::size_t row, std::size_t column) const override;
    [[noreturn]] void Fail(const std::string& message) const override;

    std::shared_ptr<const SqliteRows> rows_;
    std::string queryText_;
};

} // namespace agendor::sqlite
