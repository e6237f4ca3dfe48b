#pragma once
// The error every part of the PostgreSQL backend raises: the translator's
// refusals come as agendor::Error already; this one adds what the server
// said (its SQLSTATE) and the text the control sent.
#include <string>

#include "agendor/platform/types.h"
#include "agendor/postgres_export.h"

namespace agendor::postgres {

class AGENDOR_POSTGRES_EXPORT PgError : public Error {
public:
    // description: what a person reads in the control's message box (a
    // German lead-in, then the server's own message where it gave one).
    // queryText: the text as the control sent it, empty where no query was
    // involved. sqlState: the server's five-character code, empty where the
    // fault was found on this side or the connection was lost.
    PgError(const std::string& description, std::string queryText = {}, std::string sqlState = {})
        : Error(description), queryText_(std::move(queryText)), sqlState_(std::move(sqlState)) {}

    const std::string& QueryText() const { return queryText_; }
    const std::string& SqlState() const { return sqlState_; }

private:
    std::string queryText_;
    std::string sqlState_;
};

} // namespace agendor::postgres
