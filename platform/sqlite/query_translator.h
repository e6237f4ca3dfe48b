#pragma once
// Translates the control's query dialect into SQLite's SQL.
//
// The dialect: SELECT list From table [WHERE condition] [ORDER BY list] [;]
// with table.field or field names, bare or in square brackets, the
// keywords And, Or, Not, Is [Not] Null, comparisons = <> < <= > >=,
// arithmetic + - * / and & (text concatenation), numbers, 'text' strings,
// date literals #m/d/yyyy# and #m/d/yyyy h:nn[:ss]# and DateValue(x), the
// date part of a date-time value. Keywords and names compare without regard
// to case. Everything else, and every text with a second statement or a
// statement other than SELECT, is refused with SqliteError.
//
// Every name is emitted in square brackets, which SQLite never takes for a
// string; a name therefore may not hold ] (nor " ' ; -- or control
// characters, which no table or field name needs).
#include <string>
#include <string_view>
#include <vector>

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
};

struct Translation {
    std::string sql;
    // Fields compared with a date literal or passed to DateValue, as written
    // in the text (without brackets). Their values are read as date-time
    // values.
    std::vector<std::string> dateFields;
};

AGENDOR_SQLITE_EXPORT Translation TranslateQuery(std::string_view text, const TranslateOptions& options = {});

} // namespace agendor::sqlite
