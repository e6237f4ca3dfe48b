#pragma once
// RAII owners for libpq's handles, so that every way out of a function,
// exceptions included, frees what it got, and the few calls every part of
// the backend makes on a connection.
#include <memory>
#include <string>

#include <libpq-fe.h>

#include "agendor/postgres_export.h"
namespace agendor::postgres {

struct ResultClear {
    void operator()(PGresult* result) const { PQclear(result); }
};
using Result = std::unique_ptr<PGresult, ResultClear>;

struct ConnectionFinish {
    void operator()(PGconn* connection) const { PQfinish(connection); }
};
using ConnectionHandle = std::unique_ptr<PGconn, ConnectionFinish>;

// Connects with a connection string ("host=/run/pg dbname=termine" or a
// postgresql:// URI). Raises PgError with the server's or libpq's message
// when no connection comes about.
AGENDOR_POSTGRES_EXPORT ConnectionHandle Connect(const std::string& conninfo);

// libpq's message without its trailing line break, on one line.
AGENDOR_POSTGRES_EXPORT std::string MessageOf(const PGconn* connection);
AGENDOR_POSTGRES_EXPORT std::string MessageOf(const PGresult* result);
// The five-character SQLSTATE of a failed result, empty when there is none.
AGENDOR_POSTGRES_EXPORT std::string SqlStateOf(const PGresult* result);
// True when result is a failure (or missing, as when the connection broke).
AGENDOR_POSTGRES_EXPORT bool Failed(const PGresult* result);

// Runs SQL without parameters that returns no rows (settings, sample
// building). Raises PgError with leadIn and the server's message.
AGENDOR_POSTGRES_EXPORT void Execute(PGconn* connection, const std::string& sql, const std::string& leadIn);

// name as an SQL identifier: in double quotes, inner quotes doubled.
AGENDOR_POSTGRES_EXPORT std::string QuotedName(const std::string& name);
// text as an SQL string literal in the E'' form, quotes and backslashes
// doubled: the same text whether the server takes a backslash in a plain
// literal for an escape (standard_conforming_strings off) or not.
AGENDOR_POSTGRES_EXPORT std::string QuotedText(const std::string& text);

} // namespace agendor::postgres
