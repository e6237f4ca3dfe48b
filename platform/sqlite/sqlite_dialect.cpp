#include "agendor/platform/sqlite/sqlite_dialect.h"

#include <cstdio>

#include "agendor/core/date_time.h"
#include "agendor/platform/sql/day_count.h"
#include "agendor/platform/sql/text_pieces.h"
#include "agendor/platform/sqlite/german_collation.h"

namespace agendor::sqlite {
namespace {

using sql::Cat;

std::string IsoDate(int year, int month, int day) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", year, month, day);
    return buffer;
}

// The ISO text of a day; the day after 31 Dec 9999 becomes a text that
// sorts after every text of that last day.
std::string IsoDay(long day) {
    static const long kLastDay = static_cast<long>(dt::FromYmd(dt::kMaxYear, 12, 31));
    if (day > kLastDay) return "9999-12-32";
    const dt::Ymd ymd = dt::ToYmd(static_cast<double>(day));
    return IsoDate(ymd.year, ymd.month, ymd.day);
}

// The integral part of a REAL day count, truncated towards zero.
std::string IntegralPart(const std::string& field) { return "CAST(" + field + " AS INTEGER)"; }

// ISO texts in every form the reader takes ("2001-03-05", a blank or a T
// before the time, with or without seconds and their fraction) written as
// one form, "YYYY-MM-DD HH:MM:SS.SSS", which orders as text in calendar
// order. A text of another form gives NULL here and fails when read.
std::string NormalisedIso(const std::string& field) { return "strftime('%Y-%m-%d %H:%M:%f', " + field + ")"; }

std::string NormalisedIsoLiteral(const sql::DateLiteral& date) {
    char text[32];
    std::snprintf(text, sizeof text, "'%04d-%02d-%02d %02d:%02d:%02d.000'", date.year, date.month, date.day, date.hour,
                  date.minute, date.second);
    return text;
}

} // namespace

std::string SqliteDialect::QuoteName(const std::string& name) const { return "[" + name + "]"; }

std::string SqliteDialect::TableReference(const std::string& name) const {
    return options_.forceTableScan ? QuoteName(name) + " NOT INDEXED" : QuoteName(name);
}

std::string SqliteDialect::Divide(const std::string& a, const std::string& b) const {
    return "(CAST(" + a + " AS REAL) / " + b + ")";
}

std::string SqliteDialect::DayValue(long day) const {
    if (options_.storage == DateStorage::IsoText) return TextLiteral(IsoDay(day));
    return std::to_string(day);
}

std::string SqliteDialect::DateTimeLiteral(const sql::DateLiteral& date) const {
    if (!date.hasTime || date.IsMidnight()) return DayValue(date.DayNumber());
    if (options_.storage == DateStorage::IsoText) {
        char time[16];
        std::snprintf(time, sizeof time, " %02d:%02d:%02d", date.hour, date.minute, date.second);
        return TextLiteral(IsoDate(date.year, date.month, date.day) + time);
    }
    return sql::day_count::Value(date);
}

// A day's integral value against the literal's place in the calendar: before
// 1900 a stored 06:00 counts backwards, the literal's key forwards. ISO texts
// compare in calendar order as they are.
std::string SqliteDialect::LiteralAgainstDay(const sql::DateLiteral& date) const {
    if (options_.storage == DateStorage::Real) return sql::day_count::CalendarKey(date);
    return DateTimeLiteral(date);
}

std::string SqliteDialect::DatePart(const std::string& expression, const sql::FieldRef*) const {
    // The integral part of the day count (towards zero, as days before 1899
    // count their fraction backwards), or the first ten characters of an
    // ISO text.
    if (options_.storage == DateStorage::Real) return IntegralPart(expression);
    return "date(" + expression + ")";
}

// ISO texts order as text in calendar order; REAL day counts follow the
// engine-neutral rules of the day count.
std::string SqliteDialect::DayAtOrAfter(const sql::DateField& field, long day) const {
    if (options_.storage == DateStorage::IsoText) return field.written + " >= " + TextLiteral(IsoDay(day));
    return sql::day_count::AtOrAfter(field.written, day);
}

std::string SqliteDialect::DayBefore(const sql::DateField& field, long day) const {
    if (options_.storage == DateStorage::IsoText) return field.written + " < " + TextLiteral(IsoDay(day));
    return sql::day_count::Before(field.written, day);
}

std::string SqliteDialect::CompareWithDate(const sql::DateField& field, const std::string& op,
                                           const sql::DateLiteral& date) const {
    if (options_.storage == DateStorage::Real)
        return sql::day_count::Compare(field.written, IntegralPart(field.written), op, date);
    const long day = date.DayNumber();
    if (date.IsMidnight() && op == ">=") return Cat("(", DayAtOrAfter(field, day), ")");
    if (date.IsMidnight() && op == "<") return Cat("(", DayBefore(field, day), ")");
    return Cat("(", NormalisedIso(field.written), " ", op, " ", NormalisedIsoLiteral(date), ")");
}

std::string SqliteDialect::DateOrderKey(const sql::DateField& field, std::optional<long> firstDay) const {
    if (options_.storage == DateStorage::IsoText) return NormalisedIso(field.written);
    return sql::day_count::OrderKey(field.written, IntegralPart(field.written), firstDay);
}

std::string SqliteDialect::TextOrderKey(const std::string& expression, const sql::FieldRef*) const {
    // The collation applies where SQLite compares two texts; numbers and
    // dates in the same ORDER BY keep their own order.
    if (!options_.germanTextOrder) return expression;
    return expression + " COLLATE " + kGermanCollation;
}

sql::Translation TranslateQuery(std::string_view text, const TranslateOptions& options) {
    return sql::TranslateQuery(text, SqliteDialect(options));
}

} // namespace agendor::sqlite
