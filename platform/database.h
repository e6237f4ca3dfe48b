#pragma once
// The database engine as the control sees it: read-only queries returning
// snapshot recordsets. The control never writes; every operation that fails
// raises agendor::Error (or a subclass) carrying the engine's description.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "agendor/core/field_value.h"
#include "agendor/platform/types.h"

namespace agendor {

// A read-only snapshot: the rows as of opening, in the query's order.
class Recordset {
public:
    virtual ~Recordset() = default;
    // True once the last row has been passed; true at once for no rows.
    virtual bool IsEOF() const = 0;
    // Next row. Raises when already at EOF.
    virtual void MoveNext() = 0;
    virtual void MoveFirst() = 0;
    virtual void MoveLast() = 0;
    // The number of rows visited so far; after MoveLast the number of rows.
    virtual long RecordCount() const = 0;
    // The value of the named field in the current row (names compare without
    // regard to case). Raises when there is no current row or no such field.
    virtual FieldValue Field(std::string_view name) const = 0;
};

enum class RecordsetType { Default = 0, Snapshot = 4 };

class QueryDef {
public:
    virtual ~QueryDef() = default;
    virtual std::string SQL() const = 0;
    virtual std::unique_ptr<Recordset> OpenRecordset(RecordsetType type = RecordsetType::Snapshot) = 0;
};

class Database {
public:
    virtual ~Database() = default;
    // Non-empty for an open database (a file path for file databases).
    virtual std::string Name() const = 0;
    // Runs a query text of the control's dialect (SELECT ... From ... WHERE
    // ... ORDER BY ..., table.field, [field], #m/d/yyyy# literals,
    // DateValue(x), And). Raises on unknown tables or fields and rejected texts.
    virtual std::unique_ptr<Recordset> OpenRecordset(const std::string& text,
                                                     RecordsetType type = RecordsetType::Default) = 0;
    // A temporary query definition when name is empty (nothing is stored).
    virtual std::unique_ptr<QueryDef> CreateQueryDef(const std::string& name, const std::string& text) = 0;
};

// The workspace the database was opened in. The control only checks that one
// is set and calls nothing on it.
class Workspace {
public:
    virtual ~Workspace() = default;
};

} // namespace agendor
