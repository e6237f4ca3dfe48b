#pragma once
// Writes a parsed query in an engine's SQL (see sql_target.h).
#include <string>
#include <string_view>
#include <vector>

#include "agendor/platform/sql/query_syntax.h"
#include "agendor/platform/sql/sql_target.h"
#include "agendor/sql_export.h"

namespace agendor::sql {

struct Translation {
    std::string sql;
    // As ParsedQuery::dateFields: their values are read as date-time values.
    std::vector<std::string> dateFields;
};

AGENDOR_SQL_EXPORT std::string WriteQuery(const ParsedQuery& query, const SqlTarget& target);

// ParseQuery, then WriteQuery. Raises QueryError for a text outside the dialect.
AGENDOR_SQL_EXPORT Translation TranslateQuery(std::string_view text, const SqlTarget& target);

} // namespace agendor::sql
