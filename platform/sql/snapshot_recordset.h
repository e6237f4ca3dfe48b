#pragma once
// What every engine's snapshot recordset shares: all rows are in memory
// once the query has run, so the position is a row number, RecordCount
// counts the rows the position has reached, and a field is found by its
// name without regard to case, with or without the brackets a query text
// needs. The engine supplies the column names, the cells and its error.
#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "agendor/platform/database.h"
#include "agendor/sql_export.h"

namespace agendor::sql {

// From 2^53 on a double no longer holds every integer: a number read from
// there (an id in a numeric or REAL field) could come out as its neighbour.
// Such a value is refused when read, with the message below, as a number
// beyond 32 bits is refused where the control needs an id.
inline constexpr double kFirstInexactInteger = 9007199254740992.0;
inline bool IsInexact(double value) { return value >= kFirstInexactInteger || value <= -kFirstInexactInteger; }
// "Das Feld F enthält die Zahl N; ..." with the number as the engine wrote it.
AGENDOR_SQL_EXPORT std::string InexactNumberMessage(const std::string& field, const std::string& number);

class AGENDOR_SQL_EXPORT SnapshotRecordset : public Recordset {
public:
    bool IsEOF() const final { return current_ >= rows_; }
    void MoveNext() final;
    void MoveFirst() final;
    void MoveLast() final;
    long RecordCount() const final { return static_cast<long>(visited_); }
    FieldValue Field(std::string_view name) const final;

protected:
    explicit SnapshotRecordset(std::size_t rows);

    // The result's column names in capitals (ASCII), in column order.
    virtual const std::vector<std::string>& UpperColumnNames() const = 0;
    // The value of one cell of the current row; raises the engine's error
    // for a value that cannot be read.
    virtual FieldValue Cell(std::size_t row, std::size_t column) const = 0;
    // Raises the engine's error with message.
    [[noreturn]] virtual void Fail(const std::string& message) const = 0;

private:
    std::size_t ColumnOf(std::string_view name) const;
    void Visit();

    std::size_t rows_;
    std::size_t current_ = 0;
    std::size_t visited_ = 0;
    // The columns of the names asked for so far, as they were written: the
    // control reads the same few fields in every row.
    mutable std::vector<std::pair<std::string, std::size_t>> asked_;
};

} // namespace agendor::sql
