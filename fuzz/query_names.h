#pragma once
// The tables and fields a parsed query names, so that a fuzz target (and the
// replay of its corpus) can make a database in which every name of the text
// exists: the table after FROM with every field and alias the text uses, and
// each other table that qualifies a field, with the same fields.
#include <algorithm>
#include <string>
#include <vector>

#include "agendor/platform/sql/query_syntax.h"

namespace agendor::fuzz {

struct QueryNames {
    std::vector<std::string> tables;  // the table after FROM first
    std::vector<std::string> fields;  // fields and aliases, each once
};

inline void AddOnce(std::vector<std::string>& names, const std::string& name) {
    // The dialect and both engines compare names without regard to ASCII case.
    const bool known = std::any_of(names.begin(), names.end(),
                                   [&](const std::string& n) { return sql::EqualsIgnoringCase(n, name); });
    if (!known) names.push_back(name);
}

inline void CollectNames(const sql::Node& node, QueryNames& names) {
    if (node.kind == sql::Node::Kind::Column) {
        if (!node.table.empty()) AddOnce(names.tables, node.table);
        AddOnce(names.fields, node.text);
    }
    for (const sql::NodePtr& operand : node.operands) CollectNames(*operand, names);
}

inline QueryNames NamesOf(const sql::ParsedQuery& query) {
    QueryNames names;
    names.tables.push_back(query.table);
    for (const sql::SelectItem& item : query.select) {
        if (item.kind == sql::SelectItem::Kind::TableAll) AddOnce(names.tables, item.table);
        if (item.expression) CollectNames(*item.expression, names);
        if (!item.alias.empty()) AddOnce(names.fields, item.alias);
    }
    if (query.where) CollectNames(*query.where, names);
    for (const sql::OrderItem& item : query.orderBy) CollectNames(*item.expression, names);
    return names;
}

} // namespace agendor::fuzz
