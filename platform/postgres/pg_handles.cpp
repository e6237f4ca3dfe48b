#include "agendor/platform/postgres/pg_handles.h"

#include "agendor/platform/postgres/pg_error.h"

namespace agendor::postgres {
namespace {

// libpq ends its messages with a line break and may spread them over lines
// ("FATAL: ...\nDETAIL: ..."); a message box shows one paragraph.
std::string OneParagraph(const char* message) {
    std::string text = message != nullptr ? message : "";
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
    for (char& c : text)
        if (c == '\n') c = ' ';
    return text;
}

} // namespace

ConnectionHandle Connect(const std::string& conninfo) {
    ConnectionHandle connection(PQconnectdb(conninfo.c_str()));
    if (!connection) throw PgError("Keine Verbindung zum Datenbankserver: nicht genug Speicher.");
    if (PQstatus(connection.get()) != CONNECTION_OK)
        throw PgError("Keine Verbindung zum Datenbankserver: " + MessageOf(connection.get()));
    return connection;
}

std::string MessageOf(const PGconn* connection) { return OneParagraph(PQerrorMessage(connection)); }

std::string MessageOf(const PGresult* result) {
    if (result == nullptr) return "keine Antwort vom Server";
    // The primary message alone: the "ERROR:" prefix and the LINE/caret
    // lines point into the translated text, which the user never wrote.
    const char* primary = PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY);
    if (primary != nullptr) return OneParagraph(primary);
    return OneParagraph(PQresultErrorMessage(result));
}

std::string SqlStateOf(const PGresult* result) {
    if (result == nullptr) return {};
    const char* state = PQresultErrorField(result, PG_DIAG_SQLSTATE);
    return state != nullptr ? state : "";
}

bool Failed(const PGresult* result) {
    if (result == nullptr) return true;
    const ExecStatusType status = PQresultStatus(result);
    return status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK;
}

void Execute(PGconn* connection, const std::string& sql, const std::string& leadIn) {
    const Result result(PQexec(connection, sql.c_str()));
    if (Failed(result.get())) {
        const std::string message = result ? MessageOf(result.get()) : MessageOf(connection);
        throw PgError(leadIn + ": " + message, {}, SqlStateOf(result.get()));
    }
}

std::string QuotedName(const std::string& name) {
    std::string quoted = "\"";
    for (const char c : name) {
        quoted += c;
        if (c == '"') quoted += '"';
    }
    return quoted + "\"";
}

std::string QuotedText(const std::string& text) {
    std::string quoted = "E'";
    for (const char c : text) {
        quoted += c;
        if (c == '\'' || c == '\\') quoted += c;
    }
    return quoted + "'";
}

} // namespace agendor::postgres
