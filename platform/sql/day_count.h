#pragma once
// Date fields that hold the control's own date-time value, a day count
// since 30 Dec 1899 as a floating number, written out for any engine: the
// bounds of a day, comparisons with a literal and the order, all in
// calendar order.
//
// Days before 30 Dec 1899 count their fraction backwards from midnight
// (-1.25 is 29 Dec 06:00), so day d < 0 holds the values (d - 1, d], day 0
// the values (-1, 1) and day d > 0 the values [d, d + 1). Numeric order is
// calendar order from day 1 on; before it the bounds and keys below make up
// for the backward fraction.
#include <optional>
#include <string>

#include "agendor/platform/sql/query_syntax.h"
#include "agendor/sql_export.h"

namespace agendor::sql::day_count {

// "at or after midnight of day" and "before midnight of day" as one
// comparison each, which an index on the field can serve.
AGENDOR_SQL_EXPORT std::string AtOrAfter(const std::string& field, long day);
AGENDOR_SQL_EXPORT std::string Before(const std::string& field, long day);
// field op literal (= <> < <= > >=) in calendar order. integralPart: the
// engine's spelling of the field's integral part, truncated towards zero
// (SQLite's CAST AS INTEGER, PostgreSQL's trunc).
AGENDOR_SQL_EXPORT std::string Compare(const std::string& field, const std::string& integralPart,
                                       const std::string& op, const DateLiteral& date);
// A sort key in calendar order: the field itself when the query lets
// through only days from 1 on (firstDay), so the index keeps serving the
// order.
AGENDOR_SQL_EXPORT std::string OrderKey(const std::string& field, const std::string& integralPart,
                                        std::optional<long> firstDay);
// The value of a literal as the field stores it.
AGENDOR_SQL_EXPORT std::string Value(const DateLiteral& date);
// The literal's place in calendar order (day plus the time of day forwards),
// to compare with a day's integral value: before 1900 a stored 06:00 counts
// backwards, its key forwards.
AGENDOR_SQL_EXPORT std::string CalendarKey(const DateLiteral& date);

} // namespace agendor::sql::day_count
