#include "demo/pg_store.h"

#include <cmath>
#include <cstdio>

#include "agendor/platform/database.h"
#include "agendor/platform/date_time.h"
#include "agendor/platform/postgres/pg_error.h"

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

PgStore::PgStore(const std::string& conninfo, AppointmentTable table) : conninfo_(conninfo) {
    try {
        connection_ = postgres::Connect(conninfo);
        postgres::Catalog catalog;
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
        table_ = postgres::QuotedName(info->name);
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

int PgStore::BackendPid() const { return PQbackendPID(connection_.get()); }

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
    return "abs(" + date_ + " - " + p + "::double precision) < 1e-8";
}

std::optional<std::string> PgStore::Write(const std::string& sql, const std::vector<std::string>& params,
                                          const std::vector<DateTime>& days, std::int64_t* returnedId) {
    // A connection that dropped since the last change is made again.
    if (PQstatus(connection_.get()) != CONNECTION_OK) {
        PQreset(connection_.get());
        if (PQstatus(connection_.get()) != CONNECTION_OK)
            return "Keine Verbindung zum Datenbankserver: " + postgres::MessageOf(connection_.get());
    }
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
        return kChangedByOther;
    }
    if (returnedId != nullptr && PQntuples(result.get()) == 1)
        *returnedId = std::atoll(PQgetvalue(result.get(), 0, 0));

    // Delivered to the listeners when the transaction commits, and only then.
    for (const DateTime day : days) {
        const std::string text = DayText(day);
        const char* notify[] = {channel_.c_str(), text.c_str()};
        const postgres::Result sent(PQexecParams(db, "SELECT pg_notify($1, $2)", 2, nullptr, notify, nullptr, nullptr, 0));
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
        return Write(sql, params, {when}, newId);
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
        return Write(sql, {Value(newWhen), std::to_string(id), Value(oldWhen)}, {oldWhen, newWhen});
    } catch (const Error& error) {
        return error.Description();
    }
}

std::optional<std::string> PgStore::Delete(std::int32_t id, DateTime when) {
    if (!std::isfinite(when)) return "Ungültiges Datum";
    const std::string sql = "DELETE FROM " + table_ + " WHERE " + id_ + " = $1 AND " + StillAt(2);
    try {
        return Write(sql, {std::to_string(id), Value(when)}, {when});
    } catch (const Error& error) {
        return error.Description();
    }
}

} // namespace agendor::demo
