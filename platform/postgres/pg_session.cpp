#include "agendor/platform/postgres/pg_session.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace agendor::postgres {
namespace {

std::string ZoneAfterZoneinfo(const std::string& path) {
    const std::size_t at = path.find("zoneinfo/");
    return at == std::string::npos ? std::string() : path.substr(at + 9);
}

std::string Normalized(std::string name) {
    for (char& c : name) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c == '-') c = '_';
    }
    return name.substr(0, name.find('='));
}

// Whether the server options a connection was started with (the options of
// its connection string, or PGOPTIONS) set name: "-c name=v", "-cname=v"
// or "--name=v".
bool ClientSets(PGconn* connection, const std::string& name) {
    PQconninfoOption* options = PQconninfo(connection);
    bool found = false;
    for (const PQconninfoOption* option = options; option != nullptr && option->keyword != nullptr; ++option) {
        if (std::strcmp(option->keyword, "options") != 0 || option->val == nullptr) continue;
        std::istringstream words(option->val);
        bool afterC = false;
        for (std::string word; words >> word;) {
            std::string setting;
            if (afterC) setting = word;
            else if (word.starts_with("--")) setting = word.substr(2);
            else if (word.starts_with("-c") && word.size() > 2) setting = word.substr(2);
            afterC = word == "-c";
            if (!setting.empty() && Normalized(setting) == name) found = true;
        }
    }
    PQconninfoFree(options);
    return found;
}

// The connect_timeout that applies to conninfo, in seconds.
int ConnectTimeoutOf(const std::string& conninfo, const PgOptions& options) {
    int seconds = options.connectTimeoutSeconds;
    if (PQconninfoOption* parsed = PQconninfoParse(conninfo.c_str(), nullptr)) {
        for (const PQconninfoOption* option = parsed; option->keyword != nullptr; ++option)
            if (std::strcmp(option->keyword, "connect_timeout") == 0 && option->val != nullptr)
                seconds = std::atoi(option->val);
        PQconninfoFree(parsed);
    }
    // libpq waits at least 2 seconds.
    return std::max(seconds, 2);
}

} // namespace

std::string HostTimeZone() {
    if (const char* tz = std::getenv("TZ"); tz != nullptr && *tz != '\0') {
        std::string zone = tz[0] == ':' ? tz + 1 : tz;
        if (const std::string inZoneinfo = ZoneAfterZoneinfo(zone); !inZoneinfo.empty()) zone = inZoneinfo;
        if (!zone.empty()) return zone;
    }
    std::ifstream etcTimezone("/etc/timezone");
    std::string line;
    if (std::getline(etcTimezone, line)) {
        line.erase(std::remove_if(line.begin(), line.end(), [](char c) { return c == ' ' || c == '\t'; }),
                   line.end());
        if (!line.empty()) return line;
    }
    std::error_code error;
    const std::filesystem::path localtime = std::filesystem::read_symlink("/etc/localtime", error);
    if (!error) {
        if (const std::string zone = ZoneAfterZoneinfo(localtime.string()); !zone.empty()) return zone;
    }
    return "UTC";
}

ConnectParameters::ConnectParameters(const std::string& conninfo, const PgOptions& options) {
    auto add = [this](const char* keyword, const std::string& value) {
        storage_.emplace_back(keyword);
        storage_.push_back(value);
    };
    if (options.connectTimeoutSeconds > 0) add("connect_timeout", std::to_string(options.connectTimeoutSeconds));
    if (options.keepaliveIdleSeconds > 0) {
        add("keepalives", "1");
        add("keepalives_idle", std::to_string(options.keepaliveIdleSeconds));
        add("keepalives_interval", "10");
        add("keepalives_count", "3");
    }
    // Expanded as a connection string (or a URI): its values come last.
    add("dbname", conninfo);
    for (std::size_t k = 0; k < storage_.size(); k += 2) {
        keywords_.push_back(storage_[k].c_str());
        values_.push_back(storage_[k + 1].c_str());
    }
    keywords_.push_back(nullptr);
    values_.push_back(nullptr);
}

ConnectionHandle Connect(const std::string& conninfo, const PgOptions& options) {
    const ConnectParameters parameters(conninfo, options);
    ConnectionHandle connection(PQconnectdbParams(parameters.Keywords(), parameters.Values(), 1));
    if (!connection) throw PgError("Keine Verbindung zum Datenbankserver: nicht genug Speicher.");
    if (PQstatus(connection.get()) != CONNECTION_OK) {
        const std::string message = MessageOf(connection.get());
        if (message.find("timeout expired") != std::string::npos)
            throw PgError("Keine Verbindung zum Datenbankserver: er hat nicht innerhalb von " +
                          GermanSeconds(ConnectTimeoutOf(conninfo, options) * 1000) + " geantwortet.");
        throw PgError("Keine Verbindung zum Datenbankserver: " + message);
    }
    return connection;
}

ConnectionHandle StartConnect(const std::string& conninfo, const PgOptions& options) {
    const ConnectParameters parameters(conninfo, options);
    return ConnectionHandle(PQconnectStartParams(parameters.Keywords(), parameters.Values(), 1));
}

std::vector<std::string> FixSession(PGconn* connection, const PgOptions& options, bool readOnly,
                                    SessionWaits* waits) {
    const std::string leadIn = "Die Sitzung ließ sich nicht einrichten";
    std::vector<std::string> schemas;
    {
        // Named with its schema: no function of the host's path runs.
        const Result result(PQexec(connection, "SELECT pg_catalog.unnest(pg_catalog.current_schemas(true))"));
        if (Failed(result.get())) throw ServerError(result.get(), connection, leadIn, {}, {});
        for (int row = 0; row < PQntuples(result.get()); ++row) schemas.emplace_back(PQgetvalue(result.get(), row, 0));
    }
    // One text, parsed as a whole under the server's settings before the
    // first of them changes: its one literal is in the E'' form.
    std::string sql =
        "SET standard_conforming_strings = on; SET search_path = pg_catalog, pg_temp; "
        "SET DateStyle = 'ISO, YMD'; SET IntervalStyle = postgres; SET client_encoding = 'UTF8'; "
        "SET extra_float_digits = 1; SET transform_null_equals = off; "
        // A serializable, deferrable read-only default would wait for a safe
        // snapshot before every load.
        "SET default_transaction_isolation = 'read committed'; SET default_transaction_deferrable = off; "
        "SET TimeZone = " +
        QuotedText(options.timeZone.empty() ? HostTimeZone() : options.timeZone);
    if (readOnly) sql += "; SET default_transaction_read_only = on";
    if (!ClientSets(connection, "statement_timeout"))
        sql += "; SET statement_timeout = " + std::to_string(std::max(options.statementTimeoutMs, 0));
    if (!ClientSets(connection, "lock_timeout"))
        sql += "; SET lock_timeout = " + std::to_string(std::max(options.lockTimeoutMs, 0));
    sql += "; SELECT setting FROM pg_settings WHERE name IN ('lock_timeout', 'statement_timeout') ORDER BY name";
    const Result result(PQexec(connection, sql.c_str()));
    if (Failed(result.get()) || PQntuples(result.get()) != 2)
        throw ServerError(result.get(), connection, leadIn, {}, {});
    if (waits != nullptr) {
        waits->lockMs = std::atoi(PQgetvalue(result.get(), 0, 0));
        waits->statementMs = std::atoi(PQgetvalue(result.get(), 1, 0));
    }
    return schemas;
}

PgError ServerError(const PGresult* result, PGconn* connection, const std::string& leadIn,
                    const std::string& queryText, const SessionWaits& waits, const std::string& table) {
    const std::string state = SqlStateOf(result);
    const std::string again = " Bitte später noch einmal laden.";
    if (state == "55P03" && waits.lockMs > 0)
        return PgError((table.empty() ? std::string("Eine Tabelle") : "Die Tabelle " + table) +
                           " ist von einer anderen Sitzung gesperrt; das Laden hat " + GermanSeconds(waits.lockMs) +
                           " gewartet und wurde abgebrochen." + again,
                       queryText, state);
    if (state == "57014" && waits.statementMs > 0)
        return PgError("Die Abfrage lief länger als " + GermanSeconds(waits.statementMs) + " und wurde abgebrochen." +
                           again,
                       queryText, state);
    const std::string message = result != nullptr ? MessageOf(result) : MessageOf(connection);
    return PgError(leadIn + ": " + message, queryText, state);
}

std::string GermanSeconds(int milliseconds) {
    if (milliseconds == 1000) return "1 Sekunde";
    std::string text = std::to_string(milliseconds / 1000);
    if (const int fraction = milliseconds % 1000; fraction != 0) {
        std::string digits = std::to_string(1000 + fraction).substr(1);
        while (digits.back() == '0') digits.pop_back();
        text += "," + digits;
    }
    return text + " Sekunden";
}

} // namespace agendor::postgres
