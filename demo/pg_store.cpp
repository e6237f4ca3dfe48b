#include "demo/pg_store.h"

#include <poll.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "agendor/platform/database.h"
#include "agendor/core/date_time.h"
#include "agendor/platform/postgres/pg_error.h"
#include "agendor/platform/postgres/pg_session.h"

namespace agendor::demo {

namespace {

std::string Unbracket(const std::string& name) {
    if (name.size() >= 2 && name.front() == '[' && name.back() == ']') return name.substr(1, name.size() - 2);
    return name;
}

std::string DayText(DateTime when) {
    const dt::Ymd day = dt::ToYmd(when);
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", day.year, day.month, day.day);
    return buffer;
}

} // namespace

PgStore::PgStore(const std::string& conninfo, AppointmentTable table, const postgres::PgOptions& options)
    : conninfo_(conninfo), options_(options) {
    try {
        connection_ = postgres::Connect(conninfo, options_);
        postgres::Catalog catalog;
        catalog.SetSearchPath(postgres::FixSession(connection_.get(), options_, false));
        const postgres::TableInfo* info = catalog.Find(connection_.get(), Unbracket(table.table));
        if (info == nullptr) throw Error("Die Tabelle " + table.table + " gibt es in der Datenbank nicht.");
        auto column = [&](const std::string& field, bool required) -> const postgres::ColumnInfo* {
            if (field.empty()) return nullptr;
            const postgres::ColumnInfo* found = info->Column(Unbracket(field));
            if (found == nullptr && required) throw Error("Die Tabelle " + table.table + " hat kein Feld " + field);
            return found;
        };
        auto quoted = [](const postgres::ColumnInfo* column) {
            return column != nullptr ? postgres::QuotedName(column->name) : std::string();
        };
        table_ = postgres::QualifiedName(*info);
        tableName_ = info->name;
        channel_ = "agendor_termine_" + info->oid;
        id_ = quoted(column(table.idField, true));
        const postgres::ColumnInfo* date = column(table.dateField, true);
        date_ = quoted(date);
        timestamp_ = date != nullptr &&
                     (date->type == postgres::ColumnType::Timestamp || date->type == postgres::ColumnType::Date);
        person_ = quoted(column(table.personField, true));
        personId_ = quoted(column(table.personIdField, false));
    } catch (const postgres::PgError& error) {
        throw Error(error.Description());
    }
}

int PgStore::BackendPid() const { return connection_ && !connecting_ ? PQbackendPID(connection_.get()) : 0; }

// A connection that dropped is made again without holding up the window
// for longer than a moment: each write drives the new connection as far as
// the server answers within a quarter of a second, and reports when it is
// not there yet; the next write goes on from there.
std::optional<std::string> PgStore::Reconnect() {
    if (connection_ && !connecting_ && PQstatus(connection_.get()) == CONNECTION_OK) return std::nullopt;
    if (!connecting_) {
        connection_ = postgres::StartConnect(conninfo_, options_);
        connecting_ = true;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(250);
    PostgresPollingStatusType status = PGRES_POLLING_WRITING;
    for (;;) {
        if (!connection_ || PQstatus(connection_.get()) == CONNECTION_BAD) break;
        pollfd socket{PQsocket(connection_.get()), static_cast<short>(status == PGRES_POLLING_READING ? POLLIN : POLLOUT),
                      0};
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (::poll(&socket, 1, static_cast<int>(std::max<long>(left.count(), 0))) <= 0)
            return std::string("Die Verbindung zum Datenbankserver wird neu aufgebaut; bitte gleich noch einmal versuchen.");
        status = PQconnectPoll(connection_.get());
        if (status == PGRES_POLLING_FAILED) break;
        if (status != PGRES_POLLING_OK) continue;
        connecting_ = false;
        try {
            postgres::FixSession(connection_.get(), options_, false);
        } catch (const postgres::PgError& error) {
            connection_.reset();
            return error.Description();
        }
        return std::nullopt;
    }
    const std::string message =
        connection_ ? postgres::MessageOf(connection_.get()) : std::string("nicht genug Speicher");
    connection_.reset();
    connecting_ = false;
    return "Keine Verbindung zum Datenbankserver: " + message;
}

std::string PgStore::Value(DateTime when) const {
    if (!timestamp_) return FieldValue(when).AsText();
    const dt::Ymd date = dt::ToYmd(when);
    const dt::Hms time = dt::TimeOf(when);
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d.%03d", date.year, date.month, date.day,
                  time.hour, time.minute, time.second, time.millisecond);
    return buffer;
}

// The control carries a date-time to the millisecond (the day grid's hidden
// column), so "still the same" allows half a millisecond either way.
std::string PgStore::StillAt(int n) const {
    const std::string p = "$" + std::to_string(n);
    if (timestamp_)
        return date_ + " >= " + p + "::timestamp - interval '0.5 milliseconds' AND " + date_ + " < " + p +
               "::timestamp + interval '0.5 milliseconds'";
    return "pg_catalog.abs(" + date_ + " - " + p + "::double precision) < 1e-8";
}

std::optional<std::string> PgStore::Write(const std::string& sql, const std::vector<std::string>& params,
                                          const std::vector<DateTime>& days, std::optional<std::int32_t> id,
                                          std::int64_t* returnedId) {
    // A connection that dropped since the last change is made again.
    if (auto problem = Reconnect()) return problem;
    PGconn* db = connection_.get();
    const auto fail = [&](const PGresult* result) -> std::optional<std::string> {
        const std::string message = result ? postgres::MessageOf(result) : postgres::MessageOf(db);
        postgres::Result(PQexec(db, "ROLLBACK"));
        return message;
    };
    if (postgres::Failed(postgres::Result(PQexec(db, "BEGIN")).get())) return fail(nullptr);

    std::vector<const char*> values;
    for (const std::string& param : params) values.push_back(param.c_str());
    const postgres::Result result(PQexecParams(db, sql.c_str(), static_cast<int>(values.size()), nullptr,
                                               values.data(), nullptr, nullptr, 0));
    if (postgres::Failed(result.get())) return fail(result.get());
    const int rows = PQresultStatus(result.get()) == PGRES_TUPLES_OK ? PQntuples(result.get())
                                                                      : std::atoi(PQcmdTuples(result.get()));
    if (rows != 1) {
        postgres::Result(PQexec(db, "ROLLBACK"));
        // Not one row: either the time is no longer the one shown, or the id
        // names several appointments, which the change would all hit. They
        // are counted once the change is undone (a deletion would hide them).
        if (!id) return kChangedByOther;
        const std::string text = std::to_string(*id);
        const char* value[] = {text.c_str()};
        const postgres::Result count(PQexecParams(
            db, ("SELECT pg_catalog.count(*) FROM " + table_ + " WHERE " + id_ + " = $1").c_str(), 1, nullptr, value,
            nullptr, nullptr, 0));
        if (postgres::Failed(count.get())) return postgres::MessageOf(count.get());
        if (const long long many = std::atoll(PQgetvalue(count.get(), 0, 0)); many > 1)
            return NotUniqueId(*id, many, tableName_);
        return kChangedByOther;
    }
    if (returnedId != nullptr && PQntuples(result.get()) == 1)
        *returnedId = std::atoll(PQgetvalue(result.get(), 0, 0));

    // Delivered to the listeners when the transaction commits, and only then.
    for (const DateTime day : days) {
        const std::string text = DayText(day);
        const char* notify[] = {channel_.c_str(), text.c_str()};
        const postgres::Result sent(PQexecParams(db, "SELECT pg_catalog.pg_notify($1, $2)", 2, nullptr, notify, nullptr, nullptr, 0));
        if (postgres::Failed(sent.get())) return fail(sent.get());
    }
    const postgres::Result committed(PQexec(db, "COMMIT"));
    if (postgres::Failed(committed.get())) return fail(committed.get());
    return std::nullopt;
}

std::optional<std::string> PgStore::Insert(DateTime when, std::int32_t personId, const std::string& person,
                                           std::int64_t* newId) {
    if (!std::isfinite(when)) return "Ungültiges Datum";
    std::string sql = "INSERT INTO " + table_ + " (" + date_;
    std::string values = "$1";
    std::vector<std::string> params = {Value(when)};
    if (!person_.empty()) {
        sql += ", " + person_;
        params.push_back(person);
        values += ", $" + std::to_string(params.size());
    }
    if (!personId_.empty()) {
        sql += ", " + personId_;
        // -1: a name typed that is in no list, a person the database does not know.
        if (personId == -1) {
            values += ", NULL";
        } else {
            params.push_back(std::to_string(personId));
            values += ", $" + std::to_string(params.size());
        }
    }
    // Two desks booking the same minute for the same person both get their
    // row: nothing merges them.
    sql += ") VALUES (" + values + ") RETURNING " + id_;
    try {
        return Write(sql, params, {when}, std::nullopt, newId);
    } catch (const Error& error) {
        return error.Description();
    }
}

std::optional<std::string> PgStore::ChangeTime(std::int32_t id, DateTime oldWhen, DateTime newWhen) {
    if (!std::isfinite(newWhen) || !std::isfinite(oldWhen)) return "Ungültiges Datum";
    // The row lock makes a second desk changing the same appointment wait,
    // and then find the time no longer as it saw it.
    const std::string sql =
        "UPDATE " + table_ + " SET " + date_ + " = $1 WHERE " + id_ + " = $2 AND " + StillAt(3);
    try {
        return Write(sql, {Value(newWhen), std::to_string(id), Value(oldWhen)}, {oldWhen, newWhen}, id);
    } catch (const Error& error) {
        return error.Description();
    }
}

std::optional<std::string> PgStore::Delete(std::int32_t id, DateTime when) {
    if (!std::isfinite(when)) return "Ungültiges Datum";
    const std::string sql = "DELETE FROM " + table_ + " WHERE " + id_ + " = $1 AND " + StillAt(2);
    try {
        return Write(sql, {std::to_string(id), Value(when)}, {when}, id);
    } catch (const Error& error) {
        return error.Description();
    }
}

} // namespace agendor::demo
