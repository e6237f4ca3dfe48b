#pragma once
// The error the SQLite backend raises: the connection when SQLite refuses a
// file or a statement, the recordset when a value cannot be read. The
// translator's refusals are the QueryError this derives from.
#include <string>

#include "agendor/platform/sql/query_error.h"
#include "agendor/sqlite_export.h"

namespace agendor::sqlite {

class AGENDOR_SQLITE_EXPORT SqliteError : public sql::QueryError {
public:
    // resultCode: SQLite's extended result code, 0 for faults found before
    // SQLite saw anything.
    using QueryError::QueryError;
};

} // namespace agendor::sqlite
