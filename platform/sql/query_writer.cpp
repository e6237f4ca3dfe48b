#include "agendor/platform/sql/query_writer.h"

#include <algorithm>
#include <utility>

#include "agendor/platform/sql/text_pieces.h"

namespace agendor::sql {

std::string SqlTarget::TextLiteral(const std::string& text) const {
    std::string result = "'";
    for (const char c : text) {
        result += c;
        if (c == '\'') result += '\'';
    }
    return result + "'";
}

std::string SqlTarget::Concatenate(const std::string& a, const std::string& b) const {
    return "(" + a + " || " + b + ")";
}

std::string SqlTarget::Divide(const std::string& a, const std::string& b) const {
    return "(CAST(" + a + " AS DOUBLE PRECISION) / " + b + ")";
}

std::string SqlTarget::DateOrderKey(const DateField& field, std::optional<long>) const { return field.written; }

std::string SqlTarget::TextOrderKey(const std::string& expression, const FieldRef*) const { return expression; }

namespace {

class Writer {
public:
    Writer(const ParsedQuery& query, const SqlTarget& target) : query_(query), target_(target) {}

    std::string Query() {
        std::string sql = "SELECT ";
        for (std::size_t k = 0; k < query_.select.size(); ++k) {
            if (k > 0) sql += ", ";
            sql += Selected(query_.select[k]);
        }
        sql += " FROM " + target_.TableReference(query_.table);
        if (query_.where) sql += " WHERE " + Emit(*query_.where);
        // A constant sorts nothing; both engines would read a number there
        // as a column's position, and PostgreSQL refuses a text there.
        bool first = true;
        for (const OrderItem& item : query_.orderBy) {
            if (IsConstant(*item.expression)) continue;
            sql += first ? " ORDER BY " : ", ";
            first = false;
            sql += OrderKey(*item.expression);
            if (item.direction == OrderItem::Direction::Descending) sql += " DESC";
            if (item.direction == OrderItem::Direction::Ascending) sql += " ASC";
        }
        return sql;
    }

private:
    static bool IsConstant(const Node& node) {
        if (node.kind == Node::Kind::Column) return false;
        for (const auto& operand : node.operands)
            if (!IsConstant(*operand)) return false;
        return true;
    }

    // Every field belongs to the one table after FROM.
    FieldRef RefOf(const Node& column) const { return FieldRef{query_.table, column.text}; }

    std::string Column(const Node& node) const {
        const std::string field = target_.QuoteName(node.text);
        return node.table.empty() ? field : target_.QuoteName(node.table) + "." + field;
    }

    std::string Selected(const SelectItem& item) {
        switch (item.kind) {
        case SelectItem::Kind::All: return "*";
        case SelectItem::Kind::TableAll: return target_.QuoteName(item.table) + ".*";
        case SelectItem::Kind::Expression: break;
        }
        const Node& node = *item.expression;
        const std::string emitted = Emit(node);
        if (!item.alias.empty()) return emitted + " AS " + target_.QuoteName(item.alias);
        // A qualified field keeps its own name as the field name of the row.
        if (node.kind == Node::Kind::Column && !node.table.empty())
            return emitted + " AS " + target_.QuoteName(node.text);
        return emitted;
    }

    std::string Emit(const Node& node) {
        switch (node.kind) {
        case Node::Kind::Column: return Column(node);
        case Node::Kind::Number: return node.text;
        case Node::Kind::String: return target_.TextLiteral(node.text);
        case Node::Kind::Date: return target_.DateTimeLiteral(node.date);
        case Node::Kind::Null: return "NULL";
        case Node::Kind::DateValue: {
            const Node& argument = *node.operands[0];
            if (argument.kind != Node::Kind::Column) return target_.DatePart(Emit(argument), nullptr);
            const FieldRef ref = RefOf(argument);
            return target_.DatePart(Emit(argument), &ref);
        }
        case Node::Kind::Negate: return Cat("(- ", Emit(*node.operands[0]), ")");
        case Node::Kind::Not: return Cat("(NOT ", Emit(*node.operands[0]), ")");
        case Node::Kind::IsNull:
            return Cat("(", Emit(*node.operands[0]), node.negated ? " IS NOT NULL)" : " IS NULL)");
        case Node::Kind::Binary: return Binary(node);
        }
        return {};
    }

    std::string Binary(const Node& node) {
        const Node& left = *node.operands[0];
        const Node& right = *node.operands[1];
        if (IsComparison(node.text)) return Comparison(node.text, left, right);
        const std::string first = Emit(left);
        const std::string second = Emit(right);
        if (node.text == "&") return target_.Concatenate(first, second);
        if (node.text == "/") return target_.Divide(first, second);
        return "(" + first + " " + node.text + " " + second + ")";
    }

    std::string Comparison(std::string op, const Node& leftNode, const Node& rightNode) {
        const Node* left = &leftNode;
        const Node* right = &rightNode;
        if (left->kind == Node::Kind::Date && right->kind != Node::Kind::Date) {
            std::swap(left, right);
            op = Mirrored(op);
        }
        if (right->kind == Node::Kind::Date) {
            const DateLiteral& date = right->date;
            if (left->kind == Node::Kind::Column)
                return target_.CompareWithDate(DateField{RefOf(*left), Emit(*left)}, op, date);
            if (left->kind == Node::Kind::DateValue && left->operands[0]->kind == Node::Kind::Column &&
                target_.RewritesDateValue() && date.IsMidnight()) {
                const Node& field = *left->operands[0];
                return DayVersusMidnight(DateField{RefOf(field), Emit(field)}, op, date.DayNumber());
            }
            if (left->kind == Node::Kind::DateValue)
                return Cat("(", Emit(*left), " ", op, " ", target_.LiteralAgainstDay(date), ")");
        }
        const std::string first = Emit(*left);
        const std::string second = Emit(*right);
        return "(" + first + " " + op + " " + second + ")";
    }

    // DateValue(field) op #d#: which days the field may lie on.
    std::string DayVersusMidnight(const DateField& field, const std::string& op, long day) const {
        const auto atOrAfter = [&](long d) { return target_.DayAtOrAfter(field, d); };
        const auto before = [&](long d) { return target_.DayBefore(field, d); };
        if (op == "=") return Cat("(", atOrAfter(day), " AND ", before(day + 1), ")");
        if (op == "<>") return Cat("(", before(day), " OR ", atOrAfter(day + 1), ")");
        if (op == ">=") return Cat("(", atOrAfter(day), ")");
        if (op == "<") return Cat("(", before(day), ")");
        if (op == ">") return Cat("(", atOrAfter(day + 1), ")");
        return Cat("(", before(day + 1), ")");  // <=
    }

    std::string OrderKey(const Node& node) {
        if (node.kind == Node::Kind::Column && query_.IsDateField(node.text))
            return target_.DateOrderKey(DateField{RefOf(node), Emit(node)}, FirstDay(node.text));
        // The date part of a value sorts by its day number or day text as it is.
        if (node.kind == Node::Kind::DateValue) return Emit(node);
        if (node.kind == Node::Kind::Column) {
            const FieldRef ref = RefOf(node);
            return target_.TextOrderKey(Emit(node), &ref);
        }
        return target_.TextOrderKey(Emit(node), nullptr);
    }

    // The earliest day the WHERE clause lets through for field, from the
    // lower bounds joined by And at its top.
    std::optional<long> FirstDay(const std::string& field) const {
        std::optional<long> first;
        if (query_.where) CollectFirstDay(*query_.where, field, first);
        return first;
    }

    static void CollectFirstDay(const Node& node, const std::string& field, std::optional<long>& first) {
        if (node.kind != Node::Kind::Binary) return;
        if (node.text == "AND") {
            CollectFirstDay(*node.operands[0], field, first);
            CollectFirstDay(*node.operands[1], field, first);
            return;
        }
        if (!IsComparison(node.text)) return;
        const Node* left = node.operands[0].get();
        const Node* right = node.operands[1].get();
        std::string op = node.text;
        if (left->kind == Node::Kind::Date) {
            std::swap(left, right);
            op = Mirrored(op);
        }
        if (right->kind != Node::Kind::Date || (op != ">=" && op != ">" && op != "=")) return;
        if (left->kind == Node::Kind::DateValue) left = left->operands[0].get();
        if (left->kind != Node::Kind::Column || !EqualsIgnoringCase(left->text, field)) return;
        const long day = right->date.DayNumber();
        if (!first || day > *first) first = day;
    }

    const ParsedQuery& query_;
    const SqlTarget& target_;
};

} // namespace

std::string WriteQuery(const ParsedQuery& query, const SqlTarget& target) { return Writer(query, target).Query(); }

Translation TranslateQuery(std::string_view text, const SqlTarget& target) {
    ParsedQuery query = ParseQuery(text);
    std::string sql = WriteQuery(query, target);
    return Translation{std::move(sql), std::move(query.dateFields)};
}

} // namespace agendor::sql
