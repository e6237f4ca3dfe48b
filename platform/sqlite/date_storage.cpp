#include "agendor/platform/sqlite/date_storage.h"

#include <cstdio>

#include "agendor/platform/database.h"
#include "agendor/core/date_time.h"
#include "agendor/platform/sqlite/sqlite_error.h"
#include "agendor/platform/sqlite/sqlite_handles.h"

namespace agendor::sqlite {

namespace {

// The least and the greatest value of a field. SQLite orders numbers before
// texts before blobs, so the two tell whether the field holds only numbers,
// only texts, or both; with an index on the field they are two lookups.
struct Extremes {
    int lowest = SQLITE_NULL, highest = SQLITE_NULL;
    std::string lowestText, highestText;
};

Extremes ExtremesOf(sqlite3* connection, const std::string& table, const std::string& field) {
    const SqliteDialect names;
    Extremes found;
    const auto extreme = [&](const char* function, int& type, std::string& text) {
        const std::string sql =
            std::string("SELECT ") + function + "(" + names.QuoteName(field) + ") FROM " + names.QuoteName(table);
        Statement statement = PrepareReadOnly(connection, sql, sql, false);
        const int rc = sqlite3_step(statement.get());
        if (rc != SQLITE_ROW) RaiseEngineError(connection, rc, "Die Abfrage ließ sich nicht ausführen", sql);
        type = sqlite3_column_type(statement.get(), 0);
        if (type == SQLITE_TEXT) text = reinterpret_cast<const char*>(sqlite3_column_text(statement.get(), 0));
    };
    extreme("min", found.lowest, found.lowestText);
    if (found.lowest != SQLITE_NULL) extreme("max", found.highest, found.highestText);
    return found;
}

bool IsIsoDateText(const std::string& text) {
    try {
        FieldValue(text).AsDateTime();
        return true;
    } catch (const Error&) {
        return false;
    }
}

std::optional<DateStorage> StorageOf(const Extremes& values, const std::string& table, const std::string& field,
                                     DateStorage preferred) {
    if (values.lowest == SQLITE_NULL) return std::nullopt;
    const auto isText = [](int type) { return type == SQLITE_TEXT || type == SQLITE_BLOB; };
    if (!isText(values.lowest) && !isText(values.highest)) return DateStorage::Real;
    if (values.lowest != SQLITE_TEXT || values.highest != SQLITE_TEXT) return preferred;
    if (preferred == DateStorage::Real) {
        if (!IsIsoDateText(values.lowestText) || !IsIsoDateText(values.highestText))
            throw SqliteError("Das Datumsfeld " + table + "." + field + " enthält Texte wie '" +
                              (IsIsoDateText(values.lowestText) ? values.highestText : values.lowestText) +
                              "': weder Datumswerte (Tage seit dem 30.12.1899) noch Datumstexte der Form "
                              "JJJJ-MM-TT hh:mm:ss.");
    }
    return DateStorage::IsoText;
}

// Whether the column's declared type gives it text affinity, by SQLite's
// rules: "INT" makes it an integer, "CHAR", "CLOB" or "TEXT" a text.
bool DeclaredAsText(sqlite3* connection, const std::string& table, const std::string& field) {
    const char* sql = "SELECT upper(type) FROM pragma_table_info(?1) WHERE name = ?2 COLLATE NOCASE";
    Statement statement = PrepareReadOnly(connection, sql, sql, false);
    sqlite3_bind_text(statement.get(), 1, table.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(statement.get(), 2, field.c_str(), -1, SQLITE_TRANSIENT);
    if (sqlite3_step(statement.get()) != SQLITE_ROW) return false;
    const std::string type = reinterpret_cast<const char*>(sqlite3_column_text(statement.get(), 0));
    if (type.find("INT") != std::string::npos) return false;
    for (const char* text : {"CHAR", "CLOB", "TEXT"})
        if (type.find(text) != std::string::npos) return true;
    return false;
}

} // namespace

std::optional<DateStorage> FindDateStorage(sqlite3* connection, const std::string& table, const std::string& field,
                                           DateStorage preferred) {
    return StorageOf(ExtremesOf(connection, table, field), table, field, preferred);
}

DateForm FindDateForm(sqlite3* connection, const std::string& table, const std::string& field, DateStorage preferred) {
    const Extremes values = ExtremesOf(connection, table, field);
    DateForm form;
    const std::optional<DateStorage> storage = StorageOf(values, table, field, preferred);
    if (!storage) {
        form.storage = DeclaredAsText(connection, table, field) ? DateStorage::IsoText : preferred;
        return form;
    }
    form.storage = *storage;
    // The greatest text is the latest date: the form the field is kept in now.
    const std::string& latest = values.highestText;
    if (form.storage == DateStorage::IsoText && latest.size() > 10) {
        form.separator = latest[10] == 'T' ? 'T' : ' ';
        form.seconds = latest.size() > 16 && latest[16] == ':';
    }
    return form;
}

std::string IsoText(DateTime when, const DateForm& form) {
    const dt::Ymd date = dt::ToYmd(when);
    const dt::Hms time = dt::TimeOf(when);
    char text[40];
    int length = std::snprintf(text, sizeof text, "%04d-%02d-%02d%c%02d:%02d", date.year, date.month, date.day,
                               form.separator, time.hour, time.minute);
    if (form.seconds || time.second != 0 || time.millisecond != 0)
        length += std::snprintf(text + length, sizeof text - static_cast<std::size_t>(length), ":%02d", time.second);
    if (time.millisecond != 0)
        std::snprintf(text + length, sizeof text - static_cast<std::size_t>(length), ".%03d", time.millisecond);
    return text;
}

void BindDate(sqlite3_stmt* statement, int index, DateTime when, const DateForm& form) {
    if (form.storage == DateStorage::Real) {
        sqlite3_bind_double(statement, index, when);
        return;
    }
    sqlite3_bind_text(statement, index, IsoText(when, form).c_str(), -1, SQLITE_TRANSIENT);
}

// A day count is compared to 1e-8 days (under a millisecond); julianday()
// reads every ISO form to the millisecond.
std::string StillAt(const std::string& quotedField, int index) {
    const std::string number = "?" + std::to_string(index), text = "?" + std::to_string(index + 1);
    return "(CASE WHEN typeof(" + quotedField + ") = 'text' THEN abs(julianday(" + quotedField + ") - julianday(" +
           text + ")) ELSE abs(" + quotedField + " - " + number + ") END < 1e-8)";
}

void BindStillAt(sqlite3_stmt* statement, int index, DateTime when) {
    sqlite3_bind_double(statement, index, when);
    DateForm exact;
    exact.storage = DateStorage::IsoText;
    BindDate(statement, index + 1, when, exact);
}

} // namespace agendor::sqlite
