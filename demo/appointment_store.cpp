#include "demo/appointment_store.h"

#include <cmath>
#include <set>
#include <sqlite3.h>

#include "agendor/platform/sqlite/date_storage.h"

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
    sqlite3_busy_timeout(db_, busyTimeoutMs_);
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

std::optional<std::int64_t> AppointmentStore::DataVersion() {
    sqlite3_busy_timeout(db_, 0);
    sqlite3_stmt* statement = nullptr;
    std::optional<std::int64_t> version;
    if (sqlite3_prepare_v2(db_, "PRAGMA data_version", -1, &statement, nullptr) == SQLITE_OK &&
        sqlite3_step(statement) == SQLITE_ROW)
        version = sqlite3_column_int64(statement, 0);
    sqlite3_finalize(statement);
    sqlite3_busy_timeout(db_, busyTimeoutMs_);
    return version;
}

void AppointmentStore::SetBusyTimeout(int milliseconds) {
    busyTimeoutMs_ = milliseconds;
    sqlite3_busy_timeout(db_, milliseconds);
}

namespace {

bool Busy(int rc) { return (rc & 0xff) == SQLITE_BUSY || (rc & 0xff) == SQLITE_LOCKED; }

// Finalizes when the scope ends.
struct Finalize {
    sqlite3_stmt* statement = nullptr;
    ~Finalize() { sqlite3_finalize(statement); }
};

} // namespace

template <typename Bind>
std::optional<std::string> AppointmentStore::Write(const std::string& sql, Bind&& bind,
                                                   std::optional<std::int32_t> id) {
    const auto failure = [this](int rc) -> std::string { return Busy(rc) ? kFileBusy : sqlite3_errmsg(db_); };
    // What is not committed is undone, so the file holds all of the change
    // or none of it, and the next write starts afresh.
    const auto undo = [this](std::string reason) {
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        return std::optional<std::string>(std::move(reason));
    };
    if (const int rc = sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr); rc != SQLITE_OK)
        return undo(failure(rc));
    if (id) {
        Finalize count;
        const std::string countSql = "SELECT count(*) FROM " + Quoted(table_.table) + " WHERE " +
                                     Quoted(table_.idField) + " = ?1";
        int rc = sqlite3_prepare_v2(db_, countSql.c_str(), -1, &count.statement, nullptr);
        if (rc == SQLITE_OK) {
            sqlite3_bind_int(count.statement, 1, *id);
            rc = sqlite3_step(count.statement);
        }
        if (rc != SQLITE_ROW) return undo(failure(rc));
        if (const long long rows = sqlite3_column_int64(count.statement, 0); rows > 1)
            return undo(NotUniqueId(*id, rows, Unbracket(table_.table)));
    }
    sqlite::DateForm form;
    try {
        form = sqlite::FindDateForm(db_, Unbracket(table_.table), Unbracket(table_.dateField));
    } catch (const Error& error) {
        return undo(error.Description());
    }
    {
        Finalize statement;
        int rc = sqlite3_prepare_v2(db_, sql.c_str(), -1, &statement.statement, nullptr);
        if (rc != SQLITE_OK) return undo(failure(rc));
        bind(statement.statement, form);
        rc = sqlite3_step(statement.statement);
        if (rc != SQLITE_DONE) return undo(failure(rc));
        if (id && sqlite3_changes(db_) != 1) return undo(kChangedByOther);
    }
    // COMMIT waits for readers to leave the file; past the busy timeout
    // SQLite keeps the transaction open, and it must not stay so.
    if (const int rc = sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr); rc != SQLITE_OK)
        return undo(failure(rc));
    return std::nullopt;
}

std::optional<std::string> AppointmentStore::Insert(DateTime when, std::int32_t personId, const std::string& person,
                                                    std::int64_t* newId) {
    if (!std::isfinite(when)) return "Ungültiges Datum";
    std::string sql = "INSERT INTO " + Quoted(table_.table) + " (" + Quoted(table_.dateField);
    std::string values = "?1";
    if (!table_.personField.empty()) { sql += ", " + Quoted(table_.personField); values += ", ?2"; }
    if (hasPersonId_) { sql += ", " + Quoted(table_.personIdField); values += ", ?3"; }
    sql += ") VALUES (" + values + ")";
    auto result = Write(sql, [&](sqlite3_stmt* s, const sqlite::DateForm& form) {
        sqlite::BindDate(s, 1, when, form);
        sqlite3_bind_text(s, 2, person.c_str(), -1, SQLITE_TRANSIENT);
        // -1: a name typed that is in no list, a person the database does not know.
        if (personId == -1) sqlite3_bind_null(s, 3);
        else sqlite3_bind_int(s, 3, personId);
    }, std::nullopt);
    if (!result && newId) *newId = sqlite3_last_insert_rowid(db_);
    return result;
}

// The time the control showed must still be the stored one: a change
// another user made meanwhile is not overwritten, nor deleted, blindly.
// The comparison holds in the field's storage, row by row.
std::optional<std::string> AppointmentStore::ChangeTime(std::int32_t id, DateTime oldWhen, DateTime newWhen) {
    if (!std::isfinite(newWhen) || !std::isfinite(oldWhen)) return "Ungültiges Datum";
    const std::string sql = "UPDATE " + Quoted(table_.table) + " SET " + Quoted(table_.dateField) + " = ?1 WHERE " +
                            Quoted(table_.idField) + " = ?2 AND " + sqlite::StillAt(Quoted(table_.dateField), 3);
    return Write(sql, [&](sqlite3_stmt* s, const sqlite::DateForm& form) {
        sqlite::BindDate(s, 1, newWhen, form);
        sqlite3_bind_int(s, 2, id);
        sqlite::BindStillAt(s, 3, oldWhen);
    }, id);
}

std::optional<std::string> AppointmentStore::Delete(std::int32_t id, DateTime when) {
    if (!std::isfinite(when)) return "Ungültiges Datum";
    const std::string sql = "DELETE FROM " + Quoted(table_.table) + " WHERE " + Quoted(table_.idField) + " = ?1 AND " +
                            sqlite::StillAt(Quoted(table_.dateField), 2);
    return Write(sql, [&](sqlite3_stmt* s, const sqlite::DateForm&) {
        sqlite3_bind_int(s, 1, id);
        sqlite::BindStillAt(s, 2, when);
    }, id);
}

} // namespace agendor::demo
