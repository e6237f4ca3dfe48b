#pragma once
// A snapshot recordset over one complete result of the server: libpq has
// every row in memory once the query returns, so later changes by other
// users do not show in it. Values are converted when a field is read, from
// the server's text or, where the session asked for it, its binary form;
// both give the same values.
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "agendor/platform/database.h"
#include "agendor/platform/postgres/pg_handles.h"

namespace agendor::postgres {

class PgRecordset final : public Recordset {
public:
    // result: a PGRES_TUPLES_OK result, in text format or in binary format
    // with only types ReadsExactlyInBinary accepts; other recordsets may
    // read it at the same time.
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
    // Whether the server sent the values in its binary form.
    bool ReadsBinary() const { return binary_; }
    // Whether values of the server's type come out of its binary form
    // exactly as out of its text: the integers, oid, float4/8, bool,
    // timestamp, date and the text types.
    static bool ReadsExactlyInBinary(Oid type);

private:
    enum class Kind { Text, Integer, Real, Boolean, DateTime };
    int ColumnOf(std::string_view name) const;
    FieldValue Convert(int column) const;
    FieldValue ConvertBinary(int column, std::string_view bytes) const;
    [[noreturn]] void FailDateTime(int column, const std::string& text) const;
    void Visit() { visited_ = std::max(visited_, std::min(current_ + 1, rows_)); }
    [[noreturn]] void Fail(const std::string& message) const;

    SharedResult result_;
    std::string queryText_;
    std::vector<std::string> upperNames_;  // the columns' names in capitals
    std::vector<Kind> kinds_;
    std::vector<Oid> types_;
    // The columns of the names asked for so far, as they were written: the
    // control reads the same few fields in every row.
    mutable std::vector<std::pair<std::string, int>> asked_;
    bool binary_ = false;
    std::size_t rows_ = 0;
    std::size_t current_ = 0;
    std::size_t visited_ = 0;
};

} // namespace agendor::postgres
