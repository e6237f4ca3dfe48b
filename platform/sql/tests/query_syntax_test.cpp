#include "agendor/platform/sql/query_syntax.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "agendor/platform/sql/query_error.h"

namespace agendor::sql {
namespace {

TEST(ParseQuery, NamesTheDateFieldsItCompares) {
    EXPECT_EQ(ParseQuery("SELECT *  From T WHERE (((T.F)>=#3/5/2001# And (T.F)<#3/12/2001#)) ORDER BY T.F")
                  .dateFields,
              std::vector<std::string>{"F"});
    EXPECT_EQ(ParseQuery("SELECT * From T WHERE DateValue([Beginn am]) = #3/5/2001# And T.Ende > #1/1/2001#")
                  .dateFields,
              (std::vector<std::string>{"Beginn am", "Ende"}));
    EXPECT_TRUE(ParseQuery("SELECT P.N,P.I From P ORDER BY P.N").dateFields.empty());
}

struct RefusedCase {
    const char* name;
    std::string_view text;
    const char* message;
};

std::ostream& operator<<(std::ostream& out, const RefusedCase& c) { return out << c.name; }

using namespace std::string_view_literals;

// Deeper than any engine's parser goes (SQLite stops at 1000 levels, and a
// chain of Or is as deep as it is long).
const std::string kDeepParentheses = "SELECT * From T WHERE " + std::string(201, '(') + "1" + std::string(201, ')');
const std::string kLongOrChain = [] {
    std::string text = "SELECT * From T WHERE T.F = 0";
    for (int k = 0; k < 200; ++k) text += " Or T.F = 0";
    return text;
}();

class Refuses : public ::testing::TestWithParam<RefusedCase> {};

TEST_P(Refuses, WithAClearMessage) {
    const RefusedCase& c = GetParam();
    try {
        ParseQuery(c.text);
        FAIL() << "parsed: " << c.text;
    } catch (const QueryError& error) {
        EXPECT_EQ(error.Description(), c.message);
        EXPECT_EQ(error.QueryText(), c.text);
        EXPECT_EQ(error.ResultCode(), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(
    BadTexts, Refuses,
    ::testing::Values(
        RefusedCase{"Empty", "", "Die Abfrage ist leer."},
        RefusedCase{"OnlyBlanks", " \t\r\n", "Die Abfrage ist leer."},
        RefusedCase{"OnlySemicolon", ";", "Die Abfrage ist leer."},
        RefusedCase{"TwoStatements", "SELECT * From T; DELETE From T",
                    "Die Abfrage enthält mehr als eine Anweisung."},
        RefusedCase{"TwoSelects", "SELECT * From T;SELECT * From U", "Die Abfrage enthält mehr als eine Anweisung."},
        RefusedCase{"Delete", "DELETE From T",
                    "Nur Abfragen mit SELECT sind erlaubt: der Kalender liest nur und ändert keine Daten."},
        RefusedCase{"Update", "UPDATE T SET F = 1",
                    "Nur Abfragen mit SELECT sind erlaubt: der Kalender liest nur und ändert keine Daten."},
        RefusedCase{"Drop", "drop table T",
                    "Nur Abfragen mit SELECT sind erlaubt: der Kalender liest nur und ändert keine Daten."},
        RefusedCase{"MakeTable", "SELECT * INTO Kopie From T",
                    "Nur Abfragen mit SELECT sind erlaubt: der Kalender liest nur und ändert keine Daten."},
        RefusedCase{"TheThirtiethOfFebruary", "SELECT * From T WHERE T.F = #2/30/2001#",
                    "Ungültiges Datumsliteral #2/30/2001#: diesen Tag oder diese Uhrzeit gibt es nicht."},
        RefusedCase{"MonthThirteen", "SELECT * From T WHERE T.F = #13/1/2001#",
                    "Ungültiges Datumsliteral #13/1/2001#: diesen Tag oder diese Uhrzeit gibt es nicht."},
        RefusedCase{"TwentyNinthOfFebruaryInACommonYear", "SELECT * From T WHERE T.F = #2/29/1900#",
                    "Ungültiges Datumsliteral #2/29/1900#: diesen Tag oder diese Uhrzeit gibt es nicht."},
        RefusedCase{"DayZero", "SELECT * From T WHERE T.F = #3/0/2001#",
                    "Ungültiges Datumsliteral #3/0/2001#: diesen Tag oder diese Uhrzeit gibt es nicht."},
        RefusedCase{"TwoDigitYear", "SELECT * From T WHERE T.F = #3/5/01#",
                    "Ungültiges Datumsliteral #3/5/01#: diesen Tag oder diese Uhrzeit gibt es nicht."},
        RefusedCase{"Hour24", "SELECT * From T WHERE T.F = #3/5/2001 24:00:00#",
                    "Ungültiges Datumsliteral #3/5/2001 24:00:00#: diesen Tag oder diese Uhrzeit gibt es nicht."},
        RefusedCase{"IsoInsideHashes", "SELECT * From T WHERE T.F = #2001-03-05#",
                    "Ungültiges Datumsliteral #2001-03-05#: erwartet wird #Monat/Tag/Jahr#, etwa #3/5/2001#."},
        RefusedCase{"TrailingText", "SELECT * From T WHERE T.F = #3/5/2001x#",
                    "Ungültiges Datumsliteral #3/5/2001x#: erwartet wird #Monat/Tag/Jahr#, etwa #3/5/2001#."},
        RefusedCase{"UnclosedLiteral", "SELECT * From T WHERE T.F = #3/5/2001",
                    "Datumsliteral ohne schließendes # (Zeichen 29)."},
        RefusedCase{"UnclosedText", "SELECT * From T WHERE T.N = 'abc",
                    "Text ohne schließendes ' (Zeichen 29)."},
        RefusedCase{"UnclosedName", "SELECT * From [T", "Name ohne schließende ] (Zeichen 15)."},
        RefusedCase{"NameWithSemicolon", "SELECT * From [T;DROP TABLE T]",
                    "Ungültiger Name [T;DROP TABLE T]: Namen dürfen weder [ ] \" ' ; -- noch Steuerzeichen "
                    "enthalten."},
        RefusedCase{"NameWithDashes", "SELECT * From [T--]",
                    "Ungültiger Name [T--]: Namen dürfen weder [ ] \" ' ; -- noch Steuerzeichen enthalten."},
        RefusedCase{"NameWithQuote", "SELECT * From [O'Brien]",
                    "Ungültiger Name [O'Brien]: Namen dürfen weder [ ] \" ' ; -- noch Steuerzeichen enthalten."},
        RefusedCase{"NameWithDoubleQuote", "SELECT * From [a\"b]",
                    "Ungültiger Name [a\"b]: Namen dürfen weder [ ] \" ' ; -- noch Steuerzeichen enthalten."},
        RefusedCase{"NameWithClosingBracket", "SELECT * From [a]b]",
                    "Unerwartetes Zeichen ']' in der Abfrage (Zeichen 19)."},
        RefusedCase{"EmptyName", "SELECT * From []", "Leerer Name [] in der Abfrage."},
        RefusedCase{"NameStartingWithABlank", "SELECT * From [ T]",
                    "Ungültiger Name [ T]: ein Name beginnt und endet nicht mit einem Leerzeichen."},
        RefusedCase{"NameWithBlanksWithoutBrackets",
                    "SELECT *  From Meine Termine WHERE (((Meine Termine.Beginn)>=#3/5/2001#))",
                    "Syntaxfehler bei Termine (Zeichen 22): erwartet wird Where, Order By oder das Ende der "
                    "Abfrage."},
        RefusedCase{"DoubleQuotedText", "SELECT * From T WHERE T.F = \"Datum\"",
                    "Doppelte Anführungszeichen sind in Abfragen nicht erlaubt (Zeichen 29): Namen stehen in [ ], "
                    "Texte in ' '."},
        RefusedCase{"LineComment", "SELECT * From T -- WHERE x", "Kommentare sind in Abfragen nicht erlaubt (Zeichen 17)."},
        RefusedCase{"BlockComment", "SELECT * From T /* x */", "Kommentare sind in Abfragen nicht erlaubt (Zeichen 17)."},
        RefusedCase{"UnknownFunction", "SELECT * From T WHERE Now() > T.F",
                    "Unbekannte Funktion Now in der Abfrage (Zeichen 23)."},
        RefusedCase{"DateValueWithTwoArguments", "SELECT * From T WHERE DateValue(T.F, 1) = #3/5/2001#",
                    "DateValue erwartet genau ein Argument (Zeichen 23)."},
        RefusedCase{"MissingFrom", "SELECT T.F", "Syntaxfehler: die Abfrage endet, erwartet wird From."},
        RefusedCase{"ReservedWordAsTable", "SELECT * From Where", "Syntaxfehler bei Where (Zeichen 15): erwartet wird ein Tabellenname."},
        RefusedCase{"OpenParenthesis", "SELECT * From T WHERE ((T.F = 1)",
                    "Syntaxfehler: die Abfrage endet, erwartet wird )."},
        RefusedCase{"ChainedComparison", "SELECT * From T WHERE T.A = T.B = T.C",
                    "Syntaxfehler bei = (Zeichen 33): erwartet wird Order By oder das Ende der Abfrage."},
        RefusedCase{"ForeignCharacter", "SELECT * From T WHERE T.F != 1",
                    "Unerwartetes Zeichen '!' in der Abfrage (Zeichen 27)."},
        // Found by fuzzing: the engines cut a statement at a zero byte, and
        // the server refuses bytes that are no UTF-8.
        RefusedCase{"ZeroByteInText", "SELECT * From T WHERE T.F = 'a\0b'"sv,
                    "Die Abfrage enthält ein Nullzeichen (Zeichen 31)."},
        RefusedCase{"InvalidUtf8", "SELECT * From T WHERE T.F = '\xff'",
                    "Die Abfrage ist kein gültiger UTF-8-Text (Zeichen 30)."},
        RefusedCase{"FieldOfAnotherTable", "SELECT U.F From T",
                    "Die Abfrage liest nur die Tabelle T; U gehört nicht dazu (Zeichen 8)."},
        RefusedCase{"AllFieldsOfAnotherTable", "SELECT T.F, u.* From T",
                    "Die Abfrage liest nur die Tabelle T; u gehört nicht dazu (Zeichen 13)."},
        RefusedCase{"DeepParentheses", kDeepParentheses,
                    "Die Abfrage ist zu tief verschachtelt (mehr als 200 Ebenen)."},
        RefusedCase{"LongOrChain", kLongOrChain, "Die Abfrage ist zu tief verschachtelt (mehr als 200 Ebenen)."}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace agendor::sql
