#include "agendor/platform/postgres/pg_catalog.h"

#include <cstdlib>

#include "agendor/platform/postgres/pg_error.h"
#include "agendor/platform/postgres/pg_handles.h"

namespace agendor::postgres {

const char* const kChangesOnlyByCommit =
    "(c.relkind IN ('r', 'm') AND NOT c.relhassubclass AND NOT c.relrowsecurity "
    "AND NOT pg_catalog.starts_with(n.nspname::pg_catalog.text, 'pg_') AND n.nspname <> 'information_schema')";

namespace {

std::string Lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

ColumnType TypeOf(const std::string& category, const std::string& typeName) {
    if (typeName == "timestamp without time zone" || typeName == "timestamp with time zone")
        return ColumnType::Timestamp;
    if (typeName == "date") return ColumnType::Date;
    if (category == "N") return ColumnType::Number;
    if (category == "S") return ColumnType::Text;
    return ColumnType::Other;
}

// Tables, views, materialized views, foreign and partitioned tables in the
// schemas of the search path ($2), with their columns in order and the
// schema's place on the path. ASCII letters only are folded, as the dialect
// does.
const std::string kLookup =
    std::string("SELECT c.relname, a.attname, t.typcategory, pg_catalog.format_type(a.atttypid, a.atttypmod), "
                "c.oid, n.nspname, pg_catalog.array_position($2::pg_catalog.text[], n.nspname::pg_catalog.text), ") +
    kChangesOnlyByCommit +
    " FROM pg_catalog.pg_class c "
    "JOIN pg_catalog.pg_namespace n ON n.oid = c.relnamespace "
    "JOIN pg_catalog.pg_attribute a ON a.attrelid = c.oid AND a.attnum > 0 AND NOT a.attisdropped "
    "JOIN pg_catalog.pg_type t ON t.oid = a.atttypid "
    "WHERE c.relkind IN ('r', 'v', 'm', 'f', 'p') AND n.nspname::pg_catalog.text = ANY ($2::pg_catalog.text[]) "
    "AND pg_catalog.translate(c.relname::pg_catalog.text, 'ABCDEFGHIJKLMNOPQRSTUVWXYZ', "
    "'abcdefghijklmnopqrstuvwxyz') = $1 "
    "ORDER BY c.relname, 7, a.attnum";

// The schemas as an array literal for $2.
std::string ArrayOf(const std::vector<std::string>& names) {
    std::string array = "{";
    for (const std::string& name : names) {
        if (array.size() > 1) array += ",";
        array += '"';
        for (const char c : name) {
            if (c == '"' || c == '\\') array += '\\';
            array += c;
        }
        array += '"';
    }
    return array + "}";
}

} // namespace

std::string QualifiedName(const TableInfo& table) {
    return table.schema.empty() ? QuotedName(table.name) : QuotedName(table.schema) + "." + QuotedName(table.name);
}

const ColumnInfo* TableInfo::Column(const std::string& field) const {
    const ColumnInfo* folded = nullptr;
    for (const ColumnInfo& column : columns) {
        if (column.name == field) return &column;
        if (folded == nullptr && Lower(column.name) == Lower(field)) folded = &column;
    }
    return folded;
}

const TableInfo* Catalog::Find(PGconn* connection, const std::string& name) {
    if (const auto known = tables_.find(name); known != tables_.end()) return &known->second;

    const std::string folded = Lower(name);
    const std::string schemas = ArrayOf(schemas_);
    const char* values[] = {folded.c_str(), schemas.c_str()};
    const Result result(PQexecParams(connection, kLookup.c_str(), 2, nullptr, values, nullptr, nullptr, 0));
    if (Failed(result.get())) {
        const std::string message = result ? MessageOf(result.get()) : MessageOf(connection);
        throw PgError("Die Tabelle " + name + " ließ sich nicht nachschlagen: " + message, {},
                      SqlStateOf(result.get()));
    }
    // Of the tables with one name, the first schema on the path shows its
    // own. Several names may differ only in case; the one spelled as
    // written wins, else the first in name order.
    std::map<std::string, TableInfo> found;
    std::map<std::string, std::string> shownSchema;  // by name
    for (int row = 0; row < PQntuples(result.get()); ++row) {
        const std::string relation = PQgetvalue(result.get(), row, 0);
        const std::string schema = PQgetvalue(result.get(), row, 5);
        if (shownSchema.emplace(relation, schema).first->second != schema) continue;
        TableInfo& table = found[relation];
        table.name = relation;
        table.schema = schema;
        table.oid = PQgetvalue(result.get(), row, 4);
        table.changesOnlyByCommit = PQgetvalue(result.get(), row, 7)[0] == 't';
        table.columns.push_back(
            {PQgetvalue(result.get(), row, 1), TypeOf(PQgetvalue(result.get(), row, 2), PQgetvalue(result.get(), row, 3)),
             PQgetvalue(result.get(), row, 3)});
    }
    // A table that is missing is looked up again next time: the host may
    // create it meanwhile.
    if (found.empty()) return nullptr;
    const auto exact = found.find(name);
    return &tables_.insert_or_assign(name, exact != found.end() ? exact->second : found.begin()->second)
                .first->second;
}

} // namespace agendor::postgres
