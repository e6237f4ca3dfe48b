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

TEST(ParseQuery, RefusesBadTextsWithAClearMessage) {
    using namespace std::string_view_literals;
    const std::string deepParentheses = "SELECT * From T WHERE " + std::string(65, '(') + "1" + std::string(65, ')');
    std::string longOrChain = "SELECT * From T WHERE T.F = 0";
    for (int k = 0; k < 64; ++k) longOrChain += " Or T.F = 0";
    std::string longConcatenation = "SELECT T.A";
    for (int k = 0; k < 80; ++k) longConcatenation += " & T.A";
    longConcatenation += " From T";
    const char* const kOnlySelect =
        "Nur Abfragen mit SELECT sind erlaubt: der Kalender liest nur und ändert keine Daten.";
    const std::pair<std::string_view, std::string> cases[] = {
        {"", "Die Abfrage ist leer."},
        {" \t\r\n", "Die Abfrage ist leer."},
        {";", "Die Abfrage ist leer."},
        {"SELECT * From T; DELETE From T", "Die Abfrage enthält mehr als eine Anweisung."},
        {"SELECT * From T;SELECT * From U", "Die Abfrage enthält mehr als eine Anweisung."},
        {"DELETE From T", kOnlySelect},
        {"UPDATE T SET F = 1", kOnlySelect},
        {"drop table T", kOnlySelect},
        {"SELECT * INTO Kopie From T", kOnlySelect},
        {"SELECT * From T WHERE T.F = #2/30/2001#",
         "Ungültiges Datumsliteral #2/30/2001#: diesen Tag oder diese Uhrzeit gibt es nicht."},
        {"SELECT * From T WHERE T.F = #13/1/2001#",
         "Ungültiges Datumsliteral #13/1/2001#: diesen Tag oder diese Uhrzeit gibt es nicht."},
        {"SELECT * From T WHERE T.F = #2/29/1900#",
         "Ungültiges Datumsliteral #2/29/1900#: diesen Tag oder diese Uhrzeit gibt es nicht."},
        {"SELECT * From T WHERE T.F = #3/0/2001#",
         "Ungültiges Datumsliteral #3/0/2001#: diesen Tag oder diese Uhrzeit gibt es nicht."},
        {"SELECT * From T WHERE T.F = #3/5/01#",
         "Ungültiges Datumsliteral #3/5/01#: diesen Tag oder diese Uhrzeit gibt es nicht."},
        {"SELECT * From T WHERE T.F = #3/5/2001 24:00:00#",
         "Ungültiges Datumsliteral #3/5/2001 24:00:00#: diesen Tag oder diese Uhrzeit gibt es nicht."},
        {"SELECT * From T WHERE T.F = #2001-03-05#",
         "Ungültiges Datumsliteral #2001-03-05#: erwartet wird #Monat/Tag/Jahr#, etwa #3/5/2001#."},
        {"SELECT * From T WHERE T.F = #3/5/2001x#",
         "Ungültiges Datumsliteral #3/5/2001x#: erwartet wird #Monat/Tag/Jahr#, etwa #3/5/2001#."},
        {"SELECT * From T WHERE T.F = #3/5/2001", "Datumsliteral ohne schließendes # (Zeichen 29)."},
        {"SELECT * From T WHERE T.N = 'abc", "Text ohne schließendes ' (Zeichen 29)."},
        {"SELECT * From [T", "Name ohne schließende ] (Zeichen 15)."},
        {"SELECT * From [T;DROP TABLE T]",
         "Ungültiger Name [T;DROP TABLE T]: Namen dürfen weder [ ] \" ' ; -- noch Steuerzeichen enthalten."},
        {"SELECT * From [T--]",
         "Ungültiger Name [T--]: Namen dürfen weder [ ] \" ' ; -- noch Steuerzeichen enthalten."},
        {"SELECT * From [O'Brien]",
         "Ungültiger Name [O'Brien]: Namen dürfen weder [ ] \" ' ; -- noch Steuerzeichen enthalten."},
        {"SELECT * From [a\"b]",
         "Ungültiger Name [a\"b]: Namen dürfen weder [ ] \" ' ; -- noch Steuerzeichen enthalten."},
        {"SELECT * From [a]b]", "Unerwartetes Zeichen ']' in der Abfrage (Zeichen 19)."},
        {"SELECT * From []", "Leerer Name [] in der Abfrage."},
        {"SELECT * From [ T]", "Ungültiger Name [ T]: ein Name beginnt und endet nicht mit einem Leerzeichen."},
        {"SELECT *  From Meine Termine WHERE (((Meine Termine.Beginn)>=#3/5/2001#))",
         "Syntaxfehler bei Termine (Zeichen 22): erwartet wird Where, Order By oder das Ende der Abfrage."},
        {"SELECT * From T WHERE T.F = \"Datum\"",
         "Doppelte Anführungszeichen sind in Abfragen nicht erlaubt (Zeichen 29): Namen stehen in [ ], Texte in ' '."},
        {"SELECT * From T -- WHERE x", "Kommentare sind in Abfragen nicht erlaubt (Zeichen 17)."},
        {"SELECT * From T /* x */", "Kommentare sind in Abfragen nicht erlaubt (Zeichen 17)."},
        {"SELECT * From T WHERE Now() > T.F", "Unbekannte Funktion Now in der Abfrage (Zeichen 23)."},
        {"SELECT * From T WHERE DateValue(T.F, 1) = #3/5/2001#",
         "DateValue erwartet genau ein Argument (Zeichen 23)."},
        {"SELECT T.F", "Syntaxfehler: die Abfrage endet, erwartet wird From."},
        {"SELECT * From Where", "Syntaxfehler bei Where (Zeichen 15): erwartet wird ein Tabellenname."},
        {"SELECT * From T WHERE ((T.F = 1)", "Syntaxfehler: die Abfrage endet, erwartet wird )."},
        {"SELECT * From T WHERE T.A = T.B = T.C",
         "Syntaxfehler bei = (Zeichen 33): erwartet wird Order By oder das Ende der Abfrage."},
        {"SELECT * From T WHERE T.F != 1", "Unerwartetes Zeichen '!' in der Abfrage (Zeichen 27)."},
        // Found by fuzzing: the engines cut a statement at a zero byte, and
        // the server refuses bytes that are no UTF-8.
        {"SELECT * From T WHERE T.F = 'a\0b'"sv, "Die Abfrage enthält ein Nullzeichen (Zeichen 31)."},
        {"SELECT * From T WHERE T.F = '\xff'", "Die Abfrage ist kein gültiger UTF-8-Text (Zeichen 30)."},
        {"SELECT U.F From T", "Die Abfrage liest nur die Tabelle T; U gehört nicht dazu (Zeichen 8)."},
        {"SELECT T.F, u.* From T", "Die Abfrage liest nur die Tabelle T; u gehört nicht dazu (Zeichen 13)."},
        // Deeper than SQLite's parser goes (its stack ends near 100 nested
        // parentheses, and the translation writes one pair per operator, so
        // a chain is as deep as it is long).
        {deepParentheses, "Die Abfrage ist zu tief verschachtelt (mehr als 64 Ebenen)."},
        {longOrChain, "Die Abfrage ist zu tief verschachtelt (mehr als 64 Ebenen)."},
        {longConcatenation, "Die Abfrage ist zu tief verschachtelt (mehr als 64 Ebenen)."},
    };
    for (const auto& [text, message] : cases) {
        try {
            ParseQuery(text);
            ADD_FAILURE() << "parsed: " << text;
        } catch (const QueryError& error) {
            EXPECT_EQ(error.Description(), message);
            EXPECT_EQ(error.QueryText(), text);
            EXPECT_EQ(error.ResultCode(), 0);
        }
    }
}

} // namespace
} // namespace agendor::sql
