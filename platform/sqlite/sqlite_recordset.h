#pragma once
// A snapshot recordset: all rows of a prepared statement, read at once.
#include <cstddef>
#include <map>
#include <string>
#include <vector>

#include <sqlite3.h>

#include "agendor/platform/database.h"
#include "agendor/platform/sqlite/sqlite_dialect.h"

namespace agendor::sqlite {

class SqliteRecordset final : public Recordset {
public:
    // Steps statement to its end (the caller resets it). Date fields, those
    // named in dateFields or declared with DATE or TIME in their type, are
    // read as date-time values in the given storage form; a value of another
    // kind is kept as a fault that Field() raises, so rows before it can
    // still be read.
    SqliteRecordset(sqlite3_stmt* statement, const std::vector<std::string>& dateFields, DateStorage storage,
                    std::string queryText);

    bool IsEOF() const override { return current_ >= rows_; }
    void MoveNext() override;
    void MoveFirst() override;
    void MoveLast() override;
    long RecordCount() const override { return static_cast<long>(visited_); }
    FieldValue Field(std::string_view name) const override;

private:
    FieldValue ReadDate(sqlite3_stmt* statement, int column, bool numericAffinity, std::size_t cell);
    void Visit() { visited_ = std::max(visited_, std::min(current_ + 1, rows_)); }
    [[noreturn]] void Fail(const std::string& message) const;

    std::string queryText_;
    DateStorage storage_;
    std::vector<std::string> names_;       // as SQLite names the result columns
    std::vector<std::string> upperNames_;  // the same in capitals, for lookups
    std::vector<FieldValue> cells_;   // row by row
    std::map<std::size_t, std::string> faults_;  // cell index -> why it holds no date-time value
    std::size_t columns_ = 0;
    std::size_t rows_ = 0;
    std::size_t current_ = 0;
    std::size_t visited_ = 0;
};

} // namespace agendor::sqlite
