#pragma once
// The error every part of the SQLite backend raises: the translator when a
// query text is not of the control's dialect, the connection when SQLite
// refuses a file or a statement, the recordset when a value cannot be read.
#include <string>

#include "agendor/platform/types.h"
#include "agendor/sqlite_export.h"

namespace agendor::sqlite {

class AGENDOR_SQLITE_EXPORT SqliteError : public Error {
public:
    // description: what a person reads in the control's message box (German
    // lead-in, then SQLite's own message where SQLite gave one).
    // queryText: the text as the control sent it, empty where no query was
    // involved (opening a file). resultCode: SQLite's extended result code, 0
    // for faults found before SQLite saw anything.
    SqliteError(const std::string& description, std::string queryText = {}, int resultCode = 0)
        : Error(description), queryText_(std::move(queryText)), resultCode_(resultCode) {}

    const std::string& QueryText() const { return queryText_; }
    int ResultCode() const { return resultCode_; }

private:
    std::string queryText_;
    int resultCode_;
};

} // namespace agendor::sqlite
