#pragma once
// The query dialect written out as PostgreSQL's SQL.
//
// Names are resolved against the server's catalog without regard to case
// (as the dialect compares them) and written in double quotes as stored, so
// mixed-case names of a host's schema work and so do names the server
// folded to lower case. Date fields may be timestamp (or date) columns or
// double precision day counts since 30 Dec 1899; the column's type decides
// how literals and bounds are written. Text is ordered with the server's
// German ICU collation "de-x-icu". Every function and collation is named
// with its schema, pg_catalog.
#include <functional>
#include <string>
#include <string_view>

#include "agendor/platform/postgres/pg_catalog.h"
#include "agendor/platform/sql/query_writer.h"
#include "agendor/platform/sql/sql_target.h"

namespace agendor::postgres {

// The collation person names are ordered with, as the SQLite engine orders
// them (German, letters without regard to case first).
constexpr const char* kGermanCollation = "de-x-icu";

class PgDialect final : public sql::SqlTarget {
public:
    // table: the catalog's entry of the query's table, nullptr when the
    // server has none (the server then reports the name).
    // dateFields: the fields the query compares with dates.
    PgDialect(const TableInfo* table, const std::vector<std::string>& dateFields, bool rewriteDateValue);

    std::string QuoteName(const std::string& name) const override;
    std::string TableReference(const std::string& name) const override;
    // In the E'' form, which the server reads the same whatever its
    // standard_conforming_strings says.
    std::string TextLiteral(const std::string& text) const override;
    std::string DateTimeLiteral(const sql::DateLiteral& date) const override;
    std::string LiteralAgainstDay(const sql::DateLiteral& date) const override;
    std::string DatePart(const std::string& expression, const sql::FieldRef* field) const override;
    std::string DayAtOrAfter(const sql::DateField& field, long day) const override;
    std::string DayBefore(const sql::DateField& field, long day) const override;
    std::string CompareWithDate(const sql::DateField& field, const std::string& op,
                                const sql::DateLiteral& date) const override;
    bool RewritesDateValue() const override { return rewriteDateValue_; }
    std::string DateOrderKey(const sql::DateField& field, std::optional<long> firstDay) const override;
    std::string TextOrderKey(const std::string& expression, const sql::FieldRef* field) const override;

private:
    const ColumnInfo* ColumnOf(const std::string& field) const;
    // Whether the field holds timestamps (or dates) rather than day counts.
    bool IsTimestamp(const std::string& field) const;

    const TableInfo* table_;
    // How date literals outside comparisons with a field are written: as
    // the query's first date field stores them.
    bool timestampLiterals_ = false;
    bool rewriteDateValue_;
};

using TableLookup = std::function<const TableInfo*(const std::string& name)>;

// Parses text, looks its table up and writes it for the server. Raises
// agendor::Error for a text outside the dialect.
std::string TranslateForServer(std::string_view text, const TableLookup& lookup, bool rewriteDateValue = true);

} // namespace agendor::postgres
