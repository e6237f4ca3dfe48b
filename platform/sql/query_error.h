#pragma once
// The error an engine backend raises for a query: the translator when a text
// is not of the control's dialect, the engine when it refuses a statement or
// a value cannot be read.
#include <string>
#include <utility>

#include "agendor/platform/types.h"
#include "agendor/sql_export.h"

namespace agendor::sql {

class AGENDOR_SQL_EXPORT QueryError : public Error {
public:
    // description: what a person reads in the control's message box (German
    // lead-in, then the engine's own message where it gave one).
    // queryText: the text as the control sent it, empty where no query was
    // involved (opening a file). resultCode: the engine's result code, 0 for
    // faults found before the engine saw anything.
    QueryError(const std::string& description, std::string queryText = {}, int resultCode = 0)
        : Error(description), queryText_(std::move(queryText)), resultCode_(resultCode) {}

    const std::string& QueryText() const { return queryText_; }
    int ResultCode() const { return resultCode_; }

private:
    std::string queryText_;
    int resultCode_;
};

} // namespace agendor::sql
