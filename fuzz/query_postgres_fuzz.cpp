// The query translator for PostgreSQL, without a server: every text the
// dialect accepts is written for a catalog that knows its tables (date
// fields as timestamps or as day counts, chosen by the text's length) and
// for one that knows none. The corpus this grows is replayed against a
// real server by the test postgres_corpus_replay, which checks that the
// server's parser takes every translation.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "agendor/platform/postgres/pg_dialect.h"
#include "agendor/platform/sql/query_error.h"
#include "fuzz/query_names.h"

namespace {

using namespace agendor;

postgres::TableInfo TableOf(const std::string& name, const sql::ParsedQuery& query, const fuzz::QueryNames& names,
                            bool timestamps) {
    postgres::TableInfo table;
    table.name = name;
    for (const std::string& field : names.fields) {
        postgres::ColumnInfo column;
        column.name = field;
        column.type = !query.IsDateField(field) ? postgres::ColumnType::Text
                      : timestamps              ? postgres::ColumnType::Timestamp
                                                : postgres::ColumnType::Number;
        table.columns.push_back(column);
    }
    return table;
}

void Check(std::string_view text, const std::string& sql) {
    // No byte the server's text protocol cannot carry.
    if (sql.empty() || sql.find('\0') != std::string::npos) {
        std::fprintf(stderr, "bad translation of %.*s:\n%s\n", static_cast<int>(text.size()), text.data(),
                     sql.c_str());
        std::abort();
    }
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
    const postgres::TableInfo known = TableOf(query.table, query, names, size % 2 == 0);
    Check(text, postgres::TranslateForServer(text, [&](const std::string&) { return &known; }));
    Check(text, postgres::TranslateForServer(text, [](const std::string&) { return nullptr; }, false));
    return 0;
}
