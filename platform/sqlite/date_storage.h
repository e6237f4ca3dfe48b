#pragma once
// How a date field of the host's table keeps its values, found as the
// engine finds it when it reads the field, and a date-time written and
// compared in that form. For a host that stores the control's changes in the
// file the control reads: a number written into a field of ISO texts is a
// text the engine cannot read, and a text compared with a number never
// matches.
#include <optional>
#include <string>

#include "agendor/platform/sqlite/sqlite_dialect.h"
#include "agendor/platform/types.h"
#include "agendor/sqlite_export.h"

struct sqlite3;
struct sqlite3_stmt;

namespace agendor::sqlite {

// The storage of table.field as its values show it: Real when it holds only
// numbers, IsoText when only texts (all of them ISO dates), preferred when
// both. nullopt while the field holds no value. Raises SqliteError when it
// holds only texts and one of them is no ISO date.
AGENDOR_SQLITE_EXPORT std::optional<DateStorage> FindDateStorage(sqlite3* connection, const std::string& table,
                                                                 const std::string& field, DateStorage preferred);

struct DateForm {
    DateStorage storage = DateStorage::Real;
    // Of an ISO text: the character between date and time (' ' or 'T'),
    // and whether the seconds are written.
    char separator = ' ';
    bool seconds = true;
};

// The form to write table.field in: its storage, and for ISO texts the form
// of its latest value. An empty field is written as ISO text when its column
// is declared as text (a number would be stored as a text there), otherwise
// as preferred says. Raises SqliteError as FindDateStorage does.
AGENDOR_SQLITE_EXPORT DateForm FindDateForm(sqlite3* connection, const std::string& table, const std::string& field,
                                            DateStorage preferred = DateStorage::Real);

// when as an ISO text in form: "YYYY-MM-DD HH:MM[:SS[.mmm]]", the seconds
// also when the form has none but when has some, so nothing is cut off.
AGENDOR_SQLITE_EXPORT std::string IsoText(DateTime when, const DateForm& form);
// Binds when to parameter index as the field takes it: REAL or ISO text.
AGENDOR_SQLITE_EXPORT void BindDate(sqlite3_stmt* statement, int index, DateTime when, const DateForm& form);

// The condition "quotedField still holds the date-time bound by BindStillAt
// to index and index + 1", true to the millisecond for a number and for an
// ISO text in any form, row by row, so it holds whatever the field keeps.
AGENDOR_SQLITE_EXPORT std::string StillAt(const std::string& quotedField, int index);
AGENDOR_SQLITE_EXPORT void BindStillAt(sqlite3_stmt* statement, int index, DateTime when);

} // namespace agendor::sqlite
