#pragma once
// A snapshot recordset over one complete result of the server: libpq has
// every row in memory once the query returns, so later changes by other
// users do not show in it. Values are converted when a field is read, from
// the server's text or, where the session asked for it, its binary form;
// both give the same values.
#include <cstddef>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "agendor/platform/database.h"
#include "agendor/platform/postgres/pg_handles.h"
#include "agendor/platform/sql/snapshot_recordset.h"

namespace agendor::postgres {

// A complete result, read by several recordsets at once (each with its own
// position) and kept by the session to be handed out again, with the
// date-time values converted so far: a Refresh that gets the result again
// reads the same dates again, and they are converted only once.
struct ResultRows {
    explicit ResultRows(Result rows) : result(std::move(rows)) {}
    Result result;
    // Per column, once one of its date-times is read: each row's value,
    // NaN while not read yet (no date-time value is NaN).
    mutable std::vector<std::vector<double>> dateTimes;
};
using SharedRows = std::shared_ptr<const ResultRows>;

// Numbers of the server's integer, floating and numeric types come as
// numbers, timestamp and date as date-time values (a timestamp with time
// zone as the wall-clock time of the session's zone), everything else as
// text.
class PgRecordset final : public sql::SnapshotRecordset {
public:
    // rows: a PGRES_TUPLES_OK result, in text format or in binary format
    // with only types ReadsExactlyInBinary accepts.
    PgRecordset(SharedRows rows, std::string queryText);

    // Whether the server sent the values in its binary form.
    bool ReadsBinary() const { return binary_; }
    // Whether values of the server's type come out of its binary form
    // exactly as out of its text: the integers, oid, float4/8, bool,
    // timestamp, date and the text types.
    static bool ReadsExactlyInBinary(Oid type);

private:
    enum class Kind { Text, Integer, Real, Boolean, DateTime };
    const std::vector<std::string>& UpperColumnNames() const override { return upperNames_; }
    FieldValue Cell(std::size_t row, std::size_t column) const override;
    [[noreturn]] void Fail(const std::string& message) const override;
    FieldValue Convert(int row, int column) const;
    FieldValue ConvertBinary(int column, std::string_view bytes) const;
    [[noreturn]] void FailDateTime(int column, const std::string& text) const;
    [[noreturn]] void FailInexact(int column, const std::string& text) const;

    SharedRows shared_;
    const PGresult* result_;  // shared_'s
    std::string queryText_;
    std::vector<std::string> upperNames_;  // the columns' names in capitals
    std::vector<Kind> kinds_;
    std::vector<Oid> types_;
    bool binary_ = false;
};

} // namespace agendor::postgres
