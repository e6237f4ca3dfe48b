#pragma once
// The query dialect written out as SQLite's SQL.
//
// Every name is emitted in square brackets, which SQLite never takes for a
// string.
#include <string>
#include <string_view>

#include "agendor/platform/sql/query_writer.h"
#include "agendor/platform/sql/sql_target.h"
#include "agendor/sqlite_export.h"

namespace agendor::sqlite {

// How date-time fields are stored in the database.
enum class DateStorage {
    // REAL: days since 30 Dec 1899 (the control's own date-time value).
    Real,
    // TEXT in ISO 8601 form "YYYY-MM-DD HH:MM:SS" (a blank between date
    // and time), compared as text; the form most SQLite applications write.
    IsoText,
};

struct TranslateOptions {
    DateStorage storage = DateStorage::Real;
    // DateValue(field) compared with a date literal becomes a range on the
    // field, so an index on it is used. Off only to measure what the rewrite
    // gains: then DateValue is computed for every row.
    bool rewriteDateValue = true;
    // Emits NOT INDEXED after the table name, forcing a scan. For
    // measurements only.
    bool forceTableScan = false;
    // Texts in ORDER BY sort in German order (german_collation.h). Off only
    // to measure what the collation costs: then SQLite's byte order.
    bool germanTextOrder = true;
};

class AGENDOR_SQLITE_EXPORT SqliteDialect final : public sql::SqlTarget {
public:
    explicit SqliteDialect(const TranslateOptions& options = {}) : options_(options) {}

    std::string QuoteName(const std::string& name) const override;
    std::string TableReference(const std::string& name) const override;
    std::string Divide(const std::string& a, const std::string& b) const override;
    std::string DateTimeLiteral(const sql::DateLiteral& date) const override;
    std::string LiteralAgainstDay(const sql::DateLiteral& date) const override;
    std::string DatePart(const std::string& expression, const sql::FieldRef* field) const override;
    std::string DayAtOrAfter(const sql::DateField& field, long day) const override;
    std::string DayBefore(const sql::DateField& field, long day) const override;
    std::string CompareWithDate(const sql::DateField& field, const std::string& op,
                                const sql::DateLiteral& date) const override;
    bool RewritesDateValue() const override { return options_.rewriteDateValue; }
    std::string DateOrderKey(const sql::DateField& field, std::optional<long> firstDay) const override;
    std::string TextOrderKey(const std::string& expression, const sql::FieldRef* field) const override;

private:
    std::string DayValue(long day) const;

    TranslateOptions options_;
};

AGENDOR_SQLITE_EXPORT sql::Translation TranslateQuery(std::string_view text, const TranslateOptions& options = {});

} // namespace agendor::sqlite
