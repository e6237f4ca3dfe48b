#include "agendor/platform/sql/query_syntax.h"

#include <algorithm>
#include <array>
#include <string>
#include <utility>

#include "agendor/core/date_time.h"
#include "agendor/platform/sql/query_error.h"

namespace agendor::sql {

long DateLiteral::DayNumber() const { return static_cast<long>(dt::FromYmd(year, month, day)); }

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t k = 0; k < a.size(); ++k) {
        const auto upper = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; };
        if (upper(a[k]) != upper(b[k])) return false;
    }
    return true;
}

bool IsComparison(std::string_view op) {
    return op == "=" || op == "<>" || op == "<" || op == "<=" || op == ">" || op == ">=";
}

std::string Mirrored(const std::string& op) {
    if (op == "<") return ">";
    if (op == ">") return "<";
    if (op == "<=") return ">=";
    if (op == ">=") return "<=";
    return op;
}

bool ParsedQuery::IsDateField(std::string_view field) const {
    return std::any_of(dateFields.begin(), dateFields.end(),
                       [&](const std::string& known) { return EqualsIgnoringCase(known, field); });
}

namespace {

// ---------------------------------------------------------------- tokens

enum class TokenKind { Word, Name, Number, String, Date, Symbol, End };

struct Token {
    TokenKind kind = TokenKind::End;
    // Word: as written; Name: between the brackets; Number: the digits;
    // String: the content with '' undone; Date: between the # signs;
    // Symbol: the operator.
    std::string text;
    std::size_t offset = 0;  // bytes from the start of the query text
    DateLiteral date;
};

std::string Shown(const Token& token) {
    switch (token.kind) {
    case TokenKind::Name: return "[" + token.text + "]";
    case TokenKind::String: return "'" + token.text + "'";
    case TokenKind::Date: return "#" + token.text + "#";
    default: return token.text;
    }
}

std::string Position(std::size_t offset) { return "Zeichen " + std::to_string(offset + 1); }

bool IsAsciiLetter(unsigned char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }
// Bytes of UTF-8 sequences count as letters, so German names (Straße,
// Gebühr) need no brackets.
bool StartsWord(unsigned char c) { return IsAsciiLetter(c) || c == '_' || c >= 0x80; }
bool ContinuesWord(unsigned char c) { return StartsWord(c) || IsDigit(c); }
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// The offset of the first byte that is a zero byte or does not belong to a
// well-formed UTF-8 sequence (no overlong forms, no surrogates, nothing
// beyond U+10FFFF); npos when there is none.
std::size_t FirstBadByte(std::string_view text, bool& zero) {
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        zero = c == 0;
        if (zero) return i;
        const std::size_t length = c < 0x80 ? 1 : c >= 0xC2 && c <= 0xDF ? 2 : c >= 0xE0 && c <= 0xEF ? 3
                                               : c >= 0xF0 && c <= 0xF4 ? 4 : 0;
        if (length == 0 || i + length > text.size()) return i;
        if (length == 1) {
            ++i;
            continue;
        }
        for (std::size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return i;
        const auto second = static_cast<unsigned char>(text[i + 1]);
        if ((c == 0xE0 && second < 0xA0) || (c == 0xED && second > 0x9F) || (c == 0xF0 && second < 0x90) ||
            (c == 0xF4 && second > 0x8F))
            return i;
        i += length;
    }
    return std::string_view::npos;
}

// SQLite's parser stack ends near 100 nested parentheses, and the
// translation writes a pair for every operator and a few of its own.
constexpr int kMaxDepth = 64;

std::string Upper(std::string_view text) {
    std::string result(text);
    for (char& c : result)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return result;
}

class Lexer {
public:
    explicit Lexer(std::string_view text) : text_(text) {}

    std::vector<Token> Tokens() {
        bool zero = false;
        const std::size_t bad = FirstBadByte(text_, zero);
        if (bad != std::string_view::npos)
            Fail((zero ? "Die Abfrage enthält ein Nullzeichen (" : "Die Abfrage ist kein gültiger UTF-8-Text (") +
                 Position(bad) + ").");
        std::vector<Token> tokens;
        for (;;) {
            tokens.push_back(Next());
            if (tokens.back().kind == TokenKind::End) return tokens;
        }
    }

private:
    [[noreturn]] void Fail(const std::string& message) const { throw QueryError(message, std::string(text_)); }

    Token Next() {
        while (i_ < text_.size() && IsBlank(text_[i_])) ++i_;
        Token token;
        token.offset = i_;
        if (i_ == text_.size()) return token;

        const unsigned char c = static_cast<unsigned char>(text_[i_]);
        const char following = i_ + 1 < text_.size() ? text_[i_ + 1] : '\0';
        if (c == '[') return BracketedName(token);
        if (c == '\'') return String(token);
        if (c == '#') return Date(token);
        if (c == '"')
            Fail("Doppelte Anführungszeichen sind in Abfragen nicht erlaubt (" + Position(i_) +
                 "): Namen stehen in [ ], Texte in ' '.");
        if ((c == '-' && following == '-') || (c == '/' && following == '*'))
            Fail("Kommentare sind in Abfragen nicht erlaubt (" + Position(i_) + ").");
        if (IsDigit(c)) {
            token.kind = TokenKind::Number;
            while (i_ < text_.size() && IsDigit(static_cast<unsigned char>(text_[i_]))) ++i_;
            if (i_ + 1 < text_.size() && text_[i_] == '.' && IsDigit(static_cast<unsigned char>(text_[i_ + 1]))) {
                ++i_;
                while (i_ < text_.size() && IsDigit(static_cast<unsigned char>(text_[i_]))) ++i_;
            }
            token.text = std::string(text_.substr(token.offset, i_ - token.offset));
            return token;
        }
        if (StartsWord(c)) {
            token.kind = TokenKind::Word;
            while (i_ < text_.size() && ContinuesWord(static_cast<unsigned char>(text_[i_]))) ++i_;
            token.text = std::string(text_.substr(token.offset, i_ - token.offset));
            return token;
        }
        static constexpr std::array<std::string_view, 16> kSymbols = {
            "<=", ">=", "<>", "=", "<", ">", "+", "-", "*", "/", "&", "(", ")", ",", ".", ";"};
        for (const std::string_view symbol : kSymbols) {
            if (text_.substr(i_, symbol.size()) == symbol) {
                token.kind = TokenKind::Symbol;
                token.text = std::string(symbol);
                i_ += symbol.size();
                return token;
            }
        }
        Fail("Unerwartetes Zeichen '" + std::string(1, static_cast<char>(c)) + "' in der Abfrage (" +
             Position(i_) + ").");
    }

    // [name], and [[name]]: a host that bracketed a name with blanks for
    // the texts that paste it bare still gets a valid name where the control
    // adds brackets of its own.
    Token BracketedName(Token& token) {
        token.kind = TokenKind::Name;
        ++i_;
        const bool doubled = i_ < text_.size() && text_[i_] == '[';
        if (doubled) ++i_;
        const std::size_t close = text_.find(']', i_);
        if (close == std::string_view::npos) Fail("Name ohne schließende ] (" + Position(token.offset) + ").");
        token.text = std::string(text_.substr(i_, close - i_));
        i_ = close + 1;
        if (doubled) {
            if (i_ >= text_.size() || text_[i_] != ']')
                Fail("Name ohne schließende ]] (" + Position(token.offset) + ").");
            ++i_;
        }
        CheckName(token.text);
        return token;
    }

    void CheckName(const std::string& name) const {
        const std::string shown = "[" + name + "]";
        if (name.empty()) Fail("Leerer Name [] in der Abfrage.");
        if (IsBlank(name.front()) || IsBlank(name.back()))
            Fail("Ungültiger Name " + shown + ": ein Name beginnt und endet nicht mit einem Leerzeichen.");
        const bool forbidden = std::any_of(name.begin(), name.end(), [](char c) {
            const auto u = static_cast<unsigned char>(c);
            return u < 0x20 || u == 0x7F || c == '[' || c == ']' || c == '"' || c == '\'' || c == ';';
        });
        if (forbidden || name.find("--") != std::string::npos)
            Fail("Ungültiger Name " + shown + ": Namen dürfen weder [ ] \" ' ; -- noch Steuerzeichen enthalten.");
    }

    Token String(Token& token) {
        token.kind = TokenKind::String;
        ++i_;
        for (;;) {
            if (i_ >= text_.size()) Fail("Text ohne schließendes ' (" + Position(token.offset) + ").");
            if (text_[i_] == '\'') {
                if (i_ + 1 < text_.size() && text_[i_ + 1] == '\'') {
                    token.text += '\'';
                    i_ += 2;
                    continue;
                }
                ++i_;
                return token;
            }
            token.text += text_[i_++];
        }
    }

    Token Date(Token& token) {
        token.kind = TokenKind::Date;
        const std::size_t close = text_.find('#', i_ + 1);
        if (close == std::string_view::npos)
            Fail("Datumsliteral ohne schließendes # (" + Position(token.offset) + ").");
        token.text = std::string(text_.substr(i_ + 1, close - i_ - 1));
        i_ = close + 1;
        token.date = ParseDate(token.text);
        return token;
    }

    // m/d/yyyy, optionally followed by blanks and h:nn or h:nn:ss (24 hours).
    DateLiteral ParseDate(const std::string& written) const {
        const std::string shown = "#" + written + "#";
        std::size_t k = 0;
        auto number = [&](std::size_t maxDigits, int& out) {
            const std::size_t start = k;
            out = 0;
            while (k < written.size() && k - start < maxDigits && IsDigit(static_cast<unsigned char>(written[k])))
                out = out * 10 + (written[k++] - '0');
            return k > start;
        };
        auto separator = [&](char c) {
            if (k < written.size() && written[k] == c) {
                ++k;
                return true;
            }
            return false;
        };
        DateLiteral date;
        bool shaped = number(2, date.month) && separator('/') && number(2, date.day) && separator('/') &&
                      number(4, date.year);
        if (shaped && k < written.size()) {
            const std::size_t beforeBlanks = k;
            while (k < written.size() && written[k] == ' ') ++k;
            date.hasTime = true;
            shaped = k > beforeBlanks && number(2, date.hour) && separator(':') && number(2, date.minute);
            if (shaped && separator(':')) shaped = number(2, date.second);
        }
        if (!shaped || k != written.size())
            Fail("Ungültiges Datumsliteral " + shown + ": erwartet wird #Monat/Tag/Jahr#, etwa #3/5/2001#.");
        if (date.year < dt::kMinYear || date.year > dt::kMaxYear || !dt::IsValidYmd(date.year, date.month, date.day) ||
            date.hour > 23 || date.minute > 59 || date.second > 59)
            Fail("Ungültiges Datumsliteral " + shown + ": diesen Tag oder diese Uhrzeit gibt es nicht.");
        return date;
    }

    std::string_view text_;
    std::size_t i_ = 0;
};

bool IsReserved(std::string_view word) {
    static constexpr std::array<std::string_view, 14> kReserved = {
        "SELECT", "FROM", "WHERE", "ORDER", "BY", "AND", "OR", "NOT", "IS", "NULL", "AS", "ASC", "DESC", "INTO"};
    const std::string upper = Upper(word);
    return std::find(kReserved.begin(), kReserved.end(), upper) != kReserved.end();
}

// ---------------------------------------------------------------- parsing

class Parser {
public:
    explicit Parser(std::string_view text) : text_(text), tokens_(Lexer(text).Tokens()) {}

    ParsedQuery Query() {
        ParsedQuery query;
        query.text = std::string(text_);
        if (Peek().kind == TokenKind::End || IsSymbol(Peek(), ";")) Fail("Die Abfrage ist leer.");
        if (!IsKeyword(Peek(), "SELECT"))
            Fail("Nur Abfragen mit SELECT sind erlaubt: der Kalender liest nur und ändert keine Daten.");
        ++pos_;
        query.select = SelectList();
        if (IsKeyword(Peek(), "INTO"))
            Fail("Nur Abfragen mit SELECT sind erlaubt: der Kalender liest nur und ändert keine Daten.");
        ExpectKeyword("FROM");
        query.table = TakeName("ein Tabellenname");
        const bool filtered = AcceptKeyword("WHERE");
        if (filtered) query.where = Expression();
        const bool ordered = AcceptKeyword("ORDER");
        if (ordered) {
            ExpectKeyword("BY");
            do {
                OrderItem item;
                item.expression = Expression();
                if (AcceptKeyword("DESC")) item.direction = OrderItem::Direction::Descending;
                else if (AcceptKeyword("ASC")) item.direction = OrderItem::Direction::Ascending;
                query.orderBy.push_back(std::move(item));
            } while (AcceptSymbol(","));
        }
        if (AcceptSymbol(";") && Peek().kind != TokenKind::End)
            Fail("Die Abfrage enthält mehr als eine Anweisung.");
        if (Peek().kind != TokenKind::End)
            Unexpected(ordered    ? "das Ende der Abfrage"
                       : filtered ? "Order By oder das Ende der Abfrage"
                                  : "Where, Order By oder das Ende der Abfrage");
        for (const Token* qualifier : qualifiers_)
            if (!EqualsIgnoringCase(qualifier->text, query.table))
                Fail("Die Abfrage liest nur die Tabelle " + query.table + "; " + qualifier->text +
                     " gehört nicht dazu (" + Position(qualifier->offset) + ").");
        query.dateFields = std::move(dateFields_);
        return query;
    }

private:
    [[noreturn]] void Fail(const std::string& message) const { throw QueryError(message, std::string(text_)); }

    [[noreturn]] void Unexpected(const std::string& expected) const {
        const Token& token = Peek();
        if (token.kind == TokenKind::End) Fail("Syntaxfehler: die Abfrage endet, erwartet wird " + expected + ".");
        Fail("Syntaxfehler bei " + Shown(token) + " (" + Position(token.offset) + "): erwartet wird " + expected +
             ".");
    }

    const Token& Peek(std::size_t ahead = 0) const {
        return tokens_[std::min(pos_ + ahead, tokens_.size() - 1)];
    }

    static bool IsKeyword(const Token& token, std::string_view keyword) {
        return token.kind == TokenKind::Word && Upper(token.text) == keyword;
    }
    static bool IsSymbol(const Token& token, std::string_view symbol) {
        return token.kind == TokenKind::Symbol && token.text == symbol;
    }
    bool IsNameToken(const Token& token) const {
        return token.kind == TokenKind::Name || (token.kind == TokenKind::Word && !IsReserved(token.text));
    }

    bool AcceptKeyword(std::string_view keyword) {
        if (!IsKeyword(Peek(), keyword)) return false;
        ++pos_;
        return true;
    }
    bool AcceptSymbol(std::string_view symbol) {
        if (!IsSymbol(Peek(), symbol)) return false;
        ++pos_;
        return true;
    }
    void ExpectKeyword(std::string_view keyword) {
        if (!AcceptKeyword(keyword)) {
            std::string shown(keyword);
            std::transform(shown.begin() + 1, shown.end(), shown.begin() + 1,
                           [](char c) { return static_cast<char>(c - 'A' + 'a'); });
            Unexpected(shown);
        }
    }
    void ExpectSymbol(std::string_view symbol) {
        if (!AcceptSymbol(symbol)) Unexpected(std::string(symbol));
    }
    std::string TakeName(const std::string& expected) {
        if (!IsNameToken(Peek())) Unexpected(expected);
        return tokens_[pos_++].text;
    }

    std::vector<SelectItem> SelectList() {
        std::vector<SelectItem> list;
        if (AcceptSymbol("*")) {
            list.emplace_back();
            return list;
        }
        do {
            SelectItem& item = list.emplace_back();
            if (IsNameToken(Peek()) && IsSymbol(Peek(1), ".") && IsSymbol(Peek(2), "*")) {
                item.kind = SelectItem::Kind::TableAll;
                item.table = Peek().text;
                qualifiers_.push_back(&Peek());
                pos_ += 3;
            } else {
                item.kind = SelectItem::Kind::Expression;
                item.expression = Expression();
                if (AcceptKeyword("AS")) item.alias = TakeName("ein Name");
            }
        } while (AcceptSymbol(","));
        return list;
    }

    // Counts the parser's own nesting (parentheses, Not, unary minus), which
    // is deeper than the tree it builds, so that no text runs the stack out.
    class Nesting {
    public:
        explicit Nesting(Parser& parser) : parser_(parser) {
            if (++parser_.nesting_ > kMaxDepth) parser_.TooDeep();
        }
        ~Nesting() { --parser_.nesting_; }
        Nesting(const Nesting&) = delete;
        Nesting& operator=(const Nesting&) = delete;

    private:
        Parser& parser_;
    };

    [[noreturn]] void TooDeep() const {
        Fail("Die Abfrage ist zu tief verschachtelt (mehr als " + std::to_string(kMaxDepth) + " Ebenen).");
    }

    // A node over its operands, one level deeper than the deepest of them.
    NodePtr Over(NodePtr node) {
        for (const NodePtr& operand : node->operands) node->depth = std::max(node->depth, operand->depth + 1);
        if (node->depth > kMaxDepth) TooDeep();
        return node;
    }

    NodePtr Expression() {
        const Nesting nesting(*this);
        return Or();
    }

    NodePtr MakeBinary(std::string op, NodePtr left, NodePtr right) {
        auto node = std::make_unique<Node>(Node::Kind::Binary);
        node->text = std::move(op);
        node->operands.push_back(std::move(left));
        node->operands.push_back(std::move(right));
        return Over(std::move(node));
    }

    NodePtr Or() {
        NodePtr left = And();
        while (AcceptKeyword("OR")) left = MakeBinary("OR", std::move(left), And());
        return left;
    }

    NodePtr And() {
        NodePtr left = Not();
        while (AcceptKeyword("AND")) left = MakeBinary("AND", std::move(left), Not());
        return left;
    }

    NodePtr Not() {
        if (!AcceptKeyword("NOT")) return Comparison();
        const Nesting nesting(*this);
        auto node = std::make_unique<Node>(Node::Kind::Not);
        node->operands.push_back(Not());
        return Over(std::move(node));
    }

    NodePtr Comparison() {
        NodePtr left = Additive();
        if (Peek().kind == TokenKind::Symbol && IsComparison(Peek().text)) {
            std::string op = tokens_[pos_++].text;
            NodePtr right = Additive();
            // A field compared with a date literal holds date-time values.
            if (left->kind == Node::Kind::Column && right->kind == Node::Kind::Date) MarkDateField(*left);
            if (right->kind == Node::Kind::Column && left->kind == Node::Kind::Date) MarkDateField(*right);
            return MakeBinary(std::move(op), std::move(left), std::move(right));
        }
        if (AcceptKeyword("IS")) {
            auto node = std::make_unique<Node>(Node::Kind::IsNull);
            node->negated = AcceptKeyword("NOT");
            ExpectKeyword("NULL");
            node->operands.push_back(std::move(left));
            return Over(std::move(node));
        }
        return left;
    }

    NodePtr Additive() {
        NodePtr left = Multiplicative();
        while (IsSymbol(Peek(), "+") || IsSymbol(Peek(), "-") || IsSymbol(Peek(), "&")) {
            std::string op = tokens_[pos_++].text;
            left = MakeBinary(std::move(op), std::move(left), Multiplicative());
        }
        return left;
    }

    NodePtr Multiplicative() {
        NodePtr left = Unary();
        while (IsSymbol(Peek(), "*") || IsSymbol(Peek(), "/")) {
            std::string op = tokens_[pos_++].text;
            left = MakeBinary(std::move(op), std::move(left), Unary());
        }
        return left;
    }

    NodePtr Unary() {
        if (AcceptSymbol("-")) {
            const Nesting nesting(*this);
            auto node = std::make_unique<Node>(Node::Kind::Negate);
            node->operands.push_back(Unary());
            return Over(std::move(node));
        }
        return Primary();
    }

    NodePtr Primary() {
        const Token& token = Peek();
        switch (token.kind) {
        case TokenKind::Number:
        case TokenKind::String: {
            auto node = std::make_unique<Node>(token.kind == TokenKind::Number ? Node::Kind::Number
                                                                                : Node::Kind::String);
            node->text = token.text;
            ++pos_;
            return node;
        }
        case TokenKind::Date: {
            auto node = std::make_unique<Node>(Node::Kind::Date);
            node->date = token.date;
            ++pos_;
            return node;
        }
        default: break;
        }
        if (AcceptKeyword("NULL")) return std::make_unique<Node>(Node::Kind::Null);
        if (AcceptSymbol("(")) {
            NodePtr inner = Expression();
            ExpectSymbol(")");
            return inner;
        }
        if (token.kind == TokenKind::Word && !IsReserved(token.text) && IsSymbol(Peek(1), "(")) return Call();
        if (IsNameToken(token)) {
            auto node = std::make_unique<Node>(Node::Kind::Column);
            const Token& first = tokens_[pos_];
            node->text = tokens_[pos_++].text;
            if (AcceptSymbol(".")) {
                qualifiers_.push_back(&first);
                node->table = std::move(node->text);
                node->text = TakeName("ein Feldname");
            }
            return node;
        }
        Unexpected("ein Wert oder ein Feld");
    }

    NodePtr Call() {
        const Token& name = tokens_[pos_];
        if (!EqualsIgnoringCase(name.text, "DateValue"))
            Fail("Unbekannte Funktion " + name.text + " in der Abfrage (" + Position(name.offset) + ").");
        pos_ += 2;  // name and (
        auto node = std::make_unique<Node>(Node::Kind::DateValue);
        node->operands.push_back(Expression());
        if (!IsSymbol(Peek(), ")")) Fail("DateValue erwartet genau ein Argument (" + Position(name.offset) + ").");
        ++pos_;
        if (node->operands[0]->kind == Node::Kind::Column) MarkDateField(*node->operands[0]);
        return Over(std::move(node));
    }

    void MarkDateField(const Node& column) {
        const bool known = std::any_of(dateFields_.begin(), dateFields_.end(),
                                       [&](const std::string& f) { return EqualsIgnoringCase(f, column.text); });
        if (!known) dateFields_.push_back(column.text);
    }

    std::string_view text_;
    std::vector<Token> tokens_;
    std::size_t pos_ = 0;
    std::vector<std::string> dateFields_;
    // The tables that qualify a field (T.F, T.*), checked against the one
    // after FROM once it is read.
    std::vector<const Token*> qualifiers_;
    int nesting_ = 0;
};

} // namespace

ParsedQuery ParseQuery(std::string_view text) { return Parser(text).Query(); }

} // namespace agendor::sql
