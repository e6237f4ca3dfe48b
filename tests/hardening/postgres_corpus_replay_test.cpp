// The corpus the query translator's fuzz target grew for PostgreSQL,
// replayed against the test server: every text the dialect accepts is
// translated for a schema holding its tables and fields (date fields as
// timestamps, the others as text) and prepared by the server. The server's
// parser must take each (no syntax error) and find every name; a type the
// text's expression does not fit (text times two) is the text's own fault
// and not the translator's.
#include <gtest/gtest.h>
#include <libpq-fe.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "agendor/platform/postgres/pg_catalog.h"
#include "agendor/platform/postgres/pg_dialect.h"
#include "agendor/platform/sql/query_error.h"
#include "fuzz/query_names.h"
#include "tests/support/pg_test_schema.h"

namespace agendor {
namespace {

std::string Quoted(const std::string& name) {
    std::string quoted = "\"";
    for (char c : name) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

// The server's verdict on sql: empty when it was prepared, else the state
// and message.
std::string Prepare(PGconn* connection, const std::string& sql, std::string& state) {
    PGresult* result = PQprepare(connection, "", sql.c_str(), 0, nullptr);
    std::string message;
    if (PQresultStatus(result) != PGRES_COMMAND_OK) {
        const char* code = PQresultErrorField(result, PG_DIAG_SQLSTATE);
        state = code ? code : "";
        message = PQresultErrorMessage(result);
    }
    PQclear(result);
    return message;
}

bool Execute(PGconn* connection, const std::string& sql) {
    PGresult* result = PQexec(connection, sql.c_str());
    const bool ok = PQresultStatus(result) == PGRES_COMMAND_OK;
    PQclear(result);
    return ok;
}

TEST(PostgresCorpusReplay, TheServerTakesEveryTranslation) {
    testing::PgTestSchema schema;
    PGconn* connection = schema.Handle();
    std::size_t inputs = 0, accepted = 0, prepared = 0;
    for (const auto& entry : std::filesystem::directory_iterator(AGENDOR_FUZZ_CORPUS "/query_postgres")) {
        std::ifstream file(entry.path(), std::ios::binary);
        const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        ++inputs;
        sql::ParsedQuery query;
        try {
            query = sql::ParseQuery(text);
        } catch (const sql::QueryError&) {
            continue;
        }
        ++accepted;
        const fuzz::QueryNames names = fuzz::NamesOf(query);
        // Each text in a transaction of its own, rolled back.
        ASSERT_TRUE(Execute(connection, "BEGIN"));
        bool created = true;
        for (const std::string& table : names.tables) {
            std::string create = "CREATE TABLE " + Quoted(table) + " (";
            for (std::size_t k = 0; k < names.fields.size(); ++k)
                create += (k ? ", " : "") + Quoted(names.fields[k]) +
                          (query.IsDateField(names.fields[k]) ? " timestamp" : " text");
            created = created && Execute(connection, create + ")");
        }
        // Names the server itself cannot hold apart (longer than 63 bytes
        // and equal in their first 63) are no matter of the translator.
        if (created) {
            postgres::Catalog catalog;
            catalog.SetSearchPath({schema.Name()});
            const std::string sql = postgres::TranslateForServer(
                text, [&](const std::string& name) { return catalog.Find(connection, name); });
            std::string state;
            const std::string refused = Prepare(connection, sql, state);
            static const std::set<std::string> kTranslatorFaults = {"42601", "42P01", "42703", "42702", "22021"};
            EXPECT_FALSE(kTranslatorFaults.count(state)) << entry.path() << "\n" << text << "\n" << sql << "\n" << refused;
            if (refused.empty()) ++prepared;
        }
        Execute(connection, "ROLLBACK");
    }
    std::cout << inputs << " corpus inputs, " << accepted << " accepted by the dialect, " << prepared
              << " prepared by the server\n";
    EXPECT_GT(prepared, 0u);
}

} // namespace
} // namespace agendor
