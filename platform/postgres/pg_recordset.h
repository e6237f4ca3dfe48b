#pragma once
// A snapshot recordset over one complete result of the server: libpq has
// every row in memory once the query returns, so later changes by other
// users do not show in it. Values are converted when a field is read.
#include <cstddef>
#include <string>
#include <vector>

#include "agendor/platform/database.h"
#include "agendor/platform/postgres/pg_handles.h"

namespace agendor::postgres {

class PgRecordset final : public Recordset {
public:
    // result: a PGRES_TUPLES_OK result in text format; other recordsets
    // may read it at the same time.
    PgRecordset(SharedResult result, std::string queryText);

    bool IsEOF() const override { return current_ >= rows_; }
    void MoveNext() override;
    void MoveFirst() override;
    void MoveLast() override;
    long RecordCount() const override { return static_cast<long>(visited_); }
    // Numbers of the server's integer, floating and numeric types come as
    // numbers, timestamp and date as date-time values (a timestamp with
    // time zone as the wall-clock time of the session's zone), everything
    // else as text.
    FieldValue Field(std::string_view name) const override;

private:
    enum class Kind { Text, Integer, Real, Boolean, DateTime };
    FieldValue Convert(int column) const;
    void Visit() { visited_ = std::max(visited_, std::min(current_ + 1, rows_)); }
    [[noreturn]] void Fail(const std::string& message) const;

    SharedResult result_;
    std::string queryText_;
    std::vector<std::string> upperNames_;  // the columns' names in capitals
    std::vector<Kind> kinds_;
    std::size_t rows_ = 0;
    std::size_t current_ = 0;
    std::size_t visited_ = 0;
};

} // namespace agendor::postgres
