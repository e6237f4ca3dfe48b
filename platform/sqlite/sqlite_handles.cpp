#include "agendor/platform/sqlite/sqlite_handles.h"

#include <utility>

#include "agendor/platform/sqlite/sqlite_error.h"

namespace agendor::sqlite {
namespace {

#ifdef SQLITE_OPEN_EXRESCODE
constexpr int kExtendedCodes = SQLITE_OPEN_EXRESCODE;
#else
constexpr int kExtendedCodes = 0;
#endif

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }

} // namespace

Connection Connection::OpenWithFlags(const std::string& path, int flags) {
    if (path.empty()) throw SqliteError("Die Datenbank lässt sich nicht öffnen: kein Dateiname angegeben.");
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(path.c_str(), &raw, flags | kExtendedCodes, nullptr);
    // sqlite3_open_v2 hands out a handle even when it fails; it carries the
    // message and must still be closed, which the owner below does.
    Connection connection(raw, true);
    if (rc != SQLITE_OK) {
        const std::string message = raw != nullptr ? sqlite3_errmsg(raw) : sqlite3_errstr(rc);
        throw SqliteError("Die Datenbank " + path + " lässt sich nicht öffnen: " + message, {}, rc);
    }
    return connection;
}

Connection Connection::OpenReadOnly(const std::string& path, int busyTimeoutMs) {
    Connection connection = OpenWithFlags(path, SQLITE_OPEN_READONLY);
    sqlite3* db = connection.Handle();
    // With the fallback on, a double-quoted name that matches no column is
    // taken as a string, and a misspelled field would match every row.
    sqlite3_db_config(db, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
    sqlite3_busy_timeout(db, busyTimeoutMs);
    const int rc = sqlite3_exec(db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        throw SqliteError("Die Datenbank " + path + " lässt sich nicht lesen: " + sqlite3_errmsg(db), {},
                          sqlite3_extended_errcode(db));
    return connection;
}

Connection Connection::Create(const std::string& path) {
    Connection connection = OpenWithFlags(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    sqlite3_db_config(connection.Handle(), SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
    sqlite3_db_config(connection.Handle(), SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
    return connection;
}

Connection Connection::Borrow(sqlite3* hostConnection) {
    if (hostConnection == nullptr)
        throw SqliteError("Die Datenbank lässt sich nicht öffnen: keine Verbindung übergeben.");
    return Connection(hostConnection, false);
}

Connection::Connection(Connection&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)), owned_(std::exchange(other.owned_, false)) {}

Connection& Connection::operator=(Connection&& other) noexcept {
    if (this != &other) {
        if (owned_) sqlite3_close_v2(handle_);
        handle_ = std::exchange(other.handle_, nullptr);
        owned_ = std::exchange(other.owned_, false);
    }
    return *this;
}

Connection::~Connection() {
    if (owned_) sqlite3_close_v2(handle_);
}

void Connection::Execute(const std::string& sql) {
    char* message = nullptr;
    const int rc = sqlite3_exec(handle_, sql.c_str(), nullptr, nullptr, &message);
    if (rc != SQLITE_OK) {
        const std::string text = message != nullptr ? message : sqlite3_errstr(rc);
        sqlite3_free(message);
        throw SqliteError("Datenbankfehler: " + text, sql, rc);
    }
}

void RaiseEngineError(sqlite3* connection, int resultCode, const std::string& leadIn,
                      const std::string& queryText) {
    const int code = connection != nullptr ? sqlite3_extended_errcode(connection) : resultCode;
    const std::string message = connection != nullptr ? sqlite3_errmsg(connection) : sqlite3_errstr(resultCode);
    throw SqliteError(leadIn + ": " + message, queryText, code);
}

Statement PrepareReadOnly(sqlite3* connection, std::string_view sql, const std::string& queryText,
                          bool persistent) {
    sqlite3_stmt* raw = nullptr;
    const char* tail = nullptr;
    const int rc = sqlite3_prepare_v3(connection, sql.data(), static_cast<int>(sql.size()),
                                      persistent ? SQLITE_PREPARE_PERSISTENT : 0, &raw, &tail);
    Statement statement(raw);
    if (rc != SQLITE_OK) RaiseEngineError(connection, rc, "Die Datenbank weist die Abfrage zurück", queryText);
    if (!statement) throw SqliteError("Die Abfrage ist leer.", queryText);
    for (const char* rest = tail; rest != nullptr && rest < sql.data() + sql.size(); ++rest) {
        if (!IsBlank(*rest)) throw SqliteError("Die Abfrage enthält mehr als eine Anweisung.", queryText);
    }
    if (sqlite3_stmt_readonly(statement.get()) == 0)
        throw SqliteError("Die Abfrage würde die Datenbank ändern; der Kalender liest nur.", queryText);
    return statement;
}

Statement Prepare(sqlite3* connection, std::string_view sql) {
    sqlite3_stmt* raw = nullptr;
    const int rc = sqlite3_prepare_v2(connection, sql.data(), static_cast<int>(sql.size()), &raw, nullptr);
    Statement statement(raw);
    if (rc != SQLITE_OK) RaiseEngineError(connection, rc, "Datenbankfehler", std::string(sql));
    return statement;
}

} // namespace agendor::sqlite
