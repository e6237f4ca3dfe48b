#include "agendor/platform/postgres/pg_dialect.h"

#include <cstdio>

#include "agendor/core/date_time.h"
#include "agendor/platform/postgres/pg_handles.h"
#include "agendor/platform/sql/day_count.h"
#include "agendor/platform/sql/query_syntax.h"

namespace agendor::postgres {
namespace {

std::string Timestamp(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "TIMESTAMP '%04d-%02d-%02d %02d:%02d:%02d'", year, month, day, hour, minute,
                  second);
    return buffer;
}

std::string TimestampOfDay(long day) {
    // The day after 31 Dec 9999 is still a valid timestamp on the server.
    static const long kLastDay = static_cast<long>(dt::FromYmd(dt::kMaxYear, 12, 31));
    if (day > kLastDay) return Timestamp(10000, 1, 1);
    const dt::Ymd ymd = dt::ToYmd(static_cast<double>(day));
    return Timestamp(ymd.year, ymd.month, ymd.day);
}

} // namespace

PgDialect::PgDialect(const TableInfo* table, const std::vector<std::string>& dateFields, bool rewriteDateValue)
    : table_(table), rewriteDateValue_(rewriteDateValue) {
    if (!dateFields.empty()) timestampLiterals_ = IsTimestamp(dateFields.front());
}

const ColumnInfo* PgDialect::ColumnOf(const std::string& field) const {
    return table_ != nullptr ? table_->Column(field) : nullptr;
}

bool PgDialect::IsTimestamp(const std::string& field) const {
    const ColumnInfo* column = ColumnOf(field);
    return column != nullptr && (column->type == ColumnType::Timestamp || column->type == ColumnType::Date);
}

std::string PgDialect::QuoteName(const std::string& name) const {
    if (table_ != nullptr && sql::EqualsIgnoringCase(name, table_->name)) return QuotedName(table_->name);
    if (const ColumnInfo* column = ColumnOf(name)) return QuotedName(column->name);
    return QuotedName(name);
}

// With its schema: the session's search path holds only the server's own
// schemas.
std::string PgDialect::TableReference(const std::string& name) const {
    return table_ != nullptr ? QualifiedName(*table_) : QuotedName(name);
}

std::string PgDialect::TextLiteral(const std::string& text) const { return QuotedText(text); }

std::string PgDialect::DateTimeLiteral(const sql::DateLiteral& date) const {
    if (timestampLiterals_) return Timestamp(date.year, date.month, date.day, date.hour, date.minute, date.second);
    return sql::day_count::Value(date);
}

std::string PgDialect::LiteralAgainstDay(const sql::DateLiteral& date) const {
    if (timestampLiterals_) return DateTimeLiteral(date);
    return sql::day_count::CalendarKey(date);
}

std::string PgDialect::DatePart(const std::string& expression, const sql::FieldRef* field) const {
    const bool timestamp = field != nullptr ? IsTimestamp(field->field) : timestampLiterals_;
    // A timestamp's day at midnight, still a timestamp so it compares with
    // the literals; a day count's integral part, towards zero, since days
    // before 1899 count their fraction backwards.
    if (timestamp) return "pg_catalog.date_trunc('day', " + expression + ")";
    return "pg_catalog.trunc(" + expression + ")";
}

std::string PgDialect::DayAtOrAfter(const sql::DateField& field, long day) const {
    if (IsTimestamp(field.ref.field)) return field.written + " >= " + TimestampOfDay(day);
    return sql::day_count::AtOrAfter(field.written, day);
}

std::string PgDialect::DayBefore(const sql::DateField& field, long day) const {
    if (IsTimestamp(field.ref.field)) return field.written + " < " + TimestampOfDay(day);
    return sql::day_count::Before(field.written, day);
}

std::string PgDialect::CompareWithDate(const sql::DateField& field, const std::string& op,
                                       const sql::DateLiteral& date) const {
    if (IsTimestamp(field.ref.field))
        return "(" + field.written + " " + op + " " +
               Timestamp(date.year, date.month, date.day, date.hour, date.minute, date.second) + ")";
    return sql::day_count::Compare(field.written, "pg_catalog.trunc(" + field.written + ")", op, date);
}

// Timestamps sort in calendar order as they are, so an index on the field
// serves the order.
std::string PgDialect::DateOrderKey(const sql::DateField& field, std::optional<long> firstDay) const {
    if (IsTimestamp(field.ref.field)) return field.written;
    return sql::day_count::OrderKey(field.written, "pg_catalog.trunc(" + field.written + ")", firstDay);
}

std::string PgDialect::TextOrderKey(const std::string& expression, const sql::FieldRef* field) const {
    const ColumnInfo* column = field != nullptr ? ColumnOf(field->field) : nullptr;
    if (column != nullptr && column->type == ColumnType::Text)
        return expression + " COLLATE pg_catalog." + QuotedName(kGermanCollation);
    return expression;
}

std::string TranslateForServer(std::string_view text, const TableLookup& lookup, bool rewriteDateValue) {
    const sql::ParsedQuery query = sql::ParseQuery(text);
    const TableInfo* table = lookup(query.table);
    return sql::WriteQuery(query, PgDialect(table, query.dateFields, rewriteDateValue));
}

} // namespace agendor::postgres
