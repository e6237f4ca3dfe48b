#pragma once
// What the server's catalog says about the tables a query text names: the
// name as stored (the dialect compares names without regard to case, the
// server only folds names that are not quoted) and each column's type, which
// tells how a date field is stored and which fields are text.
#include <map>
#include <string>
#include <vector>

#include <libpq-fe.h>

#include "agendor/postgres_export.h"
namespace agendor::postgres {

enum class ColumnType { Text, Number, Timestamp, Date, Other };

struct ColumnInfo {
    std::string name;  // as stored
    ColumnType type = ColumnType::Other;
    std::string typeName;  // as the server writes it, for messages
};

struct AGENDOR_POSTGRES_EXPORT TableInfo {
    std::string name;  // as stored
    std::vector<ColumnInfo> columns;
    std::string oid;  // the server's object id, the same for every connection
    // A plain table of the host (or a materialized view): its rows change
    // only when a transaction commits. Not so a view (it may read anything,
    // the clock included), a foreign table, a table with child tables or
    // row security, or the server's own tables and views.
    bool changesOnlyByCommit = false;
    // Of the table's schema, as stored; empty where a statement names the
    // table without it.
    std::string schema;

    // The column whose name equals field without regard to case; an exact
    // match wins over others.
    const ColumnInfo* Column(const std::string& field) const;
};

// The condition, on pg_class c joined with pg_namespace n, that makes a
// relation's changesOnlyByCommit true.
extern AGENDOR_POSTGRES_EXPORT const char* const kChangesOnlyByCommit;

// Looks tables up on the connection and remembers them until Forget().
class AGENDOR_POSTGRES_EXPORT Catalog {
public:
    // The schemas a name is looked up in, in order: the host's search path
    // (the session runs with a search path of its own, see pg_session.h).
    void SetSearchPath(std::vector<std::string> schemas) { schemas_ = std::move(schemas); }
    // The table, view or foreign table named name (without regard to case;
    // an exact match wins) that the search path shows first, nullptr when
    // there is none. Raises PgError when the lookup itself fails.
    const TableInfo* Find(PGconn* connection, const std::string& name);
    void Forget() { tables_.clear(); }

private:
    std::vector<std::string> schemas_;
    std::map<std::string, TableInfo> tables_;  // by name as written
};

// name as its schema and name, both quoted ("s"."t"), or the name alone
// without a schema.
AGENDOR_POSTGRES_EXPORT std::string QualifiedName(const TableInfo& table);

} // namespace agendor::postgres
