// The query translator for SQLite: every text the dialect accepts becomes
// one statement that SQLite prepares on a database holding the tables and
// fields of the text, in both ways of storing dates. A text the dialect
// refuses raises QueryError and nothing else.
#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstdio>
#include <string>
#include <string_view>

#include <sqlite3.h>

#include "agendor/platform/sql/query_error.h"
#include "agendor/platform/sqlite/german_collation.h"
#include "agendor/platform/sqlite/sqlite_dialect.h"
#include "fuzz/query_names.h"

namespace {

using namespace agendor;

[[noreturn]] void Finding(const std::string& what, std::string_view text, const std::string& sql) {
    std::fprintf(stderr, "%s\nquery: %.*s\nsql: %s\n", what.c_str(), static_cast<int>(text.size()), text.data(),
                 sql.c_str());
    std::abort();
}

void Execute(sqlite3* db, const std::string& sql) {
    char* message = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
        const std::string why = message ? message : "?";
        sqlite3_free(message);
        Finding("schema refused: " + why, sql, sql);
    }
}

std::string Bracketed(const std::string& name) { return "[" + name + "]"; }

void CheckPrepares(std::string_view text, const fuzz::QueryNames& names, sqlite::DateStorage storage) {
    sqlite::TranslateOptions options;
    options.storage = storage;
    const std::string sql = sqlite::TranslateQuery(text, options).sql;
    // SQLite reserves the names that begin with "sqlite_" for itself: no
    // host's table is named so.
    for (const std::string& table : names.tables)
        if (table.size() >= 7 && std::equal(table.begin(), table.begin() + 7, "sqlite_",
                                            [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == b; }))
            return;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(":memory:", &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) std::abort();
    sqlite::RegisterGermanCollation(db);
    for (const std::string& table : names.tables) {
        std::string create = "CREATE TABLE " + Bracketed(table) + " (";
        for (std::size_t k = 0; k < names.fields.size(); ++k) create += (k ? ", " : "") + Bracketed(names.fields[k]);
        if (names.fields.empty()) create += "[unused]";
        Execute(db, create + ")");
    }
    sqlite3_stmt* statement = nullptr;
    const char* tail = nullptr;
    const int rc = sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &statement, &tail);
    const std::string why = sqlite3_errmsg(db);
    sqlite3_finalize(statement);
    sqlite3_close(db);
    if (rc != SQLITE_OK || statement == nullptr) Finding("SQLite refused the translation: " + why, text, sql);
    for (const char* c = tail; c < sql.data() + sql.size(); ++c)
        if (*c != ' ' && *c != ';') Finding("more than one statement", text, sql);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    sql::ParsedQuery query;
    try {
        query = sql::ParseQuery(text);
    } catch (const sql::QueryError&) {
        return 0;
    }
    const fuzz::QueryNames names = fuzz::NamesOf(query);
    CheckPrepares(text, names, sqlite::DateStorage::Real);
    CheckPrepares(text, names, sqlite::DateStorage::IsoText);
    return 0;
}
