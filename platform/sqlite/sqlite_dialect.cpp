#include "agendor/platform/sqlite/sqlite_dialect.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "agendor/platform/date_time.h"
#include "agendor/platform/sqlite/german_collation.h"

namespace agendor::sqlite {
namespace {

// Pieces appended in order. Used where a piece is a temporary: GCC 12 at
// -O3 warns that "(" + temporary may copy overlapping memory.
template <typename... Pieces>
std::string Cat(const Pieces&... pieces) {
    std::string result;
    (result.append(pieces), ...);
    return result;
}

std::string NumberText(double value) {
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

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

// A REAL date-time value as a number that grows with the calendar: days
// before 30 Dec 1899 count their fraction backwards (-1.25 is 29 Dec 06:00,
// -1.75 is 18:00), so the key of a negative value d - f is d + f, the same
// day with its time counted forwards. Values from day 0 on are their own key.
std::string CalendarKey(const std::string& field) {
    return "(CASE WHEN " + field + " < 0 THEN 2 * CAST(" + field + " AS INTEGER) - " + field + " ELSE " + field +
           " END)";
}

// The calendar key of a literal's value.
double CalendarKeyOf(double value) {
    return value < 0 ? 2 * std::trunc(value) - value : value;
}

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
    return NumberText(dt::FromYmdHms(date.year, date.month, date.day, date.hour, date.minute, date.second));
}

std::string SqliteDialect::DatePart(const std::string& expression, const sql::FieldRef*) const {
    // The integral part of the day count (towards zero, as days before 1899
    // count their fraction backwards), or the first ten characters of an
    // ISO text.
    if (options_.storage == DateStorage::Real) return "CAST(" + expression + " AS INTEGER)";
    return "date(" + expression + ")";
}

// Days before 30 Dec 1899 count their fraction backwards from midnight
// (-1.25 is 29 Dec 06:00), so day d < 0 holds the values (d - 1, d], day 0
// the values (-1, 1) and day d > 0 the values [d, d + 1). The two bounds
// below are "at or after midnight of day d" and "before midnight of day d"
// in calendar order, each a single comparison an index can serve.
std::string SqliteDialect::DayAtOrAfter(const sql::DateField& field, long day) const {
    if (options_.storage == DateStorage::IsoText) return field.written + " >= " + TextLiteral(IsoDay(day));
    if (day >= 1) return field.written + " >= " + std::to_string(day);
    return field.written + " > " + std::to_string(day - 1);
}

std::string SqliteDialect::DayBefore(const sql::DateField& field, long day) const {
    if (options_.storage == DateStorage::IsoText) return field.written + " < " + TextLiteral(IsoDay(day));
    if (day >= 1) return field.written + " < " + std::to_string(day);
    return field.written + " <= " + std::to_string(day - 1);
}

std::string SqliteDialect::CompareWithDate(const sql::DateField& field, const std::string& op,
                                           const sql::DateLiteral& date) const {
    const long day = date.DayNumber();
    if (date.IsMidnight() && op == ">=") return Cat("(", DayAtOrAfter(field, day), ")");
    if (date.IsMidnight() && op == "<") return Cat("(", DayBefore(field, day), ")");
    if (options_.storage == DateStorage::IsoText)
        return Cat("(", NormalisedIso(field.written), " ", op, " ", NormalisedIsoLiteral(date), ")");
    if (date.IsMidnight()) {
        const std::string value = DayValue(day);
        if (day <= 0) {
            if (op == ">") return Cat("(", DayAtOrAfter(field, day), " AND ", field.written, " <> ", value, ")");
            if (op == "<=") return Cat("(", DayBefore(field, day), " OR ", field.written, " = ", value, ")");
        }
        return "(" + field.written + " " + op + " " + value + ")";
    }
    // From day 1 on, every negative value lies before the literal both as a
    // number and in the calendar, so the stored value compares directly.
    if (day >= 1) return Cat("(", field.written, " ", op, " ", DateTimeLiteral(date), ")");
    const double value = dt::FromYmdHms(date.year, date.month, date.day, date.hour, date.minute, date.second);
    return Cat("(", CalendarKey(field.written), " ", op, " ", NumberText(CalendarKeyOf(value)), ")");
}

std::string SqliteDialect::DateOrderKey(const sql::DateField& field, std::optional<long> firstDay) const {
    if (options_.storage == DateStorage::IsoText) return NormalisedIso(field.written);
    // Where the bounds leave only days from 1 on, the stored values are in
    // calendar order already and an index on the field serves the order.
    if (firstDay && *firstDay >= 1) return field.written;
    return CalendarKey(field.written);
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
