#pragma once
// The control's query dialect, parsed into a tree that each engine's target
// writes out (see sql_target.h and query_writer.h).
//
// The dialect: SELECT list From table [WHERE condition] [ORDER BY list] [;]
// with table.field or field names, bare or in square brackets, the
// keywords And, Or, Not, Is [Not] Null, comparisons = <> < <= > >=,
// arithmetic + - * / and & (text concatenation), numbers, 'text' strings,
// date literals #m/d/yyyy# and #m/d/yyyy h:nn[:ss]# and DateValue(x), the
// date part of a date-time value. Keywords and names compare without regard
// to case. Everything else, and every text with a second statement or a
// statement other than SELECT, is refused with QueryError.
//
// A name may not hold ] (nor " ' ; -- or control characters, which no table
// or field name needs), so every target can quote it without escaping.
// The text must be UTF-8 without a zero byte (both engines would cut the
// statement there), a field may be qualified only by the table after FROM
// (the query reads that one table), and the expression tree is at most 200
// levels deep (well inside what the engines' parsers take).
#include <memory>
#include <string>
#include <string_view>
#include <vector>
#include "agendor/sql_export.h"

namespace agendor::sql {

struct AGENDOR_SQL_EXPORT DateLiteral {
    int year = 0;    // [100, 9999]
    int month = 0;   // [1, 12]
    int day = 0;     // [1, 31]
    int hour = 0;    // [0, 23]
    int minute = 0;  // [0, 59]
    int second = 0;  // [0, 59]
    bool hasTime = false;

    bool IsMidnight() const { return hour == 0 && minute == 0 && second == 0; }
    // Serial day number of the literal's day (0 = 30 Dec 1899).
    long DayNumber() const;
};

struct Node {
    enum class Kind { Column, Number, String, Date, Null, DateValue, Negate, Not, Binary, IsNull };
    Kind kind;
    std::string table;  // Column: empty when unqualified
    std::string text;   // Column: field; Number: digits; String: content; Binary: operator
    DateLiteral date;
    bool negated = false;  // IsNull: IS NOT NULL
    int depth = 1;         // levels of the tree from this node down, [1, 64]
    std::vector<std::unique_ptr<Node>> operands;

    explicit Node(Kind k) : kind(k) {}
};
using NodePtr = std::unique_ptr<Node>;

struct SelectItem {
    enum class Kind { All, TableAll, Expression };
    Kind kind = Kind::All;
    std::string table;  // TableAll: the table before .*
    NodePtr expression;
    std::string alias;  // empty without AS
};

struct OrderItem {
    enum class Direction { Unspecified, Ascending, Descending };
    NodePtr expression;
    Direction direction = Direction::Unspecified;
};

struct ParsedQuery {
    std::string text;  // as the control sent it, for error messages
    std::vector<SelectItem> select;
    std::string table;
    NodePtr where;  // null without WHERE
    std::vector<OrderItem> orderBy;
    // Fields compared with a date literal or passed to DateValue, as written
    // (without brackets), in text order, each once (compared without regard
    // to case). Their values are date-time values.
    std::vector<std::string> dateFields;

    bool IsDateField(std::string_view field) const;
};

// Raises QueryError (no result code) for a text outside the dialect.
AGENDOR_SQL_EXPORT ParsedQuery ParseQuery(std::string_view text);

AGENDOR_SQL_EXPORT bool IsComparison(std::string_view op);
// The operator that keeps the meaning when the operands swap sides (< to >).
AGENDOR_SQL_EXPORT std::string Mirrored(const std::string& op);
AGENDOR_SQL_EXPORT bool EqualsIgnoringCase(std::string_view a, std::string_view b);

} // namespace agendor::sql
