#include "agendor/platform/sql/day_count.h"

#include <cmath>

#include "agendor/platform/database.h"
#include "agendor/core/date_time.h"
#include "agendor/platform/sql/text_pieces.h"

namespace agendor::sql::day_count {
namespace {

// The calendar key of a stored value, computed as OrderKey has the engine
// compute it: 2 * trunc(v) - v in double precision. Taking the key of the
// value the control stores for the literal (rather than day + fraction,
// which may differ in the last bit) keeps "=" true for that very value.
double KeyOf(double value) { return value < 0 ? 2 * std::trunc(value) - value : value; }

} // namespace

std::string AtOrAfter(const std::string& field, long day) {
    if (day >= 1) return field + " >= " + std::to_string(day);
    return field + " > " + std::to_string(day - 1);
}

std::string Before(const std::string& field, long day) {
    if (day >= 1) return field + " < " + std::to_string(day);
    return field + " <= " + std::to_string(day - 1);
}

std::string Value(const DateLiteral& date) {
    if (!date.hasTime || date.IsMidnight()) return std::to_string(date.DayNumber());
    return FieldValue(dt::FromYmdHms(date.year, date.month, date.day, date.hour, date.minute, date.second)).AsText();
}

std::string CalendarKey(const DateLiteral& date) {
    if (!date.hasTime || date.IsMidnight()) return std::to_string(date.DayNumber());
    return FieldValue(KeyOf(dt::FromYmdHms(date.year, date.month, date.day, date.hour, date.minute, date.second)))
        .AsText();
}

std::string Compare(const std::string& field, const std::string& integralPart, const std::string& op,
                    const DateLiteral& date) {
    const long day = date.DayNumber();
    if (!date.IsMidnight()) {
        // From day 1 on every earlier value is also smaller.
        if (day >= 1) return Cat("(", field, " ", op, " ", Value(date), ")");
        // Before it, compare calendar keys: day plus the forward fraction.
        const double value = dt::FromYmdHms(date.year, date.month, date.day, date.hour, date.minute, date.second);
        return Cat("(", OrderKey(field, integralPart, std::nullopt), " ", op, " ", FieldValue(KeyOf(value)).AsText(),
                   ")");
    }
    if (op == ">=") return Cat("(", AtOrAfter(field, day), ")");
    if (op == "<") return Cat("(", Before(field, day), ")");
    const std::string value = std::to_string(day);
    if (day <= 0) {
        if (op == ">") return Cat("(", AtOrAfter(field, day), " AND ", field, " <> ", value, ")");
        if (op == "<=") return Cat("(", Before(field, day), " OR ", field, " = ", value, ")");
    }
    return "(" + field + " " + op + " " + value + ")";
}

std::string OrderKey(const std::string& field, const std::string& integralPart, std::optional<long> firstDay) {
    if (firstDay && *firstDay >= 1) return field;
    // A negative value v of day trunc(v) at time t is trunc(v) - t; its key
    // trunc(v) + t is 2 * trunc(v) - v. Day 0's values before midnight
    // (-1, 0) get 0 + t as well.
    return "(CASE WHEN " + field + " < 0 THEN 2 * " + integralPart + " - " + field + " ELSE " + field + " END)";
}

} // namespace agendor::sql::day_count
