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

#include "agendor/platform/types.h"

namespace agendor {

// A field value of the current row. Null is an empty value; converting null
// to text, a date-time or a number fails with an Error.
class AGENDOR_CORE_EXPORT FieldValue {
public:
    struct Null {};
    using Storage = std::variant<Null, std::int64_t, double, std::string>;

    FieldValue() = default;
    FieldValue(Null) {}
    FieldValue(std::int64_t v) : value_(v) {}
    FieldValue(int v) : value_(static_cast<std::int64_t>(v)) {}
    FieldValue(double v) : value_(v) {}
    FieldValue(std::string v) : value_(std::move(v)) {}
    FieldValue(const char* v) : value_(std::string(v)) {}

    bool IsNull() const { return std::holds_alternative<Null>(value_); }
    const Storage& Raw() const { return value_; }

    // Text as the engine would show it; integers in decimal, reals in the
    // shortest form that reads back to the same double. Raises on null.
    std::string AsText() const;
    // Raises on null, on text that is no number, and on values outside
    // the 32-bit range.
    std::int32_t AsInt32() const;
    // Numbers are taken as date-time values; text in ISO 8601 form
    // ("YYYY-MM-DD", "YYYY-MM-DD HH:MM[:SS[.fff]]", 'T' allowed) is
    // converted. Raises on null, NaN, infinity and on other text.
    DateTime AsDateTime() const;

private:
    Storage value_;
};

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
