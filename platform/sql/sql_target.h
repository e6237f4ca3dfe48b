#pragma once
// What an engine's SQL needs from the query writer: the writer walks the
// parsed dialect and asks the target for every piece whose spelling or
// meaning differs between engines. A new engine implements this interface
// and passes it to TranslateQuery (query_writer.h); nothing else changes.
#include <optional>
#include <string>

#include "agendor/platform/sql/query_syntax.h"
#include "agendor/sql_export.h"

namespace agendor::sql {

// A field as the query names it (without brackets). A query reads one
// table, so table is the name after FROM also where the field stands
// unqualified.
struct FieldRef {
    std::string table;
    std::string field;
};

// A date field in a comparison or an ORDER BY: its name and how the writer
// already wrote it (quoted, qualified).
struct DateField {
    FieldRef ref;
    std::string written;
};

class AGENDOR_SQL_EXPORT SqlTarget {
public:
    virtual ~SqlTarget() = default;

    // A table or field name, quoted so that the engine takes it as a name
    // whatever it holds (blanks, umlauts, keywords). Names never contain
    // ] " ' ; -- or control characters (the parser refuses them).
    virtual std::string QuoteName(const std::string& name) const = 0;
    // The table after FROM; QuoteName unless the target adds to it.
    virtual std::string TableReference(const std::string& name) const { return QuoteName(name); }
    // A text constant. The default doubles single quotes.
    virtual std::string TextLiteral(const std::string& text) const;
    // a & b, text concatenation.
    virtual std::string Concatenate(const std::string& a, const std::string& b) const;
    // a / b without truncation, also for two integers.
    virtual std::string Divide(const std::string& a, const std::string& b) const;

    // ---- dates. Day numbers count from 30 Dec 1899 (day 0); negative days
    // lie before it.

    // A date literal not compared with a field (in the select list, or
    // compared with an expression or another literal).
    virtual std::string DateTimeLiteral(const DateLiteral& date) const = 0;
    // A date literal compared with DateValue(x): the midnight of x's day is
    // compared with it in calendar order. The default is DateTimeLiteral.
    virtual std::string LiteralAgainstDay(const DateLiteral& date) const { return DateTimeLiteral(date); }
    // DateValue(expression): the date part. field is set when the argument
    // is a bare field.
    virtual std::string DatePart(const std::string& expression, const FieldRef* field) const = 0;
    // The rows whose field lies at or after midnight of day, and before
    // midnight of day, in calendar order. Each should be one comparison an
    // index can serve; the writer builds DateValue(field) op #d# from them.
    virtual std::string DayAtOrAfter(const DateField& field, long day) const = 0;
    virtual std::string DayBefore(const DateField& field, long day) const = 0;
    // field op literal (op one of = <> < <= > >=, the field on the left), in
    // calendar order, for literals with and without a time.
    virtual std::string CompareWithDate(const DateField& field, const std::string& op,
                                        const DateLiteral& date) const = 0;
    // Whether DateValue(field) op #d# becomes a range of DayAtOrAfter and
    // DayBefore (so an index serves it) rather than DatePart op literal.
    virtual bool RewritesDateValue() const { return true; }

    // ---- ORDER BY. Each returns the sort key the writer puts in the ORDER
    // BY list (the writer appends ASC or DESC as the text had it).

    // A date field: the key must sort in calendar order. firstDay is the
    // earliest day the WHERE clause lets through for this field (from the
    // bounds joined by And at its top), when it sets one; a target whose
    // stored values sort in calendar order only from some day on may then
    // sort by the plain field. The default is the field itself.
    virtual std::string DateOrderKey(const DateField& field, std::optional<long> firstDay) const;
    // Every other ORDER BY item (a field not known as a date, or an
    // expression); it may be a text, which must sort as a German reader
    // expects. field is set for a bare field. The default leaves it as
    // written, in the engine's own order.
    virtual std::string TextOrderKey(const std::string& expression, const FieldRef* field) const;
};

} // namespace agendor::sql
