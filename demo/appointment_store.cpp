#include "demo/appointment_store.h"

#include <cmath>
#include <set>
#include <sqlite3.h>

namespace agendor::demo {

namespace {

// The data properties may carry the brackets of the control's dialect.
std::string Unbracket(const std::string& name) {
    if (name.size() >= 2 && name.front() == '[' && name.back() == ']') return name.substr(1, name.size() - 2);
    return name;
}

// A name as an SQL identifier: always quoted, quotes doubled, so no property
// value can become part of the statement.
std::string Quoted(const std::string& name) {
    std::string out = "\"";
    for (char c : Unbracket(name)) {
        out += c;
        if (c == '"') out += '"';
    }
    return out + "\"";
}

std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

} // namespace

AppointmentStore::AppointmentStore(const std::string& path, AppointmentTable table) : table_(std::move(table)) {
    if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        const std::string message = db_ ? sqlite3_errmsg(db_) : "out of memory";
        sqlite3_close(db_);
        db_ = nullptr;
        throw Error("Die Datenbank " + path + " lässt sich nicht zum Schreiben öffnen: " + message);
    }
    sqlite3_busy_timeout(db_, 5000);
    std::set<std::string> columns;
    sqlite3_stmt* info = nullptr;
    const std::string pragma = "PRAGMA table_info(" + Quoted(table_.table) + ")";
    if (sqlite3_prepare_v2(db_, pragma.c_str(), -1, &info, nullptr) == SQLITE_OK) {
        while (sqlite3_step(info) == SQLITE_ROW)
            columns.insert(Lower(reinterpret_cast<const char*>(sqlite3_column_text(info, 1))));
    }
    sqlite3_finalize(info);
    for (const std::string* field : {&table_.idField, &table_.dateField, &table_.personField}) {
        if (field->empty()) continue;
        if (!columns.count(Lower(Unbracket(*field)))) {
            sqlite3_close(db_);
            db_ = nullptr;
            throw Error("Die Tabelle " + table_.table + " hat kein Feld " + *field);
        }
    }
    hasPersonId_ = !table_.personIdField.empty() && columns.count(Lower(Unbracket(table_.personIdField)));
}

AppointmentStore::~AppointmentStore() { sqlite3_close(db_); }

template <typename Bind>
std::optional<std::string> AppointmentStore::Write(const std::string& sql, Bind&& bind, int expectRows) {
    char* error = nullptr;
    if (sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, &error) != SQLITE_OK) {
        std::string message = error ? error : sqlite3_errmsg(db_);
        sqlite3_free(error);
        return "Die Datenbank ist gesperrt: " + message;
    }
    sqlite3_stmt* statement = nullptr;
    std::optional<std::string> failure;
    if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) {
        failure = sqlite3_errmsg(db_);
    } else {
        bind(statement);
        if (sqlite3_step(statement) != SQLITE_DONE) failure = sqlite3_errmsg(db_);
        else if (expectRows >= 0 && sqlite3_changes(db_) != expectRows) failure = kChangedByOther;
    }
    sqlite3_finalize(statement);
    sqlite3_exec(db_, failure ? "ROLLBACK" : "COMMIT", nullptr, nullptr, nullptr);
    return failure;
}

std::optional<std::string> AppointmentStore::Insert(DateTime when, std::int32_t personId, const std::string& person,
                                                    std::int64_t* newId) {
    if (!std::isfinite(when)) return "Ungültiges Datum";
    std::string sql = "INSERT INTO " + Quoted(table_.table) + " (" + Quoted(table_.dateField);
    std::string values = "?1";
    if (!table_.personField.empty()) { sql += ", " + Quoted(table_.personField); values += ", ?2"; }
    if (hasPersonId_) { sql += ", " + Quoted(table_.personIdField); values += ", ?3"; }
    sql += ") VALUES (" + values + ")";
    auto result = Write(sql, [&](sqlite3_stmt* s) {
        sqlite3_bind_double(s, 1, when);
        sqlite3_bind_text(s, 2, person.c_str(), -1, SQLITE_TRANSIENT);
        // -1: a name typed that is in no list, a person the database does not know.
        if (personId == -1) sqlite3_bind_null(s, 3);
        else sqlite3_bind_int(s, 3, personId);
    }, 1);
    if (!result && newId) *newId = sqlite3_last_insert_rowid(db_);
    return result;
}

std::optional<std::string> AppointmentStore::ChangeTime(std::int32_t id, DateTime oldWhen, DateTime newWhen) {
    if (!std::isfinite(newWhen)) return "Ungültiges Datum";
    // The old time must still be the stored one: a change another user made
    // meanwhile is not overwritten blindly.
    const std::string sql = "UPDATE " + Quoted(table_.table) + " SET " + Quoted(table_.dateField) + " = ?1 WHERE " +
                            Quoted(table_.idField) + " = ?2 AND abs(" + Quoted(table_.dateField) + " - ?3) < 1e-8";
    return Write(sql, [&](sqlite3_stmt* s) {
        sqlite3_bind_double(s, 1, newWhen);
        sqlite3_bind_int(s, 2, id);
        sqlite3_bind_double(s, 3, oldWhen);
    }, 1);
}

std::optional<std::string> AppointmentStore::Delete(std::int32_t id, DateTime when) {
    // As for a change: what another user moved meanwhile is not deleted.
    const std::string sql = "DELETE FROM " + Quoted(table_.table) + " WHERE " + Quoted(table_.idField) +
                            " = ?1 AND abs(" + Quoted(table_.dateField) + " - ?2) < 1e-8";
    return Write(sql, [&](sqlite3_stmt* s) {
        sqlite3_bind_int(s, 1, id);
        sqlite3_bind_double(s, 2, when);
    }, 1);
}

} // namespace agendor::demo
