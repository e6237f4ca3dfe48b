#pragma once
// A schema of its own on the tests' server for one test, dropped at the
// end, and a writing connection in it that plays the host. The server is
// the one the pg_server CTest fixture starts (AGENDOR_PG_TEST_CONNINFO).
#include <unistd.h>

#include <atomic>
#include <string>

#include <gtest/gtest.h>
#include <libpq-fe.h>

namespace agendor::testing {

class PgTestSchema {
public:
    PgTestSchema() : PgTestSchema(AGENDOR_PG_TEST_CONNINFO) {}
    explicit PgTestSchema(const std::string& serverConninfo) : server_(serverConninfo) {
        static std::atomic<int> counter{0};
        schema_ = "t_" + std::to_string(::getpid()) + "_" + std::to_string(++counter);
        connection_ = PQconnectdb(Conninfo().c_str());
        if (PQstatus(connection_) != CONNECTION_OK) {
            ADD_FAILURE() << "no test server at " << server_ << ": " << PQerrorMessage(connection_);
            return;
        }
        Execute("SET client_min_messages = warning; CREATE SCHEMA " + schema_);
    }
    ~PgTestSchema() {
        const std::string drop = "DROP SCHEMA " + schema_ + " CASCADE";
        PGresult* result = PQexec(connection_, drop.c_str());
        // A test that restarted the server left this connection broken.
        if (PQresultStatus(result) != PGRES_COMMAND_OK && PQstatus(connection_) != CONNECTION_OK) {
            PQreset(connection_);
            Execute(drop);
        }
        PQclear(result);
        PQfinish(connection_);
    }
    PgTestSchema(const PgTestSchema&) = delete;
    PgTestSchema& operator=(const PgTestSchema&) = delete;

    // The connection string of the server with this schema first on the
    // search path, as a host would configure its application's schema, and
    // further server settings ("-c name=value ...") where a test gives them.
    std::string Conninfo(const std::string& settings = {}) const {
        return server_ + " options='-c search_path=" + schema_ + (settings.empty() ? "" : " " + settings) + "'";
    }
    const std::string& Name() const { return schema_; }
    PGconn* Handle() const { return connection_; }

    void Execute(const std::string& sql) {
        PGresult* result = PQexec(connection_, sql.c_str());
        const ExecStatusType status = PQresultStatus(result);
        if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
            ADD_FAILURE() << sql << ": " << PQresultErrorMessage(result);
        PQclear(result);
    }

    // The first column of every row, each line ended by a line feed.
    std::string Lines(const std::string& sql) {
        PGresult* result = PQexec(connection_, sql.c_str());
        std::string lines;
        if (PQresultStatus(result) != PGRES_TUPLES_OK) ADD_FAILURE() << sql << ": " << PQresultErrorMessage(result);
        else
            for (int row = 0; row < PQntuples(result); ++row) lines += std::string(PQgetvalue(result, row, 0)) + "\n";
        PQclear(result);
        return lines;
    }

    // The first value of the first row; "" for none or null.
    std::string Value(const std::string& sql) {
        PGresult* result = PQexec(connection_, sql.c_str());
        std::string value;
        if (PQresultStatus(result) != PGRES_TUPLES_OK) ADD_FAILURE() << sql << ": " << PQresultErrorMessage(result);
        else if (PQntuples(result) > 0) value = PQgetvalue(result, 0, 0);
        PQclear(result);
        return value;
    }

private:
    std::string server_;
    std::string schema_;
    PGconn* connection_ = nullptr;
};

} // namespace agendor::testing
